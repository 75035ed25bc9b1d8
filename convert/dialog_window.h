#pragma once

#include "model/status_window.h"

#include <string>

// The controls the conversion run works through. The Qt dialog, the command
// line and the tests each provide one.
class CDialogWindow : public CStatusWindow
{
public:
    virtual std::string GetDlgItemText(int id) = 0;
    virtual bool IsDlgButtonChecked(int id) = 0;
    virtual void EnableDlgItem(int id, bool enable) = 0;
    // Ends the dialog with the OK result: the file has been written.
    virtual void EndDialogOK() = 0;
};
