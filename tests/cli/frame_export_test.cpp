#include "cli/frame_export.h"
#include "cli/options.h"
#include "convert/control_ids.h"
#include "model/model_3ds.h"
#include "tests/convert/conversion_fixtures.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>

using fixtures::KeyframeSpec;
using fixtures::MeshSpec;
using fixtures::NodeSpec;
using testing_support::HullMesh;
using testing_support::kHullModelText;
using testing_support::ReadWholeFile;
using testing_support::TemporaryFolder;
using testing_support::WriteModelFile;
using testing_support::WriteWholeFile;

namespace
{
// The controls of one command-line conversion, in memory.
class CFrameWindow : public CDialogWindow
{
public:
    CFrameWindow(std::string input, std::string output, bool flip = false) : flip(flip)
    {
        texts[IDC_INPUT] = std::move(input);
        texts[IDC_OUTPUT] = std::move(output);
    }
    std::string GetDlgItemText(int id) override { return texts[id]; }
    bool IsDlgButtonChecked(int id) override { return id == IDC_FLIP && flip; }
    void EnableDlgItem(int, bool) override {}
    void EndDialogOK() override { ++endCount; }
    void SetDlgItemText(int id, const std::string& text) override
    {
        if (id == IDC_STATUS)
            statusTexts.push_back(text);
    }
    void UpdateWindow() override {}

