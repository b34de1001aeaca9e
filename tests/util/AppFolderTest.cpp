#include <gtest/gtest.h>

#include <vector>

#include "app/AppFolder.h"
#include "util/FileSys.h"

using namespace gw;

namespace {

AppFolderChoice Resolve(std::vector<std::string> args) {
    args.insert(args.begin(), "program");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return ResolveAppFolder(static_cast<int>(args.size()), argv.data());
}

}  // namespace

TEST(AppFolder, TheExecutableSitsOneFolderBelowTheApplicationFolder) {
    const std::string exeFolder = ExecutableFolder();
    ASSERT_TRUE(IsFolder(exeFolder)) << exeFolder;
    EXPECT_NE(exeFolder.back(), '/');
    const AppFolderChoice choice = Resolve({"--port", "SIM"});
    EXPECT_EQ(choice.appFolder, ParentFolder(exeFolder));
    EXPECT_EQ(choice.rest, (std::vector<std::string>{"--port", "SIM"}));
}

TEST(AppFolder, TheCommandLineOptionWinsAndIsRemoved) {
    const std::string byRule = ParentFolder(ExecutableFolder());
    const struct { std::vector<std::string> args; std::string folder; std::vector<std::string> rest; } cases[] = {
        {{"--app-folder", "/srv/bench", "run"}, "/srv/bench", {"run"}},
        {{"run", "--app-folder=/srv/bench/"}, "/srv/bench", {"run"}},
        {{"--app-folder=/a", "x", "--app-folder", "/b"}, "/b", {"x"}},  // the last one wins
        {{"--app-folder=/a", "--app-folder="}, "/a", {}},              // an empty value is dropped
        {{"x", "--app-folder"}, byRule, {"x"}},                         // no value: the rule applies
        {{"--app-folder", "", "y"}, byRule, {"y"}},
        {{"--app-folderX", "z"}, byRule, {"--app-folderX", "z"}},
    };
    for (const auto& c : cases) {
        const AppFolderChoice choice = Resolve(c.args);
        EXPECT_EQ(choice.appFolder, c.folder);
        EXPECT_EQ(choice.rest, c.rest);
    }
    EXPECT_EQ(ResolveAppFolder(0, nullptr).appFolder, byRule);
}
