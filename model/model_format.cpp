#include "model/model_format.h"

#include "model/gltf_model.h"
#include "model/model_3ds.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace
{
bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view signature)
{
    return bytes.size() >= signature.size() && std::equal(signature.begin(), signature.end(), bytes.begin());
}

// A JSON object whose members include "asset": what every glTF file has
// and hardly any other JSON file. Only the start is looked at, where
// exporters put it, so a large file is not read twice.
bool IsGltfJson(std::span<const std::uint8_t> bytes)
{
    const auto first = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return !std::isspace(byte); });
    if (first == bytes.end() || *first != '{')
        return false;
    constexpr std::size_t kLookedAt = 1 << 16;
    const std::string_view start(reinterpret_cast<const char*>(bytes.data()), std::min(bytes.size(), kLookedAt));
    return start.find("\"asset\"") != std::string_view::npos;
}

std::string LowerExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}
} // namespace

ModelFormat RecogniseFormat(std::span<const std::uint8_t> bytes, const std::string& path)
{
    if (StartsWith(bytes, "\x4D\x4D"))
        return ModelFormat::ThreeDs;
    if (StartsWith(bytes, "glTF"))
        return ModelFormat::Glb;
    if (IsGltfJson(bytes))
        return ModelFormat::Gltf;
    const std::string extension = LowerExtension(path);
    if (extension == "obj")
        return ModelFormat::Obj;
    if (extension == "gltf")
        return ModelFormat::Gltf;
    if (extension == "glb")
        return ModelFormat::Glb;
    return ModelFormat::ThreeDs;
}

const char* FormatName(ModelFormat format)
{
    switch (format)
    {
    case ModelFormat::ThreeDs:
        return "3ds";
    case ModelFormat::Obj:
        return "obj";
    case ModelFormat::Gltf:
        return "gltf";
    case ModelFormat::Glb:
        return "glb";
    case ModelFormat::Other:
        return "other";
    }
    return "";
}

std::unique_ptr<CLoadedModel> MakeModelSource(ModelFormat format, const ModelSourceOptions& options,
                                              CStatusSink* status, std::string* text)
{
    switch (format)
    {
    case ModelFormat::Gltf:
    case ModelFormat::Glb:
        return std::make_unique<CGltfModel>(status, text, options.keys, format == ModelFormat::Glb, options.path);
    case ModelFormat::ThreeDs:
    case ModelFormat::Obj:
    case ModelFormat::Other:
        break;
    }
    return std::make_unique<CModel3DS>(status, text, options.keys);
}