    std::map<int, std::string> texts;
    bool flip;
    std::vector<std::string> statusTexts;
    int endCount = 0;
};

void WriteAnimatedFile(const std::string& path, const std::vector<MeshSpec>& meshes, const KeyframeSpec& keyframes)
{
    ASSERT_TRUE(fixtures::WriteFile(path, fixtures::BuildModelFile(meshes, &keyframes)));
}

KeyframeSpec Segment(std::uint32_t lastFrame, std::vector<NodeSpec> nodes = {})
{
    KeyframeSpec keyframes;
    keyframes.lastFrame = lastFrame;
    keyframes.nodes = std::move(nodes);
    return keyframes;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

MeshSpec Triangle(const std::string& name, float x = 0)
{
    MeshSpec mesh;
    mesh.name = name;
    mesh.vertices = {{x, 0, 0}, {x + 25, 0, 0}, {x, 25, 0}};
    mesh.faces = {{0, 1, 2}};
    return mesh;
}

// Runs the built converter in folder; returns its exit status.
int RunConverter(const TemporaryFolder& folder, const std::string& arguments)
{
    const std::string command = "cd '" + folder.Path().string() + "' && '" TESSALINE_CONVERT_PATH "' " + arguments +
                                " >/dev/null 2>stderr.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

TEST(FrameExport, FramePathsCarryZeroPaddedNumbersBeforeTheExtension)
{
    struct
    {
        const char* finalPath;
        int frame, frameCount;
        const char* expected;
    } const cases[] = {
        {"ship.dtq", 7, 301, "ship007.dtq"}, {"ship.dtq", 0, 1, "ship0.dtq"},
        {"ship.DTQ", 9, 10, "ship9.DTQ"},    {"ship.dtq", 10, 11, "ship10.dtq"},
        {"ship.dtq", 5, 100, "ship05.dtq"},  {"out/my.ship.dtq", 3, 1000, "out/my.ship003.dtq"},
        {".dtq.dtq", 1, 2, ".dtq1.dtq"},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(FrameOutputPath(entry.finalPath, entry.frame, entry.frameCount), entry.expected);
}

TEST(FrameExport, ExportLimit)
{
    const std::uint64_t limit = std::uint64_t{1} << 27;
    EXPECT_TRUE(FitsExportLimit(301, 40));
    EXPECT_TRUE(FitsExportLimit(limit / 9, 9));
    EXPECT_FALSE(FitsExportLimit(limit / 9 + 1, 9));
    EXPECT_FALSE(FitsExportLimit(0x7FFFFFFF, std::uint64_t{1} << 40));
    EXPECT_TRUE(FitsExportLimit(1, limit));
}

TEST(FrameExport, OptionsChooseTheSequence)
{
    struct
    {
        std::vector<std::string> arguments;
        CommandAction action;
        FrameSequence frames;
    } const cases[] = {
        {{"a.3ds"}, CommandAction::Convert, FrameSequence::None},
        {{"--frames", "a.3ds"}, CommandAction::Convert, FrameSequence::Keyframes},
        {{"a.3ds", "--morph", "--morph"}, CommandAction::Convert, FrameSequence::Morph},
        {{"--frames", "--morph", "a.3ds"}, CommandAction::UsageError, FrameSequence::None},
        {{"--", "--frames"}, CommandAction::Convert, FrameSequence::None},
    };
    for (const auto& entry : cases)
    {
        const ParsedCommandLine parsed = ParseCommandLine(entry.arguments);
        EXPECT_EQ(parsed.action, entry.action) << entry.arguments[0];
        EXPECT_EQ(parsed.options.frames, entry.frames) << entry.arguments[0];
    }
    EXPECT_EQ(ParseCommandLine({"--frames", "--morph", "a.3ds"}).error,
              "Error: --frames and --morph exclude each other");
}

// Without keyframe data there is one frame, and its file is the plain
// conversion's output with the frame file's own texture name.
TEST(FrameExport, SingleFrameIsThePlainConversion)
{
    for (bool flip : {false, true})
    {
        TemporaryFolder folder;
        WriteModelFile(folder / "ship.3ds", {HullMesh()});
        CFrameWindow window(folder / "ship.3ds", folder / "ship.dtq", flip);
        ASSERT_TRUE(ExportFrames(window, FrameSequence::Keyframes));
        std::string expected = Replaced(kHullModelText, "ship.RAW", "ship0.RAW");
        if (flip)
            expected = Replaced(expected, "2,1,0\n", "0,1,2\n");
        EXPECT_EQ(ReadWholeFile(folder / "ship0.dtq"), expected);
        EXPECT_EQ(folder.List(), (std::set<std::string>{"ship.3ds", "ship0.dtq"}));
        EXPECT_EQ(window.statusTexts, (std::vector<std::string>{"Loading model...", "  reading Object 0 of 1"}));
        EXPECT_EQ(window.endCount, 1);
    }
}

TEST(FrameExport, KeyframeModelWritesOneMergedObjectPerFrame)
{
    TemporaryFolder folder;
    NodeSpec moved{"Mast_E", {{0, {0, 0, 0}}, {5, {50, 0, 0}}}, {}, {}};
    WriteAnimatedFile(folder / "ship.3ds", {HullMesh(), Triangle("Mast_E", 100)}, Segment(10, {moved}));
    CFrameWindow window(folder / "ship.3ds", folder / "anim");
    ASSERT_TRUE(ExportFrames(window, FrameSequence::Keyframes));
    EXPECT_EQ(folder.List().size(), 12u);
    for (int frame = 0; frame <= 10; ++frame)
    {
        const std::string name = FrameOutputPath("anim.dtq", frame, 11);
        const std::vector<std::string> lines = Lines(ReadWholeFile(folder / name));
        ASSERT_EQ(lines.size(), 4u + 5u + 6u + 2u) << name;
        EXPECT_EQ(lines[2], "1");
        EXPECT_EQ(lines[4], "Hull");
        EXPECT_EQ(lines[7], "6,1,2,0");
        EXPECT_EQ(lines[8], "1.0,1.0,64.0,1,0," + Replaced(name, ".dtq", ".RAW"));
        // The mast's first vertex, (100, 0, 0) stored, moved by 50 at frame 5 only.
        EXPECT_EQ(lines[12].substr(0, 6), frame == 5 ? "6,0,0," : "4,0,0,") << name;
        EXPECT_EQ(lines[16], "5,4,3");
    }
}

TEST(FrameExport, MorphSequenceWritesTheObjectsInNameOrder)
{
    TemporaryFolder folder;
    WriteModelFile(folder / "wave.3ds", {Triangle("C"), Triangle("A_T"), Triangle("B")});
    CFrameWindow window(folder / "wave.3ds", folder / "wave.dtq");
    ASSERT_TRUE(ExportFrames(window, FrameSequence::Morph));
    const char* const expected[][2] = {{"wave0.dtq", "A"}, {"wave1.dtq", "B"}, {"wave2.dtq", "C"}};
    for (const auto& [file, name] : expected)
    {
        const std::vector<std::string> lines = Lines(ReadWholeFile(folder / file));
        ASSERT_EQ(lines.size(), 4u + 5u + 3u + 1u) << file;
        EXPECT_EQ(lines[4], name);
    }
    EXPECT_EQ(Lines(ReadWholeFile(folder / "wave0.dtq"))[8], "1.0,1.0,64.0,1,0,wave0.RAW");
}

// A zero component in the frame-0 scale key gives infinite and undefined
// coordinates at later frames; the frames are written all the same.
TEST(FrameExport, NonFiniteFramesAreStillWritten)
{
    TemporaryFolder folder;
    NodeSpec flat{"Hull_T", {}, {}, {{0, {1, 0, 1}}, {1, {1, 2, 1}}}};
    WriteAnimatedFile(folder / "flat.3ds", {HullMesh()}, Segment(1, {flat}));
    CFrameWindow window(folder / "flat.3ds", folder / "flat.dtq");
    ASSERT_TRUE(ExportFrames(window, FrameSequence::Keyframes));
    EXPECT_EQ(Lines(ReadWholeFile(folder / "flat1.dtq")).size(), 4u + 5u + 3u + 1u);
    EXPECT_NE(ReadWholeFile(folder / "flat1.dtq"), Replaced(ReadWholeFile(folder / "flat0.dtq"), "flat0", "flat1"));
}

TEST(FrameExport, FailuresShowOneMessageAndWriteNothing)
{
    TemporaryFolder folder;
    WriteModelFile(folder / "ship.3ds", {HullMesh()});
    WriteModelFile(folder / "empty.3ds", {});
    MeshSpec longer = Triangle("B");
    longer.vertices.push_back({1, 1, 1});
    WriteModelFile(folder / "uneven.3ds", {Triangle("A"), longer});
    WriteWholeFile(folder / "text.3ds", "not a model");
    MeshSpec dense;
    dense.name = "Dense";
    dense.vertices.assign(20000, {1, 2, 3});
    WriteAnimatedFile(folder / "long.3ds", {dense}, Segment(9999));
    const auto filesBefore = folder.List();

    struct
    {
        std::string input, output;
        FrameSequence sequence;
        std::string message;
    } const cases[] = {
        {"", "out.dtq", FrameSequence::Keyframes, "Error: You must specify an input file"},
        {folder / "missing.3ds", "out.dtq", FrameSequence::Keyframes,
         "Error: Could not open Input file: " + folder / "missing.3ds"},
        {folder / "ship.3ds", "", FrameSequence::Keyframes, "Error: You must specify an output file name"},
        {folder / "text.3ds", folder / "out.dtq", FrameSequence::Keyframes,
         "Error reading input file, it does not appear to be a true .3DS file."},
        {folder / "uneven.3ds", folder / "out.dtq", FrameSequence::Morph, "Error: Object point counts do not match"},
        {folder / "empty.3ds", folder / "out.dtq", FrameSequence::Morph, "Error: The model has no frames to export"},
        {folder / "long.3ds", folder / "out.dtq", FrameSequence::Keyframes,
         "Error: The animation is too long to export: 10000 frames"},
        {folder / "ship.3ds", folder / "no/such/folder/out.dtq", FrameSequence::Keyframes,
         "Error: Could not create Output file: " + folder / "no/such/folder/out0.dtq"},
    };
    for (const auto& entry : cases)
    {
        CFrameWindow window(entry.input, entry.output);
        EXPECT_FALSE(ExportFrames(window, entry.sequence));
        ASSERT_FALSE(window.statusTexts.empty());
        EXPECT_EQ(window.statusTexts.back(), entry.message);
        int errors = 0;
        for (const std::string& text : window.statusTexts)
            errors += text.rfind("Error", 0) == 0 ? 1 : 0;
        EXPECT_EQ(errors, 1) << entry.message;
        EXPECT_EQ(window.endCount, 0);
        EXPECT_EQ(folder.List(), filesBefore) << entry.message;
    }
}

// The keyframed models of the Debian package assimp-testmodels, when it is
// installed, converted by one run of the built program: one file per frame.
TEST(FrameExport, PackagedModelsWriteEveryFrame)
{
    const std::filesystem::path models = "/usr/share/assimp/models/3DS";
    if (!std::filesystem::is_directory(models))
        GTEST_SKIP() << "assimp-testmodels is not installed";
    TemporaryFolder folder;
    std::map<std::string, int> frameCounts; // by the copy's stem
    std::string inputs;
    for (const auto& entry : std::filesystem::directory_iterator(models))
    {
        CInputFile file;
        std::string text;
        CModel3DS model(nullptr, 0, &text);
        if (!file.Open(entry.path().string()) || !model.LoadFile(&file, 0) || model.GetFrameCount() < 2)
            continue;
        const std::string stem = "model" + std::to_string(frameCounts.size());
        std::filesystem::copy_file(entry.path(), folder.Path() / (stem + ".3ds"));
        frameCounts[stem] = model.GetFrameCount();
        inputs += " " + stem + ".3ds";
    }
    ASSERT_FALSE(frameCounts.empty());
    ASSERT_EQ(RunConverter(folder, "--frames" + inputs), 0);

    std::size_t expectedFiles = frameCounts.size() + 1; // the inputs and stderr.txt
    for (const auto& [stem, frames] : frameCounts)
    {
        for (int frame = 0; frame < frames; ++frame)
        {
            const std::string name = FrameOutputPath(stem + ".DTQ", frame, frames);
            ASSERT_EQ(ReadWholeFile(folder / name).rfind("C3DModel\n4\n1\n", 0), 0u) << name;
        }
        expectedFiles += static_cast<std::size_t>(frames);
    }
    EXPECT_EQ(folder.List().size(), expectedFiles);
}

TEST(FrameExport, ProgramExitStatus)
{
    TemporaryFolder folder;
    WriteModelFile(folder / "ship.3ds", {HullMesh()});
    WriteWholeFile(folder / "text.3ds", "not a model");
    EXPECT_EQ(RunConverter(folder, "--morph ship.3ds"), 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "ship0.DTQ"));
    EXPECT_EQ(RunConverter(folder, "--frames text.3ds"), 1);
    EXPECT_EQ(ReadWholeFile(folder / "stderr.txt"),
              "Loading model...\nError reading input file, it does not appear to be a true .3DS file.\n");
}
