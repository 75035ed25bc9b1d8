// --info: the report's winding advice and warnings on models built to show
// each, its JSON against a golden file, its exit status, and its counts
// against what the conversion writes.
#include "cli/terminal_status.h"
#include "convert/model_report.h"
#include "fixtures/obj_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>

namespace
{
using namespace support;

enum class Cube { Outward, Reversed, Seam, Open, Mirrored };

// A cube of side 10 whose stored faces turn counter-clockwise seen from
// outside, or changed as named. A seam gives the last two faces vertices of
// their own at the same positions, and adds a face with two corners at one.
fixtures::Mesh MakeCube(const std::string& name, Cube kind = Cube::Outward)
{
    fixtures::Mesh mesh{name};
    for (const int corner : {0, 1, 2, 3, 4, 5, 6, 7, 1, 3, 7, 5})
        mesh.vertices.push_back({(kind == Cube::Mirrored ? -10.f : 10.f) * (corner & 1), 10.f * (corner >> 1 & 1), 10.f * (corner >> 2 & 1)});
    mesh.vertices.resize(kind == Cube::Seam ? 12 : 8);
    mesh.faces = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4}, {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {8, 9, 10}, {8, 10, 11}, {0, 1, 8}, {1, 3, 7}, {1, 7, 5}};
    mesh.faces.erase(mesh.faces.begin() + (kind == Cube::Seam ? 13 : 10), mesh.faces.end() - (kind == Cube::Seam || kind == Cube::Open ? 0 : 2));
    for (auto& face : mesh.faces)
        std::swap(face[1], face[kind == Cube::Reversed ? 2 : 1]);
    return mesh;
}

// Advice as FlipAdvice (0 off, 1 on, 2 undecided), "!" and the objects that disagree, then the warnings.
std::string Summary(const ModelReport& report)
{
    std::string text = std::to_string(static_cast<int>(report.flipAdvice));
    for (const int object : report.disagreeingObjects)
        text += " !" + std::to_string(object);
    for (const ReportWarning& warning : report.warnings)
        text += std::string(" ") + WarningName(warning.kind) + ":" + std::to_string(warning.object) + ":" + std::to_string(warning.count);
    return text;
}

const fixtures::Keyframes kStill{0, 10, {}}, kMoving{0, 4, {{"Mast", {{0, {0, 0, 0}}, {4, {5, 0, 0}}}, {}, {}}}};

struct ReportCase { std::vector<fixtures::Mesh> meshes; std::string summary; const fixtures::Keyframes* keys = nullptr; };
const ReportCase kReports[] = {
    {{MakeCube("Box")}, "0"},
    {{MakeCube("Box", Cube::Reversed)}, "1"},
    {{MakeCube("Box", Cube::Seam)}, "0 zero-area-faces:0:1"},
    {{MakeCube("Box", Cube::Open)}, "2"},
    {{MakeCube("A"), MakeCube("B", Cube::Mirrored), MakeCube("Mast")}, "0 !1", &kMoving},
    // Unused: one far away, one with far mapping, one not finite.
    {{{"Odd", {{0, 0, 0}, {25, 0, 0}, {0, 25, 0}, {0, 0, 300}, {1, 1, 1}, {INFINITY, 0, 0}}, {{0, 1}, {1, 1}, {0, 0}, {0, 1}, {-20, 1}, {0, 1}}, {{0, 1, 2}}}},
     "2 unused-vertices:0:3 far-positions:0:1 far-mapping:0:1 not-finite:0:1"},
    {{{"Line", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 0, 5}}, {{0, 1}, {0, 1}, {0, 1}, {0.5, 1}}, {{0, 1, 2}}}}, "2 unused-vertices:0:1 zero-area-faces:0:1 zero-normals:0:3"},
    {{Triangle("Hull_T"), Triangle("Quartermaster"), Triangle("Hull_E")}, "2 name-collision:0:2 name-cut:1:1 name-collision:2:2 still-animation:-1:11", &kStill},
};

