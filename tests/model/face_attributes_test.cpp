#include "fixtures/chunk_writer.h"
#include "model/face_attributes.h"
#include "tests/model/loaded_model.h"

#include <gtest/gtest.h>

using fixtures::MaterialGroup;
using fixtures::MeshSpec;

namespace
{
struct DecoderCase
{
    const char* name;
    bool codes;
    FaceAttributes expected;
};

// Fields in FaceAttributes order: skin, kind, W, B, F, E, N, valueX, valueC.
const DecoderCase kDecoderCases[] = {
    {"skin", false, {}},
    {"skinny", false, {}},
    {"myskin1", false, {}},
    {"", false, {}},
    {"Skin2T", true, {2, 2, 0, 0, 0, 0, 0, 0, 0}},
    {"skin3", true, {3, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"skin1wbfen", true, {1, 0, 1, 1, 1, 1, 1, 0, 0}},
    {"skin0mo", true, {0, 4, 0, 0, 0, 0, 0, 0, 0}},
    {"skin42", true, {4, 1, 0, 0, 0, 0, 0, 0, 0}},
    {"skin6m", true, {6, 3, 0, 0, 0, 0, 0, 0, 0}},
    {"skin7ww", true, {7, 0, 1, 0, 0, 0, 0, 0, 0}},
    {"skin5x1f", true, {5, 0, 0, 0, 0, 0, 0, 31, 0}},
    {"skin5x10x05", true, {5, 0, 0, 0, 0, 0, 0, 21, 0}},
    {"skin5xffxff", true, {5, 0, 0, 0, 0, 0, 0, 254, 0}},
    {"skin5c0a", true, {5, 0, 0, 0, 0, 0, 0, 0, 10}},
    {"skin5x1Fc2A", true, {5, 0, 0, 0, 0, 0, 0, 31, 42}},
    {"skin9x2e", true, {9, 0, 0, 0, 0, 0, 0, 46, 0}},
    {"skin1q", true, {1, 0, 0, 0, 0, 0, 0, 0, 0}},
    // A pair cut short by the end of the name, or holding a character that is
    // not a hexadecimal digit, adds nothing and its characters are not letters.
    {"skin5x1", true, {5, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"skin5x", true, {5, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"skin5c", true, {5, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"skin5xg1", true, {5, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"skin5xwex01", true, {5, 0, 0, 0, 0, 0, 0, 1, 0}},
    {"skin5c1z", true, {5, 0, 0, 0, 0, 0, 0, 0, 0}},
};

void ExpectAttributes(const FaceAttributes& expected, const ModelFace& face, const std::string& label)
{
    SCOPED_TRACE(label);
    EXPECT_EQ(face.skin, expected.skin);
    EXPECT_EQ(face.kind, expected.kind);
    EXPECT_EQ(face.flagW, expected.flagW);
    EXPECT_EQ(face.flagB, expected.flagB);
    EXPECT_EQ(face.flagF, expected.flagF);
    EXPECT_EQ(face.flagE, expected.flagE);
    EXPECT_EQ(face.flagN, expected.flagN);
    EXPECT_EQ(face.valueX, expected.valueX);
    EXPECT_EQ(face.valueC, expected.valueC);
}

MeshSpec ThreeFaces()
{
    MeshSpec mesh;
    mesh.name = "Hull";
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    mesh.faces = {{0, 1, 2}, {1, 3, 2}, {0, 2, 3}};
    return mesh;
}

const ModelFace& FaceOf(LoadedModel& loaded, int index)
{
    return loaded.model.GetObject(0)->faces.at(static_cast<std::size_t>(index));
}
} // namespace

TEST(FaceAttributes, DecoderTable)
{
    for (const DecoderCase& entry : kDecoderCases)
    {
        // A sentinel shows whether a name that codes nothing left its output alone.
        FaceAttributes decoded;
        decoded.skin = 99;
        const bool codes = DecodeFaceAttributes(entry.name, decoded);
        EXPECT_EQ(codes, entry.codes) << entry.name;
        ModelFace face;
        ApplyFaceAttributes(decoded, face);
        FaceAttributes expected = entry.expected;
        if (!entry.codes)
            expected.skin = 99;
        ExpectAttributes(expected, face, entry.name);
    }
}

// Every field travels from the decoded name into the face, which a table of
// zeros in most columns would not show on its own.
TEST(FaceAttributes, ApplyWritesAllNineFields)
{
    const FaceAttributes all{9, 4, 1, 1, 1, 1, 1, 200, 100};
    ModelFace face;
    face.index[1] = 5;
    ApplyFaceAttributes(all, face);
    ExpectAttributes(all, face, "all set");
    EXPECT_EQ(face.index[1], 5);
    ApplyFaceAttributes(FaceAttributes{}, face);
    ExpectAttributes(FaceAttributes{}, face, "all cleared");
}

TEST(FaceAttributes, GroupsInAFileMarkTheirFaces)
{
    MeshSpec mesh = ThreeFaces();
    mesh.materials = {
        MaterialGroup{"Skin2T", {1}},
        MaterialGroup{"skin1t", {0}},
        MaterialGroup{"skin2w", {0}},
        MaterialGroup{"skinny", {0, 1}}, // codes nothing: faces keep what they have
        MaterialGroup{"skin5x1Fc2A", {}},   // count 0 changes nothing
        MaterialGroup{"skin3e", {7, 2, 3}}, // indices 7 and 3 name no face
    };
    LoadedModel loaded(fixtures::BuildModelFile({mesh}));
    ASSERT_EQ(loaded.result, 1);
    ExpectAttributes({2, 0, 1, 0, 0, 0, 0, 0, 0}, FaceOf(loaded, 0), "later group wins");
    ExpectAttributes({2, 2, 0, 0, 0, 0, 0, 0, 0}, FaceOf(loaded, 1), "upper case lowered");
    ExpectAttributes({3, 0, 0, 0, 0, 1, 0, 0, 0}, FaceOf(loaded, 2), "index past the list skipped");
}

TEST(FaceAttributes, FacesWithoutAGroupStayZero)
{
    MeshSpec mesh = ThreeFaces();
    mesh.materials = {MaterialGroup{"skin9wbfenx01c02", {1}}};
    LoadedModel loaded(fixtures::BuildModelFile({mesh}));
    ASSERT_EQ(loaded.result, 1);
    ExpectAttributes({}, FaceOf(loaded, 0), "face 0");
    ExpectAttributes({9, 0, 1, 1, 1, 1, 1, 1, 2}, FaceOf(loaded, 1), "face 1");
    ExpectAttributes({}, FaceOf(loaded, 2), "face 2");
}

// A group whose name or index list runs past its chunk reads nothing beyond
// it, and the face list's later groups are still found.
TEST(FaceAttributes, DamagedGroupsAreSkipped)
{
    fixtures::ChunkWriter writer;
    writer.Begin(fixtures::kMain);
    writer.Begin(fixtures::kEditor);
    writer.Begin(fixtures::kObjectBlock);
    writer.String("Hull");
    writer.Begin(fixtures::kTriangleMesh);
    writer.Begin(fixtures::kVertexList);
    writer.Word(3);
    for (int i = 0; i < 9; ++i)
        writer.Float(float(i % 2));
    writer.End();
    writer.Begin(fixtures::kFaceList);
    writer.Word(2);
    for (int face = 0; face < 2; ++face)
    {
        writer.Word(0);
        writer.Word(1);
        writer.Word(2);
        writer.Word(0);
    }
    writer.RawHeader(fixtures::kMaterialGroup, 6 + 5); // name without its terminator
    writer.Bytes("skin4", 5);
    writer.RawHeader(fixtures::kMaterialGroup, 6 + 6 + 2 + 2); // count 3, one index present
    writer.String("skin6");
    writer.Word(3);
    writer.Word(1);
    writer.Begin(fixtures::kMaterialGroup);
    writer.String("skin7");
    writer.Word(1);
    writer.Word(0);
    writer.End();
    writer.End();
    writer.End();
    writer.End();
    writer.End();
    writer.End();

    LoadedModel loaded(writer.Take());
    ASSERT_EQ(loaded.result, 1);
    ExpectAttributes({7, 0, 0, 0, 0, 0, 0, 0, 0}, FaceOf(loaded, 0), "face 0");
    ExpectAttributes({6, 0, 0, 0, 0, 0, 0, 0, 0}, FaceOf(loaded, 1), "face 1");
}
