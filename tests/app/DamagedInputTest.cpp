// Files from elsewhere, damaged: for each load a user starts (configuration, map file, view
// file, firmware image) one table of the same damages: empty, cut in the middle of a line,
// LF or lone CR line ends, binary garbage, 200 MB, a name with blanks and non-ASCII
// letters. Each gives its defined load or a message, and a refused file leaves what was
// loaded before exactly as it was (the image and the ECU, the samples, the view, the flash
// image).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#ifdef __linux__
#include <sys/resource.h>
#endif

#include "app/ConfigLoader.h"
#include "app/DisplayScheduler.h"
#include "app/MapPage.h"
#include "app/Workbench.h"
#include "link/Commands.h"
#include "link/FirmwareCheck.h"
#include "link/ModComm.h"
#include "model/VarFile.h"
#include "sim/SimEcu.h"
#include "support/SimPorts.h"
#include "support/TempDir.h"
#include "util/EventHost.h"
#include "util/FileIo.h"
#include "util/HexText.h"
#include "util/Numbers.h"
#include "viewer/ViewLog.h"
#include "viewer/ViewerLogic.h"

using namespace gw;

namespace {

constexpr std::uintmax_t kHugeBytes = 200u * 1024u * 1024u;

enum class Damage { Empty, CutMidLine, LfEnds, CrEnds, Garbage, GarbageInside, Huge, ForeignName };

const char* Name(Damage d) {
    switch (d) {
        case Damage::Empty: return "empty";
        case Damage::CutMidLine: return "cut in the middle of a line";
        case Damage::LfEnds: return "LF line ends";
        case Damage::CrEnds: return "lone CR line ends";
        case Damage::Garbage: return "binary garbage";
        case Damage::GarbageInside: return "binary garbage in the middle of a whole file";
        case Damage::Huge: return "200 MB";
        case Damage::ForeignName: return "name with blanks and non-ASCII letters";
    }
    return "";
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

// Writes the damaged form of a whole file's text below dir (as name, or under a name with
// blanks and non-ASCII letters) and returns its path. The 200 MB file is the whole text
// followed by a hole: it takes no room and no time to make.
std::string WriteDamaged(const gwtest::TempDir& dir, const std::string& name, const std::string& whole, Damage d) {
    const std::string ext = name.substr(name.rfind('.'));
    // The middle of the line that holds the character 55 % into the text.
    std::size_t middle = whole.size() * 11 / 20;
    while (middle < whole.size() && (whole[middle] == '\r' || whole[middle] == '\n')) ++middle;
    const std::size_t lineEnd = whole.find('\r', middle);
    const std::size_t lineStart = whole.rfind('\n', middle);
    middle = lineStart + 1 + (lineEnd - lineStart - 1) / 2;
    std::mt19937 random(7);
    switch (d) {
        case Damage::Empty: return dir.Write(name, "");
        case Damage::CutMidLine: return dir.Write(name, whole.substr(0, middle));
        case Damage::GarbageInside: {
            // 16 bytes without line ends, a NUL first (inside one line where lines are long).
            std::string text = whole;
            for (std::size_t i = 0; i < 16; ++i) text[middle + i] = static_cast<char>(i == 0 ? 0 : 0x80 | random());
            return dir.Write(name, text);
        }
        case Damage::LfEnds: return dir.Write(name, Replace(whole, "\r\n", "\n"));
        case Damage::CrEnds: return dir.Write(name, Replace(whole, "\r\n", "\r"));
        case Damage::Garbage: {
            std::string bytes(4096, '\0');
            for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
            return dir.Write(name, bytes);
        }
        case Damage::Huge: {
            const std::string path = dir.Write(name, whole);
            std::filesystem::resize_file(path, kHugeBytes);
            return path;
        }
        case Damage::ForeignName: return dir.Write("Prova \xC5\xBD \xC3\xB6" + ext, whole);
    }
    return {};
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A workbench connected to the simulated ECU, with the display scheduler, in an application
// folder whose name has blanks and non-ASCII letters.
struct Rig {
    gwtest::TempDir root;
    std::string app = root.Path() + "/Banco \xC5\xBD \xC3\xB6";
    VirtualHost host{0};
    std::shared_ptr<SimEcu> ecu = std::make_shared<SimEcu>();
    gwtest::SimOnlyPorts ports{host, ecu};
    std::unique_ptr<Workbench> wb;
    std::unique_ptr<DisplayScheduler> sched;

    Rig() {
        const std::string src = GW_SOURCE_DIR;
        for (const char* f : {"BIN/Flash.ini", "BIN/Norvik512.frh", "LNG/ConfigScale.ini"})
            root.Write("Banco \xC5\xBD \xC3\xB6/" + std::string(f), ReadWholeFile(src + "/data/" + f).value_or(""));
        root.Write("Banco \xC5\xBD \xC3\xB6/BIN/SetCom.ini", "[SearchCom]\r\n255\r\n");
        wb = std::make_unique<Workbench>(host, ports, app);
        sched = std::make_unique<DisplayScheduler>(*wb, *wb->Image, *wb->Check);
        sched->Attach();
        wb->Main();
        wb->UseCommandLinePort(CommandLinePort{true, false, 0});
    }
    bool Ready() {
        const double end = host.MicroClock() + 30'000'000;
        while (host.MicroClock() < end && !(wb->RequestsEnabled && !sched->RefreshPending)) host.Advance(1000);
        return wb->RequestsEnabled && wb->Image->CorTableKnown;
    }
};

}  // namespace

// A configuration that is not whole is refused before the fuel is switched or anything is
// read or written; other line ends and a foreign name load as usual.
TEST(DamagedInput, ConfigurationFiles) {
    Rig rig;
    ASSERT_TRUE(rig.Ready());
    ParameterImage& image = *rig.wb->Image;
    const int ownTemp = image.Block3.SwtchTemp;
    image.Block3.SwtchTemp = ownTemp + 7;  // the file's value
    std::string error;
    const std::string saved = rig.root.File("whole.var");
    ASSERT_TRUE(SaveVarFile(image, saved, "Bench", "10/12/2026", &error)) << error;
    image.Block3.SwtchTemp = ownTemp;
    const std::string whole = ReadWholeFile(saved).value_or("");
    ASSERT_EQ(CheckVarFileText(whole), VarFileProblem::None);

    rig.wb->DisplayBusy = true;  // the test makes the display timer's calls itself
    ConfigLoader& loader = rig.sched->Loader();
    std::string loadedPath;
    Connection loaded = loader.Loaded.Connect([&](const std::string& p) { loadedPath = p; });
    struct Case {
        Damage damage;
        const char* message;  // empty: loaded
    } cases[] = {
        {Damage::Empty, "damaged or incomplete"},  {Damage::CutMidLine, "damaged or incomplete"},
        {Damage::Garbage, "damaged or incomplete"}, {Damage::GarbageInside, "damaged or incomplete"},
        {Damage::Huge, "too large"},                {Damage::LfEnds, ""},                       {Damage::CrEnds, ""},
        {Damage::ForeignName, ""},
    };
    const SimMemory& mem = rig.ecu->Memory();
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.damage));
        const std::string path = WriteDamaged(rig.root, "Prova.var", whole, c.damage);
        const Block2Record b2 = image.Block2;
        const Block3Record b3 = image.Block3;
        const Block5Record b5 = image.Block5;
        const TimeTable cor = image.CorTable, adt = image.AdtTable;
        const auto ecu2 = mem.block2, ecu3 = mem.block3, ecu5 = mem.block5;
        const auto ecuCor = mem.corTable;
        rig.ecu->Responder().ResetCounts();
        rig.host.ClearMessages();
        loadedPath.clear();

