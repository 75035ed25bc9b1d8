#include "model/gltf_input.h"

#include "platform/input_file.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <limits>
#include <string_view>

namespace
{
std::uint32_t LoadLittleEndian32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 | std::uint32_t{bytes[at + 2]} << 16 |
           std::uint32_t{bytes[at + 3]} << 24;
}

// The library looks for a name as given, then under "./"; both name the
// same file here.
std::string_view Plain(std::string_view name)
{
    return name.substr(0, 2) == "./" ? name.substr(2) : name;
}

// The folder of a path, with its separator; empty for a bare name.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
} // namespace

const char* const kGltfNotValid = "Error reading input file, it is not valid glTF: ";

std::string CheckGltfBinaryLayout(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t>& json,
                                  std::uint32_t& length)
{
    constexpr std::size_t kHeader = 12, kChunkHeader = 8;
    if (bytes.size() < kHeader + kChunkHeader)
        return "it is too short for a binary glTF file.";
    if (const std::uint32_t version = LoadLittleEndian32(bytes, 4); version != 2)
        return "it is binary glTF version " + std::to_string(version) + ", and only version 2 is read.";
    length = LoadLittleEndian32(bytes, 8);
    if (length > bytes.size() || length < kHeader + kChunkHeader)
        return "its header gives a length of " + std::to_string(length) + " bytes, but the file has " +
               std::to_string(bytes.size()) + ".";
    const std::uint32_t jsonLength = LoadLittleEndian32(bytes, 12);
    if (LoadLittleEndian32(bytes, 16) != 0x4E4F534Au || jsonLength == 0 ||
        jsonLength > length - (kHeader + kChunkHeader))
        return "its first chunk is not JSON lying inside the file.";
    json = bytes.subspan(kHeader + kChunkHeader, jsonLength);
    const std::uint32_t rest = length - (kHeader + kChunkHeader) - jsonLength;
    if (rest == 0)
        return "";
    if (rest < kChunkHeader || LoadLittleEndian32(bytes, length - rest) > rest - kChunkHeader)
        return "its binary chunk does not lie inside the file.";
    return "";
}

bool JsonNestsDeeperThan(std::span<const std::uint8_t> json, int limit)
{
    int depth = 0;
    bool inString = false, escaped = false;
    for (const std::uint8_t c : json)
    {
        if (inString)
        {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        }
        else if (c == '"')
            inString = true;
        else if ((c == '[' || c == '{') && ++depth > limit)
            return true;
        else if ((c == ']' || c == '}') && depth > 0)
            --depth;
    }
    return false;
}

// The extensions whose content changes no vertex, face or mapping here:
// materials are read by name only, lights and images not at all. Mesh
// quantization is read: integer positions and coordinates.
bool IsGltfExtensionRead(const std::string& name)
{
    for (const char* read : {"KHR_mesh_quantization", "KHR_lights_punctual", "KHR_texture_basisu",
                             "EXT_texture_webp", "MSFT_texture_dds", "KHR_materials_variants"})
        if (name == read)
            return true;
    return name.rfind("KHR_materials_", 0) == 0;
}

std::string GltfExtensionNotRead(const std::string& name)
{
    return "Error reading input file, it needs the glTF extension " + name + ", which is not read.";
}

