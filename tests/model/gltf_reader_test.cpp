// The glTF source, from documents to objects, frames and messages: one table
// of documents with the objects they load, their warnings and the one
// "Error" message of a failure; one of the vertices and faces they make; one
// of the frames their animation gives.

#include "fixtures/gltf_writer.h"
#include "model/face_attributes.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

using Bytes = std::vector<std::uint8_t>;
using fixtures::GltfBuffer;
using fixtures::GltfLayout;

namespace {
constexpr LoadMode kKeyframes = LoadMode::KeyframeModel, kMorph = LoadMode::MorphSequence;
const std::string kInvalid = "Error reading input file, it is not valid glTF: ";

const char* KindName(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::NotAModel: return "NotAModel";
    case ErrorKind::Damaged: return "Damaged";
    case ErrorKind::TooLarge: return "TooLarge";
    case ErrorKind::InputUnreadable: return "InputUnreadable";
    default: return "other";
    }
}

// "result @frames name/vertices/faces ... keys | warning ... | kind message":
// "+" marks a name that was cut, "*" an object that moves, "!" one that is
// not well formed,
// "keys" a model whose frames can be placed; the frame count shows when not
// 1, and a run of equal objects once with its length.
std::string Describe(const support::LoadedFile& loaded) {
    CLoadedModel& model = *loaded.model;
    std::ostringstream out;
    out << loaded.result;
    if (model.GetFrameSegmentLength() != 1)
        out << " @" << model.GetFrameSegmentLength();
    std::vector<std::string> objects;
    for (int i = 0; i < model.GetObjectCount(); ++i) {
        const ModelObject& o = *model.GetObject(i);
        objects.push_back(o.name + '/' + std::to_string(o.vertexCount) + '/' + std::to_string(o.faceCount) +
                          (model.IsNameCut(i) ? "+" : "") + (model.IsObjectAnimated(i) ? "*" : "") + (IsWellFormed(o) ? "" : "!"));
    }
    for (auto run = objects.begin(), next = run; run != objects.end(); run = next) { // a run of equal objects once, with its length
        next = std::find_if(run, objects.end(), [&](const std::string& text) { return text != *run; });
        out << ' ' << *run << (next - run > 1 ? " x" + std::to_string(next - run) : "");
    }
    out << (model.AreKeysRead() ? " keys" : "");
    for (const std::string& warning : model.GetWarnings())
        out << " | " << warning;
    if (!loaded.result)
        out << " | " << KindName(model.GetError()) << ' ' << loaded.text;
    return out.str();
}

// "x,y,z,u,v ... | a,b,c(skin kind WBFEN x c) ..." of one object or frame,
// u and v left out unless asked for; attributes only where a face has any.
std::string Geometry(const ModelObject& object, bool mapping = true) {
    std::ostringstream out;
    for (const ModelVertex& v : object.vertices) {
        out << v.x << ',' << v.y << ',' << v.z;
        if (mapping)
            out << ',' << v.u << ',' << v.v;
        out << ' ';
    }
    out << '|';
    for (const ModelFace& f : object.faces) {
        out << ' ' << f.index[0] << ',' << f.index[1] << ',' << f.index[2];
        if (f.skin || f.kind || f.flagW || f.flagB || f.flagF || f.flagE || f.flagN || f.valueX || f.valueC)
            out << '(' << f.skin << ' ' << int{f.kind} << ' ' << f.flagW << f.flagB << f.flagF << f.flagE << f.flagN << ' '
                << int{f.valueX} << ' ' << int{f.valueC} << ')';
    }
    return out.str();
}

// Accessor 0: the points (1,2,3) (4,5,6) (7,8,10); accessor 1: their
// coordinates. Further accessors follow from 2.
GltfBuffer Triangle() {
    GltfBuffer buffer;
    buffer.AddFloats({1, 2, 3, 4, 5, 6, 7, 8, 10}, "VEC3");
    buffer.AddFloats({0, 0, 1, 0.5f, 0.25f, 1}, "VEC2");
    return buffer;
}
const std::string kTriangleMeshes = R"("meshes":[{"name":"Tri","primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1}}]}])";