        EXPECT_TRUE(loader.LoadPending(path));  // done with at once, loaded or refused
        if (*c.message) {
            ASSERT_EQ(rig.host.Messages().size(), 1u);
            EXPECT_TRUE(Contains(rig.host.Messages()[0].text, path));
            EXPECT_TRUE(Contains(rig.host.Messages()[0].text, c.message)) << rig.host.Messages()[0].text;
            EXPECT_TRUE(loadedPath.empty());
            EXPECT_EQ(rig.ecu->Responder().TotalCount(), 0);  // not even the switch to petrol
            EXPECT_EQ(image.Block2, b2);
            EXPECT_EQ(image.Block3, b3);
            EXPECT_EQ(image.Block5, b5);
            EXPECT_EQ(image.CorTable, cor);
            EXPECT_EQ(image.AdtTable, adt);
            EXPECT_EQ(mem.block2, ecu2);
            EXPECT_EQ(mem.block3, ecu3);
            EXPECT_EQ(mem.block5, ecu5);
            EXPECT_EQ(mem.corTable, ecuCor);
        } else {
            EXPECT_TRUE(rig.host.Messages().empty());
            EXPECT_EQ(loadedPath, path);
            EXPECT_EQ(image.Block3.SwtchTemp, ownTemp + 7);
            EXPECT_EQ(rig.ecu->Responder().Count(CMD_WRT_MEM3), 1);
        }
    }
    rig.wb->DisplayBusy = false;
}

