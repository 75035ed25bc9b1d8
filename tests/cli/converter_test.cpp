// The built converter run as a user runs it: arguments and files in, exit
// status, messages and files out.
#include "cli/options.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace
{
using namespace support;

const std::string kNotAModel = "Error reading input file, it does not appear to be a true .3DS file.";
const std::string kShip = "Loading model...\n  reading Object 0 of 1\n";
const std::string kTwo = "Loading model...\n  reading Object 0 of 2\n  reading Object 1 of 2\n";

// Runs the converter in folder; the usage text in its output reads <usage>.
Process Convert(const TemporaryFolder& folder, std::vector<std::string> arguments, rlim_t fileSize = 0)
{
    arguments.insert(arguments.begin(), TESSALINE_CONVERT_PATH);
    Process process = Run(arguments, {.folder = folder.Path().string(), .fileSize = fileSize});
    for (std::string* text : {&process.out, &process.err})
        if (const std::size_t at = text->find(UsageText()); at != std::string::npos)
            text->replace(at, UsageText().size(), "<usage>");
    return process;
}

// The inputs of every run: a triangle, a text file, an animation of eleven
// frames whose mast moves, one too long to export, and two morph frames.
void WriteInputs(const TemporaryFolder& folder)
{
    fixtures::Mesh dense = Triangle("Dense");
    dense.vertices.assign(20000, {1, 2, 3});
    const fixtures::Keyframes keyframes{0, 10, {{"Mast", {{0, {0, 0, 0}}, {10, {50, 0, 0}}}, {}, {}}}}, long10000{0, 9999, {}};
    WriteModel(folder / "ship.3ds", {Triangle()});
    WriteFile(folder / "text.3ds", "not a model");
    WriteModel(folder / "mast.3ds", {Triangle("Hull"), Triangle("Mast")}, &keyframes);
    WriteModel(folder / "long.3ds", {dense}, &long10000);
    WriteModel(folder / "wave.3ds", {Triangle("B"), Triangle("A_T")});
}

// written: the files besides the inputs; ending: how the first of them ends.
struct RunCase { std::vector<std::string> arguments; int status; std::string out, err; std::set<std::string> written; std::string ending; rlim_t fileSize = 0; };

const RunCase kRuns[] = {
    {{"ship.3ds"}, 0, "", kShip, {"ship.DTQ"}, "\n2,1,0\n"},
    {{"--flip", "-o", "out", "ship.3ds"}, 0, "", kShip, {"out.dtq"}, "\n0,1,2\n"},
    {{"--version"}, 0, "Tessaline 1.0.0.1\n", ""},
    {{"--help", "ship.3ds"}, 0, "<usage>", ""},
    {{"--flip"}, 2, "", "Error: no input file given\n<usage>"},
    {{"text.3ds"}, 1, "", "Loading model...\n" + kNotAModel + "\n"},
    {{"-j", "1", "ship.3ds", "no.3ds", "text.3ds"}, 1, "",
     kShip + "Error: Could not open Input file: no.3ds\nLoading model...\n" + kNotAModel + "\n", {"ship.DTQ"}},
    // A full disk fails the write; the process is not killed and leaves no file.
    {{"ship.3ds"}, 1, "", kShip + "Error: Could not write Output file: ship.DTQ\n", {}, "", 120},
    // One file per frame, numbered to the width of the last frame number.
    {{"--frames", "mast.3ds"}, 0, "", kTwo,
     {"mast00.DTQ", "mast01.DTQ", "mast02.DTQ", "mast03.DTQ", "mast04.DTQ", "mast05.DTQ", "mast06.DTQ",
      "mast07.DTQ", "mast08.DTQ", "mast09.DTQ", "mast10.DTQ"}, "\n2,1,0\n5,4,3\n"},
    {{"--morph", "-o", "w", "wave.3ds"}, 0, "", kTwo + "  Sorting objects...\n", {"w0.dtq", "w1.dtq"}, "\n2,1,0\n"},
    {{"--frames", "long.3ds"}, 1, "", kShip + "Error: The animation is too long to export: 10000 frames\n"},
};

TEST(Converter, Runs)
{
    for (const RunCase& run : kRuns)
    {
        TemporaryFolder folder;
        WriteInputs(folder);
        const Process process = Convert(folder, run.arguments, run.fileSize);
        SCOPED_TRACE(testing::PrintToString(run.arguments));
        EXPECT_EQ(std::tie(process.status, process.out, process.err), std::tie(run.status, run.out, run.err));
        std::set<std::string> written = folder.List();
        std::erase_if(written, [](const std::string& name) { return name.ends_with(".3ds"); });
        EXPECT_EQ(written, run.written);
        EXPECT_TRUE(written.empty() || ReadFile(folder / *written.begin()).ends_with(run.ending));
    }
}

// Each frame file has its own texture name; the mast moves between the first
// and last frame; morph frames take the objects in name order.
TEST(Converter, FrameContents)
{
    TemporaryFolder folder;
    WriteInputs(folder);
    ASSERT_EQ(Convert(folder, {"--frames", "mast.3ds"}).status + Convert(folder, {"--morph", "wave.3ds"}).status, 0);
    const std::string first = ReadFile(folder / "mast00.DTQ");
    std::string last = ReadFile(folder / "mast10.DTQ");
    EXPECT_TRUE(first.starts_with("C3DModel\n4\n1\n") && first.find(",mast00.RAW\n") != std::string::npos);
    EXPECT_NE(first, last.replace(last.find(",mast10.RAW\n"), 11, ",mast00.RAW"));
    const std::string wave0 = ReadFile(folder / "wave0.DTQ"), wave1 = ReadFile(folder / "wave1.DTQ");
    EXPECT_TRUE(wave0.find("\nA\n") != std::string::npos && wave1.find("\nB\n") != std::string::npos);
}

// Files converted at once: each as if alone, a bad one failing only itself,
// every message line whole and led by its input.
TEST(Converter, Batch)
{
    TemporaryFolder folder;
    std::vector<fixtures::Mesh> meshes;
    std::string expected = "Loading model...\n";
    std::vector<std::string> arguments{"-j", "3", "bad.3ds"};
    for (int i = 0; i < 2000; ++i)
        meshes.push_back(Triangle("Part" + std::to_string(i)));
    for (int i = 0; i < 2000; ++i)
        expected += "  reading Object " + std::to_string(i) + " of 2000\n";
    for (const std::string name : {"a", "b", "c", "d", "e", "f"})
    {
        std::filesystem::create_directory(folder.Path() / name);
        WriteModel(folder / (name + "/ship.3ds"), meshes);
        arguments.push_back(name + "/ship.3ds");
    }
    WriteFile(folder / "bad.3ds", "not a model");
    ASSERT_EQ(Convert(folder, {"-o", "f/ship", "f/ship.3ds"}).status, 0);
    arguments.pop_back();
    const Process batch = Convert(folder, arguments);
    EXPECT_EQ(batch.status, 1);
    std::map<std::string, std::string> lines;
    std::istringstream stream(batch.err);
    for (std::string line; std::getline(stream, line);) // whole lines, led by their input
        lines[line.substr(0, line.find(".3ds: ") + 4)] += line.substr(line.find(".3ds: ") + 6) + "\n";
    EXPECT_EQ(lines, (std::map<std::string, std::string>{{"bad.3ds", "Loading model...\n" + kNotAModel + "\n"},
                                                         {"a/ship.3ds", expected}, {"b/ship.3ds", expected},
                                                         {"c/ship.3ds", expected}, {"d/ship.3ds", expected}, {"e/ship.3ds", expected}}));
    for (const std::string name : {"a", "b", "c", "d", "e"})
        EXPECT_TRUE(ReadFile(folder / (name + "/ship.DTQ")) == ReadFile(folder / "f/ship.dtq")) << name;
}
} // namespace
