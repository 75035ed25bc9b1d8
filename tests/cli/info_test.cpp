// --info: the report's winding advice and warnings on models built to show
// each, its JSON against a golden file, its exit status, and its counts
// against what the conversion writes.
#include "cli/terminal_status.h"
#include "convert/model_report.h"
#include "fixtures/obj_writer.h"
#include "convert/preview.h"
#include "platform/executor.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>

namespace
{
using namespace support;

enum class Cube { Outward, Reversed, Seam, Open, Mirrored };

// A cube of side 10 (moved by shiftY along y) whose stored faces turn counter-clockwise seen from
// outside, or changed as named. A seam gives the last two faces vertices of
// their own at the same positions, and adds a face with two corners at one.
fixtures::Mesh MakeCube(const std::string& name, Cube kind = Cube::Outward, float shiftY = 0)
{
    fixtures::Mesh mesh{name};
    for (const int corner : {0, 1, 2, 3, 4, 5, 6, 7, 1, 3, 7, 5})
        mesh.vertices.push_back({(kind == Cube::Mirrored ? -10.f : 10.f) * (corner & 1), 10.f * (corner >> 1 & 1) + shiftY, 10.f * (corner >> 2 & 1)});
    mesh.vertices.resize(kind == Cube::Seam ? 12 : 8);
    mesh.faces = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4}, {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {8, 9, 10}, {8, 10, 11}, {0, 1, 8}, {1, 3, 7}, {1, 7, 5}};
    mesh.faces.erase(mesh.faces.begin() + (kind == Cube::Seam ? 13 : 10), mesh.faces.end() - (kind == Cube::Seam || kind == Cube::Open ? 0 : 2));
    for (auto& face : mesh.faces)
        std::swap(face[1], face[kind == Cube::Reversed ? 2 : 1]);
    return mesh;
}

// The mesh turned a quarter about x, then moved by y along y and by z along z.
fixtures::Mesh Moved(fixtures::Mesh mesh, float y, float z)
{
    for (auto& vertex : mesh.vertices)
        vertex = {vertex[0], -vertex[2] + y, vertex[1] + z};
    return mesh;
}

using Point = std::array<float, 3>;

// Adds the triangle turned so that its front faces toward `front`, a point
// in front of it, or away from it when `away`.
void AddFacing(fixtures::Mesh& mesh, Point a, Point b, Point c, Point front, bool away = false)
{
    const auto along = [](Point from, Point to) { return Point{to[0] - from[0], to[1] - from[1], to[2] - from[2]}; };
    const Point ab = along(a, b), ac = along(a, c), toFront = along(a, front);
    const float facing = (ab[1] * ac[2] - ab[2] * ac[1]) * toFront[0] + (ab[2] * ac[0] - ab[0] * ac[2]) * toFront[1] +
                         (ab[0] * ac[1] - ab[1] * ac[0]) * toFront[2];
    const auto first = static_cast<std::uint16_t>(mesh.vertices.size());
    mesh.vertices.insert(mesh.vertices.end(), {a, b, c});
    const bool turn = (facing < 0) != away;
    mesh.faces.push_back({first, std::uint16_t(first + (turn ? 2 : 1)), std::uint16_t(first + (turn ? 1 : 2))});
}

// A sphere of 12 x 24 quads around the origin, or its upper half, fronts out
// or in. Neighbours repeat their shared positions, as at texture seams.
fixtures::Mesh MakeSphere(const std::string& name, float radius, bool upperHalf, bool inward)
{
    fixtures::Mesh mesh{name};
    const auto at = [&](int ring, int step) {
        const float polar = 3.14159265f * float(ring) / 12, around = 3.14159265f * float(step) / 12;
        return Point{radius * std::sin(polar) * std::cos(around), radius * std::sin(polar) * std::sin(around),
                     radius * std::cos(polar)};
    };
    for (int ring = 0; ring < (upperHalf ? 6 : 12); ++ring)
        for (int step = 0; step < 24; ++step)
        {
            const Point outside{0.0f, 0.0f, 0.0f}; // the centre: fronts face away from it
            const Point a = at(ring, step), b = at(ring + 1, step), c = at(ring + 1, step + 1), d = at(ring, step + 1);
            if (ring != 0)
                AddFacing(mesh, a, b, d, outside, !inward);
            if (ring != 11)
                AddFacing(mesh, b, c, d, outside, !inward);
        }
    return mesh;
}

