// Every packaged .3DS and OBJ file and our glTF writer's files, whole, cut
// short and with bytes changed from a fixed seed, and every input kept in
// fuzz/regressions: each load must end in success or in exactly one message
// beginning "Error", with everything that follows a load intact (the fuzz
// target's checks). Then every packaged model file of a format the converter
// reads, through the built converter.
#include "fixtures/example_ship.h"
#include "fixtures/gltf_writer.h"
#include "fuzz/exercise_model.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace
{
// Reports the first few inputs that broke a promise.
robustness::ExerciseOutcome Check(const std::string& bytes, const std::string& what, int& failures,
                                  ModelFormat format = ModelFormat::ThreeDs)
{
    const auto outcome =
        robustness::ExerciseModelBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), format);
    if (!outcome.broken.empty() && ++failures <= 10)
        ADD_FAILURE() << what << ": " << outcome.broken;
    return outcome;
}

// The file whole, cut short and with bytes changed; the whole file loads
// unless it is refused.
void Sweep(const std::string& bytes, ModelFormat format, bool refused)
{
    int failures = 0;
    EXPECT_EQ(Check(bytes, "whole", failures, format).loaded[0], refused ? 0 : 1);
    // Every length of a small file, spread lengths and fewer changed copies
    // of a larger one, which takes longer to load; OBJ text takes longer
    // than chunks, and a large OBJ file gets the copies some 16 MB of
    // loading allow.
    const bool small = bytes.size() < 4096;
    const std::size_t copies = format == ModelFormat::Obj ? std::clamp<std::size_t>((16u << 20) / (bytes.size() + 1), 10, 150) : 150;
    for (std::size_t cut = 0, cuts = small ? bytes.size() : copies; cut < cuts; ++cut)
        Check(bytes.substr(0, bytes.size() * cut / cuts), "cut at " + std::to_string(bytes.size() * cut / cuts), failures, format);
    std::mt19937 random(static_cast<std::uint32_t>(bytes.size()));
    for (std::size_t copy = 0; !bytes.empty() && copy < (small ? 2000 : copies / 3); ++copy)
    {
        std::string changed = bytes, what = "changed at";
        for (unsigned change = 1 + random() % 8; change > 0; --change)
        {
            const std::size_t offset = random() % changed.size();
            changed[offset] = static_cast<char>(changed[offset] ^ (1 + random() % 255));
            what += " " + std::to_string(offset);
        }
        Check(changed, what, failures, format);
    }
    EXPECT_EQ(failures, 0);
}

class PackagedModel : public ::testing::TestWithParam<std::filesystem::path>
{
};

// The packaged OBJ files that are refused: without faces, with faces naming
// vertices the file lacks, not OBJ text at all, or beyond the .3DS counts.
bool IsRefusedObj(const std::filesystem::path& path)
{
    const std::string name = path.filename().string();
    return name == "point_cloud.obj" || name == "testline.obj" || name == "testpoints.obj" || name == "empty.obj" ||
           name == "malformed.obj" || name == "box_UTF16BE.obj" || name == "bunny.obj";
}

TEST_P(PackagedModel, WholeCutAndChangedEndInSuccessOrOneError)
{
    const std::string bytes = support::ReadFile(GetParam());
    const ModelFormat format = GetParam().extension() == ".obj" ? ModelFormat::Obj : ModelFormat::ThreeDs;
    // assimp's set has an empty .3DS file, and OBJ files that are refused.
    Sweep(bytes, format, bytes.empty() || IsRefusedObj(GetParam()));
}

