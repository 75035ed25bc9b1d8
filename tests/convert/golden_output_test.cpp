// Whole conversions compared byte for byte with stored model text files.
//
// The expected files under tests/data/golden are the output of this code for
// models built here by the chunk writer, checked when they were made. Any
// change that alters one byte of the output (number formatting, buffering,
// normals, the loader) fails here. After an intended change of the output
// format, rewrite them with TESSALINE_UPDATE_GOLDEN=1 and review the diff.
#include "convert/control_ids.h"
#include "convert/conversion_run.h"
#include "fixtures/example_ship.h"
#include "tests/convert/conversion_fixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using testing_support::ReadWholeFile;
using testing_support::TemporaryFolder;
using testing_support::WriteWholeFile;

// Values at the edges of the number format: signed zero, exponent form on
// both sides, three-digit exponents, six-digit rounding that carries into a
// new digit, exact halves, a subnormal.
fixtures::MeshSpec FormatEdgesMesh()
{
    fixtures::MeshSpec mesh;
    mesh.name = "Edges_E";
    mesh.vertices = {
        {0, 0, 0},
        {-0.0f, 25, -25},
        {0.001f, 1e8f, -1e-3f},
        {12.5f, 249999.99f, 0.0025f},
        {-37.1234567f, 4.2e-5f, 1234.5678f},
        {3.0e38f, -3.0e38f, 1e-40f}, // named by no face: its normal stays zero
        {9.9999987f, -99999.99f, 0.1f},
    };
    // u as stored; the file holds 1 - v.
    mesh.mapping = {
        {9.999995f, 0.5f},  {999999.5f, 1.0f}, {0.000099999995f, 0.75f}, {123456.5f, 1.0f - 1.0f / 3.0f},
        {123457.5f, 0.9f},  {2.5e-5f, -2.0f},  {1.0f / 3.0f, 1.0e7f},
    };
    mesh.faces = {
        {0, 1, 2}, {2, 1, 0}, // the same triangle both ways: the normals cancel
        {1, 3, 4}, {3, 3, 6}, // a face naming one vertex twice
        {4, 6, 0}, {6, 2, 3},
    };
    return mesh;
}

// The same integer hash as the benchmark models: heights with every bit of
// the mantissa in use, so rounding to six digits is exercised throughout.
std::uint32_t Mix(std::uint32_t value)
{
    value ^= value >> 16;
    value *= 0x7FEB352Du;
    value ^= value >> 15;
    value *= 0x846CA68Bu;
    value ^= value >> 16;
    return value;
}

fixtures::MeshSpec TerrainMesh()
{
    constexpr std::uint16_t kSide = 8;
    fixtures::MeshSpec mesh;
    mesh.name = "Terrain_T";
    for (std::uint16_t row = 0; row < kSide; ++row)
    {
        for (std::uint16_t column = 0; column < kSide; ++column)
        {
            const std::uint32_t bits = Mix(row * kSide + column + 1u) >> 8;
            const float height = static_cast<float>(bits) * (200.0f / 16777216.0f) - 100.0f;
            mesh.vertices.push_back({static_cast<float>(column) * 0.37f - 1.3f, static_cast<float>(row) * 0.37f, height});
            mesh.mapping.push_back({column / 7.0f, row / 7.0f});
        }
    }
    for (std::uint16_t row = 0; row + 1 < kSide; ++row)
    {
        for (std::uint16_t column = 0; column + 1 < kSide; ++column)
        {
            const auto corner = static_cast<std::uint16_t>(row * kSide + column);
            mesh.faces.push_back({corner, static_cast<std::uint16_t>(corner + 1), static_cast<std::uint16_t>(corner + kSide)});
            mesh.faces.push_back({static_cast<std::uint16_t>(corner + 1), static_cast<std::uint16_t>(corner + kSide + 1),
                                  static_cast<std::uint16_t>(corner + kSide)});
        }
    }
    return mesh;
}

fixtures::MeshSpec EmptyMesh()
{
    fixtures::MeshSpec mesh;
    mesh.name = "Empty";
    return mesh;
}

