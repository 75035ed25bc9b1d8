#pragma once

#include "convert/dialog_window.h"

// The conversion run behind "Go": reads the input path, output path and
// "Flip Faces" from the window, converts, and either ends the dialog or
// leaves one message in the status line. flip receives the check box state.
// Returns true when the model text file was written.
bool RunConversion(CDialogWindow& window, bool& flip);
