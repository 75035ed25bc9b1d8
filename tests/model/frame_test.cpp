#include "fixtures/chunk_writer.h"
#include "tests/model/loaded_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using fixtures::KeyframeSpec;
using fixtures::MaterialGroup;
using fixtures::MeshSpec;
using fixtures::NodeSpec;

namespace
{
MeshSpec Mesh(const std::string& name, std::vector<std::array<float, 3>> vertices,
              std::vector<std::array<std::uint16_t, 3>> faces)
{
    MeshSpec mesh;
    mesh.name = name;
    mesh.vertices = std::move(vertices);
    mesh.faces = std::move(faces);
    return mesh;
}

MeshSpec SmallTriangle(const std::string& name)
{
    return Mesh(name, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
}

// A triangle and a quad made of two triangles; the first face of each has
// a material that codes attributes.
std::vector<MeshSpec> TriangleAndQuad()
{
    MeshSpec triangle = Mesh("Box", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{0, 1, 2}});
    triangle.mapping = {{0.25f, 0.75f}, {0.5f, 0.5f}, {1, 0}};
    triangle.materials = {MaterialGroup{"skin3wx10", {0}}};
    MeshSpec quad = Mesh("Quad", {{3, 0, 0}, {4, 0, 0}, {4, 1, 0}, {3, 1, 0}}, {{0, 1, 2}, {0, 2, 3}});
    quad.hasPivot = true;
    quad.pivot = {1, 0, 0};
    quad.materials = {MaterialGroup{"skin7o", {1}}};
    return {triangle, quad};
}

KeyframeSpec Animation(std::uint32_t lastFrame, std::vector<NodeSpec> nodes)
{
    KeyframeSpec keyframes;
    keyframes.lastFrame = lastFrame;
    keyframes.nodes = std::move(nodes);
    return keyframes;
}

LoadedModel LoadAnimated(const std::vector<MeshSpec>& meshes, const KeyframeSpec& keyframes, int mode = 0)
{
    return LoadedModel(fixtures::BuildModelFile(meshes, &keyframes), mode);
}

void ExpectPoint(const ModelVertex& vertex, float x, float y, float z, float tolerance = 1e-6f)
{
    EXPECT_NEAR(vertex.x, x, tolerance);
    EXPECT_NEAR(vertex.y, y, tolerance);
    EXPECT_NEAR(vertex.z, z, tolerance);
}

ModelObject Frame(CModel3DS& model, int frame)
{
    ModelObject out;
    model.BuildFrame(frame, &out);
    return out;
}
} // namespace

TEST(Frames, MergedObjectListsEveryObjectInFileOrder)
{
    LoadedModel loaded(fixtures::BuildModelFile(TriangleAndQuad()));
    ASSERT_EQ(loaded.result, 1);
    const ModelObject merged = Frame(loaded.model, 0);
    EXPECT_EQ(merged.valid, 1);
    EXPECT_EQ(merged.name, "Box");
    ASSERT_EQ(merged.vertexCount, 7u);
    ASSERT_EQ(merged.faceCount, 3u);
    ASSERT_EQ(merged.vertices.size(), 7u);
    ASSERT_EQ(merged.faces.size(), 3u);

    const std::int32_t expectedIndices[3][3] = {{0, 1, 2}, {3, 4, 5}, {3, 5, 6}};
    for (int k = 0; k < 3; ++k)
        for (int corner = 0; corner < 3; ++corner)
            EXPECT_EQ(merged.faces[k].index[corner], expectedIndices[k][corner]) << "face " << k;
    EXPECT_EQ(merged.faces[0].skin, 3);
    EXPECT_EQ(merged.faces[0].flagW, 1);
    EXPECT_EQ(merged.faces[0].valueX, 16);
    EXPECT_EQ(merged.faces[1].skin, 0);
    EXPECT_EQ(merged.faces[2].skin, 7);
    EXPECT_EQ(merged.faces[2].kind, 4);
}

// Frame 0 is neutral in every track, whatever the frame-0 keys held.
TEST(Frames, FrameZeroIsTheStoredMesh)
{
    NodeSpec node{"Quad", {{0, {5, 6, 7}}, {1, {8, 8, 8}}}, {{0, {2, 1, 0, 0}}, {1, {1, 0, 1, 0}}}, {{0, {3, 3, 3}}}};
    LoadedModel loaded = LoadAnimated(TriangleAndQuad(), Animation(1, {node}));
    ASSERT_EQ(loaded.result, 1);
    const ModelObject merged = Frame(loaded.model, 0);
    ASSERT_EQ(merged.vertices.size(), 7u);
    std::size_t next = 0;
    for (int i = 0; i < loaded.model.GetObjectCount(); ++i)
    {
        for (const ModelVertex& stored : loaded.model.GetObject(i)->vertices)
        {
            const ModelVertex& placed = merged.vertices[next++];
            ExpectPoint(placed, stored.x, stored.y, stored.z);
            EXPECT_EQ(placed.u, stored.u);
            EXPECT_EQ(placed.v, stored.v);
        }
    }
    EXPECT_EQ(merged.vertices[0].u, 0.25f);
    EXPECT_EQ(merged.vertices[0].v, 0.25f);
}

