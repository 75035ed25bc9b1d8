// The glTF source: tinygltf parses the file, this reader checks what it
// parsed and makes the model. Nothing else includes the library's header.
#include "model/gltf_model.h"

#include "model/face_attributes.h"
#include "model/gltf_input.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstring>
#include <fstream> // the library's writing functions need it, though files are never written
#include <limits>
#include <map>
#include <new>
#include <span>
#include <stdexcept>
#include <string_view>

// Images are never decoded, nor read from files: only meshes, nodes and
// animations are converted. The library reads no file by itself either:
// buffer files come through CGltfBufferFiles.
#define TINYGLTF_IMPLEMENTATION
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#define TINYGLTF_NO_FS
#define TINYGLTF_USE_CPP14
#include <tiny_gltf.h>

namespace
{
// A .3DS file keeps 12 characters of an object's name.
constexpr std::size_t kStoredNameLength = 12;
// glTF itself nests a few levels; the rest is room for extras. The library
// converts extras recursively, so the depth must be bounded before it sees
// the file.
constexpr int kMaxJsonDepth = 64;

std::string Count(std::uint64_t value)
{
    return std::to_string(value);
}

// The first line of a library message, without the line break: the library
// ends its messages with one and sometimes adds more.
std::string FirstLine(const std::string& text)
{
    std::size_t start = text.find_first_not_of("\r\n \t");
    if (start == std::string::npos)
        return "the reader gave no reason";
    const std::size_t end = text.find_first_of("\r\n", start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '.'))
        line.pop_back();
    return line + ".";
}

// What the library says when the bytes are no glTF document at all, rather
// than a document with broken parts.
bool IsNotGltf(const std::string& reason)
{
    for (const char* phrase : {"parse_error", "JSON string too short", "Root element is not a JSON object",
                               "\"asset\" object not found", "Failed to parse JSON object", "Invalid magic",
                               "Too short data size for glTF Binary", "Invalid glTF binary"})
        if (reason.find(phrase) != std::string::npos)
            return true;
    return false;
}

bool SkipImage(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*)
{
    return true;
}

// The name as a .3DS file of the scene leaves it in the model: its first 12
// characters (up to a NUL, where a .3DS name ends). The writer takes the
// _T and _E flags from the name it is given, so a flag of the whole name
// that lies past those characters is appended: the written name, which ends
// at the first '_', stays as it is cut.
std::string StoredName(const std::string& whole, bool& cut)
{
    const std::string name = whole.substr(0, whole.find('\0'));
    cut = name.size() > kStoredNameLength;
    std::string stored = name.substr(0, kStoredNameLength);
    for (const char* flag : {"_T", "_E"})
        if (name.find(flag) != std::string::npos && stored.find(flag) == std::string::npos)
            stored += flag;
    return stored;
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b)
{
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

// The component types an accessor may have where it is read.
enum ComponentSet : unsigned
{
    kFloat = 1u << 0,
    kSignedByte = 1u << 1,
    kUnsignedByte = 1u << 2,
    kSignedShort = 1u << 3,
    kUnsignedShort = 1u << 4,
    kUnsignedInt = 1u << 5,
};

unsigned ComponentBit(int componentType)
{
    switch (componentType)
    {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return kFloat;
    case TINYGLTF_COMPONENT_TYPE_BYTE: return kSignedByte;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return kUnsignedByte;
    case TINYGLTF_COMPONENT_TYPE_SHORT: return kSignedShort;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return kUnsignedShort;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: return kUnsignedInt;
    default: return 0;
    }
}

std::size_t ComponentBytes(int componentType)
{
    switch (componentType)
    {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    default: return 4;
    }
}

// One component as a number; normalized integers become fractions as glTF
// defines them, the signed ones clamped at -1.
double LoadComponent(const std::uint8_t* at, int componentType, bool normalized)
{
    const auto word = [&] { return static_cast<std::uint16_t>(at[0] | at[1] << 8); };
    const auto dword = [&] {
        return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
    };
    switch (componentType)
    {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return double{std::bit_cast<float>(dword())};
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
        const double value = static_cast<std::int8_t>(at[0]);
        return normalized ? std::max(value / 127.0, -1.0) : value;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return normalized ? at[0] / 255.0 : static_cast<double>(at[0]);
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
        const double value = static_cast<std::int16_t>(word());
        return normalized ? std::max(value / 32767.0, -1.0) : value;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return normalized ? word() / 65535.0 : static_cast<double>(word());
    default: return static_cast<double>(dword());
    }
}

int TypeComponents(int type)
{
    switch (type)
    {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    default: return 0;
    }
}

// What a primitive adds to its object, counted before anything is read.
struct PrimitivePlan
{
    bool triangles = false;
    bool sharesVertices = false; // its attributes are an earlier primitive's
    std::uint64_t vertices = 0;
    std::uint64_t faces = 0;
};

struct MeshPlan
{
    std::vector<PrimitivePlan> primitives;
    std::uint64_t vertices = 0;
    std::uint64_t faces = 0;
};

// A mesh read once, however many nodes show it: its points as stored, their
// texture coordinates, and its faces.
struct MeshData
{
    std::vector<std::array<float, 3>> points;
    std::vector<std::array<float, 2>> mapping;
    std::vector<ModelFace> faces;
};

// A node reached from the scene, in depth-first order.
struct WalkedNode
{
    int node = -1;
    int parent = -1; // in the walk
};
} // namespace

