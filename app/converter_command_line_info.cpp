#include "app/converter_command_line_info.h"

namespace
{
constexpr char kFlagPrefix = '-';
constexpr char kSlashFlagPrefix = '/';
constexpr std::string_view kFlipOption = "flip";
} // namespace

void CConverterCommandLineInfo::ParseParam(std::string_view param, [[maybe_unused]] bool isFlag,
                                           [[maybe_unused]] bool isLast)
{
    // A slot is free while its string is empty, so an empty argument leaves
    // it to the next one.
    if (m_strInput.empty())
    {
        m_strInput = param;
        m_bFlip = false;
    }
    else if (m_strOption.empty())
    {
        m_strOption = param;
        if (m_strOption == kFlipOption)
            m_bFlip = true;
    }
}

void ParseCommandLine(const std::vector<std::string>& arguments, CConverterCommandLineInfo& info,
                      LeadingSlash slash)
{
    for (std::size_t i = 0; i < arguments.size(); ++i)
    {
        std::string_view param = arguments[i];
        const bool isFlag = !param.empty() && (param.front() == kFlagPrefix || param.front() == kSlashFlagPrefix);
        // A '/' that begins the input path begins an absolute path and stays;
        // anywhere else, and alone, it marks a flag as '-' does.
        const bool absolutePath = slash == LeadingSlash::BeginsPath && isFlag && param.front() == kSlashFlagPrefix &&
                                  param.size() > 1 && info.m_strInput.empty();
        if (isFlag && !absolutePath)
            param.remove_prefix(1);
        info.ParseParam(param, isFlag, i + 1 == arguments.size());
    }
}
