#pragma once

#include "model/model_3ds.h"
#include "platform/input_file.h"
#include "tests/support/recording_status_window.h"

#include <cstdint>
#include <string>
#include <vector>

// A model loaded from bytes in memory, with what it showed on the way.
struct LoadedModel
{
    explicit LoadedModel(std::vector<std::uint8_t> bytes, int mode = 0)
    {
        CInputFile file;
        file.OpenMemory(std::move(bytes));
        result = model.LoadFile(&file, mode);
    }

    // The messages that begin "Error".
    std::vector<std::string> Errors() const
    {
        std::vector<std::string> errors;
        for (const std::string& shown : window.Texts())
            if (shown.rfind("Error", 0) == 0)
                errors.push_back(shown);
        return errors;
    }

    RecordingStatusWindow window;
    std::string text;
    CModel3DS model{&window, 1004, &text};
    int result = 0;
};