// One load of a glTF file into a CGltfModel: the parsed document, the walk
// of its scene, the plans and meshes read, and the budgets of the load live
// here and die with it.
class CGltfReader
{
public:
    CGltfReader(CGltfModel& model, std::uint64_t fileBytes) : m_model(model), m_fileBytes(fileBytes) {}

    // The load's result, 1 or 0 (the model then holds why).
    int Parse(std::span<const std::uint8_t> bytes);

private:
    // Each step returns 0 when it fails, the failure kept here until the
    // load ends with it.
    int Fail(ErrorKind kind, const std::string& message)
    {
        m_failure = {kind, message};
        return 0;
    }
    int Read(std::span<const std::uint8_t> bytes);
    int Damaged(const std::string& reason) { return Fail(ErrorKind::Damaged, kGltfNotValid + reason); }
    int ParseDocument(std::span<const std::uint8_t> bytes);
    int CheckDocument();
    int WalkScene();
    int ReadRestTransform(const tinygltf::Node& node, int index, GltfTransform& transform);
    int PlanMesh(int meshIndex);
    int PlanObjects();
    int ReadMesh(int meshIndex, MeshData& mesh);
    int ReadPrimitive(const tinygltf::Primitive& primitive, const PrimitivePlan& plan, int meshIndex,
                      std::map<std::pair<int, int>, std::uint32_t>& shared, MeshData& mesh);
    int FillObjects();
    int ReadAnimation();
    int ReadTrack(const tinygltf::AnimationSampler& sampler, GltfPath path, bool values, GltfTrack& track);
    std::vector<int> PlacedNodes() const;
    void KeepMotion(const std::vector<int>& placed);
    int PlanKeys();

    template <typename T>
    int ReadAccessor(int index, int type, unsigned components, std::uint64_t maxCount, std::vector<T>& out);
    std::string LocateElements(int viewIndex, std::size_t byteOffset, std::size_t count, std::size_t elementBytes,
                               bool strided, const std::uint8_t*& data, std::size_t& stride) const;
    std::string NodeName(int walked) const;
    // How a message names the object a walked node makes.
    std::string ObjectLabel(int walked) const;

    CGltfModel& m_model;
    GltfFailure m_failure;
    std::uint64_t m_fileBytes;
    std::uint64_t m_keyBudget = 0; // the key times and values left to read, in numbers
    tinygltf::Model m_document;
    std::vector<WalkedNode> m_walk;
    std::vector<int> m_walkIndex; // by node: its index in the walk, or -1
    std::vector<GltfTransform> m_rest;
    std::map<int, MeshPlan> m_meshPlans;
    std::vector<int> m_objectWalk; // by object: its node in the walk
    std::map<int, MeshData> m_meshes;
    std::vector<int> m_tracks[3]; // by GltfPath, by walk index: the node's track, or -1
    std::vector<GltfTrack> m_trackList;
    double m_endTime = 0.0;
    int m_pointsAndLines = 0;
    int m_channelsLeftOut = 0;
    bool m_morphTargets = false;
    bool m_skins = false;
};

int CGltfReader::Parse(std::span<const std::uint8_t> bytes)
{
    if (!Read(bytes))
        return m_model.FailLoad(m_failure.kind, m_failure.message);
    return m_model.FinishLoad();
}

int CGltfReader::Read(std::span<const std::uint8_t> bytes)
{
    if (!ParseDocument(bytes) || !CheckDocument() || !WalkScene() || !PlanObjects() || !FillObjects())
        return 0;
    if (m_model.m_nMode == LoadMode::MorphSequence)
        for (const ModelObject& object : m_model.m_pObjects)
            if (object.vertexCount != m_model.m_pObjects.front().vertexCount)
                return Fail(ErrorKind::Damaged, "Error: Object point counts do not match");
    if (!ReadAnimation())
        return 0;
    if (m_pointsAndLines > 0)
        m_model.AddWarning("Warning: " + Count(m_pointsAndLines) +
                           (m_pointsAndLines == 1 ? " primitive of points or lines was" : " primitives of points or lines were") +
                           " left out");
    if (m_skins)
        m_model.AddWarning("Warning: skins were left out; skinned meshes are converted in their bind pose");
    if (m_morphTargets)
        m_model.AddWarning("Warning: morph targets were left out; meshes are converted without them");
    if (m_model.m_bKeysRead && m_channelsLeftOut > 0)
        m_model.AddWarning("Warning: " + Count(m_channelsLeftOut) +
                           (m_channelsLeftOut == 1 ? " animation channel was" : " animation channels were") +
                           " left out: an earlier channel animates the same property");
    return 1;
}

