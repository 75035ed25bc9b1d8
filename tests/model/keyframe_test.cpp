#include "fixtures/chunk_writer.h"
#include "tests/model/loaded_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using fixtures::ChunkWriter;
using fixtures::KeyframeSpec;
using fixtures::MeshSpec;
using fixtures::NodeSpec;
using fixtures::TrackKey;

namespace
{
struct Vector3
{
    float x, y, z;
};

MeshSpec Triangle(const std::string& name)
{
    MeshSpec mesh;
    mesh.name = name;
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.faces = {{0, 1, 2}};
    return mesh;
}

KeyframeSpec Segment(std::uint32_t first, std::uint32_t last, std::vector<NodeSpec> nodes)
{
    KeyframeSpec keyframes;
    keyframes.firstFrame = first;
    keyframes.lastFrame = last;
    keyframes.nodes = std::move(nodes);
    return keyframes;
}

LoadedModel LoadWithKeys(const std::vector<MeshSpec>& meshes, const KeyframeSpec& keyframes)
{
    return LoadedModel(fixtures::BuildModelFile(meshes, &keyframes));
}

void ExpectSlot(const std::vector<ModelVertex>& keys, std::size_t frame, Vector3 expected)
{
    ASSERT_LT(frame, keys.size());
    EXPECT_FLOAT_EQ(keys[frame].x, expected.x) << "frame " << frame;
    EXPECT_FLOAT_EQ(keys[frame].y, expected.y) << "frame " << frame;
    EXPECT_FLOAT_EQ(keys[frame].z, expected.z) << "frame " << frame;
}

void ExpectNeutral(const ModelObject& object)
{
    for (std::size_t f = 0; f < object.positionKeys.size(); ++f)
    {
        ExpectSlot(object.positionKeys, f, {0, 0, 0});
        ExpectSlot(object.scaleKeys, f, {1, 1, 1});
        ExpectSlot(object.rotationKeys, f, {0, 0, 0});
    }
}

void ExpectTrackLengths(CModel3DS& model, std::size_t frames)
{
    for (int i = 0; i < model.GetObjectCount(); ++i)
    {
        const ModelObject& object = *model.GetObject(i);
        EXPECT_EQ(object.positionKeys.size(), frames);
        EXPECT_EQ(object.scaleKeys.size(), frames);
        EXPECT_EQ(object.rotationKeys.size(), frames);
    }
}

// A file whose keyframe data the caller writes by hand, after one triangle.
std::vector<std::uint8_t> FileWithKeyframeBody(const std::function<void(ChunkWriter&)>& body)
{
    ChunkWriter writer;
    writer.Begin(fixtures::kMain);
    writer.Begin(fixtures::kEditor);
    fixtures::WriteMeshBlock(writer, Triangle("Box"));
    writer.End();
    writer.Begin(fixtures::kKeyframeData);
    body(writer);
    writer.End();
    writer.End();
    return writer.Take();
}
} // namespace

TEST(Keyframes, WithoutKeyframeDataEveryTrackHasOneNeutralSlot)
{
    LoadedModel loaded(fixtures::BuildModelFile({Triangle("A"), Triangle("B")}));
    ASSERT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.model.GetFrameCount(), 1);
    ExpectTrackLengths(loaded.model, 1);
    ExpectNeutral(*loaded.model.GetObject(1));
}

TEST(Keyframes, SegmentLengthSizesEveryTrack)
{
    struct
    {
        std::uint32_t first, last;
        int frames;
    } const cases[] = {{0, 100, 101}, {0, 0, 1}, {10, 19, 10}, {5, 4, 1}, {7, 2, 1}};
    for (const auto& entry : cases)
    {
        LoadedModel loaded = LoadWithKeys({Triangle("Box")}, Segment(entry.first, entry.last, {}));
        ASSERT_EQ(loaded.result, 1) << entry.first << ".." << entry.last;
        EXPECT_EQ(loaded.model.GetFrameCount(), entry.frames) << entry.first << ".." << entry.last;
        ExpectTrackLengths(loaded.model, static_cast<std::size_t>(entry.frames));
    }
}

