#pragma once

#include "model/loaded_model.h"

#include <string>

// A model read from a .3DS chunk file. The reading itself is the work of a
// C3dsParser that LoadFile makes and drops: the model keeps only what was
// read.
class CModel3DS : public CLoadedModel
{
public:
    // statusSink may be null; it is shown progress only. A failed load's
    // message goes to *text, the caller's.
    CModel3DS(CStatusSink* statusSink, std::string* text, KeyTracks keys = KeyTracks::Read);


    // 1 when the file has been read, 0 when not: GetError() then says why
    // and the status text holds the message. Runs once per model: a model
    // is the result of one load, and a second load would mix its state with
    // the first's (asserted).
    int LoadFile(CInputFile* file, LoadMode mode) override;

private:
    friend class C3dsParser;

    KeyTracks m_keyTracks;
    bool m_bLoadStarted = false;
};