int CGltfReader::ParseDocument(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > CGltfModel::kMaxFileBytes)
        return Fail(ErrorKind::TooLarge, "Error reading input file, it is larger than 256 MB, the most a glTF file may have.");
    std::span<const std::uint8_t> json = bytes;
    std::uint32_t binaryLength = 0;
    if (m_model.m_bBinary)
    {
        if (bytes.size() < 4 || std::memcmp(bytes.data(), "glTF", 4) != 0)
            return Fail(ErrorKind::NotAModel, std::string(kGltfNotValid) + "it does not begin as a binary glTF file does.");
        if (const std::string wrong = CheckGltfBinaryLayout(bytes, json, binaryLength); !wrong.empty())
            return Fail(ErrorKind::NotAModel, kGltfNotValid + wrong);
    }
    if (JsonNestsDeeperThan(json, kMaxJsonDepth))
        return Damaged("its JSON nests deeper than " + Count(kMaxJsonDepth) + " levels.");
    if (GltfFailure refused = PrescreenGltf(json); refused.kind != ErrorKind::None)
    {
        m_failure = std::move(refused);
        return 0;
    }

    CGltfBufferFiles files(m_model.m_path, CGltfModel::kMaxFileBytes - bytes.size());
    tinygltf::TinyGLTF loader;
    loader.SetFsCallbacks({&CGltfBufferFiles::Exists, &CGltfBufferFiles::Expand, &CGltfBufferFiles::Read,
                           &CGltfBufferFiles::Write, &files});
    loader.SetImageLoader(&SkipImage, nullptr);
    std::string error, warning;
    bool parsed = false;
    try
    {
        // Buffer files are named relative to the file; the callbacks add its folder.
        parsed = m_model.m_bBinary
                     ? loader.LoadBinaryFromMemory(&m_document, &error, &warning, bytes.data(), binaryLength, "")
                     : loader.LoadASCIIFromString(&m_document, &error, &warning,
                                                  reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<unsigned int>(bytes.size()), "");
    }
    catch (const std::bad_alloc&)
    {
        throw;
    }
    catch (const std::length_error&)
    {
        throw;
    }
    catch (const std::exception& thrown)
    {
        // The library indexes a few arrays with at(): an empty image or binary
        // chunk ends there.
        error = thrown.what();
    }
    if (files.Failure().kind != ErrorKind::None)
        return Fail(files.Failure().kind, files.Failure().message);
    if (!parsed)
        return Fail(IsNotGltf(error) ? ErrorKind::NotAModel : ErrorKind::Damaged, kGltfNotValid + FirstLine(error));
    m_fileBytes += files.BytesRead();
    // The numbers of an animation take a byte or more each in the file;
    // accessors without data, which glTF allows, come from the same budget.
    m_keyBudget = (1u << 18) + m_fileBytes;
    return 1;
}

int CGltfReader::CheckDocument()
{
    const std::string& version = m_document.asset.version;
    if (version.rfind("2.", 0) != 0 && version != "2")
        return Fail(ErrorKind::NotAModel,
                    "Error reading input file, it is glTF version " + version + ", and only version 2 is read.");
    for (const std::string& extension : m_document.extensionsRequired)
        if (!IsGltfExtensionRead(extension))
            return Fail(ErrorKind::NotAModel, GltfExtensionNotRead(extension));
    return 1;
}

// Depth first from the scene's root nodes, each node before its children,
// on a stack of its own: a file cannot deepen the call stack.
int CGltfReader::WalkScene()
{
    const auto& nodes = m_document.nodes;
    std::vector<int> roots;
    if (m_document.defaultScene >= 0 || !m_document.scenes.empty())
    {
        const auto scene = static_cast<std::size_t>(std::max(m_document.defaultScene, 0));
        if (scene >= m_document.scenes.size())
            return Damaged("its scene " + Count(scene) + " does not exist.");
        roots = m_document.scenes[scene].nodes;
    }
    else
    {
        // Without scenes, every node that is no other node's child.
        std::vector<bool> child(nodes.size(), false);
        for (const tinygltf::Node& node : nodes)
            for (const int index : node.children)
                if (index >= 0 && static_cast<std::size_t>(index) < nodes.size())
                    child[static_cast<std::size_t>(index)] = true;
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (!child[i])
                roots.push_back(static_cast<int>(i));
    }
    m_walkIndex.assign(nodes.size(), -1);
    std::vector<WalkedNode> stack;
    for (auto root = roots.rbegin(); root != roots.rend(); ++root)
        stack.push_back({*root, -1});
    while (!stack.empty())
    {
        const WalkedNode next = stack.back();
        stack.pop_back();
        if (next.node < 0 || static_cast<std::size_t>(next.node) >= nodes.size())
            return Damaged("it refers to node " + std::to_string(next.node) +
                           ", which does not exist.");
        int& walked = m_walkIndex[static_cast<std::size_t>(next.node)];
        if (walked >= 0)
            return Damaged("node " + std::to_string(next.node) +
                           " is reached twice: its nodes do not form trees.");
        walked = static_cast<int>(m_walk.size());
        m_walk.push_back(next);
        const tinygltf::Node& node = nodes[static_cast<std::size_t>(next.node)];
        GltfTransform transform;
        if (!ReadRestTransform(node, next.node, transform))
            return 0;
        m_rest.push_back(transform);
        for (auto child = node.children.rbegin(); child != node.children.rend(); ++child)
            stack.push_back({*child, walked});
    }
    return 1;
}

int CGltfReader::ReadRestTransform(const tinygltf::Node& node, int index, GltfTransform& transform)
{
    const auto wrong = [&](const char* what) {
        return Damaged("node " + std::to_string(index) + " has a " + what +
                       " of the wrong length.");
    };
    if (!node.matrix.empty())
    {
        if (node.matrix.size() != 16)
            return wrong("matrix");
        transform.hasMatrix = true;
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 4; ++column)
                transform.matrix(row, column) = node.matrix[static_cast<std::size_t>(4 * column + row)];
        return 1;
    }
    if (!node.translation.empty() && node.translation.size() != 3)
        return wrong("translation");
    if (!node.rotation.empty() && node.rotation.size() != 4)
        return wrong("rotation");
    if (!node.scale.empty() && node.scale.size() != 3)
        return wrong("scale");
    std::copy(node.translation.begin(), node.translation.end(), transform.translation.begin());
    std::copy(node.rotation.begin(), node.rotation.end(), transform.rotation.begin());
    std::copy(node.scale.begin(), node.scale.end(), transform.scale.begin());
    return 1;
}

