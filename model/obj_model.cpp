#include "model/obj_model.h"

#include "model/face_attributes.h"
#include "platform/memory_advice.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <istream>
#include <span>
#include <streambuf>
#include <string_view>
#include <unordered_map>
#include <vector>

#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>

namespace
{
// A corner's references, counted from 0: no texture coordinate or normal is
// kNone, and a reference before the first element of its list is kBefore,
// which no list holds.
constexpr std::int32_t kNone = -1;
constexpr std::int32_t kBefore = -2;

struct Corner
{
    std::int32_t position;
    std::int32_t texture;
    std::int32_t normal;
    bool operator==(const Corner&) const = default;
};

struct CornerHash
{
    std::size_t operator()(const Corner& corner) const
    {
        const std::uint64_t packed = (std::uint64_t(std::uint32_t(corner.position)) << 32) ^
                                     (std::uint64_t(std::uint32_t(corner.texture)) << 16) ^
                                     std::uint32_t(corner.normal);
        return std::hash<std::uint64_t>()(packed * 0x9E3779B97F4A7C15ull);
    }
};

// An "o" or "g" statement: the faces from firstTriangle on belong to it.
struct Statement
{
    std::size_t firstTriangle;
    bool object; // "o"; else "g"
    std::string name;
};

// What one load collects from the file before any object is made; it dies
// with the load.
struct ObjParse
{
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 2>> textureCoordinates;
    std::int64_t normalCount = 0;
    std::vector<std::array<Corner, 3>> triangles;
    // Per triangle, its attributes in materials; entry 0 codes nothing.
    std::vector<std::uint32_t> triangleMaterials;
    std::vector<ModelFace> materials{ModelFace{}};
    std::unordered_map<std::string, std::uint32_t> materialByName;
    std::uint32_t currentMaterial = 0;
    std::vector<Statement> statements;
    std::uint64_t shortFaces = 0; // faces of fewer than three corners
    std::vector<Corner> polygon;  // the face being cut, reused
};

// The file's bytes as a stream, without a copy.
class CSpanBuffer : public std::streambuf
{
public:
    explicit CSpanBuffer(std::span<const std::uint8_t> bytes)
    {
        // The buffer is only ever read.
        char* start = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
        setg(start, start, start + bytes.size());
    }
};

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// An OBJ reference counts from 1, or back from the element read last when
// negative; 0 gives none.
std::int32_t Resolve(int reference, std::size_t countSoFar)
{
    if (reference > 0)
        return reference - 1;
    if (reference == 0)
        return kNone;
    const std::int64_t index = static_cast<std::int64_t>(countSoFar) + reference;
    return index >= 0 ? static_cast<std::int32_t>(index) : kBefore;
}

ObjParse& ParseOf(void* user)
{
    return *static_cast<ObjParse*>(user);
}

void OnPosition(void* user, tinyobj::real_t x, tinyobj::real_t y, tinyobj::real_t z, tinyobj::real_t)
{
    ParseOf(user).positions.push_back({x, y, z});
}

void OnNormal(void* user, tinyobj::real_t, tinyobj::real_t, tinyobj::real_t)
{
    ++ParseOf(user).normalCount;
}

void OnTextureCoordinate(void* user, tinyobj::real_t u, tinyobj::real_t v, tinyobj::real_t)
{
    ParseOf(user).textureCoordinates.push_back({u, v});
}

// A polygon becomes a fan from its first corner, in its own winding.
void OnFace(void* user, tinyobj::index_t* indices, int count)
{
    ObjParse& parse = ParseOf(user);
    if (count < 3)
    {
        ++parse.shortFaces;
        return;
    }
    parse.polygon.clear();
    for (int i = 0; i < count; ++i)
    {
        const tinyobj::index_t& index = indices[i];
        const std::int32_t position = Resolve(index.vertex_index, parse.positions.size());
        parse.polygon.push_back({position == kNone ? kBefore : position,
                                 Resolve(index.texcoord_index, parse.textureCoordinates.size()),
                                 Resolve(index.normal_index, static_cast<std::size_t>(parse.normalCount))});
    }
    for (std::size_t i = 1; i + 1 < parse.polygon.size(); ++i)
    {
        parse.triangles.push_back({parse.polygon[0], parse.polygon[i], parse.polygon[i + 1]});
        parse.triangleMaterials.push_back(parse.currentMaterial);
    }
}

// The attributes a material's name codes, as a .3DS material group of that
// name gives its faces; a name that codes nothing leaves them zero.
void OnMaterial(void* user, const char* name, int)
{
    ObjParse& parse = ParseOf(user);
    const std::string key(Trimmed(name));
    const auto [found, added] = parse.materialByName.try_emplace(key, 0);
    if (added)
    {
        ModelFace attributes;
        if (DecodeFaceAttributes(key, attributes))
        {
            found->second = static_cast<std::uint32_t>(parse.materials.size());
            parse.materials.push_back(attributes);
        }
    }
    parse.currentMaterial = found->second;
}

void OnGroup(void* user, const char** names, int count)
{
    std::string name;
    for (int i = 0; i < count; ++i)
        name += (i > 0 ? " " : "") + std::string(names[i]);
    ObjParse& parse = ParseOf(user);
    parse.statements.push_back({parse.triangles.size(), false, std::move(name)});
}

void OnObject(void* user, const char* name)
{
    ObjParse& parse = ParseOf(user);
    parse.statements.push_back({parse.triangles.size(), true, std::string(Trimmed(name))});
}

// Points and lines, which the reader passes over: lines of the file whose
// statement is "p" or "l", split as the reader splits them.
struct LeftOut
{
    std::uint64_t points = 0;
    std::uint64_t lines = 0;
};

LeftOut CountPointsAndLines(std::span<const std::uint8_t> bytes)
{
    LeftOut left;
    std::size_t i = 0;
    while (i < bytes.size())
    {
        while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t'))
            ++i;
        if (i + 1 < bytes.size() && (bytes[i] == 'p' || bytes[i] == 'l') && (bytes[i + 1] == ' ' || bytes[i + 1] == '\t'))
            ++(bytes[i] == 'p' ? left.points : left.lines);
        while (i < bytes.size() && bytes[i] != '\n' && bytes[i] != '\r')
            ++i;
        ++i; // "\r\n" leaves an empty line behind, which counts nothing
    }
    return left;
}

std::string Counted(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// One object to be: its faces, a run of the parse's triangles, and its
// vertices, each a distinct corner in the order the faces first use it.
struct PlannedObject
{
    std::string name;
    std::size_t firstTriangle = 0;
    std::size_t lastTriangle = 0;
    std::vector<Corner> vertices;
    std::vector<std::uint32_t> cornerVertices; // three per triangle
};

// Objects by "o" where the file has any, else by "g"; the faces before the
// first statement that counts make an unnamed object.
std::vector<PlannedObject> PlanObjects(const ObjParse& parse)
{
    const bool byObject = std::any_of(parse.statements.begin(), parse.statements.end(),
                                      [](const Statement& statement) { return statement.object; });
    std::vector<PlannedObject> planned(1);
    for (const Statement& statement : parse.statements)
        if (statement.object == byObject)
        {
            PlannedObject& object = planned.emplace_back();
            object.name = statement.name;
            object.firstTriangle = statement.firstTriangle;
        }
    for (std::size_t i = 0; i < planned.size(); ++i)
        planned[i].lastTriangle = i + 1 < planned.size() ? planned[i + 1].firstTriangle : parse.triangles.size();
    std::erase_if(planned, [](const PlannedObject& object) { return object.lastTriangle == object.firstTriangle; });
    return planned;
}

bool Refers(const Corner& corner, const ObjParse& parse)
{
    return corner.position >= 0 && static_cast<std::size_t>(corner.position) < parse.positions.size() &&
           (corner.texture == kNone ||
            (corner.texture >= 0 && static_cast<std::size_t>(corner.texture) < parse.textureCoordinates.size())) &&
           (corner.normal == kNone || (corner.normal >= 0 && corner.normal < parse.normalCount));
}

ModelVertex MakeVertex(const Corner& corner, const ObjParse& parse, UpAxis up)
{
    const std::array<float, 3>& p = parse.positions[static_cast<std::size_t>(corner.position)];
    ModelVertex vertex = up == UpAxis::Y ? ModelVertex{p[0], -p[2], p[1]} : ModelVertex{p[0], p[1], p[2]};
    if (corner.texture != kNone)
    {
        const std::array<float, 2>& mapping = parse.textureCoordinates[static_cast<std::size_t>(corner.texture)];
        vertex.u = mapping[0];
        // As the .3DS reader turns a stored v.
        vertex.v = static_cast<float>(1.0 - static_cast<double>(mapping[1]));
    }
    return vertex;
}
} // namespace

CObjModel::CObjModel(CStatusSink* statusSink, std::string* text, KeyTracks keys, UpAxis up)
    : CLoadedModel(statusSink, text), m_keyTracks(keys), m_up(up)
{
}

int CObjModel::LoadFile(CInputFile* file, LoadMode mode)
{
    assert(!m_bLoadStarted && "LoadFile runs once per model");
    m_bLoadStarted = true;
    m_nMode = mode;

    std::span<const std::uint8_t> bytes = file->Bytes();
    // Some exporters begin the text with a UTF-8 byte order mark, which
    // would hide the first statement.
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        bytes = bytes.subspan(3);
    ObjParse parse;
    {
        CSpanBuffer buffer(bytes);
        std::istream stream(&buffer);
        tinyobj::callback_t callbacks;
        callbacks.vertex_cb = OnPosition;
        callbacks.normal_cb = OnNormal;
        callbacks.texcoord_cb = OnTextureCoordinate;
        callbacks.index_cb = OnFace;
        callbacks.usemtl_cb = OnMaterial;
        callbacks.group_cb = OnGroup;
        callbacks.object_cb = OnObject;
        // Without a material reader no .mtl is opened: the names are all
        // that is used of the materials, and "usemtl" gives them.
        std::string warnings, errors;
        if (!tinyobj::LoadObjWithCallback(stream, callbacks, &parse, nullptr, &warnings, &errors))
            return FailLoad(ErrorKind::NotAModel, "Error reading input file, it is not a valid OBJ file: " + errors);
    }
    if (parse.triangles.empty())
        return FailLoad(ErrorKind::NotAModel, parse.positions.empty()
                                                  ? "Error reading input file, it does not appear to be an OBJ file."
                                                  : "Error reading input file, it holds no faces, and only faces are "
                                                    "converted.");

    std::vector<PlannedObject> planned = PlanObjects(parse);
    std::size_t meshBytes = 0;
    for (PlannedObject& object : planned)
    {
        const std::size_t faces = object.lastTriangle - object.firstTriangle;
        std::unordered_map<Corner, std::uint32_t, CornerHash> vertexOf;
        vertexOf.reserve(3 * faces);
        object.cornerVertices.reserve(3 * faces);
        for (std::size_t t = object.firstTriangle; t < object.lastTriangle; ++t)
        {
            for (const Corner& corner : parse.triangles[t])
            {
                if (!Refers(corner, parse))
                    return FailLoad(ErrorKind::Damaged,
                                    "Error reading input file, a face of object " + NameInMessages(object.name) +
                                        " uses a position, texture coordinate or normal that the file does not have.");
                const auto [found, added] =
                    vertexOf.try_emplace(corner, static_cast<std::uint32_t>(object.vertices.size()));
                if (added)
                    object.vertices.push_back(corner);
                object.cornerVertices.push_back(found->second);
            }
        }
        if (!CheckObjectSize(object.name, object.vertices.size(), faces))
            return 0;
        if (mode == LoadMode::MorphSequence && object.vertices.size() != planned.front().vertices.size())
            return FailLoad(ErrorKind::Damaged, "Error: Object point counts do not match");
        meshBytes += MeshBytes(object.vertices.size(), faces);
    }

    MakeObjects(static_cast<int>(planned.size()), meshBytes);
    for (std::size_t i = 0; i < planned.size(); ++i)
    {
        ShowObjectProgress(i, planned.size());

        const PlannedObject& plan = planned[i];
        ModelObject& object = m_pObjects[i];
        NameObject(static_cast<int>(i), plan.name);
        object.vertexCount = static_cast<std::uint32_t>(plan.vertices.size());
        ReserveFresh(object.vertices, plan.vertices.size());
        for (const Corner& corner : plan.vertices)
            object.vertices.push_back(MakeVertex(corner, parse, m_up));
        object.faceCount = static_cast<std::uint32_t>(plan.lastTriangle - plan.firstTriangle);
        ReserveFresh(object.faces, object.faceCount);
        for (std::size_t t = plan.firstTriangle, k = 0; t < plan.lastTriangle; ++t)
        {
            ModelFace& face = object.faces.emplace_back();
            for (std::int32_t& index : face.index)
                index = static_cast<std::int32_t>(plan.cornerVertices[k++]);
            CopyFaceAttributes(parse.materials[parse.triangleMaterials[t]], face);
        }
    }
    StandStill(m_keyTracks);

    const LeftOut left = CountPointsAndLines(bytes);
    std::vector<std::string> parts;
    if (left.points > 0)
        parts.push_back(Counted(left.points, "point", "points"));
    if (left.lines > 0)
        parts.push_back(Counted(left.lines, "line", "lines"));
    if (parse.shortFaces > 0)
        parts.push_back(Counted(parse.shortFaces, "face", "faces") + " of fewer than three corners");
    if (!parts.empty())
    {
        std::string text = "Warning: ";
        for (std::size_t i = 0; i < parts.size(); ++i)
            text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
        AddWarning(text + " left out: only faces of three or more corners are converted");
    }
    return FinishLoad();
}