Bytes Document(const std::string& members, const GltfBuffer& buffer = Triangle()) { return buffer.File(members).model; }
// The triangle mesh shown by the nodes and scenes given.
Bytes Scene(const std::string& nodes) { return Document(nodes + "," + kTriangleMeshes); }
// One node named Tri showing a mesh of the primitives given, with the buffer given.
Bytes Primitives(const std::string& primitives, const GltfBuffer& buffer = Triangle(), const std::string& more = "") {
    return Document(R"("nodes":[{"name":"Tri","mesh":0}],"meshes":[{"primitives":[)" + primitives + "]}]" + more, buffer);
}
const std::string kPrimitive = R"({"attributes":{"POSITION":0,"TEXCOORD_0":1}})";

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Bytes8(std::initializer_list<int> values) {
    Bytes bytes;
    for (int value : values)
        bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

Bytes Shorts(std::initializer_list<int> values) {
    Bytes bytes;
    for (int value : values)
        bytes.push_back(static_cast<std::uint8_t>(value)), bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    return bytes;
}

// A .glb of the triangle with its header's words at offsets 4 (version), 8
// (length), 12 and 16 (the JSON chunk's length and type) changed by the
// amounts given, and the binary chunk's length word by the last.
Bytes Binary(std::array<int, 5> changes) {
    Bytes bytes = Triangle().File(R"("nodes":[{"mesh":0}],)" + kTriangleMeshes, GltfLayout::Binary).model;
    const std::size_t binary = 20 + (bytes[12] | bytes[13] << 8);
    const std::size_t offsets[] = {4, 8, 12, 16, binary};
    for (std::size_t i = 0; i < 5; ++i)
        bytes[offsets[i]] = static_cast<std::uint8_t>(bytes[offsets[i]] + changes[i]);
    return bytes;
}

// The twenty bytes of a .glb's header and its first chunk's header, the
// chunk empty.
Bytes HeadersOnly() {
    Bytes bytes = Binary({0, 0, 0, 0, 0});
    bytes.resize(20);
    bytes[8] = 20, bytes[9] = bytes[10] = bytes[11] = 0;
    bytes[12] = bytes[13] = bytes[14] = bytes[15] = 0;
    return bytes;
}

// A mesh of `vertices` points without data, made into faces of three, shown by `nodes` nodes.
Bytes Instances(int vertices, int nodes) {
    GltfBuffer buffer;
    buffer.Add({}, "VEC3", 5126, static_cast<std::size_t>(vertices));
    std::string list;
    for (int i = 0; i < nodes; ++i)
        list += (i ? "," : "") + std::string(R"({"name":"Big","mesh":0})");
    return buffer.File(R"("nodes":[)" + list + R"(],"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}])").model;
}

// The triangle's node moved along x by a track of the times and values
// given, on a sampler interpolating as given; more is added to the animation.
Bytes Moving(const std::vector<float>& times, const std::vector<float>& values, const std::string& interpolation = "LINEAR",
             const std::string& more = "") {
    GltfBuffer buffer = Triangle();
    const std::size_t input = buffer.AddFloats(times, "SCALAR"), output = buffer.AddFloats(values, "VEC3");
    return buffer.File(R"("nodes":[{"name":"Tri","mesh":0}],)" + kTriangleMeshes +
                       R"(,"animations":[{"samplers":[{"input":)" + std::to_string(input) + R"(,"output":)" +
                       std::to_string(output) + R"(,"interpolation":")" + interpolation +
                       R"("}],"channels":[{"sampler":0,"target":{"node":0,"path":"translation"}})" + more + "]}]")
        .model;
}

std::string Nested(int levels) { return std::string(static_cast<std::size_t>(levels), '[') + std::string(static_cast<std::size_t>(levels), ']'); }

struct Case {
    const char* label;
    Bytes file;
    std::string expected; // a message ending in "..." is compared up to there
    std::string path = "model.gltf";
    LoadMode mode = kKeyframes;
    KeyTracks keys = KeyTracks::Read;
};

void ExpectDescribed(const Case& c) {
    support::LoadedFile loaded(c.file, c.path, c.mode, c.keys);
    const std::string described = Describe(loaded);
    const bool prefix = c.expected.size() > 3 && c.expected.compare(c.expected.size() - 3, 3, "...") == 0;
    if (prefix)
        EXPECT_EQ(described.substr(0, c.expected.size() - 3), c.expected.substr(0, c.expected.size() - 3)) << c.label;
    else
        EXPECT_EQ(described, c.expected) << c.label;
    EXPECT_LE(loaded.errors.size(), loaded.text.empty() ? 0u : 1u) << c.label << ": the status sink carries progress only";
}
} // namespace

