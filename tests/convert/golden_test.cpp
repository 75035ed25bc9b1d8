// Whole conversions by the built converter, compared byte for byte with the
// files under tests/data/golden. Each was written by this converter for the
// model built here and checked by eye when it was made. After an intended
// change of the output, rewrite them with TESSALINE_UPDATE_GOLDEN=1 and
// review the diff.
#include "fixtures/example_ship.h"
#include "fixtures/gltf_writer.h"
#include "fixtures/obj_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace
{
using fixtures::Mesh;

const std::string kSource = TESSALINE_SOURCE_DIR;
std::string Golden(const std::string& name) { return kSource + "/tests/data/golden/" + name; }
Mesh Named(const std::string& name) { Mesh mesh; mesh.name = name; return mesh; }

// The edges of the number format: signed zero, both exponent forms, three-digit
// exponents, rounding that carries into a new digit, exact halves, a
// subnormal, a vertex no face names, faces that cancel or repeat a vertex.
Mesh FormatEdges()
{
    Mesh mesh = support::Triangle("Edges_E");
    mesh.vertices = {{0, 0, 0}, {-0.0f, 25, -25}, {0.001f, 1e8f, -1e-3f}, {12.5f, 249999.99f, 0.0025f},
                     {-37.1234567f, 4.2e-5f, 1234.5678f}, {3.0e38f, -3.0e38f, 1e-40f}, {9.9999987f, -99999.99f, 0.1f}};
    mesh.mapping = {{9.999995f, 0.5f}, {999999.5f, 1.0f}, {0.000099999995f, 0.75f}, {123456.5f, 1.0f - 1.0f / 3.0f},
                    {123457.5f, 0.9f}, {2.5e-5f, -2.0f}, {1.0f / 3.0f, 1.0e7f}};
    mesh.faces = {{0, 1, 2}, {2, 1, 0}, {1, 3, 4}, {3, 3, 6}, {4, 6, 0}, {6, 2, 3}};
    return mesh;
}

// An 8 by 8 grid whose heights use every bit of the mantissa.
Mesh Terrain()
{
    Mesh mesh = Named("Terrain_T");
    for (std::uint16_t corner = 0; corner < 64; ++corner)
    {
        std::uint32_t bits = ((corner + 1u) ^ ((corner + 1u) >> 16)) * 0x7FEB352Du;
        bits = (bits ^ bits >> 15) * 0x846CA68Bu;
        const float row = corner / 8, column = corner % 8;
        mesh.vertices.push_back({column * 0.37f - 1.3f, row * 0.37f, ((bits ^ bits >> 16) >> 8) * (200.0f / 16777216.0f) - 100.0f});
        mesh.mapping.push_back({column / 7.0f, row / 7.0f});
        const auto next = [corner](int step) { return static_cast<std::uint16_t>(corner + step); };
        if (row < 7 && column < 7)
            mesh.faces.push_back({corner, next(1), next(8)}), mesh.faces.push_back({next(1), next(9), next(8)});
    }
    return mesh;
}

// A closed-off corner, or its mirror image: x negated, the same faces.
Mesh Corner(const std::string& name, float side)
{
    Mesh mesh = support::Triangle(name);
    mesh.vertices = {{0, 0, 0}, {25 * side, 0, 0}, {0, 25, 0}, {5 * side, 5, 20}};
    mesh.mapping.push_back({0.5f, 0.5f});
    mesh.faces = {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {2, 0, 3}};
    mesh.hasPivot = true, mesh.pivot = {5, 5, 0};
    return mesh;
}

std::vector<Mesh> NumberMeshes() { return {FormatEdges(), Terrain(), Named("Empty")}; }
std::vector<std::uint8_t> Numbers() { return fixtures::BuildModelFile(NumberMeshes()); }

// Flags anywhere in the name, names cut at their first '_' or at 12
// characters, line breaks in names, a mirrored pair.
std::vector<std::uint8_t> Names()
{
    std::vector<Mesh> meshes = {Corner("Left_T", 1), Corner("Right_E_T", -1)};
    for (const char* name : {"_T", "Mast_t", "Deck", "Sail_x_E", "A__T", "Oar_", "Two\nLines_T", "\r\n_E", "TwelveLetter_T_E"})
        meshes.push_back(support::Triangle(name));
    return fixtures::BuildModelFile(meshes);
}

// Moved, turned and scaled objects, mirrored by negative scales on the way.
std::vector<std::uint8_t> Animated()
{
    fixtures::Keyframes keys;
    keys.lastFrame = 3;
    keys.nodes = {{"Blade_T", {{0, {0, 0, 0}}, {3, {30, 0, -15}}}, {{0, {0, 0, 0, 1}}, {2, {0.5f, 0, 0, 1}}},
                   {{0, {1, 1, 1}}, {3, {-1, 1, 2}}}},
                  {"Arm_E", {{0, {10, 0, 0}}}, {{0, {0, 0, 0, 1}}, {1, {1.5707964f, 1, 0, 0}}}, {{0, {2, 2, 2}}, {2, {-2, 2, 2}}}}};
    return fixtures::BuildModelFile({Corner("Blade_T", 1), Corner("Arm_E", -1)}, &keys);
}

// One triangle in a keyframe segment 0..lastFrame without nodes.
std::vector<std::uint8_t> Segment(std::uint32_t lastFrame)
{
    const fixtures::Keyframes keys{0, lastFrame, {}};
    return fixtures::BuildModelFile({support::Triangle()}, &keys);
}
std::vector<std::uint8_t> Still() { return Segment(10); }         // eleven frames that do not move

// A glTF scene whose first node moves and turns a quarter turn about the up
// axis in a tenth of a second (frames 0 to 3), its second standing still.
std::vector<std::uint8_t> AnimatedGltf()
{
    fixtures::GltfOptions options;
    options.channels = {{0, "translation", "LINEAR", {0, 0.1f}, {0, 0, 0, 30, 0, -15}},
                        {0, "rotation", "LINEAR", {0, 0.1f}, {0, 0, 0, 1, 0, 0.70710678f, 0, 0.70710678f}}};
    return fixtures::BuildGltf({Corner("Blade_T", 1), Corner("Arm_E", -1)}, options).model;
}
std::vector<std::uint8_t> Endless() { return Segment(1u << 23); } // more key slots than a load reads

// Several files (frames) are compared as one text, in name order, each after
// its name; a warning or an error is compared after them.
TEST(GoldenOutput, ConverterWritesTheStoredText)
{
    // The golden file, also the output's name; the options; the model, or none for examples/ship.3ds.
    using Case = std::tuple<std::string, std::vector<std::string>, std::vector<std::uint8_t> (*)()>;
    for (const auto& [file, options, build] :
         {Case{"ship.dtq", {}, nullptr}, Case{"ship.dtq", {}, fixtures::BuildExampleShip}, Case{"ship_flipped.dtq", {"--flip"}, fixtures::BuildExampleShip},
          Case{"numbers.dtq", {}, Numbers}, Case{"names.dtq", {}, Names}, Case{"frames.dtq", {"--frames"}, Animated},
          Case{"morph_flipped.dtq", {"--morph", "--flip"}, Animated},
          Case{"still_range.dtq", {"--frames", "--frame-range", "2:10:4"}, Still}, Case{"still_last.dtq", {"--frames", "--frame-range", "10:12"}, Still},
          Case{"still_outside.txt", {"--frames", "--frame-range", "11:"}, Still}, Case{"endless.dtq", {}, Endless},
          Case{"endless_morph.dtq", {"--morph"}, Endless}, Case{"endless_frames.txt", {"--frames"}, Endless},
          Case{"gltf_frames.dtq", {"--frames"}, AnimatedGltf}})
    {
        support::TemporaryFolder folder;
        const std::vector<std::uint8_t> bytes = build ? build() : std::vector<std::uint8_t>();
        const std::string inputName = !bytes.empty() && bytes[0] == '{' ? "model.gltf" : "model.3ds";
        const std::string input = build ? folder / inputName : kSource + "/examples/ship.3ds";
        ASSERT_TRUE(!build || fixtures::WriteFile(input, bytes));
        std::vector<std::string> argv = {TESSALINE_CONVERT_PATH};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.insert(argv.end(), {"-o", folder / file, input});
        const support::Process run = support::Run(argv);
        EXPECT_EQ(run.status, run.err.find("Error") == std::string::npos ? 0 : 1) << file << ": " << run.err;
        std::string written;
        for (const std::string& name : folder.List())
            written += name == inputName ? "" : (name == file ? "" : "== " + name + "\n") + support::ReadFile(folder / name);
        for (const char* mark : {"Warning: ", "Error"})
            if (const std::size_t at = run.err.find(mark); at != std::string::npos)
                written += run.err.substr(at, run.err.find('\n', at) + 1 - at);
        if (std::getenv("TESSALINE_UPDATE_GOLDEN"))
            support::WriteFile(Golden(file), written);
        EXPECT_EQ(written, support::ReadFile(Golden(file))) << file;
    }
}

TEST(GoldenOutput, ExampleModelIsTheGeneratorsOutput)
{
    const std::vector<std::uint8_t> built = fixtures::BuildExampleShip();
    EXPECT_TRUE(support::ReadFile(kSource + "/examples/ship.3ds") == std::string(built.begin(), built.end()));
}

// Three objects of 60,000 vertices, mapped, their faces in two material
// groups: a scene of the size the benchmarks convert.
std::vector<Mesh> BenchScene()
{
    std::vector<Mesh> meshes = support::LargeModel();
    for (std::size_t m = 0; m < meshes.size(); ++m)
    {
        Mesh& mesh = meshes[m];
        mesh.name = "Grid" + std::to_string(m) + (m == 1 ? "_T" : "");
        for (std::size_t i = 0; i < mesh.vertices.size(); ++i)
            mesh.mapping.push_back({float(i % 256) / 255.0f, float(i / 256) / 234.0f});
        fixtures::MaterialGroup coded{"skin2wf", {}}, plain{"Stone", {}};
        for (std::uint16_t face = 0; face < mesh.faces.size(); ++face)
            (face / 1000 % 2 ? coded : plain).faces.push_back(face);
        mesh.materials = {plain, coded};
    }
    return meshes;
}

// A scene written as glTF (embedded, with its buffer beside it, and binary)
// converts to the model text of its .3DS file, byte for byte: the same
// vertices in the same order, the same triangles, names, flags and face
// attributes.
TEST(GoldenOutput, GltfOfAThreeDsSceneConvertsToItsText)
{
    using fixtures::GltfLayout;
    const std::pair<const char*, std::vector<Mesh>> scenes[] = {
        {"ship", fixtures::ExampleShipMeshes()}, {"numbers", NumberMeshes()}, {"bench", BenchScene()}};
    const std::tuple<const char*, GltfLayout, std::uint32_t> layouts[] = {
        {"model.gltf", GltfLayout::Embedded, 2}, {"model.gltf", GltfLayout::ExternalBuffer, 4}, {"model.glb", GltfLayout::Binary, 2}};
    for (const auto& [scene, meshes] : scenes)
    {
        support::TemporaryFolder folder;
        support::WriteModel(folder / "model.3ds", meshes);
        const support::Process original =
            support::Run({TESSALINE_CONVERT_PATH, "--texture", "model.RAW", "-o", folder / "original", folder / "model.3ds"});
        ASSERT_EQ(original.status, 0) << scene << ": " << original.err;
        for (const auto& [name, layout, indexBytes] : layouts)
        {
            const fixtures::GltfFiles files = fixtures::BuildGltf(meshes, {.layout = layout, .indexBytes = indexBytes});
            ASSERT_TRUE(fixtures::WriteGltf(folder / name, files));
            const support::Process run =
                support::Run({TESSALINE_CONVERT_PATH, "--texture", "model.RAW", "-o", folder / "converted", folder / name});
            EXPECT_EQ(run.status, 0) << scene << " " << name << ": " << run.err;
            EXPECT_TRUE(support::ReadFile(folder / "converted.dtq") == support::ReadFile(folder / "original.dtq"))
                << scene << " " << name;
        }
    }
}

// Forty ships fill the writer's buffer several times over: each copy's lines
// must still be the ship's, whichever buffer boundary they cross.
TEST(GoldenOutput, FleetRepeatsTheShipsLines)
{
    std::vector<Mesh> meshes;
    for (int copy = 0; copy < 40; ++copy)
        for (const Mesh& mesh : fixtures::ExampleShipMeshes())
            meshes.push_back(mesh);
    support::TemporaryFolder folder;
    support::WriteModel(folder / "fleet.3ds", meshes);
    const support::Process run = support::Run({TESSALINE_CONVERT_PATH, "-o", folder / "ship", folder / "fleet.3ds"});
    const std::string ship = support::ReadFile(Golden("ship.dtq"));
    std::string expected = "C3DModel\n4\n160\n0,50.000000\n";
    for (int copy = 0; copy < 40; ++copy)
        expected += ship.substr(ship.find("0,50.000000\n") + 12);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(support::ReadFile(folder / "ship.dtq") == expected);
}

// A scene in the manner of the benchmark's: grids of integer heights, each
// with mapping and one material group naming all its faces.
std::vector<Mesh> GridScene()
{
    std::vector<Mesh> meshes;
    for (int object = 0; object < 4; ++object)
    {
        Mesh mesh = Named("Grid" + std::to_string(object) + "_T");
        constexpr int kWidth = 64, kRows = 48;
        for (int i = 0; i < kWidth * kRows; ++i)
        {
            const int row = i / kWidth, column = i % kWidth;
            mesh.vertices.push_back({column * 3.0f + object * 250.0f, row * 3.0f, ((i * 7919 + object * 104729) % 1000) / 10.0f});
            mesh.mapping.push_back({column / float(kWidth - 1), row / float(kRows - 1)});
            const auto at = [i](int step) { return static_cast<std::uint16_t>(i + step); };
            if (row + 1 < kRows && column + 1 < kWidth)
                mesh.faces.push_back({at(0), at(1), at(kWidth)}), mesh.faces.push_back({at(1), at(kWidth + 1), at(kWidth)});
        }
        mesh.materials = {{"skin" + std::to_string(object) + "w", {}}};
        for (std::size_t face = 0; face < mesh.faces.size(); ++face)
            mesh.materials[0].faces.push_back(static_cast<std::uint16_t>(face));
        meshes.push_back(mesh);
    }
    return meshes;
}

// A model text file reduced to what an OBJ of the same meshes must give:
// per object its name and flags lines, then each face as the vertex lines
// of its corners. The vertices' order and the unused ones drop out.
std::string TrianglesAndCorners(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    if (lines.size() < 4)
        return "not a model text file";
    std::string reduced = lines[2] + " objects\n";
    for (std::size_t line = 4; line + 5 <= lines.size();)
    {
        unsigned vertices = 0, faces = 0;
        std::sscanf(lines[line + 3].c_str(), "%u,1,%u,0", &vertices, &faces);
        reduced += lines[line] + " | " + lines[line + 4] + "\n";
        const std::size_t first = line + 5;
        for (std::size_t face = 0; face < faces && first + vertices + face < lines.size(); ++face)
        {
            unsigned corner[3] = {0, 0, 0};
            std::sscanf(lines[first + vertices + face].c_str(), "%u,%u,%u", &corner[0], &corner[1], &corner[2]);
            for (const unsigned index : corner)
                reduced += "  " + (index < vertices && first + index < lines.size() ? lines[first + index] : "?");
            reduced += "\n";
        }
        line = first + vertices + faces;
    }
    return reduced;
}

// Whether an OBJ of the meshes gives their vertices in stored order: every
// vertex used, and first used in index order.
bool KeepsVertexOrder(const std::vector<Mesh>& meshes)
{
    for (const Mesh& mesh : meshes)
    {
        std::size_t next = 0;
        for (const auto& face : mesh.faces)
            for (const std::uint16_t corner : face)
            {
                if (corner > next)
                    return false;
                next += corner == next ? 1 : 0;
            }
        if (next != mesh.vertices.size())
            return false;
    }
    return true;
}

// The example ship and a scene like the benchmark's written as OBJ, Y up or
// Z up, convert to the triangles and corner values of their .3DS originals;
// byte for byte where the faces use the vertices in stored order.
TEST(GoldenOutput, ObjOfTheSameMeshesGivesTheSameTrianglesAndCorners)
{
    const auto numbers = [] { return std::vector<Mesh>{FormatEdges(), Terrain()}; };
    using Case = std::tuple<const char*, std::vector<Mesh> (*)(), fixtures::ObjUp>;
    for (const auto& [label, build, up] :
         {Case{"ship", fixtures::ExampleShipMeshes, fixtures::ObjUp::Y}, Case{"ship, Z up", fixtures::ExampleShipMeshes, fixtures::ObjUp::Z},
          Case{"numbers", +numbers, fixtures::ObjUp::Y}, Case{"grids", GridScene, fixtures::ObjUp::Y},
          Case{"strips", support::LargeModel, fixtures::ObjUp::Y}})
    {
        support::TemporaryFolder folder;
        const std::vector<Mesh> meshes = build();
        support::WriteModel(folder / "model.3ds", meshes);
        support::WriteFile(folder / "model.obj", fixtures::BuildObjFile(meshes, up));
        const auto convert = [&](const std::string& input, std::vector<std::string> options) {
            options.insert(options.begin(), TESSALINE_CONVERT_PATH);
            options.insert(options.end(), {"--texture", "t.RAW", "-o", "-", folder / input});
            const support::Process run = support::Run(options);
            EXPECT_EQ(run.status, 0) << label << ": " << run.err;
            return run.out;
        };
        const std::string original = convert("model.3ds", {});
        const std::string fromObj = convert("model.obj", {"--up", up == fixtures::ObjUp::Y ? "y" : "z"});
        EXPECT_EQ(TrianglesAndCorners(fromObj), TrianglesAndCorners(original)) << label;
        EXPECT_TRUE(!KeepsVertexOrder(meshes) || fromObj == original) << label;
    }
}
} // namespace
