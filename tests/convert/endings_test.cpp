// How a conversion by the built converter ends, for each fault around its
// files: the exit status, the one error message, and the folder afterwards,
// where an earlier output must be as it was and no temporary file is left.
// Permission bits do not bind the superuser, who runs CI: those cases run the
// converter as nobody.
#include "fixtures/example_ship.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <sstream>

namespace
{
namespace fs = std::filesystem;
using Folder = const support::TemporaryFolder&;

// Every entry under root: permission bits, and a link's target or a file's
// size and content (the inputs' size only).
std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root))
    {
        const fs::file_status status = entry.symlink_status();
        entries[entry.path().lexically_relative(root)] =
            std::to_string(int(status.permissions())) + ":" +
            (fs::is_symlink(status) ? fs::read_symlink(entry.path()).string()
             : !fs::is_regular_file(status) ? ""
             : std::to_string(entry.file_size()) + (entry.path().extension() == ".3ds" ? "" : support::ReadFile(entry.path())));
    }
    return entries;
}

TEST(ConversionEndings, StatusMessageAndFolder)
{
    const std::string create = "Error: Could not create Output file: ", open = "Error: Could not open Input file: ";
    const struct
    {
        std::vector<std::string> arguments; // paths relative to the scratch folder
        std::string message;                // none when the conversion replaces ship.dtq
        void (*setup)(Folder) = [](Folder) {};
        support::RunOptions options = {};
    } endings[] = {
        {{"-o", "ship.old", "ship.3ds"}, ""},
        {{"-o", "link/ship.dtq", "ship.3ds"}, "", [](Folder f) { fs::create_directory(f / "link"), fs::create_symlink("../ship.dtq", f / "link/ship.dtq"); }},
        {{"-o", "full.dtq", "ship.3ds"}, "Error: Could not write Output file: full.dtq (No space left on device)", // as nobody, who cannot replace the device
         [](Folder f) { fs::create_symlink("/dev/full", f / "full.dtq"); }, {.unprivileged = true}},
        {{"-o", "ship.dtq", "ship.3ds"}, "Error: Could not write Output file: ship.dtq (File too large)", [](Folder) {}, {.fileSize = 1000}},
        // On a disk whose syncs fail: the final sync, and for a large output the
        // writeback started while it was written, which is reported though the final sync fails otherwise.
        {{"-o", "ship.dtq", "ship.3ds"}, "Error: Could not write Output file: ship.dtq (No space left on device)", [](Folder) {},
         {.preload = TESSALINE_FAILING_SYNC_PATH}},
        {{"-o", "ship.dtq", "big.3ds"}, "Error: Could not write Output file: ship.dtq (Input/output error)",
         [](Folder f) { support::WriteModel(f / "big.3ds", support::LargeModel()); }, {.preload = TESSALINE_FAILING_SYNC_PATH}},
        {{"-o", "missing/ship", "ship.3ds"}, create + "missing/ship.dtq (No such file or directory)"},
        {{"-o", "locked/ship.dtq", "ship.3ds"}, create + "locked/ship.dtq (Permission denied)",
         [](Folder f) {
             fs::create_directory(f / "locked"), support::WriteFile(f / "locked/ship.dtq", "earlier");
             fs::permissions(f / "locked/ship.dtq", fs::perms(0666)), fs::permissions(f / "locked", fs::perms(0555));
         },
         {.unprivileged = true}},
        {{"-o", "ship.dtq", "ship.3ds"}, create + "ship.dtq (Permission denied)", [](Folder f) { fs::permissions(f / "ship.dtq", fs::perms(0444)); }, {.unprivileged = true}},
        {{"-o", "folder", "ship.3ds"}, create + "folder.dtq (Is a directory)", [](Folder f) { fs::create_directory(f / "folder.dtq"), support::WriteFile(f / "folder.dtq/in", "kept"); }},
        {{"-o", "", "ship.3ds"}, "Error: You must specify an output file name"},
        {{"-o", "", ""}, "Error: You must specify an input file"},
        {{"-o", "ship.dtq", "missing.3ds"}, open + "missing.3ds (No such file or directory)"},
        {{"-o", "ship.dtq", " ship.3ds"}, open + " ship.3ds (No such file or directory)"},
        {{"-o", "ship.dtq", "folder.3ds"}, open + "folder.3ds (Is a directory)", [](Folder f) { fs::create_directory(f / "folder.3ds"); }},
        {{"-o", "ship.dtq", "pipe.3ds"}, open + "pipe.3ds", [](Folder f) { mkfifo((f / "pipe.3ds").c_str(), 0644); }},
        {{"-o", "ship.dtq", "/dev/zero"}, open + "/dev/zero"},
        {{"-o", "ship.dtq", "ship.3ds"}, open + "ship.3ds (Permission denied)", [](Folder f) { fs::permissions(f / "ship.3ds", fs::perms(0200)); }, {.unprivileged = true}},
        {{"-o", "ship.dtq", "large.3ds"}, open + "large.3ds (Cannot allocate memory)", // sparse: it takes no room on disk
         [](Folder f) { fs::copy_file(f / "ship.3ds", f / "large.3ds"), fs::resize_file(f / "large.3ds", std::uintmax_t{3} << 30); },
         {.addressSpace = rlim_t{1} << 30}},
        {{"-o", "ship.dtq", "text.3ds"}, "Error reading input file, it does not appear to be a true .3DS file.",
         [](Folder f) { support::WriteFile(f / "text.3ds", "not a model"); }}};
    const std::string golden = support::ReadFile(TESSALINE_SOURCE_DIR "/tests/data/golden/ship.dtq");
    for (const auto& ending : endings)
    {
        SCOPED_TRACE(::testing::PrintToString(ending.arguments));
#if defined(__SANITIZE_ADDRESS__) // which cannot run within an address space limit, or after a preloaded library
        if (ending.options.addressSpace || !ending.options.preload.empty())
            continue;
#endif
        support::TemporaryFolder folder;
        fs::permissions(folder.Path(), fs::perms::all);
        ASSERT_TRUE(fixtures::WriteFile(folder / "ship.3ds", fixtures::BuildExampleShip()));
        support::WriteFile(folder / "ship.dtq", "earlier");
        fs::permissions(folder / "ship.dtq", fs::perms(0640));
        ending.setup(folder);
        std::map<std::string, std::string> expected = Snapshot(folder.Path());
        if (ending.message.empty())
            expected["ship.dtq"] = std::to_string(0640) + ":" + std::to_string(golden.size()) + golden;
        support::RunOptions options = ending.options;
        options.folder = folder.Path();
        std::vector<std::string> argv = {TESSALINE_CONVERT_PATH};
        argv.insert(argv.end(), ending.arguments.begin(), ending.arguments.end());
        const support::Process run = support::Run(argv, options);

        EXPECT_EQ(run.status, ending.message.empty() ? 0 : 1) << run.err;
        // Error lines name the program and the input first.
        const std::string prefix = "tessaline-convert: " + ending.arguments.back() + ": ";
        std::vector<std::string> errors;
        std::istringstream lines(run.err);
        for (std::string line; std::getline(lines, line);)
            if (line.find("Error") != std::string::npos)
                errors.push_back(line.starts_with(prefix) ? line.substr(prefix.size()) : line);
        EXPECT_EQ(errors, ending.message.empty() ? std::vector<std::string>{} : std::vector{ending.message}) << run.err;
        EXPECT_EQ(Snapshot(folder.Path()), expected);
    }
}

