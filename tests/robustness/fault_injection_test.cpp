// Faults around the conversion run's files: a full disk, folders and files
// that cannot be written, inputs that cannot be read. Each must end in its
// one message, keep any earlier output of the same name as it was, and leave
// no temporary file behind.
//
// Permission bits do not bind the superuser, and CI runs as root: the
// permission cases run in a child process that has given up its privileges.
#include "convert/conversion_run.h"
#include "convert/control_ids.h"
#include "tests/convert/conversion_fixtures.h"
#include "tests/robustness/child_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include <sys/stat.h>

namespace
{
namespace fs = std::filesystem;
using testing_support::ReadWholeFile;
using testing_support::TemporaryFolder;
using testing_support::WriteWholeFile;
using robustness::ChildResult;
using robustness::ChildSetup;

const std::string kCannotCreate = "Error: Could not create Output file: ";
const std::string kCannotWrite = "Error: Could not write Output file: ";
const std::string kCannotOpenInput = "Error: Could not open Input file: ";

// The dialog as far as the run's outcome goes: the paths it is given and the
// status line it is left with.
class StatusDialog : public CDialogWindow
{
public:
    StatusDialog(std::string input, std::string output) : m_strInput(std::move(input)), m_strOutput(std::move(output)) {}

    std::string GetDlgItemText(int id) override
    {
        return id == IDC_INPUT ? m_strInput : id == IDC_OUTPUT ? m_strOutput : std::string();
    }
    bool IsDlgButtonChecked(int) override { return false; }
    void EnableDlgItem(int, bool) override {}
    void EndDialogOK() override {}
    void SetDlgItemText(int id, const std::string& text) override
    {
        if (id != IDC_STATUS)
            return;
        status = text;
        if (text.rfind("Error", 0) == 0)
            ++errorMessages;
    }
    void UpdateWindow() override {}

    std::string status;
    int errorMessages = 0;

private:
    std::string m_strInput;
    std::string m_strOutput;
};

struct RunOutcome
{
    bool converted = false;
    int errorMessages = 0;
    std::string status;
};

RunOutcome Convert(const std::string& input, const std::string& output)
{
    StatusDialog dialog(input, output);
    bool flip = false;
    RunOutcome outcome;
    outcome.converted = RunConversion(dialog, flip);
    outcome.errorMessages = dialog.errorMessages;
    outcome.status = dialog.status;
    return outcome;
}

// The run failed with exactly this one message.
void ExpectFailure(const RunOutcome& outcome, const std::string& message)
{
    EXPECT_FALSE(outcome.converted);
    EXPECT_EQ(outcome.status, message);
    EXPECT_EQ(outcome.errorMessages, 1);
}

// The outcome travels from the child as "converted errors status".
std::string Report(const RunOutcome& outcome)
{
    return std::to_string(outcome.converted) + " " + std::to_string(outcome.errorMessages) + " " + outcome.status;
}

RunOutcome ParseReport(const std::string& report)
{
    RunOutcome outcome;
    const std::size_t first = report.find(' ');
    const std::size_t second = report.find(' ', first + 1);
    outcome.converted = report.substr(0, first) == "1";
    outcome.errorMessages = std::stoi(report.substr(first + 1, second - first - 1));
    outcome.status = report.substr(second + 1);
    return outcome;
}

// One conversion in a child process set up as asked. Nothing when the child
// could not be set up; a crash or a run that never ends fails the test.
std::optional<RunOutcome> ConvertInChild(ChildSetup setup, const std::string& input, const std::string& output)
{
    const ChildResult child = robustness::RunInChild(setup, [&] { return Report(Convert(input, output)); });
    if (child.ending == ChildResult::Ending::SetupFailed)
        return std::nullopt;
    EXPECT_EQ(child.ending, ChildResult::Ending::Returned)
        << input << ": the run crashed or did not end within " << robustness::kChildDeadlineSeconds << " seconds";
    return child.ending == ChildResult::Ending::Returned ? ParseReport(child.report) : RunOutcome {};
}

class ConversionFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Other users may look in, for the unprivileged child.
        fs::permissions(folder.Path(), fs::perms(0755));
        testing_support::WriteModelFile(input, {testing_support::HullMesh()});
        fs::permissions(input, fs::perms(0644));
    }

    std::string Path(const std::string& name) const { return folder / name; }

    // A folder inside the scratch folder, its entries and their contents.
    std::set<std::string> Listing(const std::string& name) const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(Path(name)))
            names.insert(entry.path().filename().string());
        return names;
    }

    TemporaryFolder folder;
    const std::string input = folder / "ship.3ds";
};

TEST_F(ConversionFaults, FullDiskFailsTheWriteAndLeavesNoTemporaryFile)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "this system has no /dev/full";
    // The output path names the device through a link, since the run gives
    // every output path the .dtq extension.
    const std::string output = Path("ship.dtq");
    fs::create_symlink("/dev/full", output);
    ExpectFailure(Convert(input, output), kCannotWrite + output);
    EXPECT_EQ(folder.List(), (std::set<std::string> {"ship.3ds", "ship.dtq"}));
    EXPECT_EQ(fs::read_symlink(output), "/dev/full");
}