// Each transform alone on the quad (pivot (1, 0, 0)), seen at its stored
// vertex (4, 1, 0): keys at frame 2, so frame 1 is neutral for positions and
// scales and halfway for turns. The triangle has no keys and stays put.
TEST(Frames, KeysPlaceTheirObjectAboutItsPivot)
{
    const float quarterTurn = static_cast<float>(std::numbers::pi / 2);
    const float halfRoot = static_cast<float>(std::numbers::sqrt2 / 2);
    struct
    {
        const char* label;
        NodeSpec node;
        ModelVertex atFrameOne;
        ModelVertex atFrameTwo;
    } const cases[] = {
        {"scale", {"Quad", {}, {}, {{0, {1, 1, 1}}, {2, {2, 1, 1}}}}, {4, 1, 0}, {7, 1, 0}},
        {"offset", {"Quad", {{0, {0, 0, 0}}, {2, {2, 0, 0}}}, {}, {}}, {4, 1, 0}, {6, 1, 0}},
        {"turn about Z", {"Quad", {}, {{2, {quarterTurn, 0, 0, 1}}}, {}}, {1 + 4 * halfRoot, -2 * halfRoot, 0}, {2, -3, 0}},
        {"turn about X", {"Quad", {}, {{2, {quarterTurn, 1, 0, 0}}}, {}}, {4, halfRoot, -halfRoot}, {4, 0, -1}},
        {"turn about Y", {"Quad", {}, {{2, {quarterTurn, 0, 1, 0}}}, {}}, {1 + 3 * halfRoot, 1, 3 * halfRoot}, {1, 1, 3}},
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(entry.label);
        LoadedModel loaded = LoadAnimated(TriangleAndQuad(), Animation(3, {entry.node}));
        ASSERT_EQ(loaded.result, 1);
        const ModelObject atOne = Frame(loaded.model, 1);
        const ModelObject atTwo = Frame(loaded.model, 2);
        ASSERT_EQ(atTwo.vertices.size(), 7u);
        ExpectPoint(atOne.vertices[5], entry.atFrameOne.x, entry.atFrameOne.y, entry.atFrameOne.z, 1e-5f);
        ExpectPoint(atTwo.vertices[5], entry.atFrameTwo.x, entry.atFrameTwo.y, entry.atFrameTwo.z, 1e-5f);
        ExpectPoint(atTwo.vertices[0], 1, 2, 3);
    }
}

// The rotation slot (0, 0, pi/2) turns by -pi/2 about Z.
TEST(Frames, RotationSlotTurnsTheOtherWay)
{
    MeshSpec mesh = Mesh("Arm", {{1, 0, 0}, {0, 2, 0}, {0, 0, 3}}, {{0, 1, 2}});
    const float quarterTurn = static_cast<float>(std::numbers::pi / 2);
    NodeSpec node{"Arm", {}, {{1, {quarterTurn, 0, 0, 1}}}, {}};
    LoadedModel loaded = LoadAnimated({mesh}, Animation(2, {node}));
    ASSERT_EQ(loaded.result, 1);
    ASSERT_FLOAT_EQ(loaded.model.GetObject(0)->rotationKeys[1].z, quarterTurn);
    const ModelObject merged = Frame(loaded.model, 1);
    ExpectPoint(merged.vertices[0], 0, -1, 0);
    ExpectPoint(merged.vertices[1], 2, 0, 0);
    ExpectPoint(merged.vertices[2], 0, 0, 3);
}

TEST(Frames, ScaleTurnAndOffsetCombine)
{
    // Scaled (2, 1, 1) about pivot (1, 0, 0): (3, 0, 0) -> (5, 0, 0); turned by
    // -pi/2 about Z about the pivot: (1, -4, 0); moved by (0, 0, 10).
    const float quarterTurn = static_cast<float>(std::numbers::pi / 2);
    NodeSpec node{"Quad",
                  {{0, {7, 7, 7}}, {1, {7, 7, 17}}},
                  {{1, {quarterTurn, 0, 0, 1}}},
                  {{0, {0.5f, 0.5f, 0.5f}}, {1, {1, 0.5f, 0.5f}}}};
    LoadedModel loaded = LoadAnimated(TriangleAndQuad(), Animation(1, {node}));
    ASSERT_EQ(loaded.result, 1);
    const ModelObject merged = Frame(loaded.model, 1);
    ExpectPoint(merged.vertices[3], 1, -4, 10, 1e-5f);
}