// Short of memory, a batch ends the file that does not fit with one message
// naming it and goes on with the next: every input is either converted
// whole or named in one error line, the summary counts them, and nothing
// else is left in the folder, whatever thread ran out.
TEST(ConversionEndings, LowMemoryEndsOneFileAndTheBatchGoesOn)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limits here allow";
#endif
    support::TemporaryFolder folder;
    ASSERT_TRUE(fixtures::WriteFile(folder / "s1.3ds", fixtures::BuildExampleShip()));
    ASSERT_TRUE(fixtures::WriteFile(folder / "s2.3ds", fixtures::BuildExampleShip()));
    support::WriteModel(folder / "big.3ds", support::LargeModel());
    const std::vector<std::string> inputs = {"s1.3ds", "big.3ds", "s2.3ds"};
    const support::TemporaryFolder whole;
    std::vector<std::string> reference = {TESSALINE_CONVERT_PATH, "-d", whole.Path()};
    reference.insert(reference.end(), inputs.begin(), inputs.end());
    ASSERT_EQ(support::Run(reference, {.folder = folder.Path()}).status, 0);
    bool bigFailedAlone = false;
    for (const rlim_t megabytes : {24, 32, 40, 44, 48, 52, 56, 64, 96})
        for (const char* jobs : {"1", "2", "3"})
        {
            SCOPED_TRACE(std::to_string(megabytes) + " MB, -j " + jobs);
            const support::TemporaryFolder out;
            std::vector<std::string> argv = {TESSALINE_CONVERT_PATH, "-j", jobs, "-d", out.Path()};
            argv.insert(argv.end(), inputs.begin(), inputs.end());
            const support::Process run = support::Run(argv, {.folder = folder.Path(), .addressSpace = megabytes << 20});
            std::set<std::string> failed;
            std::istringstream lines(run.err);
            for (std::string line; std::getline(lines, line);)
                for (const std::string& input : inputs)
                    if (line.starts_with("tessaline-convert: " + input + ": Error"))
                    {
                        EXPECT_TRUE(failed.insert(input).second) << run.err;
                    }
            std::set<std::string> written;
            for (const std::string& input : inputs)
            {
                const std::string name = input.substr(0, input.size() - 4) + ".DTQ";
                if (!failed.contains(input))
                {
                    EXPECT_TRUE(support::ReadFile(out / name) == support::ReadFile(whole / name)) << input << "\n" << run.err;
                }
                written.insert(name);
            }
            for (const std::string& name : out.List())
                EXPECT_TRUE(written.contains(name)) << name;
            EXPECT_EQ(run.status, failed.empty() ? 0 : 1) << run.err;
            const std::string summary = std::to_string(inputs.size() - failed.size()) + " converted, " + std::to_string(failed.size()) + " failed\n";
            EXPECT_TRUE(run.err.ends_with(summary)) << run.err;
            bigFailedAlone = bigFailedAlone || (failed == std::set<std::string>{"big.3ds"} &&
                                                run.err.find("big.3ds: Error: not enough memory to convert big.3ds\n") != std::string::npos);
        }
    // Some limit lets the small files through and stops the large one.
    EXPECT_TRUE(bigFailedAlone);
}

