// Saves killed at random moments: each of the program's large files (configuration, map
// file, view file, dictionary, link settings) is saved by a child process over an existing
// old file, again and again, until the child is killed. Whenever the kill lands, the file is
// the old one or the new one byte for byte, a leftover temporary is hidden and named so that
// no listing takes it, and the next save removes it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/MapPage.h"
#include "lang/ClsLingue.h"
#include "link/ClsComm.h"
#include "model/ParameterImage.h"
#include "model/ScaleConfig.h"
#include "model/VarFile.h"
#include "sim/SimEcu.h"
#include "support/SimPorts.h"
#include "support/TempDir.h"
#include "util/EventHost.h"
#include "util/FileIo.h"
#include "viewer/ViewLog.h"

namespace {

namespace fs = std::filesystem;
using gwtest::TempDir;

constexpr int kKillsPerSaver = 20;
constexpr unsigned kFirstSeed = 1000;

// What lies in the folder besides the target: the names of leftover temporaries, and
// anything else (which must not be there).
struct FolderContents {
    int temporaries = 0;
    std::vector<std::string> strangers;
};

FolderContents Look(const std::string& folder, const std::string& target, const std::vector<std::string>& others) {
    FolderContents out;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name == target || std::find(others.begin(), others.end(), name) != others.end()) continue;
        // Hidden, and ending in neither the target's extension nor any other a dialog offers.
        if (gw::IsSaveTemporary(name) && name[0] == '.' && name.rfind("." + target + ".", 0) == 0)
            ++out.temporaries;
        else
            out.strangers.push_back(name);
    }
    return out;
}

// One of the program's savers: save(0) writes the old content, save(1) the new one, each
// through the program's own save function.
struct Saver {
    std::string folder;
    std::string file;  // name within the folder
    std::function<bool(int)> save;
    std::vector<std::string> others = {};  // files of the folder that are not the saver's
};

// The old and the new content as the saver writes them, then the old one in place; how long
// one save of the new content takes here.
void Prepare(const Saver& s, std::string& oldBytes, std::string& newBytes, double& saveUs) {
    const std::string path = s.folder + "/" + s.file;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(s.save(1));
    saveUs = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    newBytes = gw::ReadWholeFile(path).value_or("");
    ASSERT_TRUE(s.save(0));
    oldBytes = gw::ReadWholeFile(path).value_or("");
    ASSERT_NE(oldBytes, newBytes);
    ASSERT_FALSE(newBytes.empty());
}

// Kills a child that saves the new content and then keeps alternating old and new; checks
// the file and the folder, then saves once more in this process, as the next start would.
// The kill comes after the child has begun its first save, later by a fraction of one
// save's time drawn from the seed (0 to 3 saves): the kills fall before, during and
// between writes on a fast machine and a slow one alike, and the checks hold for any
// moment.
void KillDuringSaves(const Saver& s) {
    std::string oldBytes, newBytes;
    double saveUs = 0;
    ASSERT_NO_FATAL_FAILURE(Prepare(s, oldBytes, newBytes, saveUs));
    const std::string path = s.folder + "/" + s.file;
    int sawOld = 0, sawNew = 0, leftovers = 0;
    for (unsigned seed = kFirstSeed; seed < kFirstSeed + kKillsPerSaver; ++seed) {
        SCOPED_TRACE(s.file + ", seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const double fraction = std::uniform_real_distribution<double>(0, 3)(random);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            const char go = 1;
            if (::write(ready[1], &go, 1) != 1) ::_exit(1);
            for (int i = 0; i < 100000; ++i) s.save(i % 2 == 0 ? 1 : 0);
            ::_exit(0);
        }
        ::close(ready[1]);
        char go = 0;
        EXPECT_EQ(::read(ready[0], &go, 1), 1);
        ::close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(fraction * saveUs)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);

        const std::string now = gw::ReadWholeFile(path).value_or("<unreadable>");
        const bool isOld = now == oldBytes, isNew = now == newBytes;
        EXPECT_TRUE(isOld || isNew) << "a mix: " << now.size() << " bytes (old " << oldBytes.size() << ", new "
                                    << newBytes.size() << ")";
        sawOld += isOld;
        sawNew += isNew;
        FolderContents c = Look(s.folder, s.file, s.others);
        EXPECT_TRUE(c.strangers.empty()) << c.strangers.front();
        EXPECT_LE(c.temporaries, 1);  // one save at a time was running
        leftovers += c.temporaries;

        // The next save replaces the file and takes the leftover away.
        ASSERT_TRUE(s.save(0));
        EXPECT_EQ(gw::ReadWholeFile(path), oldBytes);
        c = Look(s.folder, s.file, s.others);
        EXPECT_EQ(c.temporaries, 0);
        EXPECT_TRUE(c.strangers.empty());
    }
    // How the kills landed depends on the machine; it is shown, not checked.
    std::printf("%s: %d kills, old %d, new %d, temporaries left %d (one save %.0f us)\n", s.file.c_str(),
                kKillsPerSaver, sawOld, sawNew, leftovers, saveUs);
}