TEST(Frames, MorphFramesFollowNameOrder)
{
    LoadedModel loaded(fixtures::BuildModelFile({SmallTriangle("C"), SmallTriangle("A"), SmallTriangle("B")}), 1);
    ASSERT_EQ(loaded.result, 1);
    ASSERT_EQ(loaded.model.GetFrameCount(), 3);
    const char* const expected[] = {"A", "B", "C"};
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(Frame(loaded.model, frame).name, expected[frame]);
    EXPECT_EQ(loaded.model.GetObject(0)->name, "C");
    EXPECT_EQ(loaded.model.GetObject(1)->name, "A");
}

TEST(Frames, MorphFrameIsAWholeCopy)
{
    MeshSpec first = Mesh("Wave2", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{2, 1, 0}});
    first.mapping = {{0.5f, 0.25f}};
    first.materials = {MaterialGroup{"skin4bc0f", {0}}};
    MeshSpec second = Mesh("Wave1", {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 2}});
    LoadedModel loaded(fixtures::BuildModelFile({first, second}), 1);
    ASSERT_EQ(loaded.result, 1);
    const ModelObject frame = Frame(loaded.model, 1);
    EXPECT_EQ(frame.name, "Wave2");
    ASSERT_EQ(frame.vertexCount, 3u);
    ASSERT_EQ(frame.faceCount, 1u);
    ExpectPoint(frame.vertices[2], 7, 8, 9, 0);
    EXPECT_EQ(frame.vertices[0].u, 0.5f);
    EXPECT_EQ(frame.vertices[0].v, 0.75f);
    EXPECT_EQ(frame.faces[0].index[0], 2);
    EXPECT_EQ(frame.faces[0].index[2], 0);
    EXPECT_EQ(frame.faces[0].skin, 4);
    EXPECT_EQ(frame.faces[0].flagB, 1);
    EXPECT_EQ(frame.faces[0].valueC, 15);
    // A copy, not the object's own storage.
    EXPECT_NE(frame.vertices.data(), loaded.model.GetObject(0)->vertices.data());
}

