#pragma once

#include "convert/conversion.h"
#include "convert/model_text_writer.h"
#include "model/model_3ds.h"
#include "platform/input_file.h"

#include <functional>
#include <string>

// The steps that the conversion and the frame export share. Each shows its
// one failure message through the status sink and returns false.

struct OpenedRun
{
    std::string finalPath; // the output path after the naming rules
    CInputFile input;
};

// Opens the input and names the output.
bool OpenRun(const ConversionRequest& request, CStatusSink& status, OpenedRun& run);

// Shows "Loading model..." and loads the input in the given mode; the input
// is closed afterwards, since the model holds all it needs.
bool LoadRun(CModel3DS& model, OpenedRun& run, int mode, CStatusSink& status);

// Writes the header for objectCount objects, lets writeObjects write them,
// and puts the file at path only when it is complete.
bool WriteModelFile(CStatusSink& status, const std::string& path, bool flip, int objectCount,
                    const std::function<void(CModelTextWriter&)>& writeObjects);