TEST(Info, ReportsWindingAndWarnings)
{
    TemporaryFolder folder;
    CTerminalStatus status("m.3ds", Verbosity::Quiet);
    ConversionRequest request;
    request.operation = Operation::Info;
    request.inputPath = folder / "m.3ds";
    for (const ReportCase& row : kReports)
    {
        WriteModel(folder / "m.3ds", row.meshes, row.keys);
        const ConversionResult result = RunConversion(request, status);
        ASSERT_TRUE(result.Succeeded()) << result.message;
        EXPECT_EQ(Summary(*result.report), row.summary) << row.meshes[0].name;
    }
}

Process Info(const TemporaryFolder& folder, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), TESSALINE_CONVERT_PATH);
    return Run(arguments, {.folder = folder.Path().string()});
}

// The JSON of a name of bytes (a Latin-1 letter, a control character), a NaN
// kept out of the box, an unreadable file; rewrite the golden file with
// TESSALINE_UPDATE_GOLDEN=1. Then the exit status of --info and --strict,
// and --info's counts on the packaged models against what the conversion writes.
TEST(Info, JsonStatusAndCounts)
{
    TemporaryFolder folder;
    WriteModel(folder / "m.3ds", {Triangle(), {"Gr\xe9" "e\x01_E", {{NAN, 0, 0}, {0, 0, 0}, {25, 0, 0}, {0, 25, 0}}, {}, {{1, 2, 3}}}, MakeCube("Mast")}, &kMoving);
    WriteModel(folder / "cube.3ds", {MakeCube("Box")});
    WriteFile(folder / "bad.3ds", "not a model");
    // An OBJ file whose line is left out, with a name cut short.
    WriteFile(folder / "m.obj", fixtures::BuildObjFile({Triangle("Quartermaster_E")}) + "l 1 2\n");
    const Process json = Info(folder, {"--json", "m.3ds", "m.obj", "bad.3ds"});
    const std::string golden = std::string(TESSALINE_SOURCE_DIR) + "/tests/data/golden/info.json";
    if (std::getenv("TESSALINE_UPDATE_GOLDEN"))
        WriteFile(golden, json.out);
    EXPECT_EQ(json.out, ReadFile(golden));
    EXPECT_EQ(std::tie(json.status, json.err), std::tuple(1, "tessaline-convert: bad.3ds: Error reading input file, it does not appear to be a true .3DS file.\n"));
    EXPECT_EQ(Info(folder, {"--info", "m.3ds"}).status + 2 * Info(folder, {"--info", "--strict", "cube.3ds"}).status + 4 * Info(folder, {"--info", "--strict", "m.3ds"}).status, 4);
    const Process obj = Info(folder, {"--info", "--strict", "m.obj"});
    EXPECT_TRUE(obj.out.starts_with("m.obj: obj, 1 object, texture m.RAW\n")) << obj.out;
    EXPECT_NE(obj.out.find("\nwarning: 1 line left out: only faces of three or more corners are converted\n"), std::string::npos) << obj.out;
    EXPECT_EQ(std::tie(obj.status, obj.err), std::tuple(1, "tessaline-convert: m.obj: Error: 2 warnings, and --strict fails a file on any\n"));
    for (const fs::path& model : PackagedModels())
    {
        const Process converted = Info(folder, {"-q", "-o", "-", model.string()});
        const nlohmann::json report = nlohmann::json::parse(Info(folder, {"--json", model.string()}).out)["files"][0];
        ASSERT_EQ(report["read"], converted.status == 0) << model;
        EXPECT_TRUE(!report["read"] || converted.out.starts_with("C3DModel\n4\n" + std::to_string(report["objects"].size()) + "\n")) << model;
        for (const nlohmann::json& object : report.value("objects", nlohmann::json::array()))
            EXPECT_NE(converted.out.find("\n" + object["vertices"].dump() + ",1," + object["faces"].dump() + ",0\n"), std::string::npos) << model;
    }
}
} // namespace