TEST(Frames, TwoEqualNamesAreExchanged)
{
    MeshSpec first = SmallTriangle("Same");
    MeshSpec second = Mesh("Same", {{9, 9, 9}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
    LoadedModel loaded(fixtures::BuildModelFile({first, second}), 1);
    ASSERT_EQ(loaded.result, 1);
    EXPECT_EQ(Frame(loaded.model, 0).vertices[0].x, 9.0f);
    EXPECT_EQ(Frame(loaded.model, 1).vertices[0].x, 0.0f);
}

TEST(Frames, RecordIsAppendedToAndOnlyItsFrameFieldsChange)
{
    LoadedModel loaded(fixtures::BuildModelFile(TriangleAndQuad()));
    ASSERT_EQ(loaded.result, 1);
    ModelObject out;
    out.pivot = ModelVertex{4, 5, 6};
    out.vertexNormals = {ModelVertex{1, 0, 0}};
    out.faceNormals = {ModelVertex{0, 1, 0}, ModelVertex{0, 0, 1}};
    out.positionKeys = {ModelVertex{7, 7, 7}};
    out.faces = {ModelFace{}};
    out.faces[0].reserved[0] = 3;
    loaded.model.BuildFrame(0, &out);
    const ModelVertex* firstVertices = out.vertices.data();
    loaded.model.BuildFrame(0, &out);
    EXPECT_EQ(out.name, "BoxBox");
    EXPECT_EQ(out.vertexCount, 7u);
    EXPECT_NE(out.vertices.data(), firstVertices);
    EXPECT_EQ(out.pivot.y, 5.0f);
    EXPECT_EQ(out.vertexNormals.size(), 1u);
    EXPECT_EQ(out.faceNormals.size(), 2u);
    EXPECT_EQ(out.positionKeys.size(), 1u);
    for (const ModelFace& face : out.faces)
        for (std::int32_t word : face.reserved)
            EXPECT_EQ(word, 0);
}

TEST(Frames, FrameCountDependsOnTheMode)
{
    struct
    {
        int mode;
        bool keyframes;
        int frames;
    } const cases[] = {{0, false, 1}, {0, true, 31}, {1, false, 2}, {1, true, 2}};
    const KeyframeSpec keyframes = Animation(30, {});
    for (const auto& entry : cases)
    {
        LoadedModel loaded(fixtures::BuildModelFile({SmallTriangle("A"), SmallTriangle("B")},
                                                    entry.keyframes ? &keyframes : nullptr),
                           entry.mode);
        ASSERT_EQ(loaded.result, 1);
        EXPECT_EQ(loaded.model.GetFrameCount(), entry.frames) << "mode " << entry.mode;
    }
}

// Mode 0 without objects: an empty object, not a read of object 0.
TEST(Frames, ModelWithoutObjectsGivesAnEmptyRecord)
{
    LoadedModel loaded(fixtures::BuildModelFile({}));
    ASSERT_EQ(loaded.result, 1);
    ASSERT_EQ(loaded.model.GetFrameCount(), 1);
    ModelObject out;
    out.name = "Kept";
    out.vertices = {ModelVertex{}};
    out.vertexCount = 1;
    loaded.model.BuildFrame(0, &out);
    EXPECT_EQ(out.valid, 1);
    EXPECT_EQ(out.name, "Kept");
    EXPECT_EQ(out.vertexCount, 0u);
    EXPECT_EQ(out.faceCount, 0u);
    EXPECT_TRUE(out.vertices.empty());
    EXPECT_TRUE(out.faces.empty());
}

// A frame outside the model, or a model never loaded, is refused: valid 0
// and the record otherwise untouched.
TEST(Frames, FramesOutsideTheModelAreRefused)
{
    LoadedModel keyframed = LoadAnimated({SmallTriangle("A")}, Animation(4, {}));
    LoadedModel morph(fixtures::BuildModelFile({SmallTriangle("A"), SmallTriangle("B")}), 1);
    std::string text;
    CModel3DS unloaded(nullptr, 0, &text);
    struct
    {
        CModel3DS* model;
        int frame;
    } const cases[] = {{&keyframed.model, 5}, {&keyframed.model, -1}, {&morph.model, 2},
                       {&morph.model, -1},     {&unloaded, 1},         {&unloaded, -7}};
    for (const auto& entry : cases)
    {
        ModelObject out;
        out.valid = 1;
        out.name = "Kept";
        entry.model->BuildFrame(entry.frame, &out);
        EXPECT_EQ(out.valid, 0) << "frame " << entry.frame;
        EXPECT_EQ(out.name, "Kept");
        EXPECT_TRUE(out.vertices.empty());
    }
    // The last frame of each is still built.
    EXPECT_EQ(Frame(keyframed.model, 4).valid, 1);
    EXPECT_EQ(Frame(morph.model, 1).name, "B");
}

// A zero component in the frame-0 scale key gives IEEE infinities or NaN at
// later frames; the frame is still built with every vertex.
TEST(Frames, ZeroFrameZeroScaleGivesNonFiniteVertices)
{
    NodeSpec node{"Flat", {}, {}, {{0, {1, 0, 1}}, {1, {1, 2, 1}}}};
    MeshSpec mesh = Mesh("Flat", {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2}});
    LoadedModel loaded = LoadAnimated({mesh}, Animation(1, {node}));
    ASSERT_EQ(loaded.result, 1);
    EXPECT_TRUE(std::isinf(loaded.model.GetObject(0)->scaleKeys[1].y));
    const ModelObject merged = Frame(loaded.model, 1);
    ASSERT_EQ(merged.vertices.size(), 3u);
    EXPECT_TRUE(std::isinf(merged.vertices[0].y));
    EXPECT_TRUE(std::isnan(merged.vertices[1].y)); // infinity times zero
}

// A failed load leaves objects the reading pass never reached without key
// arrays; a frame of such a model places them as stored, reading no key.
TEST(Frames, ObjectsWithoutKeysArePlacedAsStored)
{
    fixtures::ChunkWriter writer;
    writer.Begin(fixtures::kMain);
    writer.Begin(fixtures::kEditor);
    fixtures::WriteMeshBlock(writer, SmallTriangle("First"));
    writer.Begin(fixtures::kObjectBlock);
    writer.String("Broken");
    writer.Begin(fixtures::kTriangleMesh);
    writer.Begin(fixtures::kVertexList);
    writer.Word(500); // far more vertices than follow
    writer.Float(1);
    writer.End();
    writer.End();
    writer.End();
    fixtures::WriteMeshBlock(writer, SmallTriangle("Never"));
    writer.End();
    fixtures::WriteKeyframes(writer, Animation(3, {NodeSpec{"First", {{0, {0, 0, 0}}, {2, {4, 0, 0}}}, {}, {}}}));
    writer.End();
    LoadedModel loaded(writer.Take());
    ASSERT_EQ(loaded.result, 0);
    ASSERT_EQ(loaded.model.GetObjectCount(), 3);
    ModelObject& never = *loaded.model.GetObject(2);
    ASSERT_TRUE(never.positionKeys.empty());
    never.vertices = {ModelVertex{7, 8, 9}};
    for (int frame = 0; frame < loaded.model.GetFrameCount(); ++frame)
    {
        const ModelObject merged = Frame(loaded.model, frame);
        ASSERT_EQ(merged.vertices.size(), 4u);
        ExpectPoint(merged.vertices[3], 7, 8, 9, 0);
    }
}
