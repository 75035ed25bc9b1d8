#pragma once

// Control ids of the converter dialog's template.
enum ControlId : int
{
    IDC_STATIC = -1, // labels and the picture, which no code addresses
    IDOK = 1,
    IDCANCEL = 2,
    IDC_INPUT = 1000,
    IDC_OUTPUT = 1001,
    IDC_BROWSE_INPUT = 1002,
    IDC_STATUS = 1004,
    IDC_FLIP = 1005,
};
