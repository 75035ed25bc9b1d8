// Writes the fuzzing seed corpus: tessaline-make-seed-corpus FOLDER
//
// Small valid files that between them reach every chunk the reader acts on,
// so that mutation starts from inputs that get deep into the reader.
#include "fixtures/chunk_writer.h"
#include "fixtures/example_ship.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace
{
using namespace fixtures;

MeshSpec Triangle(const std::string& name, float offset = 0.0f)
{
    MeshSpec mesh;
    mesh.name = name;
    mesh.vertices = {{offset, 0, 0}, {offset + 1, 0, 0}, {offset, 1, 0}};
    mesh.faces = {{0, 1, 2}};
    return mesh;
}

MeshSpec Square(const std::string& name)
{
    MeshSpec mesh;
    mesh.name = name;
    mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.mapping = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.faces = {{0, 1, 2}, {0, 2, 3}};
    return mesh;
}

std::vector<std::uint8_t> MainChunkOnly()
{
    ChunkWriter writer;
    writer.Begin(kMain);
    writer.End();
    return writer.Take();
}

// Every material-name feature, and a group naming a face the list lacks.
std::vector<std::uint8_t> FaceAttributes()
{
    MeshSpec mesh = Square("Skinned_E");
    mesh.hasPivot = true;
    mesh.pivot = {0.5f, 0.5f, 0};
    mesh.materials = {{"skin1wbfen", {0}},   {"Skin2T", {1}},  {"skin5x1Fc2A", {0, 1}},
                      {"skin0mo", {1, 9}},   {"skinny", {0}},  {"skin9x2e", {0}}};
    return BuildModelFile({mesh});
}

std::vector<std::uint8_t> Keyframes()
{
    MeshSpec box = Square("Box01");
    box.hasPivot = true;
    box.pivot = {0.5f, 0.5f, 0};
    KeyframeSpec keys;
    keys.lastFrame = 10;
    keys.nodes = {
        {"Box01",
         {{0, {10, 20, 30}}, {5, {12, 20, 30}}},
         {{0, {0, 0, 0, 1}}, {2, {0.5f, 0, 0, 1}}, {3, {0.5f, 1, 0, 0}}},
         {{0, {2, 2, 2}}, {10, {4, 2, 1}}}},
        {"$$$DUMMY", {{3, {1, 1, 1}}}, {}, {}},
    };
    return BuildModelFile({box, Triangle("Other")}, &keys);
}

// Keys outside a segment that does not start at 0.
std::vector<std::uint8_t> ShiftedSegment()
{
    KeyframeSpec keys;
    keys.firstFrame = 5;
    keys.lastFrame = 8;
    keys.nodes = {{"Tri", {{7, {1, 0, 0}}}, {{6, {1, 0, 0, 1}}}, {{9, {2, 2, 2}}}}};
    return BuildModelFile({Triangle("Tri")}, &keys);
}

// Equal vertex counts, names out of order: a morph sequence for mode 1.
std::vector<std::uint8_t> MorphSequence()
{
    return BuildModelFile({Triangle("C", 0), Triangle("A", 1), Triangle("B2", 2), Triangle("B", 3)});
}

std::vector<std::uint8_t> HiddenAndLongNames()
{
    return BuildModelFile({Triangle("!hidden"), Triangle("AVeryLongObjectName_T"), Triangle("Eleven_Char")});
}

// A mesh nested inside an object node, where only the reading pass looks,
// and chunks the reader skips.
std::vector<std::uint8_t> UnusualNesting()
{
    ChunkWriter writer;
    writer.Begin(kMain);
    writer.Begin(0x0002); // file version
    writer.Dword(3);
    writer.End();
    writer.Begin(kEditor);
    WriteMeshBlock(writer, Triangle("First"));
    writer.Begin(0xAFFF); // material editor data
    writer.String("ignored");
    writer.End();
    writer.End();
    writer.Begin(kKeyframeData);
    writer.Begin(kObjectNode);
    writer.Begin(kTriangleMesh);
    writer.End();
    writer.End();
    writer.End();
    writer.End();
    return writer.Take();
}

// Lengths that end levels early or reach past the file.
std::vector<std::uint8_t> DamagedLengths()
{
    ChunkWriter writer;
    writer.Begin(kMain);
    writer.Begin(kEditor);
    WriteMeshBlock(writer, Triangle("Kept"));
    writer.RawHeader(0x1234, 5);
    writer.End();
    writer.RawHeader(kEditor, 0xFFFFFFF0);
    writer.End();
    return writer.Take();
}

std::vector<std::pair<std::string, std::vector<std::uint8_t>>> Seeds()
{
    return {
        {"example_ship", BuildExampleShip()},
        {"main_chunk_only", MainChunkOnly()},
        {"triangle", BuildModelFile({Triangle("Hull_T")})},
        {"face_attributes", FaceAttributes()},
        {"keyframes", Keyframes()},
        {"shifted_segment", ShiftedSegment()},
        {"morph_sequence", MorphSequence()},
        {"hidden_and_long_names", HiddenAndLongNames()},
        {"unusual_nesting", UnusualNesting()},
        {"damaged_lengths", DamagedLengths()},
    };
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "Usage: tessaline-make-seed-corpus FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& [name, bytes] : Seeds())
    {
        const std::string path = (folder / (name + ".3ds")).string();
        if (!WriteFile(path, bytes))
        {
            std::fprintf(stderr, "Error: Could not write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
