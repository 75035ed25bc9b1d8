#pragma once

#include "app/control_ids.h"

#include <QRect>
#include <QSize>

// The converter dialog's template: its caption, its size and its controls in
// dialog units. The order of the controls is their tab order.

enum class ControlKind
{
    DefaultButton,
    Button,
    PathEdit,
    StatusEdit,
    Label,
    CheckBox,
    Picture,
};

struct TemplateControl
{
    int id;
    ControlKind kind;
    const char* text;
    QRect units; // x, y, width, height
};

inline constexpr const char* kConverterCaption = "Tessaline";
inline constexpr QSize kConverterSizeUnits(228, 102);

inline constexpr TemplateControl kConverterControls[] = {
    {IDOK, ControlKind::DefaultButton, "Go", QRect(99, 66, 36, 14)},
    {IDCANCEL, ControlKind::Button, "Cancel", QRect(167, 66, 36, 14)},
    {IDC_INPUT, ControlKind::PathEdit, "", QRect(43, 7, 162, 12)},
    {IDC_OUTPUT, ControlKind::PathEdit, "", QRect(43, 23, 162, 12)},
    {IDC_BROWSE_INPUT, ControlKind::Button, "...", QRect(205, 7, 15, 12)},
    {IDC_STATIC, ControlKind::Label, "Input from:", QRect(7, 7, 33, 8)},
    {IDC_STATIC, ControlKind::Label, "Output to:", QRect(9, 24, 31, 8)},
    {IDC_STATUS, ControlKind::StatusEdit, "", QRect(0, 89, 228, 13)},
    {IDC_FLIP, ControlKind::CheckBox, "Flip Faces", QRect(122, 46, 50, 11)},
    {IDC_STATIC, ControlKind::Picture, "", QRect(7, 37, 68, 50)},
};
