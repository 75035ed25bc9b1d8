// The .3DS reader, from bytes to objects and messages: one table of files,
// each with the objects it loads and the one "Error" message it shows if it
// fails (none when it succeeds).

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>

using fixtures::ChunkWriter;
using Bytes = std::vector<std::uint8_t>;

namespace {
const std::string kNotA3ds = "Error reading input file, it does not appear to be a true .3DS file.";
const std::string kCut = "Error reading input file, it is truncated or damaged.";
std::string TooLong(const std::string& counts) { return "Error reading input file, its keyframe animation is too long: " + counts + "."; }
const std::string kCounts = "Error: Object point counts do not match";
const std::string kNoVertex = "Error reading input file, a face of object Box uses a vertex that the object does not have.";
constexpr LoadMode kKeyframes = LoadMode::KeyframeModel, kMorph = LoadMode::MorphSequence;

// The kind of failure that a load failing with the message tells.
ErrorKind KindOf(const std::string& error) {
    if (error.empty())
        return ErrorKind::None;
    if (error == kNotA3ds)
        return ErrorKind::NotAModel;
    return error.find("is too long") != std::string::npos ? ErrorKind::TooLarge : ErrorKind::Damaged;
}

Bytes Triangles(const std::vector<std::string>& names, const fixtures::Keyframes* keys = nullptr) {
    std::vector<fixtures::Mesh> meshes;
    for (const std::string& name : names) // each told apart by its first vertex
        meshes.push_back(support::Triangle(name)), meshes.back().vertices[0][0] = static_cast<float>(meshes.size());
    return fixtures::BuildModelFile(meshes, keys);
}

void Mesh(ChunkWriter& w, const char* name) { fixtures::WriteMeshBlock(w, support::Triangle(name)); }

// The main chunk holding `levels` nested editor chunks, the innermost holding what body writes.
Bytes Editor(const std::function<void(ChunkWriter&)>& body, int levels = 1) {
    ChunkWriter w;
    for (int i = 0; i <= levels; ++i)
        w.Begin(i ? fixtures::kEditor : fixtures::kMain);
    body(w);
    for (int i = 0; i <= levels; ++i)
        w.End();
    return w.Take();
}

// Object Box: a chunk `junk` bytes long (none for 0), `meshes` empty meshes,
// or a mesh holding one list chunk (id, count, `size` zero bytes). Mesh Next
// follows, so a read past the list would find data.
Bytes Box(std::uint32_t junk, int meshes, std::uint16_t id = 0, std::uint16_t count = 0, std::size_t size = 0) {
    return Editor([=](ChunkWriter& w) {
        w.Begin(fixtures::kObjectBlock), w.String("Box");
        if (junk)
            w.RawHeader(0x1234, junk);
        for (int i = 0; i < meshes; ++i)
            w.RawHeader(fixtures::kTriangleMesh, 6);
        if (id)
            w.Begin(fixtures::kTriangleMesh), w.Begin(id), w.Word(count), w.Bytes(std::string(size, '\0').data(), size), w.End(), w.End();
        w.End(), Mesh(w, "Next");
    });
}

// Object Box: an empty mesh, then a list of `count` vertices beside it in
// the object block, which the counting pass does not size.
Bytes StrayVertices(std::uint16_t count) {
    return Editor([=](ChunkWriter& w) {
        const std::string zeros(count * std::size_t{12}, '\0');
        w.Begin(fixtures::kObjectBlock), w.String("Box"), w.Begin(fixtures::kTriangleMesh), w.End();
        w.Begin(fixtures::kVertexList), w.Word(count), w.Bytes(zeros.data(), zeros.size()), w.End(), w.End();
    });
}

// Objects A then B, the main chunk's length set to mainLength (0: as written,
// ending after A), B's chunks trailing.
Bytes Trailer(std::uint32_t mainLength) {
    Bytes bytes = Triangles({"A"}), second = Triangles({"B"});
    bytes.insert(bytes.end(), second.begin() + 6, second.end());
    for (int i = 0; mainLength && i < 4; ++i)
        bytes[2 + i] = static_cast<std::uint8_t>(mainLength >> (8 * i));
    return bytes;
}

// A segment 0..lastFrame and `turns` nodes with a rotation track for object
// Box (no object when none); the file's size does not depend on lastFrame.
Bytes Segment(std::uint32_t lastFrame, int turns = 0) {
    fixtures::Keyframes keys{0, lastFrame, std::vector(static_cast<std::size_t>(turns), fixtures::Node{"Box", {}, {{0, {}}}, {}})};
    return Triangles(std::vector<std::string>(turns ? 1 : 0, "Box"), &keys);
}

// "result @frames name/vertices/faces ... | sorted positions" (mode 1); a run
// of equal objects is written once with its length, "!" marks arrays that do
// not hold their count's records, or, after a successful load, key tracks
// that do not have a slot per frame where the keys were read and none where not.
std::string Summary(CModel3DS& model, int result, LoadMode mode) {
    const int frames = model.GetFrameSegmentLength();
    const std::size_t slots = result && model.AreKeysRead() ? static_cast<std::size_t>(frames) : 0;
    std::ostringstream out(std::to_string(result) + (frames != 1 ? " @" + std::to_string(frames) : ""), std::ios::ate);
    std::vector<std::string> objects;
    for (int i = 0; i < model.GetObjectCount(); ++i) {
        const ModelObject& o = *model.GetObject(i);
        const bool keys = !result || (o.positionKeys.size() == slots && o.rotationKeys.size() == slots && o.scaleKeys.size() == slots);
        objects.push_back(o.name + "/" + std::to_string(o.vertexCount) + "/" + std::to_string(o.faceCount) +
                          (o.vertices.size() == o.vertexCount && o.faces.size() == o.faceCount && keys ? "" : "!"));
    }
    for (auto run = objects.begin(), next = run; run != objects.end(); run = next) {
        next = std::find_if(run, objects.end(), [&](const std::string& text) { return text != *run; });
        out << ' ' << *run << (next - run > 1 ? " x" + std::to_string(next - run) : "");
    }
    for (int i = 0, j = 0; mode == kMorph && result && i < model.GetObjectCount(); ++i, j = 0) {
        ModelObject frame;
        model.BuildFrame(i, &frame);
        while (model.GetObject(j)->vertices[0].x != frame.vertices[0].x)
            ++j;
        out << (i ? " " : " | ") << j;
    }
    return out.str();
}
} // namespace

