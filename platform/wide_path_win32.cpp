#include "platform/wide_path_win32.h"

#include <windows.h>

#include <vector>

std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

namespace
{
// Paths from this length on take the \\?\ prefix: the folder calls allow
// 12 characters fewer than MAX_PATH, to leave room for an 8.3 name.
constexpr std::size_t kLongPath = MAX_PATH - 12;
} // namespace

std::wstring WidePath(const std::string& path)
{
    const std::wstring wide = Widen(path);
    if (wide.empty() || wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\"))
        return wide;
    // The full path first: a relative path or one with '/' would mean
    // nothing after \\?\, which turns off the system's own normalisation.
    DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return wide;
    std::vector<wchar_t> full(length);
    length = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return wide;
    std::wstring absolute(full.data(), length);
    if (absolute.size() < kLongPath || absolute.starts_with(L"\\\\.\\"))
        return absolute;
    if (absolute.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}
