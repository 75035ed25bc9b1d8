#pragma once

#include "model/status_window.h"

#include <string>
#include <vector>

// Records what the model shows: every text set into the status line and
// whether a repaint followed it.
class RecordingStatusWindow : public CStatusWindow
{
public:
    struct Shown
    {
        int id;
        std::string text;
        bool repainted;
    };

    void SetDlgItemText(int id, const std::string& text) override { shown.push_back({id, text, false}); }
    void UpdateWindow() override
    {
        if (!shown.empty())
            shown.back().repainted = true;
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (const Shown& entry : shown)
            texts.push_back(entry.text);
        return texts;
    }

    std::vector<Shown> shown;
};
