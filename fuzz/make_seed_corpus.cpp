// Writes the fuzzing seed corpora:
//   tessaline-make-seed-corpus FOLDER GLTF_FOLDER OBJ_FOLDER
//
// Small valid files that between them reach every chunk the .3DS reader acts
// on, every part of a glTF file the glTF source reads and every statement
// the OBJ source reads, so that mutation starts from inputs that get deep
// into the readers.
#include "fixtures/chunk_writer.h"
#include "fixtures/example_ship.h"
#include "fixtures/gltf_writer.h"
#include "fixtures/obj_writer.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
using namespace fixtures;

Mesh Square(const std::string& name, float offset = 0.0f)
{
    Mesh mesh;
    mesh.name = name;
    mesh.vertices = {{offset, 0, 0}, {offset + 1, 0, 0}, {offset + 1, 1, 0}, {offset, 1, 0}};
    mesh.mapping = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.faces = {{0, 1, 2}, {0, 2, 3}};
    return mesh;
}

// Every material-name feature, a group naming a face the list lacks, hidden
// and long names, and names out of order for the morph sequence of mode 1.
std::vector<Mesh> ObjectMeshes()
{
    Mesh skinned = Square("Skinned_E");
    skinned.hasPivot = true;
    skinned.pivot = {0.5f, 0.5f, 0};
    skinned.materials = {{"skin1wbfen", {0}}, {"Skin2T", {1}}, {"skin5x1Fc2A", {0, 1}},
                         {"skin0mo", {1, 9}},  {"skinny", {0}}, {"skin9x2e", {0}}};
    return {skinned, Square("C", 1), Square("!hidden", 2), Square("AVeryLongObjectName_T", 3), Square("Eleven_Char", 4),
            Square("B", 5)};
}

// What the OBJ writer does not write: groups, polygons, references counted
// back, normals, points and lines, line ends of every kind, statements the
// source passes over.
const char* const kObjStatements = "# groups\r\nmtllib scene.mtl\nv 0 0 0\nv 1 0 0 1\nv 1 1 0\nv 0 1 0\n"
                                   "vt 0 0\nvt 1 0 0\nvn 0 0 1\ns 1\ng left side\nusemtl skin2w\n"
                                   "f 1/1/1 2/2/1 3/1/1 4/2/1\ng right\nf -4//1 -2//1 -1//1\rp 1 2\nl 1 2 3\n"
                                   "o Later_E\nf 1 2 3\n\tf 2 3 4 1 2\n";

// Keys inside and outside a segment that does not start at 0, and a dummy node.
std::vector<std::uint8_t> Animation()
{
    Keyframes keys;
    keys.firstFrame = 2;
    keys.lastFrame = 10;
    keys.nodes = {{"Box01",
                   {{0, {10, 20, 30}}, {5, {12, 20, 30}}, {12, {1, 0, 0}}},
                   {{0, {0, 0, 0, 1}}, {2, {0.5f, 0, 0, 1}}, {3, {0.5f, 1, 0, 0}}},
                   {{0, {2, 2, 2}}, {10, {4, 2, 1}}}},
                  {"$$$DUMMY", {{3, {1, 1, 1}}}, {}, {}}};
    return BuildModelFile({Square("Box01"), Square("Other", 1)}, &keys);
}

// A mesh nested inside an object node, where only the reading pass looks,
// chunks the reader skips, and lengths that end levels early or reach past
// the file.
std::vector<std::uint8_t> OddChunks()
{
    ChunkWriter writer;
    writer.Begin(kMain);
    writer.Begin(0x0002); // file version
    writer.Dword(3);
    writer.End();
    writer.Begin(kEditor);
    WriteMeshBlock(writer, Square("First"));
    writer.Begin(0xAFFF); // material editor data
    writer.String("ignored");
    writer.End();
    writer.RawHeader(0x1234, 5);
    writer.End();
    writer.Begin(kKeyframeData);
    writer.Begin(kObjectNode);
    writer.Begin(kTriangleMesh);
    writer.End();
    writer.End();
    writer.End();
    writer.RawHeader(kEditor, 0xFFFFFFF0);
    writer.End();
    return writer.Take();
}

bool WriteSeeds(const std::filesystem::path& folder, const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& seeds)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& [name, bytes] : seeds)
    {
        const std::string path = (folder / name).string();
        if (!WriteFile(path, bytes))
        {
            std::fprintf(stderr, "Error: Could not write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "Usage: tessaline-make-seed-corpus FOLDER GLTF_FOLDER OBJ_FOLDER\n");
        return 2;
    }
    const std::vector<Mesh> ship = ExampleShipMeshes();
    const std::string objects = BuildObjFile(ObjectMeshes()), objShip = BuildObjFile(ship, ObjUp::Z);
    const auto bytes = [](const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    const bool written =
        WriteSeeds(argv[1], {{"example_ship.3ds", BuildExampleShip()}, {"objects.3ds", BuildModelFile(ObjectMeshes())},
                             {"animation.3ds", Animation()}, {"odd_chunks.3ds", OddChunks()}}) &&
        WriteSeeds(argv[2], {{"ship.gltf", BuildGltf(ship, {.indexBytes = 1}).model},
                             {"ship.glb", BuildGltf(ship, {.layout = GltfLayout::Binary, .indexBytes = 4}).model},
                             {"animation.gltf", GltfAnimationSample()}, {"features.gltf", GltfFeatureSample()}}) &&
        WriteSeeds(argv[3], {{"example_ship.obj", bytes(objShip)}, {"objects.obj", bytes(objects)},
                             {"statements.obj", bytes(kObjStatements)}});
    return written ? 0 : 1;
}