// Counts a mesh's vertices and faces from its accessors' counts alone.
int CGltfReader::PlanMesh(int meshIndex)
{
    if (m_meshPlans.count(meshIndex))
        return 1;
    if (meshIndex < 0 || static_cast<std::size_t>(meshIndex) >= m_document.meshes.size())
        return Damaged("a node refers to mesh " + std::to_string(meshIndex) +
                       ", which does not exist.");
    MeshPlan plan;
    std::map<std::pair<int, int>, bool> seen;
    const auto accessorCount = [&](int index, std::uint64_t& count) {
        if (index < 0 || static_cast<std::size_t>(index) >= m_document.accessors.size())
            return false;
        count = m_document.accessors[static_cast<std::size_t>(index)].count;
        return true;
    };
    for (const tinygltf::Primitive& primitive : m_document.meshes[static_cast<std::size_t>(meshIndex)].primitives)
    {
        PrimitivePlan counted;
        m_morphTargets = m_morphTargets || !primitive.targets.empty();
        if (primitive.mode >= TINYGLTF_MODE_POINTS && primitive.mode <= TINYGLTF_MODE_LINE_STRIP)
        {
            ++m_pointsAndLines;
            plan.primitives.push_back(counted);
            continue;
        }
        if (primitive.mode < TINYGLTF_MODE_TRIANGLES || primitive.mode > TINYGLTF_MODE_TRIANGLE_FAN)
            return Damaged("a primitive of mesh " + std::to_string(meshIndex) + " has mode " +
                           std::to_string(primitive.mode) + ", which glTF does not define.");
        counted.triangles = true;
        const auto position = primitive.attributes.find("POSITION");
        if (position == primitive.attributes.end() || !accessorCount(position->second, counted.vertices))
            return Damaged("a primitive of mesh " + std::to_string(meshIndex) +
                           " has no positions.");
        const auto mapping = primitive.attributes.find("TEXCOORD_0");
        const std::pair<int, int> attributes{position->second,
                                             mapping == primitive.attributes.end() ? -1 : mapping->second};
        counted.sharesVertices = !seen.emplace(attributes, true).second;
        std::uint64_t corners = counted.vertices;
        if (primitive.indices >= 0 && !accessorCount(primitive.indices, corners))
            return Damaged("a primitive of mesh " + std::to_string(meshIndex) +
                           " refers to indices that do not exist.");
        counted.faces = primitive.mode == TINYGLTF_MODE_TRIANGLES ? corners / 3 : (corners >= 3 ? corners - 2 : 0);
        if (!counted.sharesVertices)
            plan.vertices = SaturatingAdd(plan.vertices, counted.vertices);
        plan.faces = SaturatingAdd(plan.faces, counted.faces);
        plan.primitives.push_back(counted);
    }
    m_meshPlans.emplace(meshIndex, std::move(plan));
    return 1;
}

std::string CGltfReader::ObjectLabel(int walked) const
{
    const std::string name = NodeName(walked);
    return name.empty() ? "the object of node " + std::to_string(m_walk[static_cast<std::size_t>(walked)].node)
                        : "object " + name;
}

std::string CGltfReader::NodeName(int walked) const
{
    const tinygltf::Node& node = m_document.nodes[static_cast<std::size_t>(m_walk[static_cast<std::size_t>(walked)].node)];
    if (!node.name.empty() || node.mesh < 0)
        return node.name;
    return m_document.meshes[static_cast<std::size_t>(node.mesh)].name;
}

// Every object's counts are known before any is made: one too large for a
// .3DS object, or all of them together too many for the file's size, end
// the load before memory is taken for them.
int CGltfReader::PlanObjects()
{
    std::uint64_t vertexTotal = 0, faceTotal = 0, bytes = 0;
    for (std::size_t i = 0; i < m_walk.size(); ++i)
    {
        const tinygltf::Node& node = m_document.nodes[static_cast<std::size_t>(m_walk[i].node)];
        m_skins = m_skins || node.skin >= 0;
        if (node.mesh < 0)
            continue;
        if (!PlanMesh(node.mesh))
            return 0;
        const MeshPlan& plan = m_meshPlans.at(node.mesh);
        if (plan.vertices > CGltfModel::kMaxObjectCount || plan.faces > CGltfModel::kMaxObjectCount)
            return Fail(ErrorKind::TooLarge, "Error reading input file, " + ObjectLabel(static_cast<int>(i)) +
                                                 " has " + Count(plan.vertices) + " vertices and " +
                                                 Count(plan.faces) +
                                                 " faces, and an object may have at most 65535 of each.");
        m_objectWalk.push_back(static_cast<int>(i));
        vertexTotal += plan.vertices;
        faceTotal += plan.faces;
        // A vertex has its record and its normal, a face its record; each
        // array may lose a little to alignment.
        bytes += plan.vertices * 2 * sizeof(ModelVertex) + plan.faces * sizeof(ModelFace) + 128;
    }
    const std::uint64_t budget = CGltfModel::ElementBudget(m_fileBytes);
    if (vertexTotal + faceTotal > budget)
        return Fail(ErrorKind::TooLarge, "Error reading input file, its nodes make " + Count(vertexTotal) +
                                             " vertices and " + Count(faceTotal) +
                                             " faces, more than a file of its size may have.");
    m_model.MakeObjects(static_cast<int>(m_objectWalk.size()), static_cast<std::size_t>(bytes));
    return 1;
}

