// Inputs that once broke a promise, kept in fuzz/regressions/: each must now
// pass every check the fuzz target makes.
#include "fuzz/exercise_model.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace
{
namespace fs = std::filesystem;

const fs::path kRegressionFolder = fs::path(TESSALINE_SOURCE_DIR) / "fuzz" / "regressions";

TEST(FuzzRegressions, EveryKeptInputPassesTheFuzzChecks)
{
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(kRegressionFolder))
    {
        if (!entry.is_regular_file())
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        const auto outcome = robustness::ExerciseModelBytes(bytes.data(), bytes.size());
        EXPECT_EQ(outcome.broken, "") << entry.path().filename();
        ++inputs;
    }
    EXPECT_GT(inputs, 0) << "no inputs in " << kRegressionFolder;
}

} // namespace
