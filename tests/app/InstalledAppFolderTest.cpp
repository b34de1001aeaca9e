// An installed copy runs from a per-user folder seeded with the shipped files; a portable
// folder and --app-folder keep working as before.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/AppFolder.h"
#include "support/TempDir.h"
#include "util/FileSys.h"

using namespace gw;
namespace fs = std::filesystem;

namespace {

// A fake system prefix (programs in bin/, shipped files in share/gas-workbench/) and a fake
// home with its XDG data folder.
struct InstalledTree : ::testing::Test {
    gwtest::TempDir root;
    std::string prefix = root.File("usr");
    std::string bin = root.File("usr/bin");
    UserDataPlaces places{root.File("home/data"), root.File("home")};
    std::string user = root.File("home/data/gas-workbench");

    void SetUp() override {
        fs::create_directories(bin);
        root.Write("usr/share/gas-workbench/INSTALLED", "");
        root.Write("usr/share/gas-workbench/BIN/Flash.ini", "flash\n");
        root.Write("usr/share/gas-workbench/LNG/M3.diz", "shipped dictionary\n");
    }

    AppFolderChoice Start(std::vector<std::string> args = {}) {
        args.insert(args.begin(), bin + "/gas-workbench-cli");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        return ResolveAppFolderFrom(static_cast<int>(args.size()), argv.data(), bin, places);
    }
};

}  // namespace

TEST_F(InstalledTree, FirstStartCopiesTheShippedFilesAndLaterStartsKeepTheUsersOwn) {
    AppFolderChoice first = Start({"identity"});
    EXPECT_EQ(first.appFolder, user);
    EXPECT_EQ(first.problem, "");
    EXPECT_EQ(first.rest, std::vector<std::string>{"identity"});
    EXPECT_EQ(root.Read("home/data/gas-workbench/BIN/Flash.ini"), "flash\n");
    EXPECT_EQ(root.Read("home/data/gas-workbench/LNG/M3.diz"), "shipped dictionary\n");
    EXPECT_FALSE(root.Exists("home/data/gas-workbench/INSTALLED"));

    // The user edits one file and loses another; a new version ships a new file.
    root.Write("home/data/gas-workbench/LNG/M3.diz", "my dictionary\n");
    fs::remove(root.File("home/data/gas-workbench/BIN/Flash.ini"));
    root.Write("usr/share/gas-workbench/LNG/M3.diz", "newer shipped dictionary\n");
    root.Write("usr/share/gas-workbench/LNG/exp.cfg", "x\n");

    const AppFolderSetup second = PrepareAppFolder(prefix, places);
    EXPECT_EQ(second.appFolder, user);
    EXPECT_TRUE(second.installed);
    EXPECT_EQ(second.problem, "");
    EXPECT_EQ(root.Read("home/data/gas-workbench/LNG/M3.diz"), "my dictionary\n");
    EXPECT_EQ(root.Read("home/data/gas-workbench/BIN/Flash.ini"), "flash\n");
    EXPECT_EQ(root.Read("home/data/gas-workbench/LNG/exp.cfg"), "x\n");
    EXPECT_EQ(second.copied.size(), 2u);
    EXPECT_TRUE(IsWritableFolder(user));
}

TEST_F(InstalledTree, TheCommandLineFolderWinsAndNothingIsCopied) {
    const AppFolderChoice choice = Start({"--app-folder", root.File("mine"), "ping"});
    EXPECT_EQ(choice.appFolder, root.File("mine"));
    EXPECT_EQ(choice.rest, std::vector<std::string>{"ping"});
    EXPECT_FALSE(root.Exists("home/data"));
}

TEST_F(InstalledTree, APortableFolderIsUsedAsItIs) {
    fs::remove_all(root.File("usr/share"));
    root.Write("usr/BIN/Flash.ini", "flash\n");
    root.Write("usr/INSTALLED", "");   // only the shared files folder's marker counts
    const AppFolderChoice choice = Start();
    EXPECT_EQ(choice.appFolder, prefix);
    EXPECT_FALSE(root.Exists("home/data"));
}

TEST_F(InstalledTree, AReadOnlyFolderWithoutMarkerIsTreatedAsInstalled) {
    fs::remove_all(root.File("usr/share"));
    root.Write("usr/BIN/Flash.ini", "flash\n");
    root.Write("usr/LNG/M3.diz", "d\n");
    root.Write("usr/CMakeCache.txt", "not the program's\n");
    fs::permissions(prefix, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const bool writable = IsWritableFolder(prefix);
    if (writable) {
        fs::permissions(prefix, fs::perms::owner_write, fs::perm_options::add);
        GTEST_SKIP() << "this user may write to read-only folders (root)";
    }
    const AppFolderSetup setup = PrepareAppFolder(prefix, places);
    fs::permissions(prefix, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(setup.appFolder, user);
    EXPECT_EQ(root.Read("home/data/gas-workbench/LNG/M3.diz"), "d\n");
    EXPECT_FALSE(root.Exists("home/data/gas-workbench/bin"));   // only the program's own folders
    EXPECT_FALSE(root.Exists("home/data/gas-workbench/CMakeCache.txt"));
}

TEST_F(InstalledTree, NoUsablePerUserFolderFallsBackToTheShippedFilesAndSaysSo) {
    root.Write("home/file", "");
    const struct { UserDataPlaces places; std::string folder; } cases[] = {
        {{"", ""}, ""},
        {{"relative/data", ""}, ""},
        {{"", root.File("home/file")}, root.File("home/file/.local/share/gas-workbench")},  // cannot be created
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UserAppFolder(c.places), c.folder);
        const AppFolderSetup setup = PrepareAppFolder(prefix, c.places);
        EXPECT_EQ(setup.appFolder, prefix + "/share/gas-workbench");
        EXPECT_NE(setup.problem, "");
    }
}

TEST(UserAppFolder, TheXdgDataFolderWinsOverHomeWhenAbsolute) {
    const struct { UserDataPlaces places; std::string folder; } cases[] = {
        {{"/x/data/", "/home/u"}, "/x/data/gas-workbench"},
        {{"", "/home/u"}, "/home/u/.local/share/gas-workbench"},
        {{"data", "/home/u/"}, "/home/u/.local/share/gas-workbench"},
    };
    for (const auto& c : cases) EXPECT_EQ(UserAppFolder(c.places), c.folder);
}
