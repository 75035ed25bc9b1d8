#include "convert/output_naming.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

namespace
{
constexpr std::string_view kOutputExtension = ".dtq";
constexpr std::string_view kDefaultOutputSuffix = "DTQ";
constexpr std::string_view kTextureExtension = ".RAW";
// The shortest path kept as typed: a name of at least two characters before
// ".dtq", so that "a.DTQ" is still normalised to "a.dtq".
constexpr std::size_t kMinKeptLength = 6;

// Index where the file name begins: after the last folder separator, or 0.
// Both '/' and '\' separate folders, so paths typed in either form work.
std::size_t FileNameStart(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
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
bool IsContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

std::size_t CountCharacters(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char byte) { return !IsContinuationByte(byte); }));
}
} // namespace

// The file name's extension without its '.', as MakeOutputPath finds it
// (ship. has an empty one); none when the name has no '.'.
std::optional<std::string_view> Extension(std::string_view path)
{
    const std::size_t nameStart = FileNameStart(path);
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot <= nameStart)
        return std::nullopt;
    return path.substr(dot + 1);
}

// Paths are UTF-8 here: characters are counted as code points, so a name
// that ends in a non-ASCII letter is not cut mid-character.
std::string DefaultOutputName(const std::string& inputPath)
{
    // Other formats' extensions are not always three characters long, and
    // "DTQ" takes the place of the whole of one (ship.gltf gives ship.DTQ).
    const std::optional<std::string_view> extension = Extension(inputPath);
    if (extension && CountCharacters(*extension) != kDefaultOutputSuffix.size())
        return inputPath.substr(0, inputPath.size() - extension->size()) + std::string(kDefaultOutputSuffix);

    std::size_t start = inputPath.size();
    for (std::size_t characters = 0; characters < kDefaultOutputSuffix.size() && start > 0; ++characters)
    {
        --start;
        while (start > 0 && IsContinuationByte(inputPath[start]))
            --start;
    }
    const std::size_t counted = CountCharacters(inputPath);
    if (counted < kDefaultOutputSuffix.size())
        return inputPath + "." + std::string(kDefaultOutputSuffix);
    return inputPath.substr(0, start) + std::string(kDefaultOutputSuffix);
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
