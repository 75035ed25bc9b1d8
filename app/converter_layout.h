#pragma once

// The converter dialog's template in dialog units, in the one form that both
// C++ and the Windows resource compiler read: the Qt dialog builds its table
// from it (app/converter_template.h) and the resource script its DIALOGEX
// (app/win32/tessaline.rc), so the two dialogs cannot drift apart.

#include "app/control_ids.h"

#define CONVERTER_CAPTION "Tessaline"
#define CONVERTER_WIDTH 228
#define CONVERTER_HEIGHT 102
#define CONVERTER_FONT_POINTS 8

// ROW(id, kind, text, x, y, width, height) for each control, in template
// order, which is also the tab order. The kinds are those of ControlKind.
#define CONVERTER_CONTROLS(ROW)                                  \
    ROW(IDOK, DefaultButton, "Go", 99, 66, 36, 14)               \
    ROW(IDCANCEL, Button, "Cancel", 167, 66, 36, 14)             \
    ROW(IDC_INPUT, PathEdit, "", 43, 7, 162, 12)                 \
    ROW(IDC_OUTPUT, PathEdit, "", 43, 23, 162, 12)               \
    ROW(IDC_BROWSE_INPUT, Button, "...", 205, 7, 15, 12)         \
    ROW(IDC_STATIC, Label, "Input from:", 7, 7, 33, 8)           \
    ROW(IDC_STATIC, Label, "Output to:", 9, 24, 31, 8)           \
    ROW(IDC_STATUS, StatusEdit, "", 0, 89, 228, 13)              \
    ROW(IDC_FLIP, CheckBox, "Flip Faces", 122, 46, 50, 11)       \
    ROW(IDC_STATIC, Picture, "", 7, 37, 68, 50)
