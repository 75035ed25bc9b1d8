#include "fixtures/chunk_writer.h"
#include "model/model_3ds.h"
#include "tests/support/recording_status_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using fixtures::ChunkWriter;
using fixtures::MeshSpec;

namespace
{
constexpr int kStatusId = 1004;
const char* const kNotA3ds = "Error reading input file, it does not appear to be a true .3DS file.";
const char* const kTruncated = "Error reading input file, it is truncated or damaged.";

struct LoadResult
{
    int result = 0;
    std::string text;
    std::vector<std::string> shown;
};

// Loads bytes into the given model, recording what it showed.
class ModelLoader
{
public:
    LoadResult Load(std::vector<std::uint8_t> bytes, int mode = 0)
    {
        CInputFile file;
        file.OpenMemory(std::move(bytes));
        LoadResult outcome;
        outcome.result = model.LoadFile(&file, mode);
        outcome.text = text;
        outcome.shown = window.Texts();
        return outcome;
    }

    RecordingStatusWindow window;
    std::string text;
    CModel3DS model{&window, kStatusId, &text};
};

MeshSpec Triangle(const std::string& name, float offset = 0.0f)
{
    MeshSpec mesh;
    mesh.name = name;
    mesh.vertices = {{offset, 0, 0}, {offset + 1, 0, 0}, {offset, 1, 0}};
    mesh.faces = {{0, 1, 2}};
    return mesh;
}

MeshSpec MeshWithVertexCount(const std::string& name, int count)
{
    MeshSpec mesh;
    mesh.name = name;
    for (int i = 0; i < count; ++i)
        mesh.vertices.push_back({float(i), 0, 0});
    return mesh;
}

// A main chunk holding an editor chunk whose content the caller writes.
template <typename Body>
std::vector<std::uint8_t> EditorFile(Body body)
{
    ChunkWriter writer;
    writer.Begin(fixtures::kMain);
    writer.Begin(fixtures::kEditor);
    body(writer);
    writer.End();
    writer.End();
    return writer.Take();
}
} // namespace

TEST(ChunkReader, RejectsFilesWithoutTheMagicNumber)
{
    const std::vector<std::vector<std::uint8_t>> files = {
        {}, {0x4D}, {0x4D, 0x4C, 6, 0, 0, 0}, {0x3D, 0x3D, 6, 0, 0, 0}, {0, 0}};
    for (const auto& bytes : files)
    {
        ModelLoader loader;
        const LoadResult outcome = loader.Load(bytes);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.text, kNotA3ds);
        EXPECT_EQ(outcome.shown, std::vector<std::string>{kNotA3ds});
    }
}

TEST(ChunkReader, MagicNumberWithoutLengthIsTruncated)
{
    ModelLoader loader;
    const LoadResult outcome = loader.Load({0x4D, 0x4D, 0x10});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.text, kTruncated);
}

TEST(ChunkReader, MainChunkAloneLoadsNoObjects)
{
    ModelLoader loader;
    const LoadResult outcome = loader.Load({0x4D, 0x4D, 6, 0, 0, 0});
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(loader.model.GetObjectCount(), 0);
    EXPECT_TRUE(outcome.shown.empty());
    EXPECT_EQ(loader.model.GetFrameCount(), 1);
}

TEST(ChunkReader, ReadsMeshesInFileOrderWithProgress)
{
    ModelLoader loader;
    const LoadResult outcome =
        loader.Load(fixtures::BuildModelFile({Triangle("Hull"), Triangle("!Camera"), Triangle("Deck"), Triangle("Gun")}));
    ASSERT_EQ(outcome.result, 1);
    ASSERT_EQ(loader.model.GetObjectCount(), 3);
    EXPECT_EQ(outcome.shown, (std::vector<std::string>{"  reading Object 0 of 3", "  reading Object 1 of 3",
                                                       "  reading Object 2 of 3"}));
    for (const auto& shown : loader.window.shown)
    {
        EXPECT_EQ(shown.id, kStatusId);
        EXPECT_TRUE(shown.repainted);
    }
    EXPECT_EQ(outcome.text, "") << "progress must not touch the shared status text";
    EXPECT_EQ(loader.model.GetObject(0)->name, "Hull");
    EXPECT_EQ(loader.model.GetObject(1)->name, "Deck");
    EXPECT_EQ(loader.model.GetObject(2)->name, "Gun");
}