// A batch on a disk whose syncs fail: each output's sync, made while the next
// files are converted, fails with its own reason, named by its input; no
// output is left behind and the summary counts every file as failed.
TEST(ConversionEndings, BatchOnAFailingDisk)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer must be the first library loaded, before the failing disk";
#endif
    support::TemporaryFolder folder;
    std::vector<std::string> argv = {TESSALINE_CONVERT_PATH, "-j", "2"};
    std::map<std::string, std::string> expected;
    for (const std::string name : {"s1", "s2", "s3", "big"})
    {
        if (name == "big")
            support::WriteModel(folder / "big.3ds", support::LargeModel());
        else
            ASSERT_TRUE(fixtures::WriteFile(folder / (name + ".3ds"), fixtures::BuildExampleShip()));
        argv.push_back(name + ".3ds");
        expected[argv.back()] = "Error: Could not write Output file: " + name + ".DTQ (" +
                                (name == "big" ? "Input/output error)" : "No space left on device)");
    }
    const std::set<std::string> inputs = folder.List();
    const support::Process run =
        support::Run(argv, {.folder = folder.Path(), .preload = TESSALINE_FAILING_SYNC_PATH});
    EXPECT_EQ(run.status, 1);
    std::map<std::string, std::string> errors;
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);)
        if (const std::size_t end = line.find(".3ds: "); line.starts_with("tessaline-convert: ") && end != std::string::npos)
            errors[line.substr(19, end + 4 - 19)] = line.substr(end + 6);
    EXPECT_EQ(errors, expected) << run.err;
    EXPECT_TRUE(run.err.ends_with("\n0 converted, 4 failed\n")) << run.err;
    EXPECT_EQ(folder.List(), inputs);
}
} // namespace