// A map file: an empty file reads zeros and a short one repeats its last line; any line
// that is no number, or a file far too large, refuses the file whole.
TEST(DamagedInput, MapFiles) {
    Rig rig;
    MapPage page(*rig.wb->Image, rig.host.Locale(), rig.root.File("Map.txt"));
    MapRecord theFile;
    for (int k = 0; k < kMapUsedSlots; ++k) {
        theFile.PetrolVacuum[k] = 200 + 20 * k;
        theFile.PetrolTime[k] = QuantiseTime(2 + 0.2 * (k % 10));
        theFile.GasVacuum[k] = 220 + 20 * k;
        theFile.GasTime[k] = QuantiseTime(3 + 0.2 * (k % 7));
    }
    page.Samples = theFile;
    ASSERT_TRUE(page.SaveMapFile(rig.root.File("whole.map")));
    const std::string whole = ReadWholeFile(rig.root.File("whole.map")).value_or("");
    MapRecord shown;  // what the page shows before each load
    shown.PetrolVacuum.fill(1000);
    shown.GasTime.fill(9);
    shown.PetrolVacuum[60] = 0;
    shown.GasTime[60] = 0;

    enum class Outcome { Loaded, Zeros, Refused };
    struct Case {
        Damage damage;
        Outcome outcome;
        const char* message = "";
    } cases[] = {
        {Damage::Empty, Outcome::Zeros},
        {Damage::CutMidLine, Outcome::Loaded},
        {Damage::LfEnds, Outcome::Loaded},
        {Damage::CrEnds, Outcome::Loaded},
        {Damage::Garbage, Outcome::Refused, "line 1 "},
        {Damage::GarbageInside, Outcome::Refused, "is not a number"},
        {Damage::Huge, Outcome::Refused, "too large"},
        {Damage::ForeignName, Outcome::Loaded},
    };
    page.texts.badLine = "line %1 is not a number";
    page.texts.tooLarge = "%1 is too large";
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.damage));
        const std::string path = WriteDamaged(rig.root, "Prova.map", whole, c.damage);
        page.Samples = shown;
        const Warnings w = page.LoadMapFile(path);
        switch (c.outcome) {
            case Outcome::Refused:
                ASSERT_EQ(w.size(), 1u);
                EXPECT_TRUE(Contains(w[0].text, c.message)) << w[0].text;
                EXPECT_EQ(page.Samples, shown);
                break;
            case Outcome::Zeros:
                EXPECT_TRUE(w.empty());
                EXPECT_EQ(page.Samples, MapRecord{});
                break;
            case Outcome::Loaded:
                EXPECT_TRUE(w.empty());
                if (c.damage == Damage::CutMidLine) {
                    // The slots before the cut are the file's; the cut line stands for the rest.
                    const std::string text = ReadWholeFile(path).value_or("");
                    const std::string last = text.substr(text.rfind('\n') + 1);
                    const double v = rig.host.Locale().Parse("0" + Trim(last)).value_or(-1);
                    EXPECT_EQ(page.Samples.PetrolVacuum[0], theFile.PetrolVacuum[0]);
                    EXPECT_EQ(page.Samples.PetrolVacuum[59], QuantiseVacuum(v));
                    EXPECT_EQ(page.Samples.GasTime[59], QuantiseTime(v));
                } else {
                    EXPECT_EQ(page.Samples, theFile);
                }
                break;
        }
    }
}