TEST(ChunkReader, StoresVerticesFacesAndMapping)
{
    MeshSpec mesh = Triangle("Box");
    mesh.vertices[2] = {0.5f, -2.0f, 3.25f};
    mesh.mapping = {{0.25f, 0.75f}};
    ModelLoader loader;
    ASSERT_EQ(loader.Load(fixtures::BuildModelFile({mesh})).result, 1);
    const ModelObject& object = *loader.model.GetObject(0);
    ASSERT_EQ(object.vertexCount, 3u);
    ASSERT_EQ(object.vertices.size(), 3u);
    EXPECT_EQ(object.vertices[2].x, 0.5f);
    EXPECT_EQ(object.vertices[2].y, -2.0f);
    EXPECT_EQ(object.vertices[2].z, 3.25f);
    EXPECT_EQ(object.vertices[0].u, 0.25f);
    EXPECT_EQ(object.vertices[0].v, 0.25f);
    EXPECT_EQ(object.vertices[1].u, 0.0f);
    EXPECT_EQ(object.vertices[1].v, 0.0f);
    ASSERT_EQ(object.faceCount, 1u);
    const ModelFace& face = object.faces[0];
    EXPECT_EQ(face.index[0], 0);
    EXPECT_EQ(face.index[1], 1);
    EXPECT_EQ(face.index[2], 2);
    EXPECT_EQ(face.skin + face.kind + face.flagW + face.flagB + face.flagF + face.flagE + face.flagN +
                  face.valueX + face.valueC,
              0);
    ASSERT_EQ(object.positionKeys.size(), 1u);
    EXPECT_EQ(object.scaleKeys[0].x, 1.0f);
}

TEST(ChunkReader, ObjectBlocksWithoutOrWithSeveralMeshes)
{
    const auto bytes = EditorFile([](ChunkWriter& writer) {
        writer.Begin(fixtures::kObjectBlock);
        writer.String("Empty");
        writer.End();
        writer.Begin(fixtures::kObjectBlock);
        writer.String("Twice");
        for (int i = 0; i < 2; ++i)
        {
            writer.Begin(fixtures::kTriangleMesh);
            writer.End();
        }
        writer.End();
    });
    ModelLoader loader;
    const LoadResult outcome = loader.Load(bytes);
    ASSERT_EQ(outcome.result, 1);
    ASSERT_EQ(loader.model.GetObjectCount(), 2);
    EXPECT_EQ(loader.model.GetObject(0)->name, "Twice");
    EXPECT_EQ(loader.model.GetObject(1)->name, "Twice");
    EXPECT_EQ(loader.model.GetObject(1)->vertexCount, 0u);
    EXPECT_TRUE(loader.model.GetObject(1)->vertices.empty());
}

TEST(ChunkReader, MorphModeNeedsEqualPointCounts)
{
    struct Case
    {
        int mode;
        int secondCount;
        int result;
        std::string lastText;
    };
    const Case cases[] = {
        {1, 8, 1, "  Sorting objects..."},
        {1, 10, 0, "Error: Object point counts do not match"},
        {0, 10, 1, "  reading Object 1 of 2"},
    };
    for (const Case& c : cases)
    {
        ModelLoader loader;
        const LoadResult outcome = loader.Load(
            fixtures::BuildModelFile({MeshWithVertexCount("B", 8), MeshWithVertexCount("A", c.secondCount)}), c.mode);
        EXPECT_EQ(outcome.result, c.result) << c.mode << " " << c.secondCount;
        ASSERT_FALSE(outcome.shown.empty());
        EXPECT_EQ(outcome.shown.back(), c.lastText);
    }
}

TEST(ChunkReader, LongAndElevenCharacterNamesFindTheirNestedChunks)
{
    for (const std::string name : {"Elevenchars", "TwelveLetter", "AVeryLongObjectName"})
    {
        ModelLoader loader;
        ASSERT_EQ(loader.Load(fixtures::BuildModelFile({Triangle(name)})).result, 1) << name;
        ASSERT_EQ(loader.model.GetObjectCount(), 1) << name;
        EXPECT_EQ(loader.model.GetObject(0)->name, name.substr(0, 12));
        EXPECT_EQ(loader.model.GetObject(0)->vertexCount, 3u) << name;
    }
}

TEST(ChunkReader, ShortChunkLengthEndsOnlyItsLevel)
{
    for (std::uint32_t shortLength : {0u, 5u})
    {
        const auto bytes = EditorFile([&](ChunkWriter& writer) {
            writer.Begin(fixtures::kObjectBlock);
            writer.String("Cut");
            writer.RawHeader(0x1234, shortLength);
            writer.Begin(fixtures::kTriangleMesh); // a later sibling: never reached
            writer.End();
            writer.End();
            fixtures::WriteMeshBlock(writer, Triangle("After"));
        });
        ModelLoader loader;
        ASSERT_EQ(loader.Load(bytes).result, 1);
        ASSERT_EQ(loader.model.GetObjectCount(), 1);
        EXPECT_EQ(loader.model.GetObject(0)->name, "After");
    }
}

