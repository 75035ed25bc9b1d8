#pragma once

#include <string>
#include <string_view>

// What an object's name carries into the model text file: the name before its
// first '_', and the texture and effect flags coded as "_T" and "_E" anywhere
// in the whole name (case-sensitive). Line feeds and carriage returns in the
// written name become spaces, so that it stays on its own line.
struct ObjectLabel
{
    std::string name;
    int textureFlag = 0;
    int effectFlag = 0;
};

ObjectLabel SplitObjectName(std::string_view name);
