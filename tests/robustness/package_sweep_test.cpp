// Every .3DS file of Debian's assimp-testmodels and glmark2-data, cut at
// every length (the larger ones at evenly spread lengths) and with random
// bytes changed: each case must end in success or one message beginning
// "Error", with everything that follows a load intact.
#include "fuzz/exercise_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

const char* const kPackages[] = {"assimp-testmodels", "glmark2-data"};
// A file this long or shorter is cut at every length.
constexpr std::size_t kEveryLengthUpTo = 16 * 1024;
// A longer one at this many lengths, evenly spread.
constexpr std::size_t kSpreadLengths = 2000;
// Changed copies of each file, each with 1 to kMostFlips bytes replaced;
// fewer of the larger files, which take longer to load.
constexpr int kFlippedCopies = 2000;
constexpr int kFlippedCopiesOfLargerFiles = 300;
constexpr int kMostFlips = 8;
// Failures shown per file before the rest are only counted.
constexpr int kFailuresShown = 10;

bool HasModelExtension(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string extension = path.substr(path.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".3ds";
}

// The regular .3DS files that dpkg lists as installed by the packages.
std::vector<std::string> PackagedModels()
{
    std::vector<std::string> models;
    for (const char* package : kPackages)
    {
        std::ifstream list(std::string("/var/lib/dpkg/info/") + package + ".list");
        for (std::string path; std::getline(list, path);)
        {
            std::error_code error;
            if (HasModelExtension(path) && fs::is_regular_file(path, error))
                models.push_back(path);
        }
    }
    std::sort(models.begin(), models.end());
    return models;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::size_t> CutLengths(std::size_t size)
{
    std::vector<std::size_t> lengths;
    if (size <= kEveryLengthUpTo)
    {
        for (std::size_t length = 0; length < size; ++length)
            lengths.push_back(length);
        return lengths;
    }
    for (std::size_t i = 0; i < kSpreadLengths; ++i)
        lengths.push_back(size * i / kSpreadLengths);
    return lengths;
}

// Counts the cases and reports the first few that broke a promise.
class SweepRecord
{
public:
    void Check(const std::vector<std::uint8_t>& bytes, const std::string& description)
    {
        ++m_nCases;
        const robustness::ExerciseOutcome outcome = robustness::ExerciseModelBytes(bytes.data(), bytes.size());
        if (outcome.broken.empty())
            return;
        if (++m_nFailures <= kFailuresShown)
            ADD_FAILURE() << description << ": " << outcome.broken;
    }
    int Cases() const { return m_nCases; }
    int Failures() const { return m_nFailures; }

private:
    int m_nCases = 0;
    int m_nFailures = 0;
};

class PackagedModel : public ::testing::TestWithParam<std::string>
{
protected:
    void SetUp() override
    {
        m_bytes = ReadBytes(GetParam());
        ASSERT_EQ(m_bytes.size(), fs::file_size(GetParam()));
    }
    std::vector<std::uint8_t> m_bytes;
};

TEST_P(PackagedModel, WholeFileConverts)
{
    const auto outcome = robustness::ExerciseModelBytes(m_bytes.data(), m_bytes.size());
    EXPECT_EQ(outcome.broken, "");
    // assimp's test set includes an empty file, which is no model at all.
    if (!m_bytes.empty())
    {
        EXPECT_EQ(outcome.loaded[0], 1) << outcome.message[0];
    }
}

TEST_P(PackagedModel, EveryCutEndsInSuccessOrOneError)
{
    SweepRecord record;
    for (std::size_t length : CutLengths(m_bytes.size()))
        record.Check({m_bytes.begin(), m_bytes.begin() + static_cast<long>(length)}, "cut at " + std::to_string(length));
    EXPECT_EQ(record.Failures(), 0);
    std::cout << record.Cases() << " cases\n";
}

TEST_P(PackagedModel, FlippedBytesEndInSuccessOrOneError)
{
    if (m_bytes.empty())
        GTEST_SKIP() << "an empty file has no byte to change";
    // A fixed seed per file: every run sweeps the same cases.
    std::mt19937 random(static_cast<std::uint32_t>(std::hash<std::string> {}(fs::path(GetParam()).filename())));
    SweepRecord record;
    const int copies = m_bytes.size() <= kEveryLengthUpTo ? kFlippedCopies : kFlippedCopiesOfLargerFiles;
    for (int copy = 0; copy < copies; ++copy)
    {
        std::vector<std::uint8_t> changed = m_bytes;
        std::string description = "copy " + std::to_string(copy) + ", changed at";
        const int flips = 1 + static_cast<int>(random() % kMostFlips);
        for (int flip = 0; flip < flips; ++flip)
        {
            const std::size_t offset = random() % changed.size();
            changed[offset] ^= static_cast<std::uint8_t>(1 + random() % 255);
            description += " " + std::to_string(offset);
        }
        record.Check(changed, description);
    }
    EXPECT_EQ(record.Failures(), 0);
    std::cout << record.Cases() << " cases\n";
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name = fs::path(info.param).parent_path().filename().string() + "_" +
                       fs::path(info.param).filename().string();
    for (char& c : name)
    {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Packages, PackagedModel, ::testing::ValuesIn(PackagedModels()), TestName);

// The sweep means little if the packages are missing: scripts/install-deps
// installs them.
TEST(PackagedModels, BothPackagesProvideModels)
{
    const std::vector<std::string> models = PackagedModels();
    for (const std::string folder : {"/usr/share/assimp/", "/usr/share/glmark2/"})
    {
        EXPECT_TRUE(std::any_of(models.begin(), models.end(),
                                [&folder](const std::string& path) { return path.rfind(folder, 0) == 0; }))
            << "no .3DS file under " << folder << "; install " << kPackages[0] << " and " << kPackages[1];
    }
}

} // namespace