TEST(ChunkReader, OneLevelHandlesAtMostTenThousandChunks)
{
    const auto bytes = EditorFile([](ChunkWriter& writer) {
        writer.Begin(fixtures::kObjectBlock);
        writer.String("Many");
        for (int i = 0; i < 10001; ++i)
        {
            writer.Begin(fixtures::kTriangleMesh);
            writer.End();
        }
        writer.End();
    });
    ModelLoader loader;
    ASSERT_EQ(loader.Load(bytes).result, 1);
    EXPECT_EQ(loader.model.GetObjectCount(), 10000);
}

TEST(ChunkReader, MainChunkLengthIsClampedOrHonoured)
{
    auto bytes = fixtures::BuildModelFile({Triangle("A")});
    const std::size_t firstFileSize = bytes.size();
    auto second = fixtures::BuildModelFile({Triangle("B")});
    // Trailing bytes after the main chunk: ignored.
    auto withTrailer = bytes;
    withTrailer.insert(withTrailer.end(), second.begin() + 6, second.end());
    ModelLoader honoured;
    ASSERT_EQ(honoured.Load(withTrailer).result, 1);
    EXPECT_EQ(honoured.model.GetObjectCount(), 1);

    // A length beyond the file: read to the end of the file.
    withTrailer[2] = 0xFF, withTrailer[3] = 0xFF, withTrailer[4] = 0xFF, withTrailer[5] = 0x7F;
    ModelLoader clamped;
    ASSERT_EQ(clamped.Load(withTrailer).result, 1);
    ASSERT_EQ(clamped.model.GetObjectCount(), 2);
    EXPECT_EQ(clamped.model.GetObject(1)->name, "B");
    EXPECT_GT(withTrailer.size(), firstFileSize);
}

TEST(ChunkReader, DamagedMeshDataIsAnError)
{
    struct Case
    {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* message;
    };
    MeshSpec badFace = Triangle("Bad");
    badFace.faces.push_back({0, 1, 3});
    auto truncated = fixtures::BuildModelFile({Triangle("Cut")});
    truncated.resize(truncated.size() - 10); // inside the face list: main length now past the end
    const Case cases[] = {
        {"face naming a missing vertex", fixtures::BuildModelFile({badFace}),
         "Error reading input file, a face of object Bad uses a vertex that the object does not have."},
        {"file cut inside a list", truncated, kTruncated},
        {"vertex count larger than its chunk", EditorFile([](ChunkWriter& writer) {
             writer.Begin(fixtures::kObjectBlock);
             writer.String("Liar");
             writer.Begin(fixtures::kTriangleMesh);
             writer.Begin(fixtures::kVertexList);
             writer.Word(65535);
             writer.End();
             writer.End();
             writer.End();
             fixtures::WriteMeshBlock(writer, MeshWithVertexCount("Data", 2000)); // bytes to overrun into
         }),
         kTruncated},
    };
    for (const Case& c : cases)
    {
        ModelLoader loader;
        const LoadResult outcome = loader.Load(c.bytes);
        EXPECT_EQ(outcome.result, 0) << c.what;
        EXPECT_EQ(outcome.text, c.message) << c.what;
    }
}

TEST(ChunkReader, MeshChunksOutsideAnyCountedMeshAreSkipped)
{
    const auto bytes = EditorFile([](ChunkWriter& writer) {
        // A vertex list before any mesh, and a mesh nested in a mesh, which
        // only the reading pass walks into.
        writer.Begin(fixtures::kVertexList);
        writer.Word(1);
        writer.Float(1), writer.Float(2), writer.Float(3);
        writer.End();
        writer.Begin(fixtures::kObjectBlock);
        writer.String("Outer");
        writer.Begin(fixtures::kTriangleMesh);
        writer.Begin(fixtures::kTriangleMesh);
        writer.Begin(fixtures::kVertexList);
        writer.Word(0);
        writer.End();
        writer.End();
        writer.End();
        writer.End();
    });
    ModelLoader loader;
    ASSERT_EQ(loader.Load(bytes).result, 1);
    EXPECT_EQ(loader.model.GetObjectCount(), 1);
}

TEST(ChunkReader, DeepNestingEndsWithoutExhaustingTheStack)
{
    ChunkWriter writer;
    writer.Begin(fixtures::kMain);
    constexpr int kLevels = 200000;
    for (int i = 0; i < kLevels; ++i)
        writer.Begin(fixtures::kEditor);
    fixtures::WriteMeshBlock(writer, Triangle("Deep"));
    for (int i = 0; i < kLevels; ++i)
        writer.End();
    writer.End();
    ModelLoader loader;
    EXPECT_EQ(loader.Load(writer.Take()).result, 1);
    EXPECT_EQ(loader.model.GetObjectCount(), 0);
}