TEST(Keyframes, PositionsAreOffsetsFromFrameZero)
{
    NodeSpec node{"Box", {{0, {10, 20, 30}}, {5, {12, 20, 30}}}, {}, {}};
    LoadedModel loaded = LoadWithKeys({Triangle("Box")}, Segment(0, 10, {node}));
    ASSERT_EQ(loaded.result, 1);
    const auto& keys = loaded.model.GetObject(0)->positionKeys;
    ExpectSlot(keys, 0, {0, 0, 0});
    ExpectSlot(keys, 5, {2, 0, 0});
    for (std::size_t f : {1, 2, 3, 4, 6, 10})
        ExpectSlot(keys, f, {0, 0, 0});
}

TEST(Keyframes, ScalesAreRatiosToFrameZero)
{
    NodeSpec node{"Box", {}, {}, {{0, {2, 2, 2}}, {10, {4, 2, 1}}}};
    LoadedModel loaded = LoadWithKeys({Triangle("Box")}, Segment(0, 10, {node}));
    ASSERT_EQ(loaded.result, 1);
    const auto& keys = loaded.model.GetObject(0)->scaleKeys;
    ExpectSlot(keys, 0, {1, 1, 1});
    ExpectSlot(keys, 10, {2, 1, 0.5f});
    ExpectSlot(keys, 5, {1, 1, 1});
}

TEST(Keyframes, KeysWithoutAFrameZeroKeyAreStoredAsRead)
{
    NodeSpec node{"Box", {{3, {5, 5, 5}}}, {}, {{2, {3, 4, 5}}}};
    LoadedModel loaded = LoadWithKeys({Triangle("Box")}, Segment(0, 4, {node}));
    ASSERT_EQ(loaded.result, 1);
    ExpectSlot(loaded.model.GetObject(0)->positionKeys, 3, {5, 5, 5});
    ExpectSlot(loaded.model.GetObject(0)->scaleKeys, 2, {3, 4, 5});
}

TEST(Keyframes, LaterKeyOfTheSameFrameWins)
{
    NodeSpec node{"Box",
                  {{2, {1, 1, 1}}, {2, {4, 5, 6}}},
                  {{2, {1, 1, 0, 0}}, {2, {2, 0, 1, 0}}},
                  {{2, {3, 3, 3}}, {2, {7, 8, 9}}}};
    LoadedModel loaded = LoadWithKeys({Triangle("Box")}, Segment(0, 3, {node}));
    ASSERT_EQ(loaded.result, 1);
    const ModelObject& object = *loaded.model.GetObject(0);
    ExpectSlot(object.positionKeys, 2, {4, 5, 6});
    ExpectSlot(object.scaleKeys, 2, {7, 8, 9});
    ExpectSlot(object.rotationKeys, 2, {0, 2, 0});
}

TEST(Keyframes, RotationKeysAreSummedAndFilledIn)
{
    NodeSpec node{"Box", {}, {{0, {9, 1, 1, 1}}, {2, {0.5f, 0, 0, 1}}, {3, {0.5f, 1, 0, 0}}}, {}};
    LoadedModel loaded = LoadWithKeys({Triangle("Box")}, Segment(0, 4, {node}));
    ASSERT_EQ(loaded.result, 1);
    const auto& keys = loaded.model.GetObject(0)->rotationKeys;
    const Vector3 expected[] = {{0, 0, 0}, {0, 0, 0.25f}, {0, 0, 0.5f}, {0.5f, 0, 0.5f}, {0, 0, 0}};
    for (std::size_t f = 0; f < 5; ++f)
        ExpectSlot(keys, f, expected[f]);
}