// The extensions a file needs are named before the library fails on what
// they change (a compressed mesh's accessors have no buffer views). And the
// library takes the address of an image's bytes before checking that the
// image's buffer view lies inside its buffer: images are not read here, but
// a file whose image views lie outside their buffers is refused. A file
// that needs neither check is not parsed twice.
GltfFailure PrescreenGltf(std::span<const std::uint8_t> json)
{
    const std::string_view text(reinterpret_cast<const char*>(json.data()), json.size());
    if (text.find("\"images\"") == std::string_view::npos &&
        text.find("\"extensionsRequired\"") == std::string_view::npos)
        return {};
    // Only what the checks need is kept: embedded data is dropped as it is read.
    const auto keep = [](int depth, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
        if (event != nlohmann::json::parse_event_t::key)
            return true;
        if (depth == 1)
            return parsed == "images" || parsed == "bufferViews" || parsed == "buffers" ||
                   parsed == "extensionsRequired";
        return parsed != "uri" && parsed != "extras" && parsed != "extensions";
    };
    const nlohmann::json document = nlohmann::json::parse(text.begin(), text.end(), keep, false);
    if (!document.is_object())
        return {}; // the library says what is wrong with it
    const auto array = [&](const char* name) {
        const auto found = document.find(name);
        return found != document.end() && found->is_array() ? *found : nlohmann::json::array();
    };
    const auto unsignedMember = [](const nlohmann::json& object, const char* name, std::uint64_t fallback) {
        if (!object.is_object())
            return fallback;
        const auto found = object.find(name);
        return found != object.end() && found->is_number_unsigned() ? found->get<std::uint64_t>() : fallback;
    };
    for (const nlohmann::json& name : array("extensionsRequired"))
        if (name.is_string() && !IsGltfExtensionRead(name.get<std::string>()))
            return {ErrorKind::NotAModel, GltfExtensionNotRead(name.get<std::string>())};
    const nlohmann::json images = array("images"), views = array("bufferViews"), buffers = array("buffers");
    constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();
    for (std::size_t i = 0; i < images.size(); ++i)
    {
        const std::uint64_t view = unsignedMember(images[i], "bufferView", kNone);
        if (view >= views.size())
            continue;
        const std::uint64_t buffer = unsignedMember(views[view], "buffer", kNone);
        if (buffer >= buffers.size())
            continue;
        const std::uint64_t offset = unsignedMember(views[view], "byteOffset", 0);
        const std::uint64_t bufferLength = unsignedMember(buffers[buffer], "byteLength", kNone);
        if (offset > bufferLength || unsignedMember(views[view], "byteLength", 0) > bufferLength - offset)
            return {ErrorKind::Damaged, kGltfNotValid + ("image " + std::to_string(i) + " lies outside its buffer.")};
    }
    return {};
}

CGltfBufferFiles::CGltfBufferFiles(const std::string& filePath, std::uint64_t bytesLeft)
    : m_folder(FolderOf(filePath)), m_bHasFolder(!filePath.empty()), m_bytesLeft(bytesLeft)
{
}

bool CGltfBufferFiles::Refuse(ErrorKind why, const std::string& text)
{
    if (m_failure.kind == ErrorKind::None)
        m_failure = {why, text};
    return false;
}

bool CGltfBufferFiles::Acceptable(const std::string& given)
{
    const std::string_view name = Plain(given);
    const std::string shown(name.substr(0, name.find('\0')));
    const std::string prefix = "Error reading input file, its buffer " + shown;
    if (!m_bHasFolder)
        return Refuse(ErrorKind::InputUnreadable,
                      prefix + " is a file beside it, and a file read from standard input has none.");
    // A scheme (http:) or a drive (C:) comes before any separator.
    const std::size_t colon = name.find(':');
    const bool url = colon != std::string_view::npos && name.find_first_of("/\\") > colon;
    bool climbs = false;
    for (std::size_t start = 0; start <= name.size();)
    {
        const std::size_t end = std::min(name.find_first_of("/\\", start), name.size());
        climbs = climbs || name.substr(start, end - start) == "..";
        start = end + 1;
    }
    if (name.empty() || url || name.front() == '/' || name.front() == '\\' || climbs ||
        name.find('\0') != std::string_view::npos)
        return Refuse(ErrorKind::InputUnreadable, prefix + " is not a file in its folder; only those are read.");
    return true;
}

bool CGltfBufferFiles::Exists(const std::string& name, void* files)
{
    return static_cast<CGltfBufferFiles*>(files)->Acceptable(name);
}

std::string CGltfBufferFiles::Expand(const std::string& name, void*)
{
    return name;
}

bool CGltfBufferFiles::Read(std::vector<unsigned char>* out, std::string*, const std::string& given, void* state)
{
    CGltfBufferFiles& files = *static_cast<CGltfBufferFiles*>(state);
    if (!files.Acceptable(given))
        return false;
    const std::string name(Plain(given));
    CInputFile file;
    if (!file.Open(files.m_folder + name))
        return files.Refuse(ErrorKind::InputUnreadable,
                            "Error reading input file, its buffer file " + name + " cannot be read.");
    if (file.GetLength() > files.m_bytesLeft)
        return files.Refuse(ErrorKind::TooLarge, "Error reading input file, with its buffer file " + name +
                                                     " it is larger than 256 MB, the most a glTF file may have.");
    files.m_bytesLeft -= file.GetLength();
    files.m_bytesRead += file.GetLength();
    out->assign(file.Bytes().begin(), file.Bytes().end());
    return true;
}

bool CGltfBufferFiles::Write(std::string*, const std::string&, const std::vector<unsigned char>&, void*)
{
    return false;
}
