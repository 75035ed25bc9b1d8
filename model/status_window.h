#pragma once

#include <string>

// The window that shows the model's messages: a status line that can be set
// at once, and a repaint that makes it visible while a long load is running
// inside one handler.
class CStatusWindow
{
public:
    virtual ~CStatusWindow() = default;
    virtual void SetDlgItemText(int id, const std::string& text) = 0;
    virtual void UpdateWindow() = 0;
};
