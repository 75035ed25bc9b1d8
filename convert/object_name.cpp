#include "convert/object_name.h"

ObjectLabel SplitObjectName(std::string_view name)
{
    ObjectLabel label;
    label.textureFlag = name.find("_T") != std::string_view::npos ? 1 : 0;
    label.effectFlag = name.find("_E") != std::string_view::npos ? 1 : 0;
    label.name = std::string(name.substr(0, name.find('_')));
    return label;
}
