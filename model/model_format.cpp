#include "model/model_format.h"

#include "model/gltf_model.h"
#include "model/model_3ds.h"
#include "model/obj_model.h"
#if TESSALINE_WITH_ASSIMP
#include "model/assimp_model.h"
#endif

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

// What the general importer reads, by extension, less the formats read by
// sources of their own and names too common to mean a model (.xml, and .raw,
// which is what a model text file's texture is called). The formats that
// modellers export most have entries of their own in file choosers.
const std::vector<FileKind>& OtherFileKinds()
{
    static const std::vector<FileKind> kinds = {
        {"FBX", {"fbx"}},
        {"COLLADA", {"dae", "zae"}},
        {"PLY", {"ply"}},
        {"STL", {"stl"}},
        {"Other Model",
         {"3d",  "3mf", "ac",  "ac3d", "acc",  "amf",  "ase", "ask",  "b3d",  "blend", "bsp",     "cob",
          "csm", "dxf", "enff", "hmp",  "ifc",  "ifczip", "iqm", "irr", "irrmesh", "lwo", "lws", "lxo",
          "md2", "md3", "md5mesh", "mdc", "mdl", "ms3d", "ndo", "nff", "off", "ogex", "pk3", "pmx",
          "q3o", "q3s", "sib", "smd", "step", "stp", "ter", "uc",  "x",   "x3d", "x3db", "xgl", "zgl"}},
    };
    return kinds;
}

bool IsOtherExtension(const std::string& extension)
{
    for (const FileKind& kind : OtherFileKinds())
        if (std::find(kind.extensions.begin(), kind.extensions.end(), extension) != kind.extensions.end())
            return true;
    return false;
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
    if (IsOtherExtension(extension))
        return ModelFormat::Other;
    return ModelFormat::ThreeDs;
}

const std::vector<FileKind>& ReadFileKinds()
{
    static const std::vector<FileKind> kinds = [] {
        std::vector<FileKind> all = {{".3DS", {"3ds"}}, {"OBJ", {"obj"}}, {"glTF", {"gltf", "glb"}}};
        if (TESSALINE_WITH_ASSIMP)
            all.insert(all.end(), OtherFileKinds().begin(), OtherFileKinds().end());
        return all;
    }();
    return kinds;
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
    case ModelFormat::Obj:
        return std::make_unique<CObjModel>(status, text, options.keys, options.objUp);
    case ModelFormat::Other:
#if TESSALINE_WITH_ASSIMP
        return std::make_unique<CAssimpModel>(status, text, options.keys, options.path);
#else
        break; // not read by this build: the .3DS reader says the file is none of its
#endif
    case ModelFormat::ThreeDs:
        break;
    }
    return std::make_unique<CModel3DS>(status, text, options.keys);
}