// A closed cube of side 10 with a square hole of side 6 through each pair of
// opposite faces, lined by a square tube. The three tubes cross inside, so
// the surface passes through itself and its signed volume, 1000 - 3 * 360,
// comes out negative, while from outside the fronts are what shows.
fixtures::Mesh MakeHoledBox()
{
    fixtures::Mesh mesh{"Holed"};
    // Along each axis: the frame of two faces around the holes, and the tube.
    for (int axis = 0; axis < 3; ++axis)
    {
        const auto place = [&](float along, float u, float v) {
            Point p{};
            p[axis] = along;
            p[(axis + 1) % 3] = u;
            p[(axis + 2) % 3] = v;
            return p;
        };
        const float outer = 5, inner = 3;
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (int side = 0; side < 4; ++side)
        {
            const float* p = corners[side];
            const float* q = corners[(side + 1) % 4];
            for (const float along : {-outer, outer})
            {
                const Point front = place(2 * along, 0, 0);
                const Point a = place(along, outer * p[0], outer * p[1]), b = place(along, outer * q[0], outer * q[1]);
                const Point c = place(along, inner * q[0], inner * q[1]), d = place(along, inner * p[0], inner * p[1]);
                AddFacing(mesh, a, b, c, front);
                AddFacing(mesh, a, c, d, front);
            }
            // The tube's fronts face its middle line, the hollow.
            const Point a = place(-outer, inner * p[0], inner * p[1]), b = place(-outer, inner * q[0], inner * q[1]);
            const Point c = place(outer, inner * q[0], inner * q[1]), d = place(outer, inner * p[0], inner * p[1]);
            const Point middle = place(0, 0, 0);
            AddFacing(mesh, a, b, c, middle);
            AddFacing(mesh, a, c, d, middle);
        }
    }
    return mesh;
}

fixtures::Mesh MakeQuad()
{
    fixtures::Mesh mesh{"Quad"};
    AddFacing(mesh, {0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 0, 1});
    AddFacing(mesh, {0, 0, 0}, {10, 10, 0}, {0, 10, 0}, {0, 0, 1});
    return mesh;
}

// Advice as FlipAdvice (0 off, 1 on, 2 undecided), each object's winding as
// a letter (outward, inward, two-sided, undecided), "!" and the objects that
// disagree, "~" and the patches against the advice (object:faces), then the
// warnings.
std::string Summary(const ModelReport& report)
{
    std::string text = std::to_string(static_cast<int>(report.flipAdvice)) + " ";
    for (const ObjectReport& object : report.objects)
        text += "oitu"[static_cast<int>(object.winding)];
    for (const int object : report.disagreeingObjects)
        text += " !" + std::to_string(object);
    for (const PatchAgainst& patch : report.patchesAgainst)
        text += " ~" + std::to_string(patch.object) + ":" + std::to_string(patch.faces);
    for (const ReportWarning& warning : report.warnings)
        text += std::string(" ") + WarningName(warning.kind) + ":" + std::to_string(warning.object) + ":" + std::to_string(warning.count);
    return text;
}

const fixtures::Keyframes kStill{0, 10, {}}, kMoving{0, 4, {{"Mast", {{0, {0, 0, 0}}, {4, {5, 0, 0}}}, {}, {}}}};