// Text of about `bytes` characters, different for each variant.
std::string Filler(std::size_t bytes, int variant) {
    std::string s;
    s.reserve(bytes);
    while (s.size() < bytes) s += (variant ? "new-" : "old-") + std::to_string(s.size() % 9973);
    return s;
}

// A link and a parameter image on a simulated ECU, nothing sent.
struct ImageRig {
    TempDir dir;
    gw::VirtualHost host;
    std::shared_ptr<gw::SimEcu> ecu = std::make_shared<gw::SimEcu>();
    gwtest::SimOnlyPorts ports{host, ecu};
    gw::ClsComm comm{host, ports, dir.Path()};
    gw::ScaleConfig scale;
    gw::ParameterImage image{scale, comm};
};

// What a crash or another user may have left beside a file: a link under the name earlier
// versions used for the temporary, temporaries of killed saves, and one a live save of
// another process still holds. The save writes through no link, removes what the dead
// left and leaves the live one alone.
TEST(KillSafeSave, LeftoversBesideTheFile) {
    TempDir dir;
    const std::string victim = dir.Write("victim.txt", "not to be touched");
    const std::string path = dir.Write("Prova.var", "old");
    ASSERT_EQ(::symlink(victim.c_str(), dir.File("Prova.var.tmp~").c_str()), 0);
    ASSERT_EQ(::symlink(victim.c_str(), dir.File(".Prova.var.1-0.tmp~").c_str()), 0);
    dir.Write(".Prova.var.2-0.tmp~", "a killed save's half");
    dir.Write(".Other.var.3-0.tmp~", "another file's");

    // A save in progress in another process: its temporary is locked.
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const std::string live = dir.File(".Prova.var.4-0.tmp~");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(live.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        const bool locked = fd >= 0 && ::flock(fd, LOCK_EX) == 0;
        const char go = locked ? 1 : 0;
        char end = 0;
        if (::write(ready[1], &go, 1) != 1 || ::read(done[0], &end, 1) != 1) ::_exit(1);
        ::_exit(0);
    }
    char go = 0;
    ASSERT_EQ(::read(ready[0], &go, 1), 1);
    ASSERT_EQ(go, 1);

    std::string error;
    EXPECT_TRUE(gw::SaveFileAtomic(path, "new", &error)) << error;
    EXPECT_EQ(dir.Read("Prova.var"), "new");
    EXPECT_EQ(dir.Read("victim.txt"), "not to be touched");
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.File("Prova.var.tmp~"))));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.File(".Prova.var.1-0.tmp~"))));
    EXPECT_FALSE(dir.Exists(".Prova.var.2-0.tmp~"));
    EXPECT_TRUE(dir.Exists(".Other.var.3-0.tmp~"));  // not this file's
    EXPECT_TRUE(dir.Exists(".Prova.var.4-0.tmp~"));  // still being written

    const char end = 1;
    EXPECT_EQ(::write(done[1], &end, 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
    // Its writer has gone: the next save takes it away.
    EXPECT_TRUE(gw::SaveFileAtomic(path, "newer", &error)) << error;
    EXPECT_FALSE(dir.Exists(".Prova.var.4-0.tmp~"));
    EXPECT_EQ(Look(dir.Path(), "Prova.var", {"victim.txt"}).strangers, std::vector<std::string>{".Other.var.3-0.tmp~"});
}

TEST(KillSafeSave, ConfigurationFile) {
    ImageRig rig;
    rig.image.CorTableKnown = true;
    const std::string path = rig.dir.File("Prova.var");
    // The information line carries the title: a long one makes the file large.
    const std::string titles[2] = {Filler(800'000, 0), Filler(1'000'000, 1)};
    KillDuringSaves({rig.dir.Path(), "Prova.var", [&](int v) {
                         rig.image.Block3.Cylinders = v ? 6 : 4;
                         rig.image.CorTable.fill(v ? 1.5 : 0.25);
                         return gw::SaveVarFile(rig.image, path, titles[v], "10/12/2026 10:00:00");
                     }});
}

TEST(KillSafeSave, MapFile) {
    ImageRig rig;
    gw::MapPage page(rig.image, rig.host.Locale(), rig.dir.File("dump/Map.txt"));
    const std::string path = rig.dir.File("Auto.map");
    KillDuringSaves({rig.dir.Path(), "Auto.map", [&](int v) {
                         page.Samples.Clear();
                         for (int k = 0; k < gw::kMapUsedSlots; ++k) {
                             page.Samples.PetrolVacuum[k] = v ? 400 + 20 * k : 1000;
                             page.Samples.GasTime[k] = v ? 2.4 : 3.6;
                         }
                         return page.SaveMapFile(path);
                     }});
}

TEST(KillSafeSave, ViewFile) {
    TempDir logs;
    TempDir dir;
    // Two communication logs, one of them raw (compacted on saving), of a few MB each.
    std::string raw[2];
    for (int v = 0; v < 2; ++v) {
        std::string text = "\"0\" O  Software ver. 01.01.03 Workbench 10/12/2026\r\n";
        for (int i = 0; text.size() < (v ? 1'200'000u : 1'000'000u); ++i) {
            text += "\"" + std::to_string(i * 10) + "\" T 41020400" + (v ? "0C" : "0D") + "\r\n";
            text += "\"" + std::to_string(i * 10 + 5) + "\" R " + std::string(180, v ? 'A' : 'B') + "\r\n";
        }
        raw[v] = logs.Write("RxTx" + std::to_string(v) + ".TXT", text);
    }
    const std::string path = dir.File("Giro prova.vfl");
    KillDuringSaves({dir.Path(), "Giro prova.vfl", [&](int v) { return gw::view::SaveView(raw[v], path); }});
}

TEST(KillSafeSave, Dictionary) {
    TempDir dir;
    const std::string path = dir.Write("M3.diz", "###\r\n#English\r\nTitle\r\n");
    dir.Write("M3.con", "0\r\n");
    gw::ClsLingue lingue;
    lingue.SetPathDizionario(path);
    lingue.SetPathAttualeLingua(dir.File("M3.con"));
    ASSERT_TRUE(lingue.LoadDizionario());
    KillDuringSaves({dir.Path(), "M3.diz", [&](int v) {
                         for (int e = 0; e < 10000; ++e)
                             lingue.SetVoceDizionario(0, e, (v ? "Entry " : "Voce ") + std::to_string(e * 7919) +
                                                                std::string(v ? 90 : 60, 'x'));
                         return static_cast<bool>(lingue.SaveDizionario());
                     },
                     {"M3.con"}});
    // The current-language file beside it was not touched.
    EXPECT_EQ(dir.Read("M3.con"), "0\r\n");
}

TEST(KillSafeSave, LinkSettings) {
    ImageRig rig;
    KillDuringSaves({rig.dir.File("BIN"), "SetCom.ini", [&](int v) {
                         rig.comm.Titolo = v ? "Officina nuova" : "Default Setting";
                         rig.comm.NumReSend = v ? 5 : 3;
                         return rig.comm.WriteSetCom("\\BIN\\SetCom.ini");
                     }});
}

}  // namespace