TEST(Reader, FilesToObjectsAndMessages) {
    const Bytes whole = Triangles({"Cut"}), cut(whole.begin(), whole.end() - 10); // cut inside the face list
    fixtures::Mesh bad = support::Triangle("Box"), eight = support::Triangle("B"), nine = support::Triangle("A");
    bad.faces.push_back({0, 1, 3}), eight.vertices.resize(8), nine.vertices.resize(9);
    // Key slots (objects times frames) may number 2^22; rotation fill-ins four times the slots, or 2^18.
    const fixtures::Keyframes half{0, 1u << 21, {}};
    const std::tuple<const char*, Bytes, LoadMode, std::string, std::string> cases[] = { // label, file, mode, summary, error
        {"empty file", {}, kKeyframes, "0", kNotA3ds},
        {"wrong magic", {0x4D, 0x4C, 6, 0, 0, 0}, kKeyframes, "0", kNotA3ds},
        {"magic without length", {0x4D, 0x4D, 0x10}, kKeyframes, "0", kCut},
        {"main chunk alone", {0x4D, 0x4D, 6, 0, 0, 0}, kKeyframes, "1", ""},
        {"file order, ! names skipped", Triangles({"Hull", "!Camera", "Deck"}), kKeyframes, "1 Hull/3/1 Deck/3/1", ""},
        {"names cut to 12", Triangles({"abcdefghijk", "abcdefghijkl", "abcdefghijklm"}), kKeyframes, "1 abcdefghijk/3/1 abcdefghijkl/3/1 x2", ""},
        {"name without terminator", Editor([](ChunkWriter& w) { w.RawHeader(fixtures::kObjectBlock, 9), w.Bytes("Box", 3); }), kKeyframes, "1", ""},
        {"two meshes in a block", Box(0, 2), kKeyframes, "1 Box/0/0 x2 Next/3/1", ""},
        {"chunk of 6 bytes", Box(6, 1), kKeyframes, "1 Box/0/0 Next/3/1", ""},
        {"chunk of 5 bytes ends its level", Box(5, 1), kKeyframes, "1 Next/3/1", ""},
        {"length past 4 GiB ends its level", Box(0xFFFFFFF0u, 1), kKeyframes, "1 Next/3/1", ""},
        {"chunks per level at the cap", Box(0, 10000), kKeyframes, "1 Box/0/0 x10000 Next/3/1", ""},
        {"chunks per level past the cap", Box(0, 10001), kKeyframes, "1 Box/0/0 x10000 Next/3/1", ""},
        {"nested to the deepest level read", Editor([](ChunkWriter& w) { Mesh(w, "Deep"); }, 30), kKeyframes, "1 Deep/3/1", ""},
        {"mesh content too deep", Editor([](ChunkWriter& w) { Mesh(w, "Deep"); }, 31), kKeyframes, "1 Deep/0/0", ""},
        {"object block content too deep", Editor([](ChunkWriter& w) { Mesh(w, "Deep"); }, 32), kKeyframes, "1", ""},
        {"main length honoured", Trailer(0), kKeyframes, "1 A/3/1", ""},
        {"main length clamped to the file", Trailer(0x7FFFFFFF), kKeyframes, "1 A/3/1 B/3/1", ""},
        {"main length below 6 wraps to nothing", Trailer(2), kKeyframes, "1", ""},
        {"file cut inside a list", cut, kKeyframes, "0 Cut/3/0", kCut},
        {"vertices filling their chunk", Box(0, 0, fixtures::kVertexList, 1, 12), kKeyframes, "1 Box/1/0 Next/3/1", ""},
        {"vertices beside the mesh join its object", StrayVertices(20000), kKeyframes, "1 Box/20000/0", ""},
        {"vertex count past its chunk", Box(0, 0, fixtures::kVertexList, 2, 12), kKeyframes, "0 Box/0/0 /0/0", kCut},
        {"face count past its chunk", Box(0, 0, fixtures::kFaceList, 1, 7), kKeyframes, "0 Box/0/0 /0/0", kCut},
        {"mapping count past its chunk", Box(0, 0, fixtures::kMapping, 2, 8), kKeyframes, "0 Box/0/0 /0/0", kCut},
        {"face naming a missing vertex", fixtures::BuildModelFile({bad}), kKeyframes, "0 Box/3/2", kNoVertex},
        {"face in an object without vertices", Box(0, 0, fixtures::kFaceList, 1, 8), kKeyframes, "0 Box/0/1 Next/3/1", kNoVertex},
        {"point counts differ, mode 1", fixtures::BuildModelFile({eight, nine}), kMorph, "0 B/8/1 A/0/0", kCounts},
        {"mode 1 sorts by byte value", Triangles({"C", "A", "Box10", "Box2", "B", "a", "Box", "", "Zed", "B2"}), kMorph,
         "1 C/3/1 A/3/1 Box10/3/1 Box2/3/1 B/3/1 a/3/1 Box/3/1 /3/1 Zed/3/1 B2/3/1 | 7 1 4 9 6 2 3 0 8 5", ""},
        {"mode 1 equal names swap", Triangles({"Same", "Same"}), kMorph, "1 Same/3/1 x2 | 1 0", ""},
        {"longest segment, no objects", Segment(0xFFFFFFFE), kKeyframes, "1 @2147483647", ""},
        {"key slots past the limit", Triangles({"A", "B"}, &half), kKeyframes, "0 @2097153 /0/0 x2", TooLong("2097153 frames of 2 objects")},
        {"fill-ins at the budget", Segment(99999, 4), kKeyframes, "1 @100000 Box/3/1", ""},
        {"fill-ins past the budget", Segment(99999, 5), kKeyframes, "0 @100000 Box/3/1", TooLong("100000 frames of 1 object")},
        {"fill-ins of a short segment", Segment(999, 262), kKeyframes, "1 @1000 Box/3/1", ""},
    };
    for (const auto& [label, bytes, mode, summary, error] : cases) {
        support::LoadedModel loaded(bytes, mode);
        EXPECT_EQ(Summary(loaded.model, loaded.result, mode), summary) << label;
        EXPECT_EQ(loaded.errors, error.empty() ? std::vector<std::string>{} : std::vector{error}) << label;
        EXPECT_EQ(loaded.model.GetError(), KindOf(error)) << label;
    }
    // Without key tracks no slot is made and no fill-in runs: nothing past a limit, the segment still taken.
    // Read where they fit, the keys past a limit are dropped, not refused: "keys" when read.
    const std::tuple<Bytes, KeyTracks, std::string> unlimited[] = {
        {Triangles({"A", "B"}, &half), KeyTracks::Skip, "1 @2097153 A/3/1 B/3/1"},
        {Segment(59999, 200), KeyTracks::Skip, "1 @60000 Box/3/1"},
        {Triangles({"A", "B"}, &half), KeyTracks::ReadWhenTheyFit, "1 @2097153 A/3/1 B/3/1"},
        {Segment(99999, 4), KeyTracks::ReadWhenTheyFit, "1 @100000 Box/3/1 keys"},
        {Segment(99999, 5), KeyTracks::ReadWhenTheyFit, "1 @100000 Box/3/1"},
    };
    for (const auto& [bytes, keys, summary] : unlimited) {
        support::LoadedModel loaded(bytes, kKeyframes, keys);
        EXPECT_EQ(Summary(loaded.model, loaded.result, kKeyframes) + (loaded.model.AreKeysRead() ? " keys" : "") +
                      ::testing::PrintToString(loaded.errors), summary + "{}");
    }
}

