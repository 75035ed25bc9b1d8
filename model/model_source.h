#pragma once

#include "records/model_records.h"
#include "platform/input_file.h"

// A loaded model, seen by its clients.
class CModelSource
{
public:
    virtual ~CModelSource() = default;
    virtual ModelObject* GetObject(int index) = 0;
    // Fills out with the whole model at that frame; see CLoadedModel.
    virtual void BuildFrame(int frame, ModelObject* out) = 0;
    virtual int Load(CInputFile* file) = 0;
    virtual int GetFrameCount() = 0;
    virtual int GetObjectCount() = 0;
};