// Where count elements of elementBytes each lie in a buffer view, checked
// against the view and its buffer. Empty when they lie inside; otherwise
// why. Without a view the elements are zeros and data is null.
std::string CGltfReader::LocateElements(int viewIndex, std::size_t byteOffset, std::size_t count,
                                        std::size_t elementBytes, bool strided, const std::uint8_t*& data,
                                        std::size_t& stride) const
{
    data = nullptr;
    stride = elementBytes;
    if (viewIndex < 0 || count == 0)
        return "";
    if (static_cast<std::size_t>(viewIndex) >= m_document.bufferViews.size())
        return "buffer view " + std::to_string(viewIndex) + " does not exist.";
    const tinygltf::BufferView& view = m_document.bufferViews[static_cast<std::size_t>(viewIndex)];
    if (view.buffer < 0 || static_cast<std::size_t>(view.buffer) >= m_document.buffers.size())
        return "buffer view " + std::to_string(viewIndex) + " refers to a buffer that does not exist.";
    const std::vector<unsigned char>& buffer = m_document.buffers[static_cast<std::size_t>(view.buffer)].data;
    if (view.byteOffset > buffer.size() || view.byteLength > buffer.size() - view.byteOffset)
        return "buffer view " + std::to_string(viewIndex) + " lies outside its buffer.";
    if (strided && view.byteStride != 0)
        stride = view.byteStride;
    if (stride < elementBytes)
        return "buffer view " + std::to_string(viewIndex) + " has a stride shorter than its elements.";
    // Subtracted from known sizes, never added: no count can wrap.
    if (byteOffset > view.byteLength || elementBytes > view.byteLength - byteOffset ||
        count - 1 > (view.byteLength - byteOffset - elementBytes) / stride)
        return "an accessor reaches past the end of buffer view " + std::to_string(viewIndex) + ".";
    data = buffer.data() + view.byteOffset + byteOffset;
    return "";
}

// Reads an accessor whole, sparse values applied, as count times its
// type's components; the type and component types it may have are given,
// and no more than maxCount elements are read.
template <typename T>
int CGltfReader::ReadAccessor(int index, int type, unsigned components, std::uint64_t maxCount, std::vector<T>& out)
{
    const std::string which = "accessor " + std::to_string(index);
    if (index < 0 || static_cast<std::size_t>(index) >= m_document.accessors.size())
        return Damaged(which + " does not exist.");
    const tinygltf::Accessor& accessor = m_document.accessors[static_cast<std::size_t>(index)];
    if (accessor.type != type || !(ComponentBit(accessor.componentType) & components))
        return Damaged(which + " does not have the type its use calls for.");
    if (accessor.count > maxCount)
        return Fail(ErrorKind::TooLarge, "Error reading input file, " + which + " has " + Count(accessor.count) +
                                             " elements, more than the " + Count(maxCount) + " read from it.");
    const auto width = static_cast<std::size_t>(TypeComponents(type));
    const std::size_t componentBytes = ComponentBytes(accessor.componentType);
    const std::uint8_t* data = nullptr;
    std::size_t stride = 0;
    if (const std::string wrong = LocateElements(accessor.bufferView, accessor.byteOffset, accessor.count,
                                                 width * componentBytes, true, data, stride);
        !wrong.empty())
        return Damaged(wrong);
    out.assign(accessor.count * width, T{});
    if (data)
        for (std::size_t element = 0; element < accessor.count; ++element)
            for (std::size_t c = 0; c < width; ++c)
                out[element * width + c] = static_cast<T>(
                    LoadComponent(data + element * stride + c * componentBytes, accessor.componentType, accessor.normalized));
    if (!accessor.sparse.isSparse)
        return 1;
    const auto& sparse = accessor.sparse;
    if (sparse.count <= 0 || static_cast<std::uint64_t>(sparse.count) > accessor.count || sparse.indices.byteOffset < 0 ||
        sparse.values.byteOffset < 0 ||
        !(ComponentBit(sparse.indices.componentType) & (kUnsignedByte | kUnsignedShort | kUnsignedInt)))
        return Damaged("the sparse values of " + which + " are not stored as glTF stores them.");
    const auto count = static_cast<std::size_t>(sparse.count);
    const std::uint8_t* indices = nullptr;
    const std::uint8_t* values = nullptr;
    std::size_t indexStride = 0, valueStride = 0;
    std::string wrong = LocateElements(sparse.indices.bufferView, static_cast<std::size_t>(sparse.indices.byteOffset),
                                       count, ComponentBytes(sparse.indices.componentType), false, indices, indexStride);
    if (wrong.empty())
        wrong = LocateElements(sparse.values.bufferView, static_cast<std::size_t>(sparse.values.byteOffset), count,
                               width * componentBytes, false, values, valueStride);
    if (wrong.empty() && (!indices || !values))
        wrong = "the sparse values of " + which + " lie in no buffer view.";
    if (!wrong.empty())
        return Damaged(wrong);
    for (std::size_t k = 0; k < count; ++k)
    {
        const double target = LoadComponent(indices + k * indexStride, sparse.indices.componentType, false);
        if (target >= static_cast<double>(accessor.count))
            return Damaged("a sparse value of " + which + " replaces an element it does not have.");
        const auto element = static_cast<std::size_t>(target);
        for (std::size_t c = 0; c < width; ++c)
            out[element * width + c] = static_cast<T>(
                LoadComponent(values + k * valueStride + c * componentBytes, accessor.componentType, accessor.normalized));
    }
    return 1;
}