// The status sink is shown progress alone; a failure's message stays in the
// status text.
TEST(Reader, ProgressOnTheStatusSink) {
    fixtures::Mesh four = support::Triangle("B");
    four.vertices.push_back({1, 1, 1});
    const std::tuple<Bytes, LoadMode, std::string> cases[] = {
        {Triangles({"Hull", "!Camera", "Deck"}), kKeyframes, "  reading Object 0 of 2;  reading Object 1 of 2;"},
        {Triangles({"B", "A"}), kMorph, "  reading Object 0 of 2;  reading Object 1 of 2;  Sorting objects...;"},
        {fixtures::BuildModelFile({support::Triangle("A"), four}), kMorph, "  reading Object 0 of 2;  reading Object 1 of 2; | " + kCounts},
        {{0x4D, 0x4D, 6, 0, 0, 0}, kMorph, "  Sorting objects...;"},
        {{0x4D, 0x4C, 6, 0, 0, 0}, kKeyframes, " | " + kNotA3ds},
    };
    for (const auto& [bytes, mode, shown] : cases) { // progress texts, each ended by ";", then " | " and each error
        support::LoadedModel loaded(bytes, mode);
        std::string text;
        for (const std::string& line : loaded.progress)
            text += line + ";";
        for (const std::string& error : loaded.errors)
            text += " | " + error;
        EXPECT_EQ(text, shown);
    }
}

