// Files built to make the reader do as much as their size lets it: counts
// with no records behind them, long keyframe segments, deep
// nesting, lengths past the end. Converting one must stay within a few
// megabytes.
#include "fixtures/gltf_writer.h"
#include "fuzz/exercise_model.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
using namespace fixtures;
using Content = std::function<void(ChunkWriter&)>;

Content operator+(const Content& first, const Content& second) { return [=](ChunkWriter& w) { first(w), second(w); }; }
Content Chunk(std::uint16_t id, const Content& content) { return [=](ChunkWriter& w) { w.Begin(id), content(w), w.End(); }; }
Content Raw(std::uint16_t id, std::uint32_t length) { return [=](ChunkWriter& w) { w.RawHeader(id, length); }; }
Content Text(const char* text) { return [=](ChunkWriter& w) { w.String(text); }; }
Content Words(std::vector<std::uint16_t> words) { return [=](ChunkWriter& w) { for (auto word : words) w.Word(word); }; }
Content Floats(std::vector<float> values) { return [=](ChunkWriter& w) { for (float value : values) w.Float(value); }; }
Content Repeat(int times, const Content& content) { return [=](ChunkWriter& w) { for (int i = 0; i < times; ++i) content(w); }; }
Content Claim(std::uint16_t id) { return Chunk(id, Words({0xFFFF})); } // of records that are absent
Content Nest(int levels, const Content& in) { return levels ? Chunk(levels % 2 ? kKeyframeData : kEditor, Nest(levels - 1, in)) : in; }
std::vector<std::uint8_t> Build(const Content& content) { ChunkWriter w; content(w); return w.Take(); }
std::vector<std::uint8_t> Json(const std::string& text) { return {text.begin(), text.end()}; }

const Content kTriangle = Chunk(kVertexList, Words({3}) + Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}));
const Content kOneFace = Words({1, 0, 1, 2, 0});
Content Box(const Content& mesh, const Content& keys = Words({})) // an object named Box, then keyframe data
{
    return Chunk(kMain, Chunk(kEditor, Chunk(kObjectBlock, Text("Box") + Chunk(kTriangleMesh, mesh))) + keys);
}

// A node for Box whose three rotation tracks are keyed at frame 1 and at the
// last frame there is, so that the fill-in between runs in full; its other
// tracks claim keys they do not have.
Content Segment(std::uint32_t lastFrame)
{
    const Content key = Words({1, 0, 0}) + Floats({0.5f, 0, 0, 1}), lastKey = Words({0xFFFF, 0, 0}) + Floats({0.5f, 0, 0, 1});
    const Content rotation = Chunk(kRotationTrack, Words({0, 0, 0, 0, 0, 2, 0}) + key + lastKey);
    const Content node = Chunk(kNodeHeader, Text("Box")) + rotation + rotation + rotation;
    const Content claims = Chunk(kPositionTrack, Words({0, 0, 0, 0, 0, 0xFFFF, 0})) + Chunk(kScaleTrack, Words({0, 0, 0, 0, 0, 0xFFFF, 0}));
    return Chunk(kKeyframeData, Chunk(kSegment, Words({0, 0}) + Words({std::uint16_t(lastFrame), std::uint16_t(lastFrame >> 16)})) +
                                    Chunk(kObjectNode, node + claims));
}
// A glTF document of the members given over accessors without data (zeros,
// as glTF has it): 0 holds a triangle's three points, 1 the count of points
// given; 2 and 3 a scale track's two keys, from 0 to the end time given; 4
// the count of key times given.
std::vector<std::uint8_t> Claims(std::size_t count, const std::string& members, float endTime = 1)
{
    GltfBuffer buffer;
    buffer.Add({}, "VEC3", 5126, 3);
    buffer.Add({}, "VEC3", 5126, count);
    buffer.AddFloats({0, endTime}, "SCALAR");
    buffer.AddFloats({1, 1, 1, 1, 1, 1}, "VEC3");
    buffer.Add({}, "SCALAR", 5126, count);
    return buffer.File(members).model;
}

// "nodes" of count nodes showing mesh 0.
std::string Nodes(int count)
{
    std::string nodes = R"("nodes":[)";
    for (int i = 0; i < count; ++i)
        nodes += i ? R"(,{"mesh":0})" : R"({"mesh":0})";
    return nodes + "]";
}