int CGltfReader::ReadPrimitive(const tinygltf::Primitive& primitive, const PrimitivePlan& plan, int meshIndex,
                               std::map<std::pair<int, int>, std::uint32_t>& shared, MeshData& mesh)
{
    const std::string which = "a primitive of mesh " + std::to_string(meshIndex);
    const int positionAccessor = primitive.attributes.at("POSITION");
    const auto mappingFound = primitive.attributes.find("TEXCOORD_0");
    const int mappingAccessor = mappingFound == primitive.attributes.end() ? -1 : mappingFound->second;
    const auto vertexCount = static_cast<std::uint32_t>(plan.vertices);
    std::uint32_t base = static_cast<std::uint32_t>(mesh.points.size());
    if (plan.sharesVertices)
        base = shared.at({positionAccessor, mappingAccessor});
    else
    {
        shared[{positionAccessor, mappingAccessor}] = base;
        std::vector<float> points, mapping;
        constexpr unsigned kPointTypes = kFloat | kSignedByte | kUnsignedByte | kSignedShort | kUnsignedShort;
        if (!ReadAccessor(positionAccessor, TINYGLTF_TYPE_VEC3, kPointTypes, plan.vertices, points))
            return 0;
        if (mappingAccessor >= 0)
        {
            if (!ReadAccessor(mappingAccessor, TINYGLTF_TYPE_VEC2, kPointTypes, plan.vertices, mapping))
                return 0;
            if (mapping.size() != 2 * std::size_t{vertexCount})
                return Damaged(which + " has " + Count(mapping.size() / 2) + " texture coordinates for " +
                               Count(vertexCount) + " vertices.");
        }
        for (std::uint32_t i = 0; i < vertexCount; ++i)
        {
            mesh.points.push_back({points[3 * i], points[3 * i + 1], points[3 * i + 2]});
            mesh.mapping.push_back(mapping.empty() ? std::array<float, 2>{0.0f, 0.0f}
                                                   : std::array<float, 2>{mapping[2 * i], mapping[2 * i + 1]});
        }
    }

    std::vector<std::uint32_t> corners;
    if (primitive.indices >= 0)
    {
        // Three corners a face at most, two more for a strip or fan.
        if (!ReadAccessor(primitive.indices, TINYGLTF_TYPE_SCALAR, kUnsignedByte | kUnsignedShort | kUnsignedInt,
                          3 * plan.faces + 2, corners))
            return 0;
        for (const std::uint32_t corner : corners)
            if (corner >= vertexCount)
                return Damaged(which + " names vertex " + Count(corner) + " of its " + Count(vertexCount) + ".");
    }
    else
    {
        corners.resize(vertexCount);
        for (std::uint32_t i = 0; i < vertexCount; ++i)
            corners[i] = i;
    }

    ModelFace attributes;
    if (primitive.material >= 0)
    {
        if (static_cast<std::size_t>(primitive.material) >= m_document.materials.size())
            return Damaged(which + " refers to a material that does not exist.");
        DecodeFaceAttributes(m_document.materials[static_cast<std::size_t>(primitive.material)].name, attributes);
    }
    const auto addFace = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        ModelFace& face = mesh.faces.emplace_back();
        face.index[0] = static_cast<std::int32_t>(base + a);
        face.index[1] = static_cast<std::int32_t>(base + b);
        face.index[2] = static_cast<std::int32_t>(base + c);
        CopyFaceAttributes(attributes, face);
    };
    for (std::size_t face = 0; face < plan.faces; ++face)
    {
        switch (primitive.mode)
        {
        case TINYGLTF_MODE_TRIANGLES:
            addFace(corners[3 * face], corners[3 * face + 1], corners[3 * face + 2]);
            break;
        case TINYGLTF_MODE_TRIANGLE_STRIP:
            // Every other triangle of a strip turns the other way round:
            // glTF orders its corners so that all keep one winding.
            if (face % 2 == 0)
                addFace(corners[face], corners[face + 1], corners[face + 2]);
            else
                addFace(corners[face], corners[face + 2], corners[face + 1]);
            break;
        default: // a fan
            addFace(corners[face + 1], corners[face + 2], corners[0]);
            break;
        }
    }
    return 1;
}

int CGltfReader::ReadMesh(int meshIndex, MeshData& mesh)
{
    const MeshPlan& plan = m_meshPlans.at(meshIndex);
    const tinygltf::Mesh& source = m_document.meshes[static_cast<std::size_t>(meshIndex)];
    mesh.points.reserve(plan.vertices);
    mesh.mapping.reserve(plan.vertices);
    mesh.faces.reserve(plan.faces);
    std::map<std::pair<int, int>, std::uint32_t> shared;
    for (std::size_t i = 0; i < source.primitives.size(); ++i)
        if (plan.primitives[i].triangles && !ReadPrimitive(source.primitives[i], plan.primitives[i], meshIndex, shared, mesh))
            return 0;
    return 1;
}