// Between keys the frames lie on the line from the earlier sum towards the
// later key; a second key adds to the first.
TEST(Keyframes, RotationInterpolatesTowardsTheNextKey)
{
    NodeSpec node{"Box", {}, {{4, {1, 0, 0, 2}}, {6, {1, 0, 0, 1}}}, {}};
    LoadedModel loaded = LoadWithKeys({Triangle("Box")}, Segment(0, 6, {node}));
    ASSERT_EQ(loaded.result, 1);
    const auto& keys = loaded.model.GetObject(0)->rotationKeys;
    const float expected[] = {0, 0.5f, 1, 1.5f, 2, 2.5f, 3};
    for (std::size_t f = 0; f < 7; ++f)
        ExpectSlot(keys, f, {0, 0, expected[f]});
}

TEST(Keyframes, RotationTrackWithoutKeysLeavesZeros)
{
    // The fixture writes no empty tracks, so this one is written by hand.
    auto bytes = FileWithKeyframeBody([](ChunkWriter& writer) {
        writer.Begin(fixtures::kSegment);
        writer.Dword(0);
        writer.Dword(3);
        writer.End();
        writer.Begin(fixtures::kObjectNode);
        writer.Begin(fixtures::kNodeHeader);
        writer.String("Box");
        writer.End();
        writer.Begin(fixtures::kRotationTrack);
        for (int i = 0; i < 14; ++i)
            writer.Bytes("\0", 1);
        writer.End();
        writer.End();
    });
    LoadedModel loaded(std::move(bytes));
    ASSERT_EQ(loaded.result, 1);
    ExpectTrackLengths(loaded.model, 4);
    ExpectNeutral(*loaded.model.GetObject(0));
}

TEST(Keyframes, NodeNamesMatchExactly)
{
    NodeSpec upper{"Box01", {{0, {0, 0, 0}}, {1, {1, 0, 0}}}, {}, {}};
    NodeSpec lower{"box01", {{0, {0, 0, 0}}, {1, {0, 2, 0}}}, {}, {}};
    LoadedModel loaded = LoadWithKeys({Triangle("box01"), Triangle("Box01")}, Segment(0, 1, {upper, lower}));
    ASSERT_EQ(loaded.result, 1);
    ExpectSlot(loaded.model.GetObject(0)->positionKeys, 1, {0, 2, 0});
    ExpectSlot(loaded.model.GetObject(1)->positionKeys, 1, {1, 0, 0});
}

TEST(Keyframes, UnmatchedNodeWritesIntoObjectZero)
{
    NodeSpec own{"Box", {{0, {0, 0, 0}}, {1, {1, 0, 0}}, {2, {1, 0, 0}}}, {}, {}};
    NodeSpec dummy{"$$$DUMMY", {{0, {0, 0, 0}}, {1, {0, 0, 3}}}, {}, {}};
    NodeSpec prefix{"Bo", {}, {}, {{0, {1, 1, 1}}, {2, {2, 2, 2}}}};
    LoadedModel loaded = LoadWithKeys({Triangle("Box"), Triangle("Other")}, Segment(0, 2, {own, dummy, prefix}));
    ASSERT_EQ(loaded.result, 1);
    const ModelObject& first = *loaded.model.GetObject(0);
    ExpectSlot(first.positionKeys, 1, {0, 0, 3});
    ExpectSlot(first.positionKeys, 2, {1, 0, 0});
    ExpectSlot(first.scaleKeys, 2, {2, 2, 2});
    ExpectNeutral(*loaded.model.GetObject(1));
}

// Object names keep 12 characters; a node carries the whole name, and finds
// the object whose stored name is the cut form of it, not an object whose
// whole name happens to be those 12 characters.
TEST(Keyframes, LongNodeNameFindsItsCutObject)
{
    NodeSpec whole{"WingSectionLeft", {{0, {0, 0, 0}}, {1, {1, 0, 0}}}, {}, {}};
    NodeSpec twelve{"WingSectionL", {{0, {0, 0, 0}}, {1, {0, 5, 0}}}, {}, {}};
    LoadedModel loaded = LoadWithKeys({Triangle("Hull"), Triangle("WingSectionL"), Triangle("WingSectionLeft")},
                                      Segment(0, 1, {whole, twelve}));
    ASSERT_EQ(loaded.result, 1);
    ASSERT_EQ(loaded.model.GetObject(2)->name, "WingSectionL");
    ExpectSlot(loaded.model.GetObject(2)->positionKeys, 1, {1, 0, 0});
    ExpectSlot(loaded.model.GetObject(1)->positionKeys, 1, {0, 5, 0});
    ExpectNeutral(*loaded.model.GetObject(0));
}

