#include "convert/output_naming.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace
{
constexpr std::string_view kOutputExtension = ".dtq";
constexpr std::string_view kDefaultOutputSuffix = "DTQ";
constexpr std::string_view kTextureExtension = ".RAW";
// The shortest path kept as typed: a name of at least two characters before
// ".dtq", so that "a.DTQ" is still normalised to "a.dtq".
constexpr std::size_t kMinKeptLength = 6;

// Index where the file name begins: after the last '/', or 0.
std::size_t FileNameStart(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

bool EndsWithOutputExtension(std::string_view path)
{
    if (path.size() < kMinKeptLength)
        return false;
    const std::string_view tail = path.substr(path.size() - kOutputExtension.size());
    return std::equal(tail.begin(), tail.end(), kOutputExtension.begin(), [](char typed, char expected) {
        return std::tolower(static_cast<unsigned char>(typed)) == expected;
    });
}
} // namespace

std::string DefaultOutputName(const std::string& inputPath)
{
    if (inputPath.size() < kDefaultOutputSuffix.size())
        return inputPath + "." + std::string(kDefaultOutputSuffix);
    std::string output = inputPath;
    output.replace(output.size() - kDefaultOutputSuffix.size(), kDefaultOutputSuffix.size(), kDefaultOutputSuffix);
    return output;
}

std::string MakeOutputPath(const std::string& outputPath)
{
    if (EndsWithOutputExtension(outputPath))
        return outputPath;
    const std::size_t nameStart = FileNameStart(outputPath);
    std::size_t end = outputPath.rfind('.');
    // A leading '.' names a hidden file rather than starting an extension.
    if (end == std::string::npos || end <= nameStart)
        end = outputPath.size();
    return outputPath.substr(0, end) + std::string(kOutputExtension);
}

std::string MakeTextureName(const std::string& finalOutputPath)
{
    const std::size_t nameStart = FileNameStart(finalOutputPath);
    std::size_t end = finalOutputPath.rfind('.');
    if (end == std::string::npos || end < nameStart)
        end = finalOutputPath.size();
    return finalOutputPath.substr(nameStart, end - nameStart) + std::string(kTextureExtension);
}
