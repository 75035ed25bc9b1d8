#pragma once

#include "app/converter_layout.h"

// The converter dialog's template as a table: its caption, its size and its
// controls in dialog units, in tab order. No toolkit's types, so that every
// dialog reads the same numbers.

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

struct UnitRect
{
    int x;
    int y;
    int width;
    int height;
};

struct UnitSize
{
    int width;
    int height;
};

struct TemplateControl
{
    int id;
    ControlKind kind;
    const char* text;
    UnitRect units;
};

inline constexpr const char* kConverterCaption = CONVERTER_CAPTION;
inline constexpr UnitSize kConverterSizeUnits{CONVERTER_WIDTH, CONVERTER_HEIGHT};

inline constexpr TemplateControl kConverterControls[] = {
#define TESSALINE_TEMPLATE_ROW(id, kind, text, x, y, width, height) {id, ControlKind::kind, text, {x, y, width, height}},
    CONVERTER_CONTROLS(TESSALINE_TEMPLATE_ROW)
#undef TESSALINE_TEMPLATE_ROW
};
