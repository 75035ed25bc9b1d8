#pragma once

#include <string>

// The dialog's controls hold UTF-16 text; the conversion core takes UTF-8.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
