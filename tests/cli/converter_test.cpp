// The built converter run as a user runs it: arguments and files in, exit
// status, messages and files out.
#include "cli/options.h"
#include "fixtures/gltf_writer.h"
#include "fixtures/obj_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <sstream>
#include <tuple>

namespace
{
using namespace support;

const std::string kNotAModel = "Error reading input file, it does not appear to be a true .3DS file.";
const std::string kLoading = ": Loading model...\n";
const std::string kTry = "Try 'tessaline-convert --help' for more information.\n";

// Runs the converter in folder, standard input read from a file there.
Process Convert(const TemporaryFolder& folder, std::vector<std::string> arguments, rlim_t fileSize = 0,
                const std::string& input = {})
{
    arguments.insert(arguments.begin(), TESSALINE_CONVERT_PATH);
    return Run(arguments, {.folder = folder.Path().string(),
                           .input = input.empty() ? "/dev/null" : folder / input,
                           .fileSize = fileSize});
}

// The inputs of every run: a triangle, a text file, an animation of eleven
// frames whose mast moves, one too long to export, and two morph frames; the
// triangle as glTF with its buffer beside it, a .glb with points, and a
// .gltf larger than any read.
void WriteInputs(const TemporaryFolder& folder)
{
    fixtures::WriteGltf(folder / "ship.gltf", fixtures::BuildGltf({Triangle()}, {.layout = fixtures::GltfLayout::ExternalBuffer, .bufferName = "ship.bin"}), "ship.bin");
    fixtures::GltfBuffer points;
    points.AddFloats({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3");
    fixtures::WriteFile(folder / "points.glb", points.File(R"("nodes":[{"name":"P","mesh":0}],"meshes":[{"primitives":[{"attributes":{"POSITION":0}},)"
                                                          R"({"attributes":{"POSITION":0},"mode":0}]}])", fixtures::GltfLayout::Binary).model);
    std::ofstream(folder / "big.gltf") << "{";
    std::filesystem::resize_file(folder / "big.gltf", (std::uintmax_t{256} << 20) + 1); // sparse: takes no disk
    fixtures::Mesh dense = Triangle("Dense");
    dense.vertices.assign(20000, {1, 2, 3});
    const fixtures::Keyframes keyframes{0, 10, {{"Mast", {{0, {0, 0, 0}}, {10, {50, 0, 0}}}, {}, {}}}}, long10000{0, 9999, {}};
    WriteModel(folder / "ship.3ds", {Triangle()});
    WriteFile(folder / "text.3ds", "not a model");
    WriteModel(folder / "mast.3ds", {Triangle("Hull"), Triangle("Mast")}, &keyframes);
    WriteModel(folder / "long.3ds", {dense}, &long10000);
    WriteModel(folder / "wave.3ds", {Triangle("B"), Triangle("A_T")});
    WriteFile(folder / "wave.obj", fixtures::BuildObjFile({Triangle("B"), Triangle("A_T")}) + "l 1 2\n");
}

// written: the files besides the inputs; ending: how the first of them, or
// standard output, ends.
struct RunCase { std::vector<std::string> arguments; int status; std::string err; std::set<std::string> written; std::string ending; rlim_t fileSize = 0; std::string input; };

const std::string kMastFrames = "mast.3ds -> mast-00.DTQ ... mast-10.DTQ (11 files)\n";

const RunCase kRuns[] = {
    {{"ship.3ds"}, 0, "ship.3ds -> ship.DTQ\n", {"ship.DTQ"}, "\n2,1,0\n"},
    {{"--flip", "-v", "-o", "out", "ship.3ds"}, 0, "ship.3ds" + kLoading + "ship.3ds:   reading Object 0 of 1\nship.3ds -> out.dtq\n", {"out.dtq"}, "\n0,1,2\n"},
    {{"-v", "-o", "out", "wave.obj"}, 0, "wave.obj" + kLoading + "wave.obj:   reading Object 0 of 2\nwave.obj:   reading Object 1 of 2\n"
     "tessaline-convert: wave.obj: Warning: 1 line left out: only faces of three or more corners are converted\nwave.obj -> out.dtq\n", {"out.dtq"}, "\n2,1,0\n"},
    {{"--version"}, 0, "", {}, "tessaline-convert (Tessaline) 1.0.0.1\n"},
    {{"--help", "ship.3ds"}, 0, "", {}, "2 for a usage error.\n"},
    {{"--flip"}, 2, "tessaline-convert: Error: no input file given\n" + kTry},
    {{"-q", "text.3ds"}, 1, "tessaline-convert: text.3ds: " + kNotAModel + "\n"},
    {{"-j", "1", "no.3ds", "text.3ds", "ship.3ds"}, 1,
     "tessaline-convert: no.3ds: Error: Could not open Input file: no.3ds (No such file or directory)\n"
     "tessaline-convert: text.3ds: " + kNotAModel + "\nship.3ds -> ship.DTQ\n1 converted, 2 failed\n", {"ship.DTQ"}},
    // A full disk fails the write; the process is not killed and leaves no file.
    {{"ship.3ds"}, 1, "tessaline-convert: ship.3ds: Error: Could not write Output file: ship.DTQ (File too large)\n", {}, "", 120},
    // Standard input and output.
    {{"-q", "-o", "-", "-"}, 0, "", {}, "\n2,1,0\n", 0, "ship.3ds"},
    {{"-o", "-", "--texture", "hull.RAW", "ship.3ds"}, 0, "ship.3ds -> -\n", {}, ",hull.RAW\n0,0,0,0,1,0,0,0\n"
     "1,0,0,0,1,0,1,0\n0,0,1,0,1,0,0,1\n2,1,0\n"},
    // One file per frame, numbered to the width of the last frame number.
    {{"--frames", "mast.3ds"}, 0, kMastFrames,
     {"mast-00.DTQ", "mast-01.DTQ", "mast-02.DTQ", "mast-03.DTQ", "mast-04.DTQ", "mast-05.DTQ", "mast-06.DTQ",
      "mast-07.DTQ", "mast-08.DTQ", "mast-09.DTQ", "mast-10.DTQ"}, "\n2,1,0\n5,4,3\n"},
    {{"--morph", "-o", "w", "wave.3ds"}, 0, "wave.3ds -> w-0.dtq ... w-1.dtq (2 files)\n", {"w-0.dtq", "w-1.dtq"}, "\n2,1,0\n"},
    {{"--frames", "long.3ds"}, 1, "tessaline-convert: long.3ds: Error: The animation is too long to export: 10000 frames\n"},
    // glTF: converted as the .3DS file, warned of what is left out, refused when larger than read or without its buffer.
    {{"ship.gltf"}, 0, "ship.gltf -> ship.DTQ\n", {"ship.DTQ"}, "\n2,1,0\n"},
    {{"points.glb"}, 0, "tessaline-convert: points.glb: Warning: 1 primitive of points or lines was left out\npoints.glb -> points.DTQ\n", {"points.DTQ"}, "\n2,1,0\n"},
    {{"--info", "points.glb"}, 0, "", {}, "warning: 1 primitive of points or lines was left out\n"},
    {{"big.gltf"}, 1, "tessaline-convert: big.gltf: Error reading input file, it is larger than 256 MB, the most a glTF file may have.\n"},
    {{"-q", "-o", "-", "-"}, 1, "tessaline-convert: -: Error reading input file, its buffer ship.bin is a file beside it, and a file read from standard input has none.\n",
     {}, "", 0, "ship.gltf"},
};

TEST(Converter, Runs)
{
    for (const RunCase& run : kRuns)
    {
        TemporaryFolder folder;
        WriteInputs(folder);
        const Process process = Convert(folder, run.arguments, run.fileSize, run.input);
        SCOPED_TRACE(testing::PrintToString(run.arguments));
        EXPECT_EQ(std::tie(process.status, process.err), std::tie(run.status, run.err));
        std::set<std::string> written = folder.List();
        std::erase_if(written, [](const std::string& name) {
            return name.ends_with(".3ds") || name.ends_with(".obj") || name.ends_with(".gltf") || name.ends_with(".glb") || name.ends_with(".bin");
        });
        EXPECT_EQ(written, run.written);
        EXPECT_TRUE((written.empty() ? process.out : ReadFile(folder / *written.begin())).ends_with(run.ending));
    }
}

// Every frame file names the export's one texture; the mast moves between
// the first and last frame; morph frames take the objects in name order.
TEST(Converter, FrameContents)
{
    TemporaryFolder folder;
    WriteInputs(folder);
    ASSERT_EQ(Convert(folder, {"--frames", "mast.3ds"}).status + Convert(folder, {"--morph", "wave.3ds"}).status, 0);
    const std::string first = ReadFile(folder / "mast-00.DTQ"), last = ReadFile(folder / "mast-10.DTQ");
    EXPECT_TRUE(first.starts_with("C3DModel\n4\n1\n") && first.find(",mast.RAW\n") != std::string::npos);
    EXPECT_TRUE(last.find(",mast.RAW\n") != std::string::npos && first != last);
    const std::string wave0 = ReadFile(folder / "wave-0.DTQ"), wave1 = ReadFile(folder / "wave-1.DTQ");
    EXPECT_TRUE(wave0.find("\nA\n") != std::string::npos && wave1.find("\nB\n") != std::string::npos);
}

// Files converted at once: each as if alone, a bad one failing only itself,
// every message line whole and led by its input.
TEST(Converter, Batch)
{
    TemporaryFolder folder;
    std::vector<fixtures::Mesh> meshes;
    std::string expected = ": Loading model...\n";
    std::vector<std::string> arguments{"-v", "-j", "3", "bad.3ds"};
    for (int i = 0; i < 2000; ++i)
        meshes.push_back(Triangle("Part" + std::to_string(i)));
    for (int i = 0; i < 2000; ++i)
        expected += ":   reading Object " + std::to_string(i) + " of 2000\n";
    for (const std::string name : {"a", "b", "c", "d", "e", "f"})
    {
        std::filesystem::create_directory(folder.Path() / name);
        WriteModel(folder / (name + "/ship.3ds"), meshes);
        arguments.push_back(name + "/ship.3ds");
    }
    WriteFile(folder / "bad.3ds", "not a model");
    ASSERT_EQ(Convert(folder, {"-o", "f/ship", "f/ship.3ds"}).status, 0);
    arguments.pop_back();
    Process batch = Convert(folder, arguments);
    EXPECT_EQ(batch.status, 1);
    ASSERT_TRUE(batch.err.ends_with("\n5 converted, 1 failed\n"));
    std::map<std::string, std::string> lines;
    std::istringstream stream(batch.err.erase(batch.err.rfind('\n', batch.err.size() - 2) + 1));
    for (std::string line; std::getline(stream, line);) // whole lines, led by their input
    {
        const std::size_t end = line.find(".3ds") + 4, start = line.starts_with("tessaline-convert: ") ? 19 : 0;
        lines[line.substr(start, end - start)] += line.substr(end) + "\n";
    }
    const std::string converted = expected + " -> ";
    EXPECT_EQ(lines, (std::map<std::string, std::string>{{"bad.3ds", ": Loading model...\n: " + kNotAModel + "\n"},
                                                         {"a/ship.3ds", converted + "a/ship.DTQ\n"},
                                                         {"b/ship.3ds", converted + "b/ship.DTQ\n"}, {"c/ship.3ds", converted + "c/ship.DTQ\n"},
                                                         {"d/ship.3ds", converted + "d/ship.DTQ\n"}, {"e/ship.3ds", converted + "e/ship.DTQ\n"}}));
    for (const std::string name : {"a", "b", "c", "d", "e"})
        EXPECT_TRUE(ReadFile(folder / (name + "/ship.DTQ")) == ReadFile(folder / "f/ship.dtq")) << name;
}

// Three objects of several stretches of vertex lines and of face lines each,
// as the threads share them out, the last of 65,535 faces.
std::vector<fixtures::Mesh> StretchedModel()
{
    std::vector<fixtures::Mesh> meshes;
    const std::tuple<const char*, int, int> shapes[] = {{"Hull_T", 5000, 9000}, {"Deck", 4500, 8200}, {"Sail_E", 3000, 65535}};
    for (const auto& [name, vertexCount, faceCount] : shapes)
    {
        fixtures::Mesh& mesh = meshes.emplace_back(fixtures::Mesh{name});
        for (int i = 0; i < vertexCount; ++i)
            mesh.vertices.push_back({float(i) * 0.37f, float(i % 101) - 50.5f, float(i % 37) * 1.25f}),
                mesh.mapping.push_back({float(i % 17) / 16, float(i % 5) / 4});
        for (int i = 0; i < faceCount; ++i)
            mesh.faces.push_back({std::uint16_t(i % vertexCount), std::uint16_t((i * 7 + 1) % vertexCount),
                                  std::uint16_t((i * 13 + 2) % vertexCount)});
    }
    return meshes;
}

// A stack limit larger than the memory there is: glibc gives each new thread
// a stack of that size, which the system refuses, so no thread starts.
constexpr rlim_t kNoThreadStack = rlim_t{64} << 30;

// The model, as a/m.3ds to d/m.3ds, converted on any number of threads, alone
// or in batches, or where no thread can start: the bytes of one thread.
struct ThreadRun { std::vector<std::string> arguments; rlim_t stack = 0; };

const ThreadRun kThreadRuns[] = {
    {{"-j", "2", "a/m.3ds"}},
    {{"-j", "3", "a/m.3ds"}},
    {{"-j", "7", "a/m.3ds"}},
    {{"-j", "3", "-o", "-", "a/m.3ds"}},
    {{"-j", "1", "a/m.3ds", "b/m.3ds", "c/m.3ds"}},
    {{"-j", "2", "a/m.3ds", "b/m.3ds", "c/m.3ds"}},
    {{"-j", "7", "a/m.3ds", "b/m.3ds", "c/m.3ds", "d/m.3ds"}},
    {{"-j", "4", "a/m.3ds"}, kNoThreadStack},
    {{"-j", "4", "a/m.3ds", "b/m.3ds", "c/m.3ds"}, kNoThreadStack},
};

TEST(Converter, SameBytesOnAnyNumberOfThreads)
{
    TemporaryFolder folder;
    for (const std::string name : {"a", "b", "c", "d", "one"})
        std::filesystem::create_directory(folder.Path() / name);
    for (const std::string name : {"a", "b", "c", "d"})
        WriteModel(folder / (name + "/m.3ds"), StretchedModel());
    ASSERT_EQ(Convert(folder, {"-j", "1", "-o", "one/m.dtq", "a/m.3ds"}).status, 0);
    const std::string expected = ReadFile(folder / "one/m.dtq");
    // Where memory is promised blindly, a thread's stack never fails.
    const bool overcommitted = ReadFile("/proc/sys/vm/overcommit_memory") == "1\n";
    for (const ThreadRun& run : kThreadRuns)
    {
        SCOPED_TRACE(testing::PrintToString(run.arguments));
        if (run.stack != 0 && overcommitted)
        {
            std::cout << "Not run: the system overcommits memory, so threads start whatever their stack\n";
            continue;
        }
        for (const std::string name : {"a", "b", "c", "d"})
            std::filesystem::remove(folder / (name + "/m.DTQ"));
        std::vector<std::string> argv = run.arguments;
        argv.insert(argv.begin(), TESSALINE_CONVERT_PATH);
        const Process process = support::Run(argv, {.folder = folder.Path().string(), .stack = run.stack});
        EXPECT_EQ(process.status, 0) << process.err;
        const bool toStandardOutput = std::find(argv.begin(), argv.end(), "-") != argv.end();
        for (const std::string& input : run.arguments)
        {
            const std::string output = toStandardOutput ? process.out : ReadFile(folder / (input.substr(0, 2) + "m.DTQ"));
            EXPECT_TRUE(!input.ends_with(".3ds") || output == expected) << input;
        }
    }
}
} // namespace
