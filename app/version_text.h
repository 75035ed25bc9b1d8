#pragma once

#include <string>

// The status line's text at start: the program's name and its major and
// minor version, set in from the left ("                    Tessaline v.1.0").
std::string StatusBanner();