TEST(Keyframes, KeysOutsideTheSegmentAreSkipped)
{
    NodeSpec node{"Box",
                  {{0, {0, 0, 0}}, {7, {9, 9, 9}}, {2, {1, 0, 0}}, {65535, {9, 9, 9}}},
                  {{3, {1, 0, 0, 1}}, {4, {1, 0, 1, 0}}, {1000, {1, 1, 0, 0}}},
                  {{0, {1, 1, 1}}, {3, {2, 2, 2}}, {3000, {5, 5, 5}}}};
    LoadedModel loaded = LoadWithKeys({Triangle("Box")}, Segment(0, 3, {node}));
    ASSERT_EQ(loaded.result, 1);
    const ModelObject& object = *loaded.model.GetObject(0);
    ExpectTrackLengths(loaded.model, 4);
    ExpectSlot(object.positionKeys, 2, {1, 0, 0});
    ExpectSlot(object.positionKeys, 3, {0, 0, 0});
    ExpectSlot(object.scaleKeys, 3, {2, 2, 2});
    ExpectSlot(object.rotationKeys, 3, {0, 0, 1});
    ExpectSlot(object.rotationKeys, 2, {0, 0, 2.0f / 3.0f});
}

// A segment that starts late leaves keys numbered from its first frame past
// the slots; they are skipped rather than re-based.
TEST(Keyframes, SegmentStartingLateSkipsKeysBeyondItsLength)
{
    NodeSpec node{"Box", {{0, {0, 0, 0}}, {12, {3, 0, 0}}, {2, {0, 4, 0}}}, {}, {}};
    LoadedModel loaded = LoadWithKeys({Triangle("Box")}, Segment(10, 14, {node}));
    ASSERT_EQ(loaded.result, 1);
    ExpectTrackLengths(loaded.model, 5);
    ExpectSlot(loaded.model.GetObject(0)->positionKeys, 2, {0, 4, 0});
}

// Keyframe data before the meshes: no object has arrays yet, so the tracks
// have nowhere to go and are dropped.
TEST(Keyframes, TracksBeforeAnyMeshAreDropped)
{
    ChunkWriter writer;
    writer.Begin(fixtures::kMain);
    fixtures::WriteKeyframes(writer, Segment(0, 2, {NodeSpec{"Box", {{0, {0, 0, 0}}, {1, {1, 1, 1}}},
                                                             {{1, {1, 0, 0, 1}}}, {{1, {2, 2, 2}}}}}));
    writer.Begin(fixtures::kEditor);
    fixtures::WriteMeshBlock(writer, Triangle("Box"));
    writer.End();
    writer.End();
    LoadedModel loaded(writer.Take());
    ASSERT_EQ(loaded.result, 1);
    ExpectTrackLengths(loaded.model, 3);
    ExpectNeutral(*loaded.model.GetObject(0));
}

TEST(Keyframes, TracksInAFileWithoutMeshesAreDropped)
{
    ChunkWriter writer;
    writer.Begin(fixtures::kMain);
    fixtures::WriteKeyframes(writer, Segment(0, 2, {NodeSpec{"Box", {{1, {1, 1, 1}}}, {{1, {1, 0, 0, 1}}}, {}}}));
    writer.End();
    LoadedModel loaded(writer.Take());
    EXPECT_EQ(loaded.result, 1);
    EXPECT_EQ(loaded.model.GetObjectCount(), 0);
    EXPECT_EQ(loaded.model.GetFrameCount(), 3);
}