struct ReportCase { std::vector<fixtures::Mesh> meshes; std::string summary; const fixtures::Keyframes* keys = nullptr; };
const ReportCase kReports[] = {
    {{MakeCube("Box")}, "0 o"},
    {{MakeCube("Box", Cube::Reversed)}, "1 i"},
    {{Moved(MakeSphere("Dome", 10, true, true), 4000, -3000)}, "1 i"}, // far from the origin
    {{MakeCube("Box", Cube::Seam)}, "0 o zero-area-faces:0:1"},
    // Open on one side: the inside shows through the opening.
    {{MakeCube("Box", Cube::Open)}, "0 o"},
    {{MakeCube("A"), MakeCube("B", Cube::Mirrored), MakeCube("Mast", Cube::Outward, 20)}, "0 oio !1 ~1:12", &kMoving},
    {{MakeSphere("Dome", 10, true, false)}, "0 o"},
    {{MakeSphere("Dome", 10, true, true)}, "1 i"},
    {{MakeQuad()}, "2 t"},
    // A small cockpit wound inward inside a large open shell that faces out:
    // seen through the opening, it is named, but does not outvote the shell.
    {{MakeSphere("Fuselage", 40, true, false), MakeSphere("Cockpit", 5, false, true)}, "0 oi !1 ~1:528"},
    {{MakeHoledBox()}, "0 o"},
    // Unused: one far away, one with far mapping, one not finite.
    {{{"Odd", {{0, 0, 0}, {25, 0, 0}, {0, 25, 0}, {0, 0, 300}, {1, 1, 1}, {INFINITY, 0, 0}}, {{0, 1}, {1, 1}, {0, 0}, {0, 1}, {-20, 1}, {0, 1}}, {{0, 1, 2}}}},
     "2 t unused-vertices:0:3 far-positions:0:1 far-mapping:0:1 not-finite:0:1"},
    {{{"Line", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 0, 5}}, {{0, 1}, {0, 1}, {0, 1}, {0.5, 1}}, {{0, 1, 2}}}}, "2 u unused-vertices:0:1 zero-area-faces:0:1 zero-normals:0:3"},
    // Three triangles in one place: the first drawn hides the others.
    {{Triangle("Hull_T"), Triangle("Quartermaster"), Triangle("Hull_E")}, "2 tuu name-collision:0:2 name-cut:1:1 name-collision:2:2 still-animation:-1:11", &kStill},
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

// --orient turns exactly the mirrored part's faces: its output is the plain
// conversion of the model with that part stored the other way round.
TEST(Info, OrientTurnsThePartsAgainst)
{
    TemporaryFolder folder;
    CTerminalStatus status("m.3ds", Verbosity::Quiet);
    std::vector<fixtures::Mesh> meshes = {MakeCube("A"), MakeCube("B", Cube::Mirrored), MakeSphere("Dome", 10, true, false)};
    WriteModel(folder / "m.3ds", meshes);
    for (auto& face : meshes[1].faces)
        std::swap(face[1], face[2]);
    WriteModel(folder / "turned.3ds", meshes);
    ConversionRequest request;
    request.inputPath = folder / "m.3ds";
    request.outputPath = folder / "m.dtq";
    request.textureName = "t.RAW";
    request.orient = true;
    const ConversionResult oriented = RunConversion(request, status);
    request.inputPath = folder / "turned.3ds";
    request.outputPath = folder / "turned.dtq";
    request.orient = false;
    const ConversionResult plain = RunConversion(request, status);
    ASSERT_TRUE(oriented.Succeeded() && plain.Succeeded()) << oriented.message << plain.message;
    EXPECT_EQ(std::tuple(oriented.turnedFaces, plain.turnedFaces), std::tuple(std::optional<std::uint64_t>(12), std::nullopt));
    EXPECT_TRUE(ReadFile(folder / "m.dtq") == ReadFile(folder / "turned.dtq"));
}

// The advice and the preview agree: over the advice's views, the preview
// drawn with the advised setting shows more grey (drawn) than red (culled),
// for the constructed cases and every packaged model with a decided advice.
TEST(Info, PreviewAgreesWithTheAdvice)
{
    TemporaryFolder folder;
    std::vector<std::string> inputs;
    for (std::size_t i = 0; i < std::size(kReports); ++i)
    {
        inputs.push_back(folder / ("case" + std::to_string(i) + ".3ds"));
        WriteModel(inputs.back(), kReports[i].meshes, kReports[i].keys);
    }
    for (const fs::path& model : PackagedModels())
        inputs.push_back(model.string());
    CTerminalStatus status("m.3ds", Verbosity::Quiet);
    CExecutor executor(2);
    int decided = 0;
    for (const std::string& input : inputs)
    {
        ConversionRequest request;
        request.operation = Operation::Info;
        request.inputPath = input;
        const ConversionResult result = RunConversion(request, status);
        if (!result.Succeeded() || result.report->flipAdvice == FlipAdvice::Undecided)
            continue;
        ++decided;
        const std::string bytes = ReadFile(input);
        LoadedModel loaded({bytes.begin(), bytes.end()});
        ASSERT_NE(loaded.result, 0) << input;
        constexpr int kSize = 96;
        std::uint64_t drawn = 0, culled = 0;
        for (const ViewDirection view : SightViews())
        {
            const CRasterImage picture =
                RenderPreview(loaded.model, kSize, result.report->flipAdvice == FlipAdvice::On, false, executor, view);
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x)
                {
                    const RgbColour pixel = picture.GetPixel(x, y);
                    if (!(pixel == kPreviewBackground))
                        ++(pixel.red > pixel.green ? culled : drawn);
                }
        }
        EXPECT_GT(drawn, culled) << input;
    }
    EXPECT_GT(decided, 9); // the nine constructed cases with an advice, and packaged models
}