namespace {

// The viewer's host: loads at once.
struct LoadingHost : view::ViewerHost {
    view::ViewerLogic* logic = nullptr;
    std::string ChooseViewToSave(const std::string&) override { return {}; }
    void ShowBusy(const std::string&) override {}
    void LoadCurrentFile() override {
        const view::LoadRequest r = logic->Next();
        logic->Adopt(view::LoadLogWindow(r.path, r.offset, r.window, NumberLocale::Comma()));
    }
};

bool SameSamples(const std::vector<view::RawSample>& a, const std::vector<view::RawSample>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].timeMs != b[i].timeMs || a[i].data != b[i].data) return false;
    return true;
}

// A view file of n live-value answers.
std::string ViewText(int n, int firstMs) {
    std::string text = "\"1000 O  Software ver. 01.01.03 Gas ECU Workbench 10/12/2026\"\r\n\"[K_gm]\"\r\n 15000000 \r\n";
    for (int i = 0; i < n; ++i) {
        std::string data(view::kSampleDataBytes, '\0');
        data[0] = static_cast<char>(i);
        data[64] = static_cast<char>(0xE8);  // a period of 1000
        data[65] = 0x03;
        const std::string frame = BytesToHex(ComponiMsg(0x42, 0x01, CMD_READ_MEM1, std::string(1, '\0') + data));
        text += "\"" + std::to_string(firstMs + 100 * i) + " R " + frame + "\"\r\n";
    }
    return text;
}

}  // namespace

