#pragma once

// Control ids of the converter dialog, shared by the dialog, the conversion
// run and the command line that stands in for the dialog.
enum ControlId : int
{
    IDOK = 1,
    IDCANCEL = 2,
    IDC_INPUT = 1000,
    IDC_OUTPUT = 1001,
    IDC_BROWSE_INPUT = 1002,
    IDC_STATUS = 1004,
    IDC_FLIP = 1005,
};
