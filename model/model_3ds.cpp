#include "model/model_3ds.h"

#include "geometry/normals.h"

CModel3DS::CModel3DS(CStatusSink* statusSink, std::string* text, KeyTracks keys)
    : m_pText(text), m_pStatusSink(statusSink), m_keyTracks(keys)
{
}

ModelObject* CModel3DS::GetObject(int index)
{
    return &m_pObjects[static_cast<std::size_t>(index)];
}

int CModel3DS::Load(CInputFile* file)
{
    return LoadFile(file, 0);
}

int CModel3DS::GetFrameCount()
{
    return m_nMode != 0 ? m_nObjects : m_nFrames;
}

int CModel3DS::GetObjectCount()
{
    return m_nObjects;
}

int CModel3DS::ComputeFaceNormals()
{
    for (int i = 0; i < GetObjectCount(); ++i)
        ComputeObjectFaceNormals(*GetObject(i));
    return 0;
}

int CModel3DS::ComputeVertexNormals()
{
    for (int i = 0; i < GetObjectCount(); ++i)
        ComputeObjectVertexNormals(*GetObject(i));
    return 0;
}

void CModel3DS::ShowError(ErrorKind kind, const std::string& text)
{
    m_error = kind;
    if (m_pText)
        *m_pText = text;
}

void CModel3DS::ShowProgress(const std::string& text)
{
    if (m_pStatusSink)
        m_pStatusSink->ShowProgress(text);
}