// A view file: the log's own rules where it has them (a line cut short or damaged is
// skipped, a long file is read one window at a time); a file opened without a single
// live-value sample is said so, and the view shown stays.
TEST(DamagedInput, ViewFiles) {
    Rig rig;
    rig.host.SetLocale(NumberLocale::Comma());
    LoadingHost ui;
    view::ViewerLogic logic(*rig.wb, ui);
    ui.logic = &logic;
    const std::string shownPath = rig.root.Write("shown.vfl", ViewText(5, 50'000));
    logic.OpenView(shownPath);
    ASSERT_EQ(logic.Shown().set.samples.size(), 5u);
    const std::string whole = ViewText(40, 1000);

    struct Case {
        Damage damage;
        std::size_t samples;  // 0: refused
    } cases[] = {
        {Damage::Empty, 0},   {Damage::CutMidLine, 21},    {Damage::LfEnds, 40}, {Damage::CrEnds, 0},
        {Damage::Garbage, 0}, {Damage::GarbageInside, 39}, {Damage::Huge, 40},   {Damage::ForeignName, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.damage));
        const std::string path = WriteDamaged(rig.root, "Prova.vfl", whole, c.damage);
        logic.OpenView(shownPath);
        const std::vector<view::RawSample> before = logic.Shown().set.samples;
        const std::string caption = logic.Caption();
        rig.host.ClearMessages();
        logic.OpenView(path);
        if (c.samples == 0) {
            ASSERT_EQ(rig.host.Messages().size(), 1u);
            EXPECT_TRUE(Contains(rig.host.Messages()[0].text, "No live-value samples"));
            EXPECT_TRUE(Contains(rig.host.Messages()[0].text, path));
            EXPECT_EQ(logic.CurrentFile(), shownPath);
            EXPECT_EQ(logic.Caption(), caption);
            EXPECT_TRUE(SameSamples(logic.Shown().set.samples, before));
        } else {
            EXPECT_TRUE(rig.host.Messages().empty());
            EXPECT_EQ(logic.CurrentFile(), path);
            EXPECT_EQ(logic.Shown().set.samples.size(), c.samples);
            EXPECT_EQ(logic.Shown().fileSize, c.damage == Damage::Huge ? kHugeBytes : std::filesystem::file_size(path));
        }
    }
    // The 200 MB file read whole: its samples, the hole read past without being kept.
    const std::string huge = WriteDamaged(rig.root, "Prova.vfl", whole, Damage::Huge);
#ifdef __linux__
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
#endif
    logic.SetWholeFile(true);
    logic.OpenView(huge);
    EXPECT_EQ(logic.Shown().set.samples.size(), 40u);
#ifdef __linux__
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kB more at the peak";
#endif
}

// The firmware image: one that is not whole (no records, a record cut short or damaged, no
// closing address, unreadable) is refused with a message and the program ends, as for a
// missing one; the image and identity held before stay. LF line ends read as CR LF do. The
// image's own name is fixed: the application folder's name has the blanks and non-ASCII
// letters.
TEST(DamagedInput, FirmwareImage) {
    Rig rig;
    ASSERT_TRUE(rig.Ready());
    FirmwareCheck& check = *rig.wb->Check;
    const std::string imagePath = check.ImagePath();
    const std::string whole = ReadWholeFile(imagePath).value_or("");
    ASSERT_FALSE(whole.empty());
    const std::vector<std::uint8_t> flash = check.Image.TableFlash;
    const std::string identity = check.FirmwareFle;
    ASSERT_FALSE(identity.empty());

    struct Case {
        Damage damage;
        FirmwareVerdict verdict;
    } cases[] = {
        {Damage::Empty, FirmwareVerdict::ImageDamaged},   {Damage::CutMidLine, FirmwareVerdict::ImageDamaged},
        {Damage::LfEnds, FirmwareVerdict::Accepted},      {Damage::CrEnds, FirmwareVerdict::ImageDamaged},
        {Damage::Garbage, FirmwareVerdict::ImageDamaged}, {Damage::GarbageInside, FirmwareVerdict::ImageDamaged},
        {Damage::Huge, FirmwareVerdict::ImageDamaged},
    };
    gwtest::TempDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.damage));
        const std::string made = WriteDamaged(scratch, "Norvik512.frh", whole, c.damage);
        std::filesystem::remove(imagePath);
        std::filesystem::copy_file(made, imagePath);
        if (c.damage == Damage::Huge) std::filesystem::resize_file(imagePath, kHugeBytes);
        ASSERT_EQ(rig.wb->Comm->ComState, kComIdle);
        rig.host.ClearMessages();
        bool requestsEnabled = false, updateRequested = false, exitRequested = false;
        const FirmwareVerdict v = check.VerificaFirmware(
            FirmwareFlags{requestsEnabled, updateRequested, exitRequested}, rig.wb->IdentityTexts());
        EXPECT_EQ(v, c.verdict);
        EXPECT_EQ(check.Image.TableFlash, flash);
        EXPECT_EQ(check.FirmwareFle, identity);
        if (c.verdict == FirmwareVerdict::ImageDamaged) {
            ASSERT_EQ(rig.host.Messages().size(), 1u);
            EXPECT_TRUE(Contains(rig.host.Messages()[0].text, imagePath));
            EXPECT_TRUE(Contains(rig.host.Messages()[0].text, "damaged or incomplete"));
            EXPECT_TRUE(exitRequested);
        } else {
            EXPECT_TRUE(rig.host.Messages().empty());
            EXPECT_FALSE(exitRequested);
        }
    }
}