TEST(Keyframes, PivotComesFromTheLocalAxes)
{
    MeshSpec mesh = Triangle("Box");
    mesh.hasPivot = true;
    mesh.pivot = {1.5f, -2, 3};
    LoadedModel loaded(fixtures::BuildModelFile({mesh}));
    ASSERT_EQ(loaded.result, 1);
    const ModelVertex& pivot = loaded.model.GetObject(0)->pivot;
    EXPECT_EQ(pivot.x, 1.5f);
    EXPECT_EQ(pivot.y, -2.0f);
    EXPECT_EQ(pivot.z, 3.0f);
}

// Hostile keyframe data ends in success or in one message beginning "Error",
// never in a crash or an allocation sized by the file's numbers.
TEST(Keyframes, HostileKeyframeDataIsSafe)
{
    const std::vector<std::function<void(ChunkWriter&)>> bodies = {
        [](ChunkWriter& writer) { // the longest segment a file can state
            writer.Begin(fixtures::kSegment);
            writer.Dword(0);
            writer.Dword(0xFFFFFFFF);
            writer.End();
        },
        [](ChunkWriter& writer) { // long, with a rotation track to fill in
            writer.Begin(fixtures::kSegment);
            writer.Dword(0);
            writer.Dword(50000000);
            writer.End();
            writer.Begin(fixtures::kObjectNode);
            writer.Begin(fixtures::kNodeHeader);
            writer.String("Box");
            writer.End();
            writer.Begin(fixtures::kRotationTrack);
            for (int i = 0; i < 10; ++i)
                writer.Bytes("\0", 1);
            writer.Word(1);
            writer.Word(0);
            writer.Word(40000);
            writer.Dword(0);
            for (float value : {1.0f, 0.0f, 0.0f, 1.0f})
                writer.Float(value);
            writer.End();
            writer.End();
        },
        [](ChunkWriter& writer) { // a key count far above the keys present
            writer.Begin(fixtures::kObjectNode);
            writer.Begin(fixtures::kNodeHeader);
            writer.String("Box");
            writer.End();
            for (std::uint16_t track : {fixtures::kPositionTrack, fixtures::kRotationTrack, fixtures::kScaleTrack})
            {
                writer.Begin(track);
                for (int i = 0; i < 10; ++i)
                    writer.Bytes("\0", 1);
                writer.Word(0xFFFF);
                writer.Word(0);
                writer.Word(0);
                writer.End();
            }
            writer.End();
        },
        [](ChunkWriter& writer) { // a track too short for its own key count
            writer.Begin(fixtures::kObjectNode);
            writer.RawHeader(fixtures::kPositionTrack, 6 + 4);
            writer.Dword(0);
            writer.End();
        },
        [](ChunkWriter& writer) { // a node header whose name runs to the end of the file
            writer.Begin(fixtures::kObjectNode);
            writer.RawHeader(fixtures::kNodeHeader, 0x7FFFFFFF);
            writer.Bytes("Box", 3);
            writer.End();
        },
        [](ChunkWriter& writer) { // many rotation tracks over a segment of 60000 frames
            writer.Begin(fixtures::kSegment);
            writer.Dword(0);
            writer.Dword(59999);
            writer.End();
            for (int node = 0; node < 200; ++node)
            {
                writer.Begin(fixtures::kObjectNode);
                writer.Begin(fixtures::kNodeHeader);
                writer.String("Dummy");
                writer.End();
                writer.Begin(fixtures::kRotationTrack);
                for (int i = 0; i < 14; ++i)
                    writer.Bytes("\0", 1);
                writer.End();
                writer.End();
            }
        },
    };
    for (std::size_t i = 0; i < bodies.size(); ++i)
    {
        LoadedModel loaded(FileWithKeyframeBody(bodies[i]));
        const auto errors = loaded.Errors();
        if (loaded.result == 1)
            EXPECT_TRUE(errors.empty()) << "case " << i;
        else
            EXPECT_EQ(errors.size(), 1u) << "case " << i;
        if (loaded.result == 1)
            ExpectTrackLengths(loaded.model, static_cast<std::size_t>(loaded.model.GetFrameCount()));
    }
}
