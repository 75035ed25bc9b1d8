#include "model/assimp_model.h"

#include "model/face_attributes.h"
#include "platform/memory_advice.h"

#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cassert>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace
{
namespace fs = std::filesystem;

// The files an importer asks for beside the one it reads (the objects of a
// LightWave scene, say) are looked for in that file's folder and below it,
// never above it or elsewhere, and only read.
class CFolderIOSystem : public Assimp::DefaultIOSystem
{
public:
    explicit CFolderIOSystem(fs::path folder) : m_folder(std::move(folder)) {}

    bool Exists(const char* file) const override
    {
        const std::optional<std::string> path = Inside(file);
        return path && DefaultIOSystem::Exists(path->c_str());
    }

    Assimp::IOStream* Open(const char* file, const char* mode) override
    {
        const std::optional<std::string> path = Inside(file);
        if (!path || std::string_view(mode).find_first_of("wa+") != std::string_view::npos)
            return nullptr;
        return DefaultIOSystem::Open(path->c_str(), mode);
    }

private:
    std::optional<std::string> Inside(const char* file) const
    {
        if (m_folder.empty())
            return std::nullopt;
        std::string text(file);
        std::replace(text.begin(), text.end(), '\\', '/'); // names written on Windows
        const fs::path relative(text);
        if (relative.empty() || relative.has_root_directory() || relative.has_root_name())
            return std::nullopt;
        for (const fs::path& part : relative)
            if (part == "..")
                return std::nullopt;
        return (m_folder / relative).string();
    }

    fs::path m_folder;
};

// Node transforms are composed in double and rounded once, when a position
// is stored.
struct Transform
{
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
};

// parent × local, the local matrix's last row taken as (0, 0, 0, 1), as it
// is for every node transform that places an object.
Transform Compose(const Transform& parent, const aiMatrix4x4& local)
{
    const double l[3][4] = {{local.a1, local.a2, local.a3, local.a4},
                            {local.b1, local.b2, local.b3, local.b4},
                            {local.c1, local.c2, local.c3, local.c4}};
    Transform world;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            world.m[row][column] = parent.m[row][0] * l[0][column] + parent.m[row][1] * l[1][column] +
                                   parent.m[row][2] * l[2][column] + (column == 3 ? parent.m[row][3] : 0.0);
    return world;
}

// One object to be: a node that has meshes, where it stands, and what it
// will hold.
struct PlannedObject
{
    const aiNode* node = nullptr;
    Transform world;
    std::string name;
    std::uint64_t vertices = 0;
    std::uint64_t faces = 0;
};

// Vertices and faces of all objects together may be at most this many per
// byte of the file, beyond a floor: instancing (many nodes sharing one mesh)
// cannot then make a small file fill the memory.
constexpr std::uint64_t kElementsPerByte = 16;
constexpr std::uint64_t kElementFloor = std::uint64_t{1} << 20;

// A mesh whose arrays are missing, or one of whose faces has no corner or a
// corner past its vertices; null when every mesh is sound.
const aiMesh* BrokenMesh(const aiScene& scene)
{
    for (unsigned m = 0; m < scene.mNumMeshes; ++m)
    {
        const aiMesh* mesh = scene.mMeshes ? scene.mMeshes[m] : nullptr;
        if (!mesh)
            continue; // the node walk refuses a reference to it
        if ((mesh->mNumVertices > 0 && !mesh->mVertices) || (mesh->mNumFaces > 0 && !mesh->mFaces))
            return mesh;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f)
        {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices == 0 || !face.mIndices)
                return mesh;
            for (unsigned c = 0; c < face.mNumIndices; ++c)
                if (face.mIndices[c] >= mesh->mNumVertices)
                    return mesh;
        }
    }
    return nullptr;
}

bool IsPlyWithoutHeaderEnd(std::span<const std::uint8_t> bytes)
{
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return text.starts_with("ply") && text.find("end_header") == std::string_view::npos;
}

// An OFF file's header counts its vertices and faces, and the importer
// reserves room for them before it reads one: a count the file cannot hold
// (a vertex takes at least five bytes, "0 0 0", a face two) would take
// gigabytes for a file of a few hundred bytes.
bool IsOffCountingMoreThanItHolds(std::span<const std::uint8_t> bytes)
{
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::size_t at = text.find_first_not_of(" \t\r\n");
    const std::size_t wordEnd = text.find_first_of(" \t\r\n", at);
    if (at == std::string_view::npos || wordEnd == std::string_view::npos || wordEnd - at > 8 ||
        !text.substr(at, wordEnd - at).ends_with("OFF"))
        return false;
    std::uint64_t counts[2] = {0, 0};
    at = wordEnd;
    for (std::uint64_t& count : counts)
    {
        at = text.find_first_not_of(" \t\r\n", at);
        while (at != std::string_view::npos && text[at] == '#') // comment lines
            at = text.find_first_not_of(" \t\r\n", text.find('\n', at));
        if (at == std::string_view::npos || text[at] < '0' || text[at] > '9')
            return false;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && count <= bytes.size(); ++at)
            count = count * 10 + static_cast<std::uint64_t>(text[at] - '0');
    }
    return counts[0] > bytes.size() / 5 || counts[1] > bytes.size() / 2 ||
           counts[0] * 5 + counts[1] * 2 > bytes.size();
}

