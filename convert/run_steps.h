#pragma once

#include "convert/dialog_window.h"
#include "convert/model_text_writer.h"
#include "platform/input_file.h"

#include <functional>
#include <string>

// The steps a conversion run and a frame export share: reading the dialog,
// opening the input, and writing one model text file.

struct RunStart
{
    std::string finalPath; // the output path after the output naming rules
    bool flip = false;
    CInputFile input;
};

void ShowStatus(CDialogWindow& window, const std::string& text);

// Reads the paths and "Flip Faces" and opens the input. On failure the
// status line holds the reason; flip is set either way.
bool StartRun(CDialogWindow& window, RunStart& start);

// Writes the header for objectCount objects, lets writeObjects write them,
// and puts the file at path only when it is complete. On failure the status
// line holds the reason and no file of that name has changed.
bool WriteModelFile(CDialogWindow& window, const std::string& path, bool flip, int objectCount,
                    const std::function<void(CModelTextWriter&)>& writeObjects);