// Every prefix of a valid file either loads or fails with one message that
// begins with "Error"; under the sanitizer build this also proves no read
// leaves the buffer.
TEST(ChunkReader, EveryTruncationLoadsOrFailsWithAnError)
{
    MeshSpec mesh = Triangle("Hull_T");
    mesh.mapping = {{0, 0}, {1, 0}, {0, 1}};
    mesh.materials = {{"skin1t", {0}}};
    fixtures::KeyframeSpec keys;
    keys.lastFrame = 4;
    keys.nodes = {{"Hull_T", {{0, {1, 2, 3}}, {2, {2, 2, 3}}}, {{2, {0.5f, 0, 0, 1}}}, {{0, {1, 1, 1}}}}};
    const auto whole = fixtures::BuildModelFile({mesh, Triangle("Deck", 2)}, &keys);
    for (std::size_t length = 0; length <= whole.size(); ++length)
    {
        for (int mode : {0, 1})
        {
            ModelLoader loader;
            const LoadResult outcome = loader.Load({whole.begin(), whole.begin() + long(length)}, mode);
            if (outcome.result == 0)
                EXPECT_EQ(outcome.text.rfind("Error", 0), 0u) << length << ": " << outcome.text;
        }
    }
}

TEST(ChunkReader, SortsMorphFramesByName)
{
    const std::vector<std::string> names = {"C", "A", "Box10", "Box2", "B", "a", "Box", "", "Zed", "B2"};
    std::vector<MeshSpec> meshes;
    for (const std::string& name : names)
        meshes.push_back(MeshWithVertexCount(name, 3));
    ModelLoader loader;
    ASSERT_EQ(loader.Load(fixtures::BuildModelFile(meshes), 1).result, 1);
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    for (std::size_t i = 0; i < names.size(); ++i)
    {
        EXPECT_EQ(loader.model.GetSorted(int(i))->name, expected[i]);
        EXPECT_EQ(loader.model.GetObject(int(i))->name, names[i]) << "objects keep file order";
    }
    EXPECT_EQ(loader.model.GetFrameCount(), int(names.size()));
}

TEST(ChunkReader, SortOfManyObjectsMatchesTheStandardOrder)
{
    std::mt19937 random(7);
    std::vector<MeshSpec> meshes;
    for (int i = 0; i < 3000; ++i)
        meshes.push_back(MeshWithVertexCount("n" + std::to_string(random() % 500), 1));
    ModelLoader loader;
    ASSERT_EQ(loader.Load(fixtures::BuildModelFile(meshes), 1).result, 1);
    for (int i = 1; i < loader.model.GetObjectCount(); ++i)
        EXPECT_LE(loader.model.GetSorted(i - 1)->name, loader.model.GetSorted(i)->name);
}

TEST(ChunkReader, EqualNamesArePairSwapped)
{
    MeshSpec first = MeshWithVertexCount("Same", 1);
    MeshSpec second = MeshWithVertexCount("Same", 1);
    second.vertices[0] = {9, 9, 9};
    ModelLoader loader;
    ASSERT_EQ(loader.Load(fixtures::BuildModelFile({first, second}), 1).result, 1);
    EXPECT_EQ(loader.model.GetSorted(0), loader.model.GetObject(1));
    EXPECT_EQ(loader.model.GetSorted(1), loader.model.GetObject(0));
}

TEST(ChunkReader, MappingLongerThanTheVertexListTouchesOnlyExistingVertices)
{
    MeshSpec mesh = Triangle("Map");
    mesh.mapping = {{0.5f, 0.5f}, {0.5f, 0.5f}, {0.25f, 0.0f}, {9, 9}, {9, 9}};
    ModelLoader loader;
    ASSERT_EQ(loader.Load(fixtures::BuildModelFile({mesh})).result, 1);
    const ModelObject& object = *loader.model.GetObject(0);
    ASSERT_EQ(object.vertices.size(), 3u);
    EXPECT_EQ(object.vertices[2].u, 0.25f);
    EXPECT_EQ(object.vertices[2].v, 1.0f);
}

TEST(ChunkReader, LengthCarryingThePositionPast4GiBEndsTheLevel)
{
    const auto bytes = EditorFile([](ChunkWriter& writer) {
        fixtures::WriteMeshBlock(writer, Triangle("Before"));
        writer.RawHeader(0x1234, 0xFFFFFFF0u);
        fixtures::WriteMeshBlock(writer, Triangle("Hidden"));
    });
    ModelLoader loader;
    ASSERT_EQ(loader.Load(bytes).result, 1);
    ASSERT_EQ(loader.model.GetObjectCount(), 1);
    EXPECT_EQ(loader.model.GetObject(0)->name, "Before");
}