// A .glb is cut inside its header, its JSON and its binary chunk; a .gltf
// inside its JSON and its base64 data.
TEST(GltfFiles, WholeCutAndChangedEndInSuccessOrOneError)
{
    using fixtures::GltfLayout;
    const std::vector<fixtures::Mesh> ship = fixtures::ExampleShipMeshes();
    for (const std::vector<std::uint8_t>& file :
         {fixtures::BuildGltf(ship).model, fixtures::BuildGltf(ship, {.layout = GltfLayout::Binary, .indexBytes = 1}).model,
          fixtures::GltfAnimationSample(), fixtures::GltfFeatureSample()})
        Sweep(std::string(file.begin(), file.end()), RecogniseFormat(file, ""), false);
}

INSTANTIATE_TEST_SUITE_P(Packages, PackagedModel, ::testing::ValuesIn(support::PackagedModels({".3ds", ".obj"})));

TEST(PackagedModels, BothPackagesAreInstalled) // as scripts/install-deps does
{
    const std::string models = ::testing::PrintToString(support::PackagedModels());
    EXPECT_NE(models.find("/usr/share/assimp/"), std::string::npos) << "install assimp-testmodels";
    EXPECT_NE(models.find("/usr/share/glmark2/"), std::string::npos) << "install glmark2-data";
}

// Every model file of the packages in a format the converter reads,
// converted by the built converter, ends in an output or in exactly one
// line, an Error, and never in a crash. What each gives is kept in a golden
// file (rewrite it with TESSALINE_UPDATE_GOLDEN=1): its object count and a
// hash of its text, or its message; then the report of all that converted.
TEST(PackagedModels, EveryFormatConvertsOrEndsInOneError)
{
    if (!TESSALINE_WITH_ASSIMP)
        GTEST_SKIP() << "the golden outcomes are those of a build that reads every format";
    support::TemporaryFolder folder;
    const std::string output = folder / "out.dtq";
    std::string outcomes;
    std::vector<std::string> info = {TESSALINE_CONVERT_PATH, "--info", "-j", "2"};
    for (const std::filesystem::path& model :
         support::PackagedModels({".3ds", ".obj", ".gltf", ".glb", ".fbx", ".dae", ".ply", ".stl", ".off", ".ac", ".ase", ".x",
                                  ".nff", ".amf", ".lwo", ".lws", ".ms3d"}))
    {
        const support::Process run = support::Run({TESSALINE_CONVERT_PATH, "-q", "-o", output, model.string()});
        const std::string text = support::ReadFile(output), prefix = "tessaline-convert: " + model.string() + ": ";
        const bool written = run.status == 0 && run.err.empty() && text.starts_with("C3DModel\n4\n");
        const bool oneError = run.status == 1 && run.err.starts_with(prefix + "Error") &&
                              run.err.find('\n') == run.err.size() - 1 && !std::filesystem::exists(output);
        EXPECT_TRUE(written || oneError) << model << ": status " << run.status << ", " << run.err;
        std::uint64_t hash = 14695981039346656037ull;
        for (const char c : text)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
        outcomes += model.lexically_relative("/usr/share").string() + ": " +
                    (written ? text.substr(11, text.find('\n', 11) - 11) + " objects, text " + hex + "\n"
                             : run.err.substr(prefix.size()));
        if (written)
            info.push_back(model.string());
        std::filesystem::remove(output);
    }
    const support::Process report = support::Run(info);
    EXPECT_EQ(report.status, 0) << report.err;
    outcomes += "-- the report of those converted\n" + report.out;
    const std::string golden = std::string(TESSALINE_SOURCE_DIR) + "/tests/data/golden/packaged_formats.txt";
    if (std::getenv("TESSALINE_UPDATE_GOLDEN"))
        support::WriteFile(golden, outcomes);
    EXPECT_EQ(outcomes, support::ReadFile(golden));
}

TEST(FuzzRegressions, EveryKeptInputPassesTheFuzzChecks)
{
    int failures = 0, inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TESSALINE_SOURCE_DIR "/fuzz/regressions"))
        Check(support::ReadFile(entry.path()), entry.path().filename(), failures), ++inputs;
    EXPECT_GT(inputs, 0);
    EXPECT_EQ(failures, 0);
}

} // namespace
