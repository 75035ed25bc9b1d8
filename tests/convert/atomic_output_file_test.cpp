#include "platform/atomic_output_file.h"

#include "tests/convert/conversion_fixtures.h"
#include "tests/convert/file_size_limit.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

using testing_support::ReadWholeFile;
using testing_support::TemporaryFolder;
using testing_support::WriteWholeFile;

bool WriteText(CAtomicOutputFile& file, const std::string& text)
{
    return file.Write(text.data(), text.size());
}

mode_t PermissionBits(const std::string& path)
{
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class AtomicOutputFileTest : public ::testing::Test
{
protected:
    TemporaryFolder folder;
};

TEST_F(AtomicOutputFileTest, FinalNameAppearsOnlyAtCommit)
{
    const std::string path = folder / "ship.dtq";
    CAtomicOutputFile file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(WriteText(file, "C3DModel\n"));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::path(file.GetWritingPath()).parent_path(), folder.Path())
        << "the rename must stay within one file system";
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadWholeFile(path), "C3DModel\n");
    EXPECT_EQ(folder.List(), std::set<std::string> {"ship.dtq"});
}

TEST_F(AtomicOutputFileTest, DiscardAndDestructionKeepTheEarlierFile)
{
    const std::string path = folder / "ship.dtq";
    WriteWholeFile(path, "earlier");
    {
        CAtomicOutputFile discarded;
        ASSERT_TRUE(discarded.Create(path));
        WriteText(discarded, "new");
        discarded.Discard();
        CAtomicOutputFile abandoned;
        ASSERT_TRUE(abandoned.Create(path));
        WriteText(abandoned, "new");
    }
    EXPECT_EQ(ReadWholeFile(path), "earlier");
    EXPECT_EQ(folder.List(), std::set<std::string> {"ship.dtq"});
}

TEST_F(AtomicOutputFileTest, ReplacedFileKeepsItsPermissions)
{
    const std::string path = folder / "ship.dtq";
    WriteWholeFile(path, "earlier");
    chmod(path.c_str(), 0640);
    CAtomicOutputFile file;
    ASSERT_TRUE(file.Create(path));
    WriteText(file, "new");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadWholeFile(path), "new");
    EXPECT_EQ(PermissionBits(path), 0640u);
}

TEST_F(AtomicOutputFileTest, NewFileGetsTheUmasksPermissions)
{
    const mode_t savedMask = umask(027);
    CAtomicOutputFile file;
    const bool created = file.Create(folder / "ship.dtq");
    umask(savedMask);
    ASSERT_TRUE(created);
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(PermissionBits(folder / "ship.dtq"), 0640u);
}

TEST_F(AtomicOutputFileTest, SymbolicLinkKeepsPointingAtTheReplacedFile)
{
    std::filesystem::create_directory(folder.Path() / "store");
    const std::string target = folder / "store/ship.dtq";
    const std::string link = folder / "ship.dtq";
    WriteWholeFile(target, "earlier");
    std::filesystem::create_symlink(target, link);
    CAtomicOutputFile file;
    ASSERT_TRUE(file.Create(link));
    WriteText(file, "new");
    ASSERT_TRUE(file.Commit());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(target), "new");
}

TEST_F(AtomicOutputFileTest, CreateFailsWhereNoFileCanBeMade)
{
    std::filesystem::create_directory(folder.Path() / "sub");
    for (const std::string& path : {folder / "missing/ship.dtq", folder / "sub", std::string()})
    {
        CAtomicOutputFile file;
        EXPECT_FALSE(file.Create(path)) << path;
        EXPECT_FALSE(file.IsOpen());
    }
    EXPECT_EQ(folder.List(), std::set<std::string> {"sub"});
}

TEST_F(AtomicOutputFileTest, CreateFailsForReadOnlyFileOrFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const std::string readOnlyFile = folder / "ship.dtq";
    WriteWholeFile(readOnlyFile, "earlier");
    chmod(readOnlyFile.c_str(), 0444);
    std::filesystem::create_directory(folder.Path() / "locked");
    chmod((folder / "locked").c_str(), 0555);
    CAtomicOutputFile file;
    EXPECT_FALSE(file.Create(readOnlyFile));
    EXPECT_FALSE(file.Create(folder / "locked/ship.dtq"));
    EXPECT_EQ(ReadWholeFile(readOnlyFile), "earlier");
}

TEST_F(AtomicOutputFileTest, DeviceIsWrittenInPlaceNotReplaced)
{
    CAtomicOutputFile file;
    ASSERT_TRUE(file.Create("/dev/null"));
    EXPECT_TRUE(WriteText(file, "text"));
    EXPECT_TRUE(file.Commit());
    struct stat info {};
    ASSERT_EQ(stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(AtomicOutputFileTest, FileNameAtTheSystemLimitStillGetsATemporaryFile)
{
    const std::string path = folder / (std::string(251, 'n') + ".dtq");
    CAtomicOutputFile file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(file.Commit());
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(AtomicOutputFileTest, FailedWriteRemovesTemporaryFileAndKeepsTheEarlierOne)
{
    const std::string path = folder / "ship.dtq";
    WriteWholeFile(path, "earlier");
    CAtomicOutputFile file;
    ASSERT_TRUE(file.Create(path));
    {
        testing_support::FileSizeLimit limit(100);
        EXPECT_FALSE(WriteText(file, std::string(300, 'x')));
        EXPECT_EQ(errno, EFBIG);
    }
    EXPECT_FALSE(WriteText(file, "more")) << "a file with a hole in it is no use";
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(ReadWholeFile(path), "earlier");
    EXPECT_EQ(folder.List(), std::set<std::string> {"ship.dtq"});
}

} // namespace
