#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "support/TempDir.h"
#include "util/FileSys.h"

using namespace gw;

TEST(FileSys, FileExistsAndIsFolderTellFilesFromFolders) {
    gwtest::TempDir dir;
    const std::string file = dir.Write("LNG/M3.con", "1");
    const std::string empty = dir.Write("empty.txt", "");
    const std::string folder = dir.File("LNG");
    const std::string missing = dir.File("nothing.txt");

    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(empty));
    EXPECT_FALSE(FileExists(folder));
    EXPECT_FALSE(FileExists(missing));
    EXPECT_FALSE(FileExists(""));

    EXPECT_TRUE(IsFolder(folder));
    EXPECT_TRUE(IsFolder(folder + "/"));
    EXPECT_FALSE(IsFolder(file));
    EXPECT_FALSE(IsFolder(missing));
    EXPECT_FALSE(IsFolder(""));
    EXPECT_FALSE(IsFolder(file + "/below"));

#ifndef _WIN32   // no named pipes in the file system, no POSIX rights
    // A named pipe without a writer must not block the test.
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(FileExists(fifo));

    if (::geteuid() != 0) {  // root reads anything
        ASSERT_EQ(::chmod(file.c_str(), 0), 0);
        EXPECT_FALSE(FileExists(file));
    }
#endif
}

TEST(FileSys, ParentFolderFollowsTheApplicationFolderRule) {
    const struct { const char* exeFolder; const char* appFolder; } cases[] = {
        {"C:\\Tools\\Bench\\Exe", "C:\\Tools\\Bench"},
        {"C:\\Exe", ""},  // one backslash: paths begin at the root of the drive
        {"C:\\", ""},
        {"\\\\server\\share\\Exe", "\\\\server\\share"},
        {"C:\\Tools/Exe", "C:\\Tools"},  // both separators count
        {"/opt/bench/bin", "/opt/bench"},
        {"/bin", ""},
        {"/", ""},
        {"a/b/c", "a/b"},
        {"bin", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ParentFolder(c.exeFolder), c.appFolder) << c.exeFolder;
}

TEST(FileSys, EnsureSamplesFolderCreatesItOnceAndKeepsAFileInTheWay) {
    gwtest::TempDir dir;
    EXPECT_TRUE(EnsureSamplesFolder(dir.Path()));
    EXPECT_TRUE(IsFolder(dir.File("SAMPLES")));
    dir.Write("SAMPLES/keep.vfl", "x");
    EXPECT_TRUE(EnsureSamplesFolder(dir.Path()));
    EXPECT_EQ(dir.Read("SAMPLES/keep.vfl"), "x");

    gwtest::TempDir blocked;
    blocked.Write("SAMPLES", "a file, not a folder");
    EXPECT_FALSE(EnsureSamplesFolder(blocked.Path()));
    EXPECT_EQ(blocked.Read("SAMPLES"), "a file, not a folder");

    EXPECT_FALSE(EnsureSamplesFolder(dir.File("no/such/app")));
}