struct GoldenCase
{
    const char* expectedFile; // under tests/data/golden; also the output's name
    bool flip;
    std::vector<std::uint8_t> (*build)();
};

void PrintTo(const GoldenCase& golden, std::ostream* out)
{
    *out << golden.expectedFile;
}

std::vector<std::uint8_t> BuildNumbersModel()
{
    return fixtures::BuildModelFile({FormatEdgesMesh(), TerrainMesh(), EmptyMesh()});
}

const GoldenCase kGoldenCases[] = {
    {"ship.dtq", false, fixtures::BuildExampleShip},
    {"ship_flipped.dtq", true, fixtures::BuildExampleShip},
    {"numbers.dtq", false, BuildNumbersModel},
};

// The dialog's controls with fixed values; the last status text is kept.
class CFixedDialog : public CDialogWindow
{
public:
    CFixedDialog(std::string input, std::string output, bool flip)
        : m_strInput(std::move(input)), m_strOutput(std::move(output)), m_bFlip(flip)
    {
    }
    std::string GetDlgItemText(int id) override { return id == IDC_INPUT ? m_strInput : m_strOutput; }
    bool IsDlgButtonChecked(int id) override { return id == IDC_FLIP && m_bFlip; }
    void EnableDlgItem(int, bool) override {}
    void EndDialogOK() override {}
    void SetDlgItemText(int, const std::string& text) override { lastStatus = text; }
    void UpdateWindow() override {}
    std::string lastStatus;

private:
    std::string m_strInput;
    std::string m_strOutput;
    bool m_bFlip;
};

std::string ExpectedPath(const char* name)
{
    return std::string(TESSALINE_SOURCE_DIR) + "/tests/data/golden/" + name;
}

// Where two texts first differ, as a line number and both lines.
std::string FirstDifference(const std::string& actual, const std::string& expected)
{
    std::istringstream actualLines(actual);
    std::istringstream expectedLines(expected);
    std::string actualLine;
    std::string expectedLine;
    for (int line = 1;; ++line)
    {
        const bool moreActual = static_cast<bool>(std::getline(actualLines, actualLine));
        const bool moreExpected = static_cast<bool>(std::getline(expectedLines, expectedLine));
        if (!moreActual && !moreExpected)
            return "the texts differ only in their final line feed";
        if (!moreActual || !moreExpected || actualLine != expectedLine)
            return "line " + std::to_string(line) + ": got \"" + (moreActual ? actualLine : "<end>") +
                   "\", expected \"" + (moreExpected ? expectedLine : "<end>") + "\"";
    }
}

class GoldenOutput : public ::testing::TestWithParam<GoldenCase>
{
};

TEST_P(GoldenOutput, MatchesStoredFileByteForByte)
{
    const GoldenCase& golden = GetParam();
    TemporaryFolder folder;
    const std::string inputPath = folder / "model.3ds";
    const std::string outputPath = folder / golden.expectedFile;
    ASSERT_TRUE(fixtures::WriteFile(inputPath, golden.build()));

    CFixedDialog dialog(inputPath, outputPath, golden.flip);
    bool flip = false;
    ASSERT_TRUE(RunConversion(dialog, flip)) << dialog.lastStatus;
    const std::string actual = ReadWholeFile(outputPath);

    if (std::getenv("TESSALINE_UPDATE_GOLDEN"))
    {
        WriteWholeFile(ExpectedPath(golden.expectedFile), actual);
        GTEST_SKIP() << "rewrote " << ExpectedPath(golden.expectedFile);
    }
    const std::string expected = ReadWholeFile(ExpectedPath(golden.expectedFile));
    ASSERT_FALSE(expected.empty()) << "missing " << ExpectedPath(golden.expectedFile);
    EXPECT_TRUE(actual == expected) << golden.expectedFile << ": " << FirstDifference(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GoldenOutput, ::testing::ValuesIn(kGoldenCases),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                             std::string name = info.param.expectedFile;
                             return name.substr(0, name.find('.'));
                         });

} // namespace