const char* ReasonOrUnknown(const char* reason)
{
    return reason && *reason ? reason : "the importer gives no reason";
}

std::string Counted(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}
} // namespace

CAssimpModel::CAssimpModel(CStatusSink* statusSink, std::string* text, KeyTracks keys, std::string path)
    : CLoadedModel(statusSink, text), m_keyTracks(keys), m_strPath(std::move(path))
{
}

int CAssimpModel::LoadFile(CInputFile* file, LoadMode mode)
{
    assert(!m_bLoadStarted && "LoadFile runs once per model");
    m_bLoadStarted = true;
    m_nMode = mode;

    const std::span<const std::uint8_t> bytes = file->Bytes();
    if (bytes.empty())
        return FailLoad(ErrorKind::NotAModel, "Error reading input file, it is empty.");
    const fs::path path(m_strPath);
    std::string hint = path.extension().string();
    hint.erase(0, hint.empty() ? 0 : 1);

    // The importer's PLY reader never ends on a header without its end.
    if (IsPlyWithoutHeaderEnd(bytes))
        return FailLoad(ErrorKind::Damaged, "Error reading input file, its PLY header has no end_header line.");
    if (IsOffCountingMoreThanItHolds(bytes))
        return FailLoad(ErrorKind::Damaged, "Error reading input file, its OFF header counts more vertices and faces than the file holds.");

    Assimp::Importer importer;
    // The pivots of an FBX node become nodes of their own otherwise, and the
    // mesh a node of another name.
    importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
    // A COLLADA node's name is what the modeller sees; its id is not.
    importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_USE_COLLADA_NAMES, true);
    // The importer owns its handler. Standard input has no folder.
    const fs::path folder = m_strPath.empty() ? fs::path() : path.parent_path().empty() ? fs::path(".") : path.parent_path();
    importer.SetIOHandler(new CFolderIOSystem(folder));
    const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, hint.c_str());
    if (!scene || !scene->mRootNode)
        return FailLoad(ErrorKind::NotAModel, std::string("Error reading input file, the importer cannot read it: ") +
                                                  ReasonOrUnknown(importer.GetErrorString()));
    // The importer's own steps assert what they rely on, ending the process,
    // and a damaged file can break it: the faces are checked first.
    if (const aiMesh* broken = BrokenMesh(*scene))
        return FailLoad(ErrorKind::Damaged, "Error reading input file, a face of mesh " +
                                                NameInMessages(broken->mName.C_Str()) +
                                                " names no vertex, or one its mesh does not have.");
    scene = importer.ApplyPostProcessing(aiProcess_Triangulate | aiProcess_JoinIdenticalVertices);
    if (!scene || !scene->mRootNode)
        return FailLoad(ErrorKind::Damaged, std::string("Error reading input file, the importer cannot read it: ") +
                                                ReasonOrUnknown(importer.GetErrorString()));

    // Depth first, a node before its children, the children in order; an
    // explicit stack, as a file decides how deep the nodes go.
    std::vector<PlannedObject> planned;
    std::uint64_t leftOut = 0, total = 0;
    std::vector<std::pair<const aiNode*, Transform>> stack{{scene->mRootNode, Compose(Transform{}, scene->mRootNode->mTransformation)}};
    while (!stack.empty())
    {
        const auto [node, world] = stack.back();
        stack.pop_back();
        for (unsigned i = node->mNumChildren; i-- > 0;)
            if (node->mChildren[i])
                stack.emplace_back(node->mChildren[i], Compose(world, node->mChildren[i]->mTransformation));
        if (node->mNumMeshes == 0)
            continue;
        PlannedObject object{.node = node, .world = world, .name = node->mName.C_Str()};
        for (unsigned i = 0; i < node->mNumMeshes; ++i)
        {
            if (node->mMeshes[i] >= scene->mNumMeshes || !scene->mMeshes[node->mMeshes[i]])
                return FailLoad(ErrorKind::Damaged, "Error reading input file, node " + NameInMessages(object.name) +
                                                        " refers to a mesh that the file does not have.");
            const aiMesh& mesh = *scene->mMeshes[node->mMeshes[i]];
            if (object.name.empty())
                object.name = mesh.mName.C_Str();
            object.vertices += mesh.mNumVertices;
            for (unsigned f = 0; f < mesh.mNumFaces; ++f)
            {
                const unsigned corners = mesh.mFaces[f].mNumIndices;
                object.faces += corners >= 3 ? corners - 2 : 0;
                leftOut += corners < 3 ? 1 : 0;
            }
        }
        if (object.faces == 0)
            continue; // points and lines alone, as an OBJ object without faces
        if (!CheckObjectSize(object.name, object.vertices, object.faces))
            return 0;
        if (mode == LoadMode::MorphSequence && !planned.empty() && object.vertices != planned.front().vertices)
            return FailLoad(ErrorKind::Damaged, "Error: Object point counts do not match");
        total += object.vertices + object.faces;
        if (total > kElementFloor + kElementsPerByte * bytes.size())
            return FailLoad(ErrorKind::TooLarge, "Error reading input file, its nodes place more than " +
                                                     std::to_string(kElementFloor + kElementsPerByte * bytes.size()) +
                                                     " vertices and faces, more than a file of its size may.");
        planned.push_back(std::move(object));
    }

    if (planned.empty())
        return FailLoad(ErrorKind::NotAModel, "Error reading input file, it holds no faces, and only faces are converted.");

    std::size_t meshBytes = 0;
    for (const PlannedObject& object : planned)
        meshBytes += MeshBytes(object.vertices, object.faces);
    MakeObjects(static_cast<int>(planned.size()), meshBytes);
    for (std::size_t i = 0; i < planned.size(); ++i)
    {
        ShowObjectProgress(i, planned.size());

        const PlannedObject& plan = planned[i];
        ModelObject& object = m_pObjects[i];
        NameObject(static_cast<int>(i), plan.name);
        object.vertexCount = static_cast<std::uint32_t>(plan.vertices);
        object.faceCount = static_cast<std::uint32_t>(plan.faces);
        ReserveFresh(object.vertices, object.vertexCount);
        ReserveFresh(object.faces, object.faceCount);
        const double(&m)[3][4] = plan.world.m;
        for (unsigned k = 0; k < plan.node->mNumMeshes; ++k)
        {
            const aiMesh& mesh = *scene->mMeshes[plan.node->mMeshes[k]];
            const auto base = static_cast<std::int32_t>(object.vertices.size());
            const aiVector3D* mapping = mesh.mTextureCoords[0];
            for (unsigned v = 0; v < mesh.mNumVertices; ++v)
            {
                const aiVector3D& p = mesh.mVertices[v];
                const auto x = static_cast<float>(m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3]);
                const auto y = static_cast<float>(m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3]);
                const auto z = static_cast<float>(m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]);
                // Y up turned to Z up, as for glTF.
                ModelVertex& vertex = object.vertices.emplace_back(ModelVertex{x, -z, y});
                if (mapping)
                {
                    vertex.u = mapping[v].x;
                    vertex.v = static_cast<float>(1.0 - static_cast<double>(mapping[v].y));
                }
            }
            ModelFace attributes;
            aiString material;
            if (mesh.mMaterialIndex < scene->mNumMaterials && scene->mMaterials[mesh.mMaterialIndex] &&
                scene->mMaterials[mesh.mMaterialIndex]->Get(AI_MATKEY_NAME, material) == AI_SUCCESS)
                DecodeFaceAttributes(material.C_Str(), attributes);
            for (unsigned f = 0; f < mesh.mNumFaces; ++f)
            {
                const aiFace& source = mesh.mFaces[f];
                for (unsigned c = 0; c < source.mNumIndices; ++c)
                    if (source.mIndices[c] >= mesh.mNumVertices)
                        return FailLoad(ErrorKind::Damaged, "Error reading input file, a face of object " + NameInMessages(plan.name) +
                                                                " uses a vertex that its mesh does not have.");
                // The importer has cut every polygon already; a fan keeps
                // whatever it left whole.
                for (unsigned c = 1; c + 1 < source.mNumIndices; ++c)
                {
                    ModelFace& face = object.faces.emplace_back();
                    face.index[0] = base + static_cast<std::int32_t>(source.mIndices[0]);
                    face.index[1] = base + static_cast<std::int32_t>(source.mIndices[c]);
                    face.index[2] = base + static_cast<std::int32_t>(source.mIndices[c + 1]);
                    CopyFaceAttributes(attributes, face);
                }
            }
        }
    }
    StandStill(m_keyTracks);
    if (leftOut > 0)
        AddWarning("Warning: " + Counted(leftOut, "point or line", "points and lines") +
                   " left out: only faces of three or more corners are converted");
    return FinishLoad();
}