// Each file's name, its bytes, and whether the load in mode 0 succeeds.
using Hostile = std::tuple<std::string, std::vector<std::uint8_t>, int>;
std::vector<Hostile> HostileFiles()
{
    const std::string triangle = R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],)";
    const std::string claimed = R"("meshes":[{"primitives":[{"attributes":{"POSITION":1}}]}],)";
    const auto scale = [](int input) {
        return R"(,"animations":[{"samplers":[{"input":)" + std::to_string(input) +
               R"(,"output":3}],"channels":[{"sampler":0,"target":{"node":0,"path":"scale"}}]}])";
    };
    const Content moreObjects = Repeat(39, [](ChunkWriter& w) { w.End(), w.Begin(kTriangleMesh); });
    return {{"VertexCountWithoutVertices", Build(Box(Claim(kVertexList))), 0},
            {"FaceCountWithoutFaces", Build(Box(kTriangle + Claim(kFaceList))), 0},
            {"MappingCountWithoutCoordinates", Build(Box(kTriangle + Claim(kMapping))), 0},
            {"MaterialGroupCountWithoutFaces", Build(Box(kTriangle + Chunk(kFaceList, kOneFace + Claim(kMaterialGroup)))), 1},
            {"KeyCountsWithoutKeys", Build(Box(kTriangle, Segment(100))), 1},
            // The conversion reads no keys, however long the segment.
            {"ManyObjectsSharingALongSegment", Build(Box(moreObjects, Segment(1u << 20))), 1},
            {"LongestSegment", Build(Box(kTriangle, Segment(0xFFFFFFFE))), 1},
            {"DeepNesting", Build(Chunk(kMain, Nest(60, Chunk(kObjectBlock, Text("Deep") + Chunk(kTriangleMesh, kTriangle))))), 1},
            {"LengthsPastTheEnd", Build(Raw(kMain, ~0u) + Raw(kEditor, ~0u) + Raw(kObjectBlock, ~0u) + Text("Box") +
                                        Raw(kTriangleMesh, 0xFFFFFFF0) + Raw(kFaceList, 0xFFFFFF00) + Words({0}) +
                                        Raw(kMaterialGroup, ~0u) + Text("skin1") + Words({0xFFFF})), 1},
            // glTF: counts without data, shared by many nodes; a key count and an end time that would
            // make long animations, which the conversion does not read; nesting past the limit.
            {"GltfPointsWithoutData", Claims(std::size_t{1} << 40, claimed + Nodes(8)), 0},
            {"GltfMeshSharedPastTheBudget", Claims(65535, claimed + Nodes(25)), 0},
            {"GltfKeysWithoutData", Claims(std::size_t{1} << 40, triangle + Nodes(1) + scale(4)), 1},
            {"GltfLongAnimation", Claims(3, triangle + Nodes(1) + scale(2), 1e9f), 1},
            {"GltfDeepNesting", Json("{\"asset\":{\"version\":\"2.0\"},\"extras\":" + std::string(250, '[') + std::string(250, ']') + "}"), 0}};
}

// Memory is the peak resident size of a converter process, over that of
// converting a single triangle.
TEST(HostileFiles, ConvertWithinAFewMegabytesAndEndInSuccessOrOneError)
{
    support::TemporaryFolder folder;
    const auto convert = [&](const std::vector<std::uint8_t>& bytes) {
        fixtures::WriteFile(folder / "in.3ds", bytes);
        return support::Run({TESSALINE_CONVERT_PATH, "-o", folder / "out", folder / "in.3ds"});
    };
    const long baseKiB = convert(Build(Box(kTriangle))).peakKiB;
    for (const auto& [name, bytes, converts] : HostileFiles())
    {
        SCOPED_TRACE(name);
        ASSERT_LE(bytes.size(), 1024u);
        const support::Process run = convert(bytes);
        EXPECT_EQ(run.status, 1 - converts) << run.err;
        EXPECT_EQ(run.err.find("Error") == std::string::npos, converts == 1) << run.err;
        EXPECT_EQ(run.err.find("Error"), run.err.rfind("Error")) << run.err;
#if !defined(__SANITIZE_ADDRESS__) // whose allocator keeps freed memory resident
        EXPECT_LE(run.peakKiB - baseKiB, 8 * 1024);
#endif
        const auto outcome = robustness::ExerciseModelBytes(bytes.data(), bytes.size());
        EXPECT_EQ(outcome.broken, "");
        EXPECT_EQ(outcome.loaded[0], converts);
    }
}

std::string Repeated(int times, const std::string& text)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

// OBJ text built to make the OBJ source do as much as its size lets it: a
// polygon of many corners, one position under many distinct corners, many
// small objects, references far past the end, one long line. Its memory
// grows with the file, but by no more than a fixed factor.
TEST(HostileFiles, ObjConvertsWithinMemoryProportionalToItsSize)
{
    std::string corners = "v 0 0 0\n" + Repeated(60000, "vt 0 0\n");
    for (int i = 1; i + 2 <= 60000; i += 3)
        corners += "f 1/" + std::to_string(i) + " 1/" + std::to_string(i + 1) + " 1/" + std::to_string(i + 2) + "\n";
    const std::tuple<const char*, std::string, int> files[] = {
        {"OnePolygonOfManyCorners", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf" + Repeated(100000, " 1 2 3") + "\n", 0},
        {"ManyCornersOfOnePosition", corners, 1},
        {"ManySmallObjects", "v 0 0 0\n" + Repeated(100000, "o a\nf 1 1 1\n"), 1},
        {"ReferencesFarPastTheEnd", "v 0 0 0\n" + Repeated(50000, "f 1 2147483647 -2147483648\n"), 0},
        {"OneLongLine", "o " + std::string(1 << 20, 'x'), 0},
    };
    support::TemporaryFolder folder;
    const auto convert = [&](const std::string& text) {
        support::WriteFile(folder / "in.obj", text);
        return support::Run({TESSALINE_CONVERT_PATH, "-o", folder / "out", folder / "in.obj"});
    };
    const long baseKiB = convert("v 0 0 0\nf 1 1 1\n").peakKiB;
    for (const auto& [name, text, converts] : files)
    {
        SCOPED_TRACE(name);
        const support::Process run = convert(text);
        EXPECT_EQ(run.status, 1 - converts) << run.err;
        EXPECT_EQ(run.err.find("Error") == std::string::npos, converts == 1) << run.err;
        EXPECT_EQ(run.err.find("Error"), run.err.rfind("Error")) << run.err;
#if !defined(__SANITIZE_ADDRESS__) // whose allocator keeps freed memory resident
        EXPECT_LE(run.peakKiB - baseKiB, static_cast<long>(64 * text.size() / 1024 + 8 * 1024)) << text.size() << " bytes";
#endif
    }
}

} // namespace