#if defined(__SANITIZE_ADDRESS__) // which make check-asan builds with
// The mesh arrays of a model share blocks of memory; under AddressSanitizer a
// write just past any of them is still reported, as past a block of its own.
TEST(Reader, WritesPastMeshArraysAreReportedUnderAddressSanitizer) {
    support::LoadedModel loaded(Triangles({"A", "B"}));
    loaded.model.ComputeFaceNormals(), loaded.model.ComputeVertexNormals();
    for (int i = 0; i < loaded.model.GetObjectCount(); ++i) {
        ModelObject& object = *loaded.model.GetObject(i);
        const auto past = [](auto& array) { std::memset(static_cast<void*>(array.data() + array.capacity()), 0, 1); };
        EXPECT_DEATH(past(object.vertices), "use-after-poison") << object.name;
        EXPECT_DEATH(past(object.faces), "use-after-poison") << object.name;
        EXPECT_DEATH(past(object.vertexNormals), "use-after-poison") << object.name;
        EXPECT_DEATH(past(object.faceNormals), "use-after-poison") << object.name;
    }
}
#endif

namespace {
const std::string kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\n";
const std::string kNotObj = "Error reading input file, it does not appear to be an OBJ file.";
const std::string kNoFaces = "Error reading input file, it holds no faces, and only faces are converted.";
const std::string kMissing = "Error reading input file, a face of object Box uses a position, texture coordinate or normal that the file does not have.";

// "result name/vertices/faces/skins ...": faces as their corners' indices,
// skins as each face's skin digit.
std::string ObjSummary(CLoadedModel& model, int result) {
    std::string text = std::to_string(result);
    for (int i = 0; i < model.GetObjectCount(); ++i) {
        const ModelObject& o = *model.GetObject(i);
        std::string faces, skins;
        for (const ModelFace& face : o.faces) {
            faces += (faces.empty() ? "" : ",") + std::to_string(face.index[0]) + "-" + std::to_string(face.index[1]) + "-" + std::to_string(face.index[2]);
            skins += std::to_string(face.skin);
        }
        text += " " + o.name + "/" + std::to_string(o.vertexCount) + "/" + faces + "/" + skins + (IsWellFormed(o) ? "" : "!");
    }
    return text;
}

// One object of 65,538 distinct corners at one position.
std::string ManyCorners() {
    std::string text = "o Big\nv 0 0 0\n";
    for (int i = 0; i < 65538; ++i)
        text += "vt 0 " + std::to_string(i) + "\n";
    for (int i = 1; i <= 65538; i += 3)
        text += "f 1/" + std::to_string(i) + " 1/" + std::to_string(i + 1) + " 1/" + std::to_string(i + 2) + "\n";
    return text;
}
} // namespace

