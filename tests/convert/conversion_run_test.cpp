#include "convert/conversion_run.h"

#include "convert/control_ids.h"
#include "tests/convert/conversion_fixtures.h"
#include "tests/convert/file_size_limit.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace
{

using testing_support::HullMesh;
using testing_support::kHullModelText;
using testing_support::ReadWholeFile;
using testing_support::TemporaryFolder;
using testing_support::WriteModelFile;
using testing_support::WriteWholeFile;

constexpr int kLockedControls[] = {IDC_INPUT, IDC_OUTPUT, IDOK, IDCANCEL};
constexpr char kNotA3dsFile[] = "Error reading input file, it does not appear to be a true .3DS file.";

// The dialog's controls in memory, recording what the run does to them.
class CRecordingDialog : public CDialogWindow
{
public:
    std::map<int, std::string> texts;
    bool flipTicked = false;
    std::vector<std::string> statusTexts;
    std::vector<std::pair<int, bool>> enableCalls;
    int endCount = 0;

    std::string GetDlgItemText(int id) override { return texts[id]; }
    bool IsDlgButtonChecked(int id) override { return id == IDC_FLIP && flipTicked; }
    void EnableDlgItem(int id, bool enable) override { enableCalls.emplace_back(id, enable); }
    void EndDialogOK() override { ++endCount; }
    void SetDlgItemText(int id, const std::string& text) override
    {
        texts[id] = text;
        if (id == IDC_STATUS)
            statusTexts.push_back(text);
    }
    void UpdateWindow() override {}

    bool IsEnabled(int id) const
    {
        bool enabled = true;
        for (const auto& [control, enable] : enableCalls)
            if (control == id)
                enabled = enable;
        return enabled;
    }
    bool AllLockedControlsEnabled() const
    {
        for (int id : kLockedControls)
            if (!IsEnabled(id))
                return false;
        return true;
    }
    bool AllLockedControlsDisabled() const
    {
        for (int id : kLockedControls)
            if (IsEnabled(id))
                return false;
        return true;
    }
    bool WasEverDisabled(int id) const
    {
        for (const auto& [control, enable] : enableCalls)
            if (control == id && !enable)
                return true;
        return false;
    }
};

class ConversionRunTest : public ::testing::Test
{
protected:
    TemporaryFolder folder;
    CRecordingDialog dialog;

    bool Run(const std::string& input, const std::string& output, bool flipTicked = false)
    {
        dialog.texts[IDC_INPUT] = input;
        dialog.texts[IDC_OUTPUT] = output;
        dialog.flipTicked = flipTicked;
        bool flip = !flipTicked;
        const bool converted = RunConversion(dialog, flip);
        EXPECT_EQ(flip, flipTicked);
        return converted;
    }

    std::string HullFile()
    {
        const std::string path = folder / "ship.3ds";
        WriteModelFile(path, {HullMesh()});
        return path;
    }

    // Failed before anything was locked: one message and nothing else.
    void ExpectRefusedUntouched(const std::string& message)
    {
        EXPECT_EQ(dialog.statusTexts, std::vector<std::string> {message});
        EXPECT_TRUE(dialog.enableCalls.empty());
        EXPECT_EQ(dialog.endCount, 0);
    }

    // Failed after locking: the message last, the controls usable again.
    void ExpectFailedAndUnlocked(const std::string& lastMessage)
    {
        ASSERT_FALSE(dialog.statusTexts.empty());
        EXPECT_EQ(dialog.statusTexts.front(), "Loading model...");
        EXPECT_EQ(dialog.statusTexts.back(), lastMessage);
        for (int id : kLockedControls)
            EXPECT_TRUE(dialog.WasEverDisabled(id)) << id;
        EXPECT_TRUE(dialog.AllLockedControlsEnabled());
        EXPECT_EQ(dialog.endCount, 0);
    }
};

TEST_F(ConversionRunTest, WritesTheModelTextFileAndEndsTheDialog)
{
    ASSERT_TRUE(Run(HullFile(), folder / "ship.DTQ"));
    EXPECT_EQ(ReadWholeFile(folder / "ship.DTQ"), kHullModelText);
    EXPECT_EQ(dialog.statusTexts, (std::vector<std::string> {"Loading model...", "  reading Object 0 of 1"}));
    EXPECT_TRUE(dialog.AllLockedControlsDisabled());
    EXPECT_EQ(dialog.endCount, 1);
    EXPECT_EQ(folder.List(), (std::set<std::string> {"ship.3ds", "ship.DTQ"}));
}

TEST_F(ConversionRunTest, FlipKeepsTheStoredWinding)
{
    ASSERT_TRUE(Run(HullFile(), folder / "flipped.dtq", true));
    std::string expected = kHullModelText;
    expected.replace(expected.rfind("2,1,0"), 5, "0,1,2");
    expected.replace(expected.find("ship.RAW"), 4, "flipped");
    EXPECT_EQ(ReadWholeFile(folder / "flipped.dtq"), expected);
}

TEST_F(ConversionRunTest, OutputPathGetsItsExtensionAndReplacesAnEarlierFile)
{
    WriteWholeFile(folder / "ship.dtq", "earlier");
    ASSERT_TRUE(Run(HullFile(), folder / "ship.old"));
    EXPECT_EQ(ReadWholeFile(folder / "ship.dtq"), kHullModelText);
    EXPECT_EQ(folder.List(), (std::set<std::string> {"ship.3ds", "ship.dtq"}));
}

TEST_F(ConversionRunTest, EmptyInputIsReportedBeforeEmptyOutput)
{
    EXPECT_FALSE(Run("", ""));
    ExpectRefusedUntouched("Error: You must specify an input file");
}

// Checked before the output path, which may be empty; the path as typed.
TEST_F(ConversionRunTest, UnreadableInputIsReportedWithItsPath)
{
    const std::string typedWithSpace = " " + HullFile();
    for (const std::string& input : {folder / "missing.3ds", typedWithSpace, folder.Path().string()})
    {
        dialog.statusTexts.clear();
        EXPECT_FALSE(Run(input, ""));
        ExpectRefusedUntouched("Error: Could not open Input file: " + input);
    }
}

TEST_F(ConversionRunTest, EmptyOutputPathIsRefused)
{
    EXPECT_FALSE(Run(HullFile(), ""));
    ExpectRefusedUntouched("Error: You must specify an output file name");
    EXPECT_EQ(folder.List(), std::set<std::string> {"ship.3ds"});
}

TEST_F(ConversionRunTest, RejectedModelLeavesTheLoadersMessageAndNoFile)
{
    WriteWholeFile(folder / "text.3ds", "not a model");
    EXPECT_FALSE(Run(folder / "text.3ds", folder / "text.dtq"));
    ExpectFailedAndUnlocked(kNotA3dsFile);
    EXPECT_EQ(dialog.statusTexts.size(), 2u);
    EXPECT_EQ(folder.List(), std::set<std::string> {"text.3ds"});
}

TEST_F(ConversionRunTest, OutputThatCannotBeCreatedIsReportedWithTheFinalPath)
{
    const std::string output = folder / "missing/ship";
    EXPECT_FALSE(Run(HullFile(), output));
    ExpectFailedAndUnlocked("Error: Could not create Output file: " + output + ".dtq");
}

TEST_F(ConversionRunTest, FailedWriteRemovesThePartialFileAndKeepsTheEarlierOne)
{
    const std::string input = HullFile();
    const std::string output = folder / "ship.dtq";
    WriteWholeFile(output, "earlier");
    {
        testing_support::FileSizeLimit limit(100);
        EXPECT_FALSE(Run(input, output));
    }
    ExpectFailedAndUnlocked("Error: Could not write Output file: " + output);
    EXPECT_EQ(ReadWholeFile(output), "earlier");
    EXPECT_EQ(folder.List(), (std::set<std::string> {"ship.3ds", "ship.dtq"}));
}

} // namespace