Process Info(const TemporaryFolder& folder, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), TESSALINE_CONVERT_PATH);
    return Run(arguments, {.folder = folder.Path().string()});
}

// The reports of names of bytes (a Latin-1 letter, a control character,
// UTF-8 and what only looks like it), a
// NaN kept out of the box, an unreadable file, the example, models that
// face out, in and both ways, and an OBJ line left out: each run's output,
// messages and exit status against golden files, as JSON and as text
// (rewrite them with TESSALINE_UPDATE_GOLDEN=1). Then --info's counts on the
// packaged models against what the conversion writes.
TEST(Info, ReportsAndCounts)
{
    TemporaryFolder folder;
    WriteModel(folder / "m.3ds", {Triangle(), {"Gr\xe9" "e\x01_E", {{NAN, 0, 0}, {0, 0, 0}, {25, 0, 0}, {0, 25, 0}}, {}, {{1, 2, 3}}}, MakeCube("Mast")}, &kMoving);
    // Names at the edges of UTF-8: U+0905, U+D7FF and U+10000 kept; an
    // overlong form, a surrogate and a code point past U+10FFFF read as Latin-1.
    WriteModel(folder / "cube.3ds", {MakeCube("Box"), Triangle("\xe0\xa4\x85\xed\x9f\xbf\xf0\x90\x80\x80"), Triangle("\xe0\x9f\xbf\xed\xa0\x80\xf4\x90\x80\x80")});
    WriteModel(folder / "inside-out.3ds", {MakeCube("Box", Cube::Reversed), Triangle("Sail")});
    WriteFile(folder / "bad.3ds", "not a model");
    fs::copy_file(std::string(TESSALINE_SOURCE_DIR) + "/examples/ship.3ds", folder / "ship.3ds");
    // An OBJ file whose line is left out, with a name cut short.
    WriteFile(folder / "m.obj", fixtures::BuildObjFile({Triangle("Quartermaster_E")}) + "l 1 2\n");
    const std::vector<std::vector<std::string>> runs[] = {
        {{"--json", "m.3ds", "m.obj", "bad.3ds"}},
        {{"--info", "ship.3ds", "m.3ds", "bad.3ds"}, {"--info", "-j", "1", "cube.3ds", "inside-out.3ds", "m.obj"},
         {"--info", "--strict", "ship.3ds", "cube.3ds"}, {"--info", "--strict", "m.3ds"}, {"--info", "--strict", "-q", "m.obj"}},
    };
    for (const auto& [rows, name] : {std::pair(runs[0], "info.json"), std::pair(runs[1], "info.txt")})
    {
        std::string transcript;
        for (const std::vector<std::string>& arguments : rows)
        {
            const Process run = Info(folder, arguments);
            transcript += "$ tessaline-convert";
            for (const std::string& argument : arguments)
                transcript += " " + argument;
            transcript += "\n" + run.out + "-- standard error\n" + run.err + "-- exit " + std::to_string(run.status) + "\n";
        }
        const std::string golden = std::string(TESSALINE_SOURCE_DIR) + "/tests/data/golden/" + name;
        if (std::getenv("TESSALINE_UPDATE_GOLDEN"))
            WriteFile(golden, transcript);
        EXPECT_EQ(transcript, ReadFile(golden)) << name;
    }
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