// The OBJ source, from text to objects, warnings and messages.
TEST(Reader, ObjTextToObjectsAndMessages) {
    const std::string kLeftOut = "Warning: 1 point, 2 lines and 1 face of fewer than three corners left out: only faces of three or more corners are converted";
    const std::tuple<const char*, std::string, LoadMode, std::string, std::string, ErrorKind> cases[] = { // label, text, mode, summary, warning or error, kind
        {"objects by o, g inside them passed over", kSquare + "o A\ng x\nf 1 2 3\ng y\nf 1 3 4\no  B side \nf 1 2 5\n", kKeyframes, "1 A/4/0-1-2,0-2-3/00 B side/3/0-1-2/0", "", ErrorKind::None},
        {"by g without o, names joined", kSquare + "g a \t b\nf 1 2 3\ng c\nf 3 4 5\n", kKeyframes, "1 a b/3/0-1-2/0 c/3/0-1-2/0", "", ErrorKind::None},
        {"faces before the first o; an o without faces left out", kSquare + "f 1 2 3\no Empty\no A\r\nf 2 3 4\n", kKeyframes, "1 /3/0-1-2/0 A/3/0-1-2/0", "", ErrorKind::None},
        {"polygon cut into a fan from its first corner", kSquare + "f 1 2 3 4 5\n", kKeyframes, "1 /5/0-1-2,0-2-3,0-3-4/000", "", ErrorKind::None},
        {"a vertex per distinct corner, in first-use order", kSquare + "vt 0 0\nvt 1 0\nvn 0 0 1\nvn 1 0 0\nf 3/1 2/1 1/1\nf 3/2 1/1 4/1\nf 1//1 1//2 1/1/1\n", kKeyframes, "1 /8/0-1-2,3-2-4,5-6-7/000", "", ErrorKind::None},
        {"negative references count back", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\nv 0 1 0\nf -4 -2 -1\n", kKeyframes, "1 /4/0-1-2,0-2-3/00", "", ErrorKind::None},
        {"a byte order mark before the first statement", "\xEF\xBB\xBFo Box\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", kKeyframes, "1 Box/3/0-1-2/0", "", ErrorKind::None},
        {"references ahead of their elements", "o Box\nf 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n", kKeyframes, "1 Box/3/0-1-2/0", "", ErrorKind::None},
        {"attributes from material names", kSquare + "usemtl skin1t\nf 1 2 3\nusemtl Planks\nf 1 3 4\nusemtl  skin2 \nf 1 4 5\nusemtl skin1t\nf 2 3 4\n", kKeyframes, "1 /5/0-1-2,0-2-3,0-3-4,1-2-3/1021", "", ErrorKind::None},
        {"points and lines left out", kSquare + "p 1 2\nl 1 2 3\n \tl 3 4\nf 1 2\nf 1 2 3\n", kKeyframes, "1 /3/0-1-2/0", kLeftOut, ErrorKind::None},
        {"names cut to 12, flags from the whole name", kSquare + "o abcdefghijklm_T\nf 1 2 3\no abcdefghij_E\nf 1 2 3\no abcdefghijk_x_E_T\nf 1 2 3\n", kKeyframes,
         "1 abcdefghijkl_T/3/0-1-2/0 abcdefghij_E/3/0-1-2/0 abcdefghijk__T_E/3/0-1-2/0", "", ErrorKind::None},
        {"same vertex counts, mode 1", kSquare + "o B\nf 1 2 3\no A\nf 3 4 5\n", kMorph, "1 B/3/0-1-2/0 A/3/0-1-2/0", "", ErrorKind::None},
        {"empty file", "", kKeyframes, "0", kNotObj, ErrorKind::NotAModel},
        {"binary bytes", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10), kKeyframes, "0", kNotObj, ErrorKind::NotAModel},
        {"vertices without faces", kSquare + "l 1 2\n", kKeyframes, "0", kNoFaces, ErrorKind::NotAModel},
        {"position 0", kSquare + "o Box\nf 0 1 2\n", kKeyframes, "0", kMissing, ErrorKind::Damaged},
        {"position past the last", kSquare + "o Box\nf 1 2 6\n", kKeyframes, "0", kMissing, ErrorKind::Damaged},
        {"reference before the first", kSquare + "o Box\nf -6 1 2\n", kKeyframes, "0", kMissing, ErrorKind::Damaged},
        {"texture coordinate past the last", kSquare + "vt 0 0\no Box\nf 1/1 2/2 3/1\n", kKeyframes, "0", kMissing, ErrorKind::Damaged},
        {"normal past the last", kSquare + "o Box\nf 1//1 2 3\n", kKeyframes, "0", kMissing, ErrorKind::Damaged},
        {"vertex counts differ, mode 1", kSquare + "o B\nf 1 2 3\no A\nf 1 2 3 4\n", kMorph, "0", kCounts, ErrorKind::Damaged},
        {"object beyond 65,535 vertices", ManyCorners(), kKeyframes, "0",
         "Error reading input file, object Big has 65538 vertices and 21846 faces, more than the 65535 of each that an object may have.", ErrorKind::TooLarge},
    };
    for (const auto& [label, text, mode, summary, message, kind] : cases) {
        support::LoadedFile loaded(text, ModelFormat::Obj, mode);
        EXPECT_EQ(ObjSummary(*loaded.model, loaded.result), summary) << label;
        const std::vector<std::string> told = kind == ErrorKind::None ? loaded.model->GetWarnings() : loaded.errors;
        EXPECT_EQ(told, message.empty() ? std::vector<std::string>{} : std::vector{message}) << label;
        EXPECT_EQ(loaded.model->GetError(), kind) << label;
    }
}

