#include "convert/object_name.h"

#include <algorithm>

ObjectLabel SplitObjectName(std::string_view name)
{
    ObjectLabel label;
    label.textureFlag = name.find("_T") != std::string_view::npos ? 1 : 0;
    label.effectFlag = name.find("_E") != std::string_view::npos ? 1 : 0;
    label.name = std::string(name.substr(0, name.find('_')));
    // The name fills one line of the model text file: a line break taken
    // from the input file would end that line early and shift every line
    // after it.
    std::replace_if(label.name.begin(), label.name.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return label;
}