int CGltfReader::FillObjects()
{
    std::vector<GltfMatrix> world;
    GltfMotion rest;
    for (std::size_t i = 0; i < m_walk.size(); ++i)
        rest.nodes.push_back({m_walk[i].parent, m_rest[i], {-1, -1, -1}});
    rest.RestMatrices(world);
    const int objectCount = m_model.m_nObjects;
    for (int i = 0; i < objectCount; ++i)
    {
        m_model.ShowObjectProgress(static_cast<std::size_t>(i), static_cast<std::size_t>(objectCount));
        const auto walked = static_cast<std::size_t>(m_objectWalk[static_cast<std::size_t>(i)]);
        const int meshIndex = m_document.nodes[static_cast<std::size_t>(m_walk[walked].node)].mesh;
        auto found = m_meshes.find(meshIndex);
        if (found == m_meshes.end())
        {
            MeshData mesh;
            if (!ReadMesh(meshIndex, mesh))
                return 0;
            found = m_meshes.emplace(meshIndex, std::move(mesh)).first;
        }
        const MeshData& mesh = found->second;
        ModelObject& object = m_model.m_pObjects[static_cast<std::size_t>(i)];
        bool cut = false;
        object.name = StoredName(NodeName(static_cast<int>(walked)), cut);
        m_model.m_objectNameCut[static_cast<std::size_t>(i)] = cut;
        object.vertexCount = static_cast<std::uint32_t>(mesh.points.size());
        object.faceCount = static_cast<std::uint32_t>(mesh.faces.size());
        object.vertices.reserve(mesh.points.size());
        for (std::size_t v = 0; v < mesh.points.size(); ++v)
        {
            ModelVertex& vertex = object.vertices.emplace_back(PlacePoint(world[walked], mesh.points[v]));
            vertex.u = mesh.mapping[v][0];
            vertex.v = mesh.mapping[v][1];
        }
        object.faces.assign(mesh.faces.begin(), mesh.faces.end());
    }
    return 1;
}

// One sampler's keys: its times, and with values, what they take.
int CGltfReader::ReadTrack(const tinygltf::AnimationSampler& sampler, GltfPath path, bool values, GltfTrack& track)
{
    track.path = path;
    if (sampler.interpolation == "LINEAR")
        track.interpolation = GltfInterpolation::Linear;
    else if (sampler.interpolation == "STEP")
        track.interpolation = GltfInterpolation::Step;
    else if (sampler.interpolation == "CUBICSPLINE")
        track.interpolation = GltfInterpolation::CubicSpline;
    else
        return Damaged("an animation sampler interpolates by " + sampler.interpolation + ", which glTF does not define.");
    if (!ReadAccessor(sampler.input, TINYGLTF_TYPE_SCALAR, kFloat, m_keyBudget, track.times))
        return 0;
    m_keyBudget -= track.times.size();
    if (track.times.empty())
        return Damaged("an animation sampler has no keys.");
    for (std::size_t i = 0; i < track.times.size(); ++i)
        if (!std::isfinite(track.times[i]) || (i > 0 && track.times[i] < track.times[i - 1]))
            return Damaged("the key times of an animation sampler do not rise.");
    if (!values)
        return 1;
    const bool cubic = track.interpolation == GltfInterpolation::CubicSpline;
    const std::uint64_t expected = track.times.size() * (cubic ? 3 : 1);
    const auto components = static_cast<std::uint64_t>(TrackComponents(path));
    if (expected > m_keyBudget / components)
        return Fail(ErrorKind::TooLarge, "Error reading input file, its animation has more keys than a file of its size may have.");
    const bool rotation = path == GltfPath::Rotation;
    const unsigned types = rotation ? kFloat | kSignedByte | kUnsignedByte | kSignedShort | kUnsignedShort : kFloat;
    if (!ReadAccessor(sampler.output, rotation ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3, types, expected, track.values))
        return 0;
    m_keyBudget -= track.values.size();
    if (track.values.size() != expected * static_cast<std::size_t>(TrackComponents(path)))
        return Damaged("an animation sampler has " +
                       Count(track.values.size() / static_cast<std::size_t>(TrackComponents(path))) + " values for " +
                       Count(track.times.size()) + " key times, where " + Count(expected) + " are needed.");
    return 1;
}