// Positions turned from Y up, or taken as they are; v from the bottom as a
// .3DS file stores it, (0, 0) without a texture coordinate; one key slot
// per object that stands still, where the keys are read.
TEST(Reader, ObjPositionsAndMapping) {
    const std::string text = "v 1 2 -0\nv 4 5 6\nvt 0.25 0.75\nf 1/1 2 1\n";
    for (const auto& [up, expected] : {std::pair{UpAxis::Y, "(1 0 2 0.25 0.25) (4 -6 5 0 0) (1 0 2 0 0)"}, std::pair{UpAxis::Z, "(1 2 -0 0.25 0.25) (4 5 6 0 0) (1 2 -0 0 0)"}}) {
        support::LoadedFile loaded(text, ModelFormat::Obj, kKeyframes, {.keys = KeyTracks::Read, .objUp = up});
        ASSERT_EQ(loaded.result, 1);
        const ModelObject& object = *loaded.model->GetObject(0);
        std::ostringstream vertices;
        for (const ModelVertex& v : object.vertices)
            vertices << (vertices.tellp() ? " (" : "(") << v.x << ' ' << v.y << ' ' << v.z << ' ' << v.u << ' ' << v.v << ')';
        EXPECT_EQ(vertices.str(), expected);
        EXPECT_EQ(object.positionKeys.size() + object.rotationKeys.size() + object.scaleKeys.size(), 3u);
        EXPECT_EQ(loaded.model->GetFrameCount(), 1);
    }
}

