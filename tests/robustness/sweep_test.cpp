// Every packaged .3DS file and our glTF writer's files, whole, cut short and
// with bytes changed from a fixed seed, and every input kept in
// fuzz/regressions: each load must end in success or in exactly one message
// beginning "Error", with everything that follows a load intact (the fuzz
// target's checks).
#include "fixtures/example_ship.h"
#include "fixtures/gltf_writer.h"
#include "fuzz/exercise_model.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
// Reports the first few inputs that broke a promise.
robustness::ExerciseOutcome Check(const std::string& bytes, const std::string& what, int& failures)
{
    const auto outcome = robustness::ExerciseModelBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    if (!outcome.broken.empty() && ++failures <= 10)
        ADD_FAILURE() << what << ": " << outcome.broken;
    return outcome;
}

// The file whole, cut short and with bytes changed; the whole file loads
// unless it is empty (assimp's set has an empty file).
void Sweep(const std::string& bytes)
{
    int failures = 0;
    EXPECT_EQ(Check(bytes, "whole", failures).loaded[0], bytes.empty() ? 0 : 1);
    // Every length of a small file, spread lengths and fewer changed copies
    // of a larger one, which takes longer to load.
    const bool small = bytes.size() < 16384;
    for (std::size_t cut = 0, cuts = small ? bytes.size() : 150; cut < cuts; ++cut)
        Check(bytes.substr(0, bytes.size() * cut / cuts), "cut at " + std::to_string(bytes.size() * cut / cuts), failures);
    std::mt19937 random(static_cast<std::uint32_t>(bytes.size()));
    for (int copy = 0; !bytes.empty() && copy < (small ? 2000 : 50); ++copy)
    {
        std::string changed = bytes, what = "changed at";
        for (unsigned change = 1 + random() % 8; change > 0; --change)
        {
            const std::size_t offset = random() % changed.size();
            changed[offset] = static_cast<char>(changed[offset] ^ (1 + random() % 255));
            what += " " + std::to_string(offset);
        }
        Check(changed, what, failures);
    }
    EXPECT_EQ(failures, 0);
}

class PackagedModel : public ::testing::TestWithParam<std::filesystem::path>
{
};

TEST_P(PackagedModel, WholeCutAndChangedEndInSuccessOrOneError)
{
    Sweep(support::ReadFile(GetParam()));
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
        Sweep(std::string(file.begin(), file.end()));
}

INSTANTIATE_TEST_SUITE_P(Packages, PackagedModel, ::testing::ValuesIn(support::PackagedModels()));

TEST(PackagedModels, BothPackagesAreInstalled) // as scripts/install-deps does
{
    const std::string models = ::testing::PrintToString(support::PackagedModels());
    EXPECT_NE(models.find("/usr/share/assimp/"), std::string::npos) << "install assimp-testmodels";
    EXPECT_NE(models.find("/usr/share/glmark2/"), std::string::npos) << "install glmark2-data";
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