TEST(GltfReader, DocumentsToObjectsAndMessages) {
    GltfBuffer twoPrimitives = Triangle();
    twoPrimitives.AddFloats({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3");
    GltfBuffer fewCoordinates = Triangle();
    fewCoordinates.AddFloats({0, 0, 1, 1}, "VEC2");
    GltfBuffer badIndex = Triangle(), flat = Triangle(), outside = Triangle(), quantized = Triangle(), sparse = Triangle();
    badIndex.Add(Bytes8({0, 1, 3}), "SCALAR", 5121);
    flat.Add({}, "VEC2", 5126, 3);
    outside.Add(Bytes8({0, 0, 0, 0}), "VEC3", 5126, 4);
    GltfBuffer late = Triangle(); // one point starting two thirds into a view of two
    late.Add(Bytes8({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), "VEC3", 5126, 1, R"(,"byteOffset":16)");
    GltfBuffer longer = Triangle(); // three points in a view of two
    longer.Add(Bytes8({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), "VEC3", 5126, 3);
    quantized.Add(Bytes8({127, 0, 0, 0, 127, 0, 0, 0, 127}), "VEC3", 5120, 0, R"(,"normalized":true)");
    const std::size_t values = sparse.AddFloats({9, 9, 9}, "VEC3");
    const std::size_t indices = sparse.Add(Bytes8({7}), "SCALAR", 5121);
    const std::string badSparse = R"(,"sparse":{"count":1,"indices":{"bufferView":)" + std::to_string(indices) +
                                  R"(,"componentType":5121},"values":{"bufferView":)" + std::to_string(values) + "}}";
    sparse.Add({}, "VEC3", 5126, 3, badSparse);
    const std::string twoNodes = R"("nodes":[{"name":"A","mesh":0},{"name":"B","mesh":0}])";
    GltfBuffer parented = Triangle(); // a child shown for 3,000,001 frames, its parent moving
    parented.AddFloats({0, 1e5f}, "SCALAR"), parented.AddFloats({0, 0, 0, 3, 0, 0}, "VEC3");
    const Bytes placedByParent = parented.File(R"("nodes":[{"name":"P","children":[1]},{"name":"Tri","mesh":0},{"name":"Other"}],)" + kTriangleMeshes +
                                               R"(,"animations":[{"samplers":[{"input":2,"output":3}],"channels":[{"sampler":0,"target":{"node":0,"path":"translation"}}]}])").model;
    GltfBuffer manyKeys = Triangle(); // 200,000 keys without data: more numbers than a small file may claim
    manyKeys.Add({}, "SCALAR", 5126, 200000), manyKeys.Add({}, "VEC3", 5126, 200000);
    const Bytes claimedKeys = manyKeys.File(R"("nodes":[{"name":"Tri","mesh":0}],)" + kTriangleMeshes +
                                            R"(,"animations":[{"samplers":[{"input":2,"output":3}],"channels":[{"sampler":0,"target":{"node":0,"path":"scale"}}]}])").model;
    const Case cases[] = {
        // Which nodes make objects, in which order, under which names.
        {"scene given by scene", Scene(R"("scene":1,"scenes":[{"nodes":[0]},{"nodes":[1]}],)" + twoNodes), "1 B/3/1 keys"},
        {"first scene without scene", Scene(R"("scenes":[{"nodes":[1,0]},{"nodes":[0]}],)" + twoNodes), "1 B/3/1 A/3/1 keys"},
        {"root nodes without scenes", Scene(R"("nodes":[{"name":"A","children":[2]},{"name":"B","mesh":0},{"name":"C","mesh":0}])"), "1 C/3/1 B/3/1 keys"},
        {"depth first, children in order",
         Scene(R"("scenes":[{"nodes":[0,3]}],"nodes":[{"name":"P","mesh":0,"children":[2,1]},{"name":"Q","mesh":0},{"name":"R","mesh":0},{"name":"S","mesh":0}])"),
         "1 P/3/1 R/3/1 Q/3/1 S/3/1 keys"},
        {"the mesh's name for a node without one", Scene(R"("nodes":[{"mesh":0},{"name":"","mesh":0}])"), "1 Tri/3/1 x2 keys"},
        {"names cut to 12, flags kept, a NUL ends a name",
         Scene(R"("nodes":[{"name":"VeryLongHullName_T","mesh":0},{"name":"Gun_Turret_Left_E","mesh":0},{"name":"TwelveLetter","mesh":0},)"
               R"({"name":"Sail_T_E","mesh":0},{"name":"Nul\u0000_T","mesh":0}])"),
         "1 VeryLongHull_T/3/1+ Gun_Turret_L_E/3/1+ TwelveLetter/3/1 Sail_T_E/3/1 Nul/3/1 keys"},
        {"an empty scene", Scene(R"("scenes":[{}],"nodes":[{"mesh":0}])"), "1 keys"},
        {"primitives appended", Primitives(kPrimitive + R"(,{"attributes":{"POSITION":2}})", twoPrimitives), "1 Tri/6/2 keys"},
        {"primitives sharing their attributes share vertices", Primitives(kPrimitive + "," + kPrimitive), "1 Tri/3/2 keys"},
        {"as many vertices in mode 1", Scene(twoNodes), "1 A/3/1 B/3/1 keys", "model.gltf", kMorph},
        {"points and lines left out", Primitives(kPrimitive + R"(,{"attributes":{"POSITION":0},"mode":0},{"attributes":{"POSITION":0},"mode":3})"),
         "1 Tri/3/1 keys | Warning: 2 primitives of points or lines were left out"},
        {"skins and morph targets left out",
         Document(R"("nodes":[{"mesh":0,"skin":0},{"children":[0]}],"skins":[{"joints":[1]}],"meshes":[{"name":"M","primitives":[{"attributes":{"POSITION":0},"targets":[{"POSITION":0}]}]}])"),
         "1 M/3/1 keys | Warning: skins were left out; skinned meshes are converted in their bind pose | Warning: morph targets were left out; meshes are converted without them"},
        {"quantized points", Primitives(R"({"attributes":{"POSITION":2}})", quantized, R"(,"extensionsRequired":["KHR_mesh_quantization"])"), "1 Tri/3/1 keys"},

        // What is not glTF 2.0, or not read.
        {"not JSON", Text("{ not json"), "0 | NotAModel " + kInvalid + "[json.exception.parse_error.101] parse error at line 1, column 4..."},
        {"no asset", Text(R"({"scenes":[]})"), "0 | NotAModel " + kInvalid + "\"asset\" object not found in .gltf or not an object type."},
        {"glTF 1.0", Text(R"({"asset":{"version":"1.0"}})"), "0 | NotAModel Error reading input file, it is glTF version 1.0, and only version 2 is read."},
        {"an extension not read", Document(R"("extensionsRequired":["KHR_texture_transform","KHR_draco_mesh_compression"])"),
         "0 | NotAModel Error reading input file, it needs the glTF extension KHR_texture_transform, which is not read."},
        {"a .glb of the triangle", Binary({0, 0, 0, 0, 0}), "1 Tri/3/1 keys", "model.glb"},
        {"a .glb of version 1", Binary({-1, 0, 0, 0, 0}), "0 | NotAModel " + kInvalid + "it is binary glTF version 1, and only version 2 is read.", "model.glb"},
        {"a .glb longer than its file", Binary({0, 4, 0, 0, 0}), "0 | NotAModel " + kInvalid + "its header gives a length of...", "model.glb"},
        {"a .glb without its JSON chunk first", Binary({0, 0, 0, 1, 0}), "0 | NotAModel " + kInvalid + "its first chunk is not JSON lying inside the file.", "model.glb"},
        {"a .glb binary chunk past its end", Binary({0, 0, 0, 0, 4}), "0 | NotAModel " + kInvalid + "its binary chunk does not lie inside the file.", "model.glb"},
        {"a .glb of headers alone", HeadersOnly(), "0 | NotAModel " + kInvalid + "its first chunk is not JSON lying inside the file.", "model.glb"},
        {"a .glb named .gltf is read by its header", Binary({0, 0, 0, 0, 0}), "1 Tri/3/1 keys", "model.gltf"},
        {"JSON deeper than 64 levels", Document(R"("extras":)" + Nested(64)), "0 | Damaged " + kInvalid + "its JSON nests deeper than 64 levels."},
        {"JSON 64 levels deep", Document(R"("extras":)" + Nested(63)), "1 keys"},
        {"an image filling its buffer, its view without an offset",
         Text(R"({"asset":{"version":"2.0"},"images":[{"bufferView":0}],"bufferViews":[{"buffer":0,"byteLength":4}],)"
              R"("buffers":[{"byteLength":4,"uri":"data:application/octet-stream;base64,AAAAAA=="}]})"),
         "1 keys"},
        {"an image outside its buffer",
         Text(R"({"asset":{"version":"2.0"},"images":[{"bufferView":0}],"bufferViews":[{"buffer":0,"byteOffset":18446744073709551600,"byteLength":4}],)"
              R"("buffers":[{"byteLength":4,"uri":"data:application/octet-stream;base64,AAAAAA=="}]})"),
         "0 | Damaged " + kInvalid + "image 0 lies outside its buffer."},

        // Broken references and data.
        {"a cycle", Scene(R"("scenes":[{"nodes":[0]}],"nodes":[{"mesh":0,"children":[1]},{"children":[0]}])"),
         "0 | Damaged " + kInvalid + "node 0 is reached twice: its nodes do not form trees."},
        {"a node with two parents", Scene(R"("nodes":[{"children":[2]},{"children":[2]},{"mesh":0}])"),
         "0 | Damaged " + kInvalid + "node 2 is reached twice: its nodes do not form trees."},
        {"a missing node", Scene(R"("scenes":[{"nodes":[0,5]}],"nodes":[{"mesh":0}])"), "0 | Damaged " + kInvalid + "it refers to node 5, which does not exist."},
        {"a missing mesh", Scene(R"("nodes":[{"mesh":3}])"), "0 | Damaged " + kInvalid + "a node refers to mesh 3, which does not exist."},
        {"a missing scene", Scene(R"("scene":2,"scenes":[{}],"nodes":[{"mesh":0}])"), "0 | Damaged " + kInvalid + "its scene 2 does not exist."},
        {"a matrix of 12 numbers", Scene(R"("nodes":[{"mesh":0,"matrix":[1,0,0,0,0,1,0,0,0,0,1,0]}])"),
         "0 | Damaged " + kInvalid + "node 0 has a matrix of the wrong length."},
        {"an index past the vertices", Primitives(R"({"attributes":{"POSITION":0},"indices":2})", badIndex),
         "0 /0/0 | Damaged " + kInvalid + "a primitive of mesh 0 names vertex 3 of its 3."},
        {"an accessor past its view", Primitives(R"({"attributes":{"POSITION":2}})", outside),
         "0 /0/0 | Damaged " + kInvalid + "an accessor reaches past the end of buffer view 2."},
        {"an accessor whose element runs past its view", Primitives(R"({"attributes":{"POSITION":2}})", late),
         "0 /0/0 | Damaged " + kInvalid + "an accessor reaches past the end of buffer view 2."},
        {"an accessor one element longer than its view", Primitives(R"({"attributes":{"POSITION":2}})", longer),
         "0 /0/0 | Damaged " + kInvalid + "an accessor reaches past the end of buffer view 2."},
        {"coordinates for fewer vertices", Primitives(R"({"attributes":{"POSITION":0,"TEXCOORD_0":2}})", fewCoordinates),
         "0 /0/0 | Damaged " + kInvalid + "a primitive of mesh 0 has 2 texture coordinates for 3 vertices."},
        {"coordinates without data are zeros", Primitives(R"({"attributes":{"POSITION":0,"TEXCOORD_0":2}})", flat), "1 Tri/3/1 keys"},
        {"points of the wrong type", Primitives(R"({"attributes":{"POSITION":1}})"), "0 /0/0 | Damaged " + kInvalid + "accessor 1 does not have the type its use calls for."},
        {"no positions", Primitives(R"({"attributes":{"TEXCOORD_0":1}})"), "0 | Damaged " + kInvalid + "a primitive of mesh 0 has no positions."},
        {"a mode glTF lacks", Primitives(R"({"attributes":{"POSITION":0},"mode":7})"), "0 | Damaged " + kInvalid + "a primitive of mesh 0 has mode 7, which glTF does not define."},
        {"a missing material", Primitives(R"({"attributes":{"POSITION":0},"material":0})"), "0 /0/0 | Damaged " + kInvalid + "a primitive of mesh 0 refers to a material that does not exist."},
        {"a sparse value past its accessor", Primitives(R"({"attributes":{"POSITION":4}})", sparse),
         "0 /0/0 | Damaged " + kInvalid + "a sparse value of accessor 4 replaces an element it does not have."},
        {"point counts differ in mode 1",
         Document(R"("nodes":[{"name":"A","mesh":0},{"name":"B","mesh":1}],"meshes":[{"primitives":[)" + kPrimitive +
                      R"(,{"attributes":{"POSITION":2}}]},{"primitives":[)" + kPrimitive + "]}]", twoPrimitives),
         "0 A/6/2 B/3/1 | Damaged Error: Object point counts do not match", "model.gltf", kMorph},

        // The limits.
        {"an object of 65,535 vertices", Instances(65535, 1), "1 Big/65535/21845 keys"},
        {"an object of 65,536 vertices", Instances(65536, 1),
         "0 | TooLarge Error reading input file, object Big has 65536 vertices and 21845 faces, and an object may have at most 65535 of each."},
        {"a mesh shown by nodes just within the budget", Instances(3000, 524), "1 Big/3000/1000 x...", }, // 2,096,000 of 2,097,152 + 2 a byte
        {"a mesh shown by more nodes than the budget allows", Instances(60000, 30),
         "0 | TooLarge Error reading input file, its nodes make 1800000 vertices and 600000 faces, more than a file of its size may have."},

        // Animation, by how the keys are read.
        {"an animation of a second", Moving({0, 1}, {0, 0, 0, 3, 0, 0}), "1 @31 Tri/3/1* keys"},
        {"an animation that stands still", Moving({0, 1}, {3, 0, 0, 3, 0, 0}), "1 @31 Tri/3/1 keys"},
        {"a longer animation than its key slots allow", Moving({0, 1e6f}, {0, 0, 0, 3, 0, 0}),
         "0 @30000001 Tri/3/1 | TooLarge Error reading input file, its keyframe animation is too long: 30000001 frames of 1 object."},
        {"the same, its keys read where they fit", Moving({0, 1e6f}, {0, 0, 0, 3, 0, 0}), "1 @30000001 Tri/3/1", "model.gltf", kKeyframes, KeyTracks::ReadWhenTheyFit},
        {"frames that place an object and the node above it past the limit", placedByParent,
         "0 @3000001 Tri/3/1 | TooLarge Error reading input file, its keyframe animation is too long: 3000001 frames of 2 nodes."},
        {"the same, its keys skipped", Moving({0, 1e6f}, {0, 0, 0, 3, 0, 0}), "1 @30000001 Tri/3/1", "model.gltf", kKeyframes, KeyTracks::Skip},
        {"key times that fall", Moving({0, 1, 0.5f}, {0, 0, 0, 3, 0, 0, 1, 1, 1}), "0 Tri/3/1 | Damaged " + kInvalid + "the key times of an animation sampler do not rise."},
        {"the same, its keys read where they fit", Moving({0, 1, 0.5f}, {0, 0, 0, 3, 0, 0, 1, 1, 1}), "1 Tri/3/1", "model.gltf", kKeyframes, KeyTracks::ReadWhenTheyFit},
        {"fewer values than keys", Moving({0, 1, 2}, {0, 0, 0, 3, 0, 0}), "0 Tri/3/1 | Damaged " + kInvalid + "an animation sampler has 2 values for 3 key times, where 3 are needed."},
        {"a cubic spline of one value a key", Moving({0, 1}, {0, 0, 0, 3, 0, 0}, "CUBICSPLINE"), "0 Tri/3/1 | Damaged " + kInvalid + "an animation sampler has 2 values for 2 key times, where 6 are needed."},
        {"more keys than the file's size allows", claimedKeys,
         "0 Tri/3/1 | TooLarge Error reading input file, its animation has more keys than a file of its size may have."},
        {"the same, its keys skipped", claimedKeys, "1 Tri/3/1", "model.gltf", kKeyframes, KeyTracks::Skip},
        {"an interpolation glTF lacks", Moving({0, 1}, {0, 0, 0, 3, 0, 0}, "SMOOTH"),
         "0 Tri/3/1 | Damaged " + kInvalid + "an animation sampler interpolates by SMOOTH, which glTF does not define."},
        {"a second channel of the same property", Moving({0, 1}, {0, 0, 0, 3, 0, 0}, "LINEAR", R"(,{"sampler":0,"target":{"node":0,"path":"translation"}})"),
         "1 @31 Tri/3/1* keys | Warning: 1 animation channel was left out: an earlier channel animates the same property"},
        {"a channel of a missing sampler", Moving({0, 1}, {0, 0, 0, 3, 0, 0}, "LINEAR", R"(,{"sampler":4,"target":{"node":0,"path":"scale"}})"),
         "0 @31 Tri/3/1 | Damaged " + kInvalid + "an animation channel refers to a sampler that does not exist."},
    };
    for (const Case& c : cases)
        ExpectDescribed(c);
}

// The first object a document loads, or the one given: vertices, mapping and faces.
TEST(GltfReader, DocumentsToVerticesAndFaces) {
    GltfBuffer zero, strip = Triangle(), fan, normalized = Triangle(), sparse = Triangle(), two = Triangle();
    zero.AddFloats({-0.0f, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3");
    strip.AddFloats({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, "VEC3");
    strip.Add(Bytes8({0, 1, 2, 3}), "SCALAR", 5121);
    fan.AddFloats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, -1, 0, 0}, "VEC3");
    normalized.Add(Shorts({32767, -32768, 16384, 0, 0, 0, 0, 0, 0}), "VEC3", 5122, 0, R"(,"normalized":true)");
    normalized.Add(Bytes8({255, 0, 0, 255, 128, 64}), "VEC2", 5121, 0, R"(,"normalized":true)");
    const std::size_t values = sparse.AddFloats({9, 9, 9}, "VEC3"), indices = sparse.Add(Bytes8({1}), "SCALAR", 5121);
    sparse.Add({}, "VEC3", 5126, 3, R"(,"bufferView":0,"sparse":{"count":1,"indices":{"bufferView":)" + std::to_string(indices) +
                                        R"(,"componentType":5121},"values":{"bufferView":)" + std::to_string(values) + "}}");
    two.AddFloats({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3");
    const std::tuple<const char*, Bytes, int, std::string> cases[] = {
        {"a node's translation", Scene(R"("nodes":[{"translation":[10,0,0],"mesh":0,"children":[1]},{"matrix":[0,0,-1,0,0,1,0,0,1,0,0,0,0,0,0,1],"mesh":0}])"), 0,
         "11,-3,2,0,0 14,-6,5,1,0.5 17,-10,8,0.25,1 | 0,1,2"},
        {"its child's quarter turn about Y", Scene(R"("nodes":[{"translation":[10,0,0],"mesh":0,"children":[1]},{"matrix":[0,0,-1,0,0,1,0,0,1,0,0,0,0,0,0,1],"mesh":0}])"), 1,
         "13,1,2,0,0 16,4,5,1,0.5 20,7,8,0.25,1 | 0,1,2"},
        {"scale, then a half turn about X, then translation", Scene(R"("nodes":[{"rotation":[1,0,0,0],"scale":[2,3,4],"translation":[0,0,1],"mesh":0}])"), 0,
         "2,11,-6,0,0 8,23,-15,1,0.5 14,39,-24,0.25,1 | 0,1,2"},
        {"a turn about Z as a unit quaternion", Scene(R"("nodes":[{"rotation":[0,0,0.6,0.8],"mesh":0}])"), 0,
         "-1.64,-3,1.52,0,0 -3.68,-6,5.24,1,0.5 -5.72,-10,8.96,0.25,1 | 0,1,2"},
        {"points kept exactly without a transform, negative zeros too", Primitives(R"({"attributes":{"POSITION":0}})", zero), 0,
         "-0,-0,0,0,0 1,-0,0,0,0 0,-0,1,0,0 | 0,1,2"},
        {"a strip, its indices bytes", Primitives(R"({"attributes":{"POSITION":2},"indices":3,"mode":5})", strip), 0,
         "0,-0,0,0,0 1,-0,0,0,0 0,-0,1,0,0 1,-0,1,0,0 | 0,1,2 1,3,2"},
        {"a fan without indices", Primitives(R"({"attributes":{"POSITION":0},"mode":6})", fan), 0,
         "0,-0,0,0,0 1,-0,0,0,0 1,-0,1,0,0 0,-0,1,0,0 -1,-0,0,0,0 | 1,2,0 2,3,0 3,4,0"},
        {"normalized points and coordinates", Primitives(R"({"attributes":{"POSITION":2,"TEXCOORD_0":3}})", normalized), 0,
         "1,-0.500015,-1,1,0 0,-0,0,0,1 0,-0,0,0.501961,0.25098 | 0,1,2"},
        {"a sparse accessor over a view", Primitives(R"({"attributes":{"POSITION":4}})", sparse), 0,
         "1,-3,2,0,0 9,-9,9,0,0 7,-10,8,0,0 | 0,1,2"},
        {"face attributes from the material's name", Primitives(R"({"attributes":{"POSITION":0},"material":0})", Triangle(), R"(,"materials":[{"name":"skin3wfx1A"}])"), 0,
         "1,-3,2,0,0 4,-6,5,0,0 7,-10,8,0,0 | 0,1,2(3 0 10100 26 0)"},
        {"primitives appended", Primitives(kPrimitive + R"(,{"attributes":{"POSITION":2}})", two), 0,
         "1,-3,2,0,0 4,-6,5,1,0.5 7,-10,8,0.25,1 0,-0,0,0,0 1,-0,0,0,0 0,-0,1,0,0 | 0,1,2 3,4,5"},
        {"primitives sharing their vertices", Primitives(kPrimitive + "," + kPrimitive), 0,
         "1,-3,2,0,0 4,-6,5,1,0.5 7,-10,8,0.25,1 | 0,1,2 0,1,2"},
    };
    for (const auto& [label, file, object, expected] : cases) {
        support::LoadedFile loaded(file, "model.gltf");
        ASSERT_EQ(loaded.result, 1) << label << ": " << loaded.text;
        EXPECT_EQ(Geometry(*loaded.model->GetObject(object)), expected) << label;
    }
}

// Frames placed by the nodes' animation: "name: vertices | faces" of the
// merged frame, or "none" for a frame not built.
TEST(GltfReader, AnimationPlacesFrames) {
    const std::vector<float> quarterTurn = {0, 0, 0, 1, 0, 0.70710678f, 0, 0.70710678f};
    GltfBuffer parent = Triangle();
    const std::size_t times = parent.AddFloats({0, 1}, "SCALAR"), moves = parent.AddFloats({0, 0, 0, 3, 0, 0}, "VEC3");
    const Bytes nested = parent.File(R"("nodes":[{"name":"P","children":[1]},{"name":"C","translation":[0,0,5],"mesh":0},{"name":"Still","mesh":0}],)" +
                                     kTriangleMeshes + R"(,"animations":[{"samplers":[{"input":)" + std::to_string(times) + R"(,"output":)" +
                                     std::to_string(moves) + R"(}],"channels":[{"sampler":0,"target":{"node":0,"path":"translation"}}]}])")
                             .model;
    GltfBuffer turning = Triangle();
    turning.AddFloats({0, 1}, "SCALAR"), turning.AddFloats(quarterTurn, "VEC4");
    const Bytes turned = turning.File(R"("nodes":[{"name":"Tri","mesh":0}],)" + kTriangleMeshes +
                                      R"(,"animations":[{"samplers":[{"input":2,"output":3}],"channels":[{"sampler":0,"target":{"node":0,"path":"rotation"}}]}])")
                             .model;
    const std::vector<float> spline = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0}; // in, value, out for each key
    const std::vector<float> tangents = {0, 0, 0, 0, 0, 0, 6, 0, 0, 3, 0, 0, 3, 0, 0, 0, 0, 0};
    const std::tuple<const char*, Bytes, int, std::string> cases[] = {
        {"linear, the first frame", Moving({0, 1}, {0, 0, 0, 3, 0, 0}), 0, "Tri: 1,-3,2 4,-6,5 7,-10,8 | 0,1,2"},
        {"linear, half way", Moving({0, 1}, {0, 0, 0, 3, 0, 0}), 15, "Tri: 2.5,-3,2 5.5,-6,5 8.5,-10,8 | 0,1,2"},
        {"linear, the last frame", Moving({0, 1}, {0, 0, 0, 3, 0, 0}), 30, "Tri: 4,-3,2 7,-6,5 10,-10,8 | 0,1,2"},
        {"past the last frame", Moving({0, 1}, {0, 0, 0, 3, 0, 0}), 31, "none"},
        {"before the first key, its value", Moving({0.5f, 1}, {0, 0, 1, 3, 0, 1}), 3, "Tri: 1,-4,2 4,-7,5 7,-11,8 | 0,1,2"},
        {"a step just before its key", Moving({0, 0.5f}, {0, 0, 0, 3, 0, 0}, "STEP"), 14, "Tri: 1,-3,2 4,-6,5 7,-10,8 | 0,1,2"},
        {"a step at its key", Moving({0, 0.5f}, {0, 0, 0, 3, 0, 0}, "STEP"), 15, "Tri: 4,-3,2 7,-6,5 10,-10,8 | 0,1,2"},
        {"a cubic spline a third of the way", Moving({0, 1}, spline, "CUBICSPLINE"), 10, "Tri: 1.77778,-3,2 4.77778,-6,5 7.77778,-10,8 | 0,1,2"},
        {"a cubic spline leaving and reaching its keys along their tangents", Moving({0, 1}, tangents, "CUBICSPLINE"), 10,
         "Tri: 2.44444,-3,2 5.44444,-6,5 8.44444,-10,8 | 0,1,2"},
        {"a turn half way, along the great arc", turned, 15, "Tri: 2.82843,-1.41421,2 7.07107,-1.41421,5 12.0208,-2.12132,8 | 0,1,2"},
        {"a child moved with its parent, merged with a still node", nested, 30,
         "C: 4,-8,2 7,-11,5 10,-15,8 1,-3,2 4,-6,5 7,-10,8 | 0,1,2 3,4,5"},
    };
    for (const auto& [label, file, frame, expected] : cases) {
        support::LoadedFile loaded(file, "model.gltf");
        ASSERT_EQ(loaded.result, 1) << label << ": " << loaded.text;
        ModelObject out;
        loaded.model->BuildFrame(frame, &out);
        EXPECT_EQ(out.valid ? out.name + ": " + Geometry(out, false) : "none", expected) << label;
    }
}

// A .gltf's buffer files are read from its folder or below, never from
// elsewhere, nor for standard input, which has no folder.
TEST(GltfReader, BufferFilesOnlyFromTheFilesFolder) {
    support::TemporaryFolder folder;
    std::filesystem::create_directory(folder.Path() / "sub");
    const std::string model = folder / "scene.gltf";
    const std::string refused = "0 | InputUnreadable Error reading input file, its buffer ";
    const std::tuple<std::string, std::string, std::string> cases[] = { // the buffer's URI, the file's path, the outcome
        {"scene.bin", model, "1 Tri/3/1 keys"},
        {"sub/scene.bin", model, "1 Tri/3/1 keys"},
        {"sub%2Fscene.bin", model, "1 Tri/3/1 keys"},
        {"./scene.bin", model, "1 Tri/3/1 keys"},
        {"scene.bin", "scene.gltf", refused + "file scene.bin cannot be read."}, // in the working folder, which is not the file's
        {"scene.bin", "", refused + "scene.bin is a file beside it, and a file read from standard input has none."},
        {"missing.bin", model, refused + "file missing.bin cannot be read."},
        {"sub", model, refused + "file sub cannot be read."},
        {"../scene.bin", folder / "sub/scene.gltf", refused + "../scene.bin is not a file in its folder; only those are read."},
        {"sub/../../scene.bin", model, refused + "sub/../../scene.bin is not a file in its folder; only those are read."},
        {"%2E%2E/scene.bin", folder / "sub/scene.gltf", refused + "../scene.bin is not a file in its folder; only those are read."},
        {"..\\scene.bin", folder / "sub/scene.gltf", refused + "..\\scene.bin is not a file in its folder; only those are read."},
        {model.substr(0, model.size() - 4) + "bin", model, refused + model.substr(0, model.size() - 4) + "bin is not a file in its folder; only those are read."},
        {"http://example.org/scene.bin", model, refused + "http://example.org/scene.bin is not a file in its folder; only those are read."},
        {"file:scene.bin", model, refused + "file:scene.bin is not a file in its folder; only those are read."},
    };
    const GltfBuffer buffer = Triangle();
    for (const char* place : {"scene.bin", "sub/scene.bin"})
        ASSERT_TRUE(fixtures::WriteFile(folder / place, buffer.Bytes()));
    for (const auto& [uri, path, expected] : cases) {
        const fixtures::GltfFiles files = buffer.File(R"("nodes":[{"mesh":0}],)" + kTriangleMeshes, GltfLayout::ExternalBuffer, uri);
        support::LoadedFile loaded(files.model, path);
        EXPECT_EQ(Describe(loaded), expected) << uri << " from " << path;
    }
    // A buffer file of another length than the document states is damaged.
    ASSERT_TRUE(fixtures::WriteFile(folder / "scene.bin", {1, 2, 3, 4}));
    support::LoadedFile shorter(buffer.File(R"("nodes":[{"mesh":0}],)" + kTriangleMeshes, GltfLayout::ExternalBuffer, "scene.bin").model, model);
    EXPECT_EQ(Describe(shorter), "0 | Damaged " + kInvalid + "File size mismatch : scene.bin, requestedBytes 60, but got 4.");
}
