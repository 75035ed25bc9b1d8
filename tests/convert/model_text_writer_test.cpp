#include "convert/model_text_writer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

class CModelInMemory : public CModelSource
{
public:
    std::vector<ModelObject> objects;

    ModelObject* GetObject(int index) override { return &objects[static_cast<std::size_t>(index)]; }
    void BuildFrame(int, ModelObject*) override {}
    int Load(CInputFile*) override { return 0; }
    int GetFrameCount() override { return 1; }
    int GetObjectCount() override { return static_cast<int>(objects.size()); }
};

ModelVertex Vertex(float x, float y, float z, float u = 0, float v = 0)
{
    return ModelVertex {x, y, z, u, v};
}

ModelFace Face(int a, int b, int c)
{
    ModelFace face;
    face.index[0] = a;
    face.index[1] = b;
    face.index[2] = c;
    return face;
}

// An object whose arrays agree with its counts; normals all (0, 0, 1).
ModelObject MakeObject(std::string name, std::vector<ModelVertex> vertices, std::vector<ModelFace> faces)
{
    ModelObject object;
    object.name = std::move(name);
    object.vertexCount = static_cast<std::uint32_t>(vertices.size());
    object.vertices = std::move(vertices);
    object.faceCount = static_cast<std::uint32_t>(faces.size());
    object.faces = std::move(faces);
    object.vertexNormals.assign(object.vertexCount, Vertex(0, 0, 1));
    return object;
}