#if TESSALINE_WITH_ASSIMP
namespace {
// A COLLADA scene of one quad mesh under three nodes: Parent_T moved along x,
// its Child moved along y, and a Sibling. The mesh's material, bound where
// Parent_T places it, is skin1t for all three: the importer keeps one
// material a mesh.
std::string Collada(const std::string& upAxis) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><unit name="meter" meter="1"/><up_axis>)" + upAxis + R"(</up_axis></asset>
  <library_effects><effect id="e1"><profile_COMMON><technique sid="t"><lambert/></technique></profile_COMMON></effect></library_effects>
  <library_materials><material id="m1" name="skin1t"><instance_effect url="#e1"/></material></library_materials>
  <library_geometries><geometry id="g1" name="Quad"><mesh>
    <source id="p"><float_array id="pa" count="12">0 0 0 1 0 0 1 1 0 0 1 0</float_array>
      <technique_common><accessor source="#pa" count="4" stride="3"><param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
    <vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
    <polylist count="1" material="mat"><input semantic="VERTEX" source="#v" offset="0"/><vcount>4</vcount><p>0 1 2 3</p></polylist>
  </mesh></geometry></library_geometries>
  <library_visual_scenes><visual_scene id="s">
    <node id="a" name="Parent_T"><translate>10 0 0</translate>
      <instance_geometry url="#g1"><bind_material><technique_common><instance_material symbol="mat" target="#m1"/></technique_common></bind_material></instance_geometry>
      <node id="b" name="Child"><translate>0 5 0</translate><instance_geometry url="#g1"/></node>
    </node>
    <node id="c" name="Sibling"><instance_geometry url="#g1"/></node>
  </visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)";
}

const std::string kPlyHeader = "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\nproperty float z\n";

// "summary | first vertex of each object".
std::string AssimpSummary(CLoadedModel& model, int result) {
    std::ostringstream first;
    for (int i = 0; result && i < model.GetObjectCount(); ++i) {
        const ModelVertex& v = model.GetObject(i)->vertices.at(0);
        first << " (" << v.x << ' ' << v.y << ' ' << v.z << ')';
    }
    return ObjSummary(model, result) + " |" + first.str();
}
} // namespace

// The general importer's formats: nodes in depth-first order placed by their
// world transforms and turned to Z up, polygons cut, material names giving
// attributes, points left out, refusals with the importer's reason.
TEST(Reader, GeneralImporterFilesToObjectsAndMessages) {
    const std::string kRefused = "Error reading input file, the importer cannot read it: ";
    const std::tuple<const char*, std::string, std::string, std::string, std::string> cases[] = { // label, name, text, summary, warning or error
        {"nodes depth first, placed, Y up", "scene.dae", Collada("Y_UP"),
         "1 Parent_T/4/0-1-2,0-2-3/11 Child/4/0-1-2,0-2-3/11 Sibling/4/0-1-2,0-2-3/11 | (10 -0 0) (10 -0 5) (0 -0 0)", ""},
        {"a Z-up scene as the importer turns it", "scene.dae", Collada("Z_UP"),
         "1 Parent_T/4/0-1-2,0-2-3/11 Child/4/0-1-2,0-2-3/11 Sibling/4/0-1-2,0-2-3/11 | (10 -0 0) (10 5 0) (0 -0 0)", ""},
        {"PLY quad", "quad.ply", kPlyHeader + "element face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n4 0 1 2 3\n",
         "1 /4/0-1-2,0-2-3/00 | (0 -0 0)", ""},
        {"PLY points alone", "cloud.ply", kPlyHeader + "end_header\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n", "0 |",
         "Error reading input file, it holds no faces, and only faces are converted."},
        {"PLY cut short: a face without corners", "cut.ply", kPlyHeader + "element face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n", "0 |",
         "Error reading input file, a face of mesh (unnamed) names no vertex, or one its mesh does not have."},
        {"PLY face naming the vertex after the last", "past.ply", kPlyHeader + "element face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n3 0 1 4\n", "0 |",
         "Error reading input file, a face of mesh (unnamed) names no vertex, or one its mesh does not have."},
        {"OFF counting more than it holds", "big.off", "OFF\n# counts\n100 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", "0 |",
         "Error reading input file, its OFF header counts more vertices and faces than the file holds."},
        {"OFF holding its counts", "tri.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", "1 <OFFRoot>/3/0-1-2/0 | (0 -0 0)", ""},
        {"not a model", "notes.stl", "hello\n", "0 |", kRefused + "File is too small"},
        {"PLY header cut short", "cut.ply", "ply\nformat ascii 1.0\nelement vertex 4\n", "0 |", "Error reading input file, its PLY header has no end_header line."},
    };
    for (const auto& [label, name, text, summary, message] : cases) {
        support::LoadedFile loaded(text, ModelFormat::Other, kKeyframes, {.path = name});
        EXPECT_EQ(AssimpSummary(*loaded.model, loaded.result), summary) << label;
        const std::vector<std::string> told = loaded.result ? loaded.model->GetWarnings() : loaded.errors;
        EXPECT_EQ(told, message.empty() ? std::vector<std::string>{} : std::vector{message}) << label;
    }
}
#endif
