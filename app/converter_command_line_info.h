#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the command line asks for: `tessaline [input-path [-flip]]`.
class CConverterCommandLineInfo
{
public:
    // Takes one argument, already without its flag prefix. The first
    // non-empty argument is the input path, the second the option; "flip" as
    // the option requests flipping; later arguments are ignored. isFlag and
    // isLast are not needed by these rules.
    void ParseParam(std::string_view param, bool isFlag, bool isLast);

    std::string m_strInput;
    std::string m_strOption;
    bool m_bFlip = false;
};

// What a '/' that begins the input path means: on POSIX systems it begins an
// absolute path; on Windows no path begins with it, and it marks a flag as
// '-' does.
enum class LeadingSlash
{
    BeginsPath,
    MarksFlag,
};

// Feeds every argument after the program's name to info.ParseParam, in
// order. A leading '-' or '/' marks a flag and is removed, except a '/' that
// begins the input path where slash says it begins a path.
void ParseCommandLine(const std::vector<std::string>& arguments, CConverterCommandLineInfo& info,
                      LeadingSlash slash = LeadingSlash::BeginsPath);