std::string Text(CModelSource& model, bool flip = false, const std::string& texture = "ship.RAW")
{
    std::string text;
    AppendModelText(model, texture, flip, text);
    return text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// A grid of objects large enough to fill the writer's buffer many times.
CModelInMemory LargeModel()
{
    CModelInMemory model;
    for (int objectIndex = 0; objectIndex < 5; ++objectIndex)
    {
        std::vector<ModelVertex> vertices;
        std::vector<ModelFace> faces;
        for (int i = 0; i < 4000; ++i)
        {
            vertices.push_back(Vertex(i * 0.37f, -i * 1.25f, objectIndex + i / 7.0f, i / 4000.0f, 1 - i / 4000.0f));
            if (i >= 2)
                faces.push_back(Face(i - 2, i - 1, i));
        }
        model.objects.push_back(MakeObject("Part" + std::to_string(objectIndex) + "_E", vertices, faces));
    }
    return model;
}

TEST(ModelTextWriter, ModelWithoutObjectsIsTheHeaderAlone)
{
    CModelInMemory model;
    EXPECT_EQ(Text(model), "C3DModel\n4\n0\n0,50.000000\n");
}

TEST(ModelTextWriter, EmptyObjectHasItsFiveLinesOnly)
{
    CModelInMemory model;
    model.objects.push_back(MakeObject("Deck", {}, {}));
    EXPECT_EQ(Text(model), "C3DModel\n4\n1\n0,50.000000\nDeck\n1\n1\n0,1,0,0\n1.0,1.0,64.0,0,0,ship.RAW\n");
}

TEST(ModelTextWriter, VertexLineExchangesYAndZAndScalesPositions)
{
    CModelInMemory model;
    model.objects.push_back(MakeObject("Deck", {Vertex(1, 2, 3, 0.5f, 0.25f)}, {}));
    model.objects[0].vertexNormals = {Vertex(0, 1, 0)};
    EXPECT_EQ(Lines(Text(model)).at(9), "0.04,0.12,0.08,0,0,1,0.5,0.25");
}

TEST(ModelTextWriter, PositionsUseTheFloatScaleExactly)
{
    CModelInMemory model;
    model.objects.push_back(MakeObject("Deck", {Vertex(25, 100, 12.5f), Vertex(0.001f, -0.0f, 1.0e8f)}, {}));
    model.objects[0].vertexNormals = {Vertex(-0.707106769f, 0, 0.707106769f), Vertex(0, 0, -1)};
    const std::vector<std::string> lines = Lines(Text(model));
    EXPECT_EQ(lines.at(9), "1,0.5,4,-0.707107,0.707107,0,0,0");
    // 1e8 * 0.04f in double is 3999999.9105..., 0.001f * 0.04f about 4.0e-5
    EXPECT_EQ(lines.at(10), "4e-005,4e+006,-0,0,-1,0,0,0");
}

TEST(ModelTextWriter, CountsFollowArraysThatFallShortAndMissingNormalsAreZero)
{
    CModelInMemory model;
    ModelObject object = MakeObject("Deck", {Vertex(25, 0, 0), Vertex(0, 25, 0)}, {Face(0, 1, 1)});
    object.vertexCount = 7;
    object.faceCount = 3;
    object.vertexNormals.clear();
    model.objects.push_back(object);
    EXPECT_EQ(Text(model), "C3DModel\n4\n1\n0,50.000000\nDeck\n1\n1\n2,1,1,0\n1.0,1.0,64.0,0,0,ship.RAW\n"
                           "1,0,0,0,0,0,0,0\n0,0,1,0,0,0,0,0\n1,1,0\n");
}

// Records every write, and can refuse writes from a given call on.
class CRecordingSink : public CByteSink
{
public:
    std::string text;
    std::vector<std::size_t> writeSizes;
    std::size_t failFromCall = SIZE_MAX;

    bool Write(const char* data, std::size_t count) override
    {
        writeSizes.push_back(count);
        if (writeSizes.size() > failFromCall)
            return false;
        text.append(data, count);
        return true;
    }
};

TEST(ModelTextWriter, WritesThroughFullBuffersOnly)
{
    CModelInMemory model = LargeModel();
    CRecordingSink sink;
    ASSERT_TRUE(WriteModelText(model, "ship.RAW", false, sink));
    EXPECT_EQ(sink.text, Text(model));
    ASSERT_GT(sink.text.size(), 8 * CModelTextWriter::kBufferSize);
    // Every write but the last is a buffer filled to within one line of its size.
    for (std::size_t i = 0; i + 1 < sink.writeSizes.size(); ++i)
    {
        EXPECT_LE(sink.writeSizes[i], CModelTextWriter::kBufferSize);
        EXPECT_GT(sink.writeSizes[i], CModelTextWriter::kBufferSize - 300);
    }
}

TEST(ModelTextWriter, TextureNameLongerThanTheBufferIsWrittenWhole)
{
    CModelInMemory model;
    model.objects.push_back(MakeObject("Deck", {}, {}));
    const std::string texture(CModelTextWriter::kBufferSize + 10, 'x');
    EXPECT_EQ(Lines(Text(model, false, texture)).at(8), "1.0,1.0,64.0,0,0," + texture);
}

TEST(ModelTextWriter, StopsWritingAfterTheSinkFails)
{
    CModelInMemory model = LargeModel();
    CRecordingSink sink;
    sink.failFromCall = 2;
    EXPECT_FALSE(WriteModelText(model, "ship.RAW", false, sink));
    EXPECT_EQ(sink.writeSizes.size(), 3u);
}

// Qt programs switch the C locale to the user's; a locale with a decimal
// comma must not reach the file.
class DecimalCommaLocale
{
public:
    DecimalCommaLocale()
    {
        m_saved = std::setlocale(LC_ALL, nullptr);
        if (std::setlocale(LC_ALL, "de_DE.UTF-8"))
            return;
        // Build the locale when the system has its sources but not the compiled form.
        m_folder = std::filesystem::temp_directory_path() / ("tessaline-locale-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_folder);
        // A single-byte character set compiles much faster than UTF-8.
        const std::string command =
            "localedef -i de_DE -f ISO-8859-1 " + (m_folder / "de_DE.ISO-8859-1").string() + " >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0)
        {
            setenv("LOCPATH", m_folder.c_str(), 1);
            std::setlocale(LC_ALL, "de_DE.ISO-8859-1");
        }
    }
    ~DecimalCommaLocale()
    {
        std::setlocale(LC_ALL, m_saved.c_str());
        unsetenv("LOCPATH");
        if (!m_folder.empty())
            std::filesystem::remove_all(m_folder);
    }
    bool Active() const { return *std::localeconv()->decimal_point == ','; }

private:
    std::string m_saved;
    std::filesystem::path m_folder;
};

TEST(ModelTextWriter, OutputDoesNotDependOnTheLocale)
{
    CModelInMemory model;
    model.objects.push_back(MakeObject("Deck", {Vertex(1, 2, 3, 0.5f, 0.25f), Vertex(1.0e8f, 0, 1.0e-4f)}, {}));
    const std::string inCLocale = Text(model);
    DecimalCommaLocale locale;
    if (!locale.Active())
        GTEST_SKIP() << "no locale with a decimal comma available";
    EXPECT_EQ(Text(model), inCLocale);
}

} // namespace