// The nodes' animation: its length always; its tracks when the key tracks
// are read. A track that cannot be read fails a load that must read them
// and makes one that reads them where they fit go on without them; a load
// that skips them takes the length from the tracks that can be read.
int CGltfReader::ReadAnimation()
{
    const KeyTracks keys = m_model.m_keyTracks;
    bool readable = true;
    GltfFailure kept;
    for (auto& tracks : m_tracks)
        tracks.assign(m_walk.size(), -1);
    for (const tinygltf::Animation& animation : m_document.animations)
    {
        for (const tinygltf::AnimationChannel& channel : animation.channels)
        {
            GltfPath path;
            if (channel.target_path == "translation")
                path = GltfPath::Translation;
            else if (channel.target_path == "rotation")
                path = GltfPath::Rotation;
            else if (channel.target_path == "scale")
                path = GltfPath::Scale;
            else
                continue; // morph weights, or a property of an extension
            const bool inScene = channel.target_node >= 0 &&
                                 static_cast<std::size_t>(channel.target_node) < m_walkIndex.size() &&
                                 m_walkIndex[static_cast<std::size_t>(channel.target_node)] >= 0;
            if (!inScene)
                continue;
            const auto walked = static_cast<std::size_t>(m_walkIndex[static_cast<std::size_t>(channel.target_node)]);
            int& slot = m_tracks[static_cast<std::size_t>(path)][walked];
            if (slot >= 0)
            {
                ++m_channelsLeftOut;
                continue;
            }
            GltfTrack track;
            const bool sampled = channel.sampler >= 0 &&
                                 static_cast<std::size_t>(channel.sampler) < animation.samplers.size();
            int read = 0;
            if (!sampled)
                read = Damaged("an animation channel refers to a sampler that does not exist.");
            else if (m_rest[walked].hasMatrix)
                read = Damaged("node " + std::to_string(channel.target_node) +
                               " is animated but has a matrix.");
            else
                read = ReadTrack(animation.samplers[static_cast<std::size_t>(channel.sampler)], path,
                                 keys != KeyTracks::Skip, track);
            if (!read)
            {
                // The first failure is kept for a load that must read the
                // tracks; the others go on as if it had not happened.
                if (readable)
                    kept = std::move(m_failure);
                readable = false;
                m_failure = {};
                continue;
            }
            m_endTime = std::max(m_endTime, double{track.times.back()});
            slot = static_cast<int>(m_trackList.size());
            m_trackList.push_back(std::move(track));
        }
    }
    const double frames = FramesFor(m_endTime);
    m_model.m_nFrames = frames >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                                   : static_cast<int>(frames);
    if (keys == KeyTracks::Skip)
        return 1;
    if (!readable)
        return keys == KeyTracks::Read ? Fail(kept.kind, kept.message) : 1;
    // A frame places every object's node and the nodes above it: as a
    // .3DS frame's work grows with its objects' key slots, a glTF frame's
    // grows with these nodes, and the same limit bounds them.
    const std::vector<int> placed = PlacedNodes();
    if (frames * static_cast<double>(placed.size()) > static_cast<double>(kMaxKeySlots))
    {
        if (keys == KeyTracks::ReadWhenTheyFit)
            return 1;
        const std::size_t objects = m_objectWalk.size(), nodes = placed.size();
        const std::string counted = nodes == objects ? Count(objects) + (objects == 1 ? " object." : " objects.")
                                                     : Count(nodes) + " nodes.";
        return Fail(ErrorKind::TooLarge, "Error reading input file, its keyframe animation is too long: " +
                                             std::to_string(m_model.m_nFrames) + " frames of " + counted);
    }
    KeepMotion(placed);
    return 1;
}

// The walk indices, in walk order, of the nodes that make objects and of
// the nodes above them.
std::vector<int> CGltfReader::PlacedNodes() const
{
    std::vector<bool> placed(m_walk.size(), false);
    for (const int object : m_objectWalk)
        for (int at = object; at >= 0 && !placed[static_cast<std::size_t>(at)]; at = m_walk[static_cast<std::size_t>(at)].parent)
            placed[static_cast<std::size_t>(at)] = true;
    std::vector<int> nodes;
    for (std::size_t i = 0; i < placed.size(); ++i)
        if (placed[i])
            nodes.push_back(static_cast<int>(i));
    return nodes;
}

// What frames are built from: the placed nodes with their tracks, each
// object's node among them and its mesh's points as stored.
void CGltfReader::KeepMotion(const std::vector<int>& placed)
{
    GltfMotion& motion = m_model.m_motion;
    std::vector<int> placedIndex(m_walk.size(), -1);
    for (const int walked : placed)
    {
        const auto i = static_cast<std::size_t>(walked);
        placedIndex[i] = static_cast<int>(motion.nodes.size());
        // A placed node's parent is placed too, and comes before it.
        const int parent = m_walk[i].parent < 0 ? -1 : placedIndex[static_cast<std::size_t>(m_walk[i].parent)];
        motion.nodes.push_back({parent, m_rest[i], {m_tracks[0][i], m_tracks[1][i], m_tracks[2][i]}});
    }
    motion.tracks = std::move(m_trackList);
    std::map<int, int> meshPoints;
    for (const int walked : m_objectWalk)
    {
        const int mesh = m_document.nodes[static_cast<std::size_t>(m_walk[static_cast<std::size_t>(walked)].node)].mesh;
        auto [found, added] = meshPoints.emplace(mesh, static_cast<int>(m_model.m_meshPoints.size()));
        if (added)
            m_model.m_meshPoints.push_back(m_meshes.at(mesh).points);
        m_model.m_objectNodes.push_back(placedIndex[static_cast<std::size_t>(walked)]);
        m_model.m_objectMeshPoints.push_back(found->second);
    }
    m_model.m_bKeysRead = true;
}

CGltfModel::CGltfModel(CStatusSink* statusSink, std::string* text, KeyTracks keys, bool binary, std::string path)
    : CLoadedModel(statusSink, text), m_keyTracks(keys), m_bBinary(binary), m_path(std::move(path))
{
}

int CGltfModel::LoadFile(CInputFile* file, LoadMode mode)
{
    assert(!m_bLoadStarted && "a model is loaded once");
    m_bLoadStarted = true;
    m_nMode = mode;
    ShowProgress("  reading glTF file");
    CGltfReader reader(*this, file->GetLength());
    return reader.Parse(file->Bytes());
}