TEST_F(ConversionFaults, OutputPathThatIsAFolderIsLeftAlone)
{
    const std::string output = Path("ship.dtq");
    fs::create_directory(output);
    WriteWholeFile(output + "/inside", "kept");
    ExpectFailure(Convert(input, output), kCannotCreate + output);
    EXPECT_EQ(ReadWholeFile(output + "/inside"), "kept");
    EXPECT_EQ(folder.List(), (std::set<std::string> {"ship.3ds", "ship.dtq"}));
}

TEST_F(ConversionFaults, FoldersNoUserCanCreateFilesIn)
{
    // sysfs and procfs refuse new files whoever asks.
    int checked = 0;
    for (const std::string output : {"/sys/tessaline-robustness.dtq", "/proc/tessaline-robustness.dtq"})
    {
        if (!fs::is_directory(fs::path(output).parent_path()))
            continue;
        ExpectFailure(Convert(input, output), kCannotCreate + output);
        EXPECT_FALSE(fs::exists(output));
        ++checked;
    }
    if (checked == 0)
        GTEST_SKIP() << "neither /sys nor /proc is mounted";
}

TEST_F(ConversionFaults, ReadOnlyFolderKeepsItsEarlierOutput)
{
    fs::create_directory(Path("locked"));
    const std::string output = Path("locked/ship.dtq");
    WriteWholeFile(output, "earlier");
    fs::permissions(output, fs::perms(0666)); // the file itself may be written
    fs::permissions(Path("locked"), fs::perms(0555));
    const auto outcome = ConvertInChild(ChildSetup::Unprivileged, input, output);
    if (!outcome)
        GTEST_SKIP() << "cannot run a child process as an unprivileged user here";
    ExpectFailure(*outcome, kCannotCreate + output);
    EXPECT_EQ(ReadWholeFile(output), "earlier");
    EXPECT_EQ(Listing("locked"), std::set<std::string> {"ship.dtq"});
}

TEST_F(ConversionFaults, ReadOnlyFolderWithoutEarlierOutputStaysEmpty)
{
    fs::create_directory(Path("locked"));
    fs::permissions(Path("locked"), fs::perms(0555));
    const std::string output = Path("locked/ship.dtq");
    const auto outcome = ConvertInChild(ChildSetup::Unprivileged, input, output);
    if (!outcome)
        GTEST_SKIP() << "cannot run a child process as an unprivileged user here";
    ExpectFailure(*outcome, kCannotCreate + output);
    EXPECT_TRUE(Listing("locked").empty());
}

TEST_F(ConversionFaults, ReadOnlyEarlierOutputIsNotReplaced)
{
    fs::create_directory(Path("open"));
    fs::permissions(Path("open"), fs::perms(0777));
    const std::string output = Path("open/ship.dtq");
    WriteWholeFile(output, "earlier");
    fs::permissions(output, fs::perms(0444));
    const auto outcome = ConvertInChild(ChildSetup::Unprivileged, input, output);
    if (!outcome)
        GTEST_SKIP() << "cannot run a child process as an unprivileged user here";
    ExpectFailure(*outcome, kCannotCreate + output);
    EXPECT_EQ(ReadWholeFile(output), "earlier");
    EXPECT_EQ(Listing("open"), std::set<std::string> {"ship.dtq"});
}

TEST_F(ConversionFaults, InputWithoutReadPermission)
{
    fs::permissions(input, fs::perms(0200));
    const std::string output = Path("ship.dtq");
    const auto outcome = ConvertInChild(ChildSetup::Unprivileged, input, output);
    if (!outcome)
        GTEST_SKIP() << "cannot run a child process as an unprivileged user here";
    ExpectFailure(*outcome, kCannotOpenInput + input);
    EXPECT_EQ(folder.List(), std::set<std::string> {"ship.3ds"});
}

// Inputs that are no readable file: each gets the input message and no
// output. The runs happen in a child process with a deadline, since a pipe
// without a writer, or an endless device, could make a run wait forever.
TEST_F(ConversionFaults, InputsThatAreNoReadableFile)
{
    fs::create_directory(Path("folder.3ds"));
    ASSERT_EQ(mkfifo(Path("pipe.3ds").c_str(), 0644), 0);
    const std::set<std::string> before = folder.List();
    for (const std::string& unreadable :
         {Path("missing.3ds"), Path("folder.3ds"), Path("pipe.3ds"), std::string("/dev/zero")})
    {
        const auto outcome = ConvertInChild(ChildSetup::Deadline, unreadable, Path("out.dtq"));
        ASSERT_TRUE(outcome);
        ExpectFailure(*outcome, kCannotOpenInput + unreadable);
        EXPECT_EQ(folder.List(), before) << unreadable;
    }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST_F(ConversionFaults, InputTooLargeForMemory)
{
    if (kAddressSanitizer)
        GTEST_SKIP() << "the address sanitizer needs more address space than the limit this case sets";
    // Sparse: it takes no room on disk.
    const std::string large = Path("large.3ds");
    fs::copy_file(input, large);
    fs::resize_file(large, std::uintmax_t {3} << 30);
    const auto outcome = ConvertInChild(ChildSetup::OneGigabyteOfMemory, large, Path("large.dtq"));
    ASSERT_TRUE(outcome) << "the child could not limit its memory";
    ExpectFailure(*outcome, kCannotOpenInput + large);
    EXPECT_FALSE(fs::exists(Path("large.dtq")));
}

} // namespace
