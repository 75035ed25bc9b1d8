#include "model/model_3ds.h"

#include "model/chunk_parser.h"

#include <cassert>

CModel3DS::CModel3DS(CStatusSink* statusSink, std::string* text, KeyTracks keys)
    : CLoadedModel(statusSink, text), m_keyTracks(keys)
{
}

int CModel3DS::LoadFile(CInputFile* file, LoadMode mode)
{
    assert(!m_bLoadStarted && "LoadFile runs once per model");
    m_bLoadStarted = true;
    m_nMode = mode;
    C3dsParser parser(*this, file->Bytes());
    return parser.Parse();
}
