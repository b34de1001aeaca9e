#include "model/VarFile.h"

#include <cctype>
#include <filesystem>
#include <optional>
#include <vector>

#include "link/ClsComm.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "model/CorrectionTables.h"
#include "model/EcuRequests.h"
#include "util/FileIo.h"
#include "util/HexText.h"
#include "util/Numbers.h"

namespace gw {

namespace {

constexpr const char* kCrLf = "\r\n";

// Lines ended by CR LF, LF or a lone CR (a file that passed through another system),
// trimmed, empty ones left out.
std::vector<std::string> TrimmedLines(const std::string& text) {
    std::string unified;
    unified.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') unified += text[i];
        else if (i + 1 >= text.size() || text[i + 1] != '\n') unified += '\n';
    }
    std::vector<std::string> lines;
    for (const std::string& l : SplitLines(unified)) {
        std::string line = Trim(l);
        if (!line.empty()) lines.push_back(std::move(line));
    }
    return lines;
}

bool IsDefaultConfiguration(const std::string& path, const std::string& appFolder) {
    const std::string def = AppPath(appFolder, "\\LNG\\Default.Xar");
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(fs::path(path), fs::path(def), ec)) return true;
    return fs::path(path).lexically_normal() == fs::path(def).lexically_normal();
}

struct Snapshot {
    Block2Record b2;
    Block3Record b3;
    Block5Record b5;
    TimeTable cor, adt;
    double kRpm;
};

void RestoreTables(ParameterImage& img, const Snapshot& s) {
    img.CorTable = s.cor;
    img.AdtTable = s.adt;
}

void RestoreBlock3(ParameterImage& img, const Snapshot& s) {
    img.Block3 = s.b3;
    img.K_Rpm = img.SpeedConstant();
}

}  // namespace

std::string VarFileText(ParameterImage& image, const std::string& appTitle, const std::string& dateTime) {
    const NumberLocale& locale = image.Comm().host().Locale();
    std::string out;
    auto line = [&out](const std::string& s) { out += s + kCrLf; };
    line("[INFO]");
    line(std::string(kVarSoftwareVersion) + " " + appTitle + ", file created " + dateTime);
    line("[BLK2]");
    std::string b2 = image.EncodeBlock2();
    if (b2.size() >= 4) b2.replace(2, 2, "00");  // Mode2 is the ECU's own
    line("B2" + b2);
    line("[BLK3]");
    std::string b3 = image.EncodeBlock3();
    for (std::size_t i = 14; i < 22 && 2 * i + 2 <= b3.size(); ++i)
        if (b3.compare(2 * i, 2, "00") != 0) b3.replace(2 * i, 2, "01");
    line("B3" + b3);
    if (image.EcuFirmwareVersion() > 132) {
        line("[BLK5]");
        line("B5" + image.EncodeBlock5());
    }
    line("[COR]");
    for (double v : image.CorTable) line(locale.Format(v));
    line("[ADT]");
    for (double v : image.AdtTable) line(locale.Format(v));
    return out;
}

bool SaveVarFile(ParameterImage& image, const std::string& path, const std::string& appTitle,
                 const std::string& dateTime, std::string* error) {
    if (!image.CorTableKnown) {
        if (error) *error = kCorTableNotReadText;
        return false;
    }
    return SaveFileAtomic(path, VarFileText(image, appTitle, dateTime), error);
}

namespace {

constexpr const char* kLoadTitle = "Configuration";
constexpr double kRestorePollUs = 100'000;

// One item of a load: a parameter block or the correction table, with what the ECU had
// (its own data, read before) and what the file gives.
struct LoadItem {
    int block;             // 2, 3, 5; 0 = the correction table
    std::string ownHex;    // the ECU's data before the load
    std::string fileHex;   // the data written from the file
    TimeTable ownTable{}, fileTable{};
    VarLoadReport::Held held = VarLoadReport::Held::Own;
};

std::string ItemName(int block) { return block == 0 ? "correction table" : "block " + std::to_string(block); }

std::uint8_t WriteCommand(int block) { return block == 2 ? CMD_WRT_MEM2 : block == 3 ? CMD_WRT_MEM3 : CMD_WRT_MEM5; }

// Reads a block's data as the ECU sends it, without decoding it into the image (the image
// keeps what the user sees until the load decides).
bool ReadOwn(ClsComm& comm, int block, std::string& hex) {
    AnswerSink* sink = comm.Sink();
    comm.SetAnswerSink(nullptr);
    const bool ok = ReadBlock(block, comm) && !comm.WDogPresente;
    comm.SetAnswerSink(sink);
    if (ok) hex = BytesToHex(DatiMsg(comm.LastAnswer));
    return ok;
}

bool WriteItem(ClsComm& comm, const LoadItem& it, bool own, double k) {
    if (it.block == 0) return WriteCorTable(comm, own ? it.ownTable : it.fileTable, k);
    return comm.SendMsgWait(RequestMsg(WriteCommand(it.block), HexToBytes(own ? it.ownHex : it.fileHex))) &&
           !comm.WDogPresente;
}

// Block 2 bytes the ECU keeps for itself (fuel, state, the running counters) are not
// compared: only the enables and flags the file sets.
bool SameBlock(int block, const std::string& a, const std::string& b) {
    if (block != 2) return a == b;
    return a.size() >= 28 && b.size() >= 28 && a.compare(22, 6, b, 22, 6) == 0;
}

bool LinkAnswers(ClsComm& comm) { return comm.ComState == kComIdle && !comm.WDogPresente && comm.IsOpen(); }

std::string Join(const std::vector<std::string>& names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += i + 1 == names.size() ? " and " : ", ";
        out += names[i];
    }
    return out;
}

std::string FailureMessage(const std::vector<LoadItem>& items) {
    std::vector<std::string> fromFile, unknown;
    for (const auto& it : items) {
        if (it.held == VarLoadReport::Held::FromFile) fromFile.push_back(ItemName(it.block));
        if (it.held == VarLoadReport::Held::Unknown) unknown.push_back(ItemName(it.block));
    }
    if (fromFile.empty() && unknown.empty())
        return "The configuration was not accepted; the ECU keeps what it had.";
    std::string m = "The configuration was written only in part.";
    if (!fromFile.empty()) m += " The ECU now holds from the file: " + Join(fromFile) + ".";
    if (!unknown.empty())
        m += " It may hold from the file (the write was not confirmed): " + Join(unknown) + ".";
    m += " Everything else is the ECU's own. Load the configuration again.";
    return m;
}

// What the ECU holds now, read before anything is written: what a failed load puts back.
// False when the ECU did not answer a read.
bool ReadEcuItems(ParameterImage& image, std::vector<LoadItem>& items) {
    ClsComm& comm = image.Comm();
    for (int block : {2, 3, 5}) {
        if (block == 5 && !image.EcuHasBlock5()) continue;
        LoadItem it;
        it.block = block;
        if (!ReadOwn(comm, block, it.ownHex)) return false;
        items.push_back(it);
    }
    LoadItem table;
    table.block = 0;
    table.ownTable = image.CorTableEcu;
    if (!ReadCorTable(comm, table.ownTable, image.Scale().K_Time_Inj_ms)) return false;
    items.push_back(table);
    return true;
}

// The file's block lines and table sections into the image. A table section ends after
// 192 entries or at the next section or block line.
void ReadFileIntoImage(ParameterImage& image, const std::string& text, bool isDefault, const NumberLocale& locale) {
    TimeTable* table = nullptr;  // the table section being read
    std::size_t entry = 0;
    for (const std::string& line : TrimmedLines(text)) {
        if (table) {
            if (entry < table->size() && line[0] != '[' && line[0] != 'B') {
                if (auto v = locale.Parse(line)) (*table)[entry] = *v;
                ++entry;
                continue;
            }
            table = nullptr;
        }
        if (line.rfind("B2", 0) == 0) {
            image.DecodeBlock2Hex(line.substr(2));
        } else if (line.rfind("B3", 0) == 0) {
            image.DecodeBlock3Hex(line.substr(2));
            if (isDefault) image.ApplyDefaultConfigurationRule();
        } else if (line.rfind("B5", 0) == 0) {
            image.DecodeBlock5Hex(line.substr(2));
        } else if (line == "[COR]") {
            table = &image.CorTable;
            entry = 0;
        } else if (line == "[ADT]") {
            table = &image.AdtTable;
            entry = 0;
        }
    }
}

// Writes the items in order; the index of the first that failed, or items.size().
std::size_t WriteItems(ParameterImage& image, std::vector<LoadItem>& items) {
    const double k = image.Scale().K_Time_Inj_ms;
    for (auto& it : items) {
        switch (it.block) {  // the file's data, as the block writes send it
            case 2: image.Block2Pending = image.Block2; it.fileHex = image.EncodeBlock2(); break;
            case 3: image.Block3Pending = image.Block3; it.fileHex = image.EncodeBlock3(); break;
            case 5: image.Block5Pending = image.Block5; it.fileHex = image.EncodeBlock5(); break;
            default: it.fileTable = image.CorTable; break;
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i].held = VarLoadReport::Held::Unknown;
        if (!WriteItem(image.Comm(), items[i], false, k)) return i;
        items[i].held = VarLoadReport::Held::FromFile;
    }
    return items.size();
}

// Read back after the writes: the ECU must hold what it acknowledged (a restart loses it).
// The items it does not hold are marked unknown and named.
std::vector<std::string> VerifyItems(ParameterImage& image, std::vector<LoadItem>& items) {
    ClsComm& comm = image.Comm();
    const double k = image.Scale().K_Time_Inj_ms;
    std::vector<std::string> lost;
    for (auto& it : items) {
        bool same = false;
        if (it.block == 0) {
            TimeTable back = it.fileTable;
            same = ReadCorTable(comm, back, k) && SameTableOnWire(back, it.fileTable, k);
        } else {
            std::string back;
            same = ReadOwn(comm, it.block, back) && SameBlock(it.block, back, it.fileHex);
        }
        if (!same) {
            it.held = VarLoadReport::Held::Unknown;
            lost.push_back(ItemName(it.block));
        }
    }
    return lost;
}

// Puts the ECU's own items back up to the failed one (its answer may be what was lost), as
// soon as the link answers, within restoreWithinUs; then the image follows the ECU: its own
// items back, the file's where it holds them.
void RestoreItems(ParameterImage& image, std::vector<LoadItem>& items, std::size_t failed, const Snapshot& saved,
                  double restoreWithinUs) {
    ClsComm& comm = image.Comm();
    Host& host = comm.host();
    const double k = image.Scale().K_Time_Inj_ms;
    const double deadline = host.MicroClock() + restoreWithinUs;
    for (std::size_t i = 0; i <= failed; ++i) {
        LoadItem& it = items[i];
        while (true) {
            if (LinkAnswers(comm) && WriteItem(comm, it, true, k)) {
                it.held = VarLoadReport::Held::Own;
                break;
            }
            if (host.MicroClock() >= deadline) break;
            host.RunEventsUntil(std::min(deadline, host.MicroClock() + kRestorePollUs));
        }
        if (it.held != VarLoadReport::Held::Own) break;
    }
    for (const auto& it : items) {
        if (it.held == VarLoadReport::Held::FromFile) continue;
        switch (it.block) {
            case 2: image.Block2 = saved.b2; break;
            case 3: RestoreBlock3(image, saved); break;
            case 5: image.Block5 = saved.b5; break;
            default: RestoreTables(image, saved); break;
        }
    }
}

}  // namespace

namespace {

bool IsHexBlockLine(const std::string& line, std::size_t blockBytes) {
    const std::size_t digits = line.size() - 2;
    if (digits % 2 != 0 || digits < 2 * blockBytes) return false;
    for (std::size_t i = 2; i < line.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(line[i]))) return false;
    return true;
}

}  // namespace

VarFileProblem CheckVarFileText(const std::string& text) {
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) return VarFileProblem::Damaged;
    }
    bool b2 = false, b3 = false;
    int cor = -1, adt = -1;  // entries of each table; -1: no such section
    int* table = nullptr;
    for (const std::string& line : TrimmedLines(text)) {
        if (table) {
            // The reader's rule: a table ends at the next section or block line.
            if (line[0] != '[' && line[0] != 'B') {
                if (*table < kTimeTableSize) ++*table;
                continue;
            }
            table = nullptr;
        }
        if (line.rfind("B2", 0) == 0) {
            if (!IsHexBlockLine(line, kBlock2Bytes)) return VarFileProblem::Damaged;
            b2 = true;
        } else if (line.rfind("B3", 0) == 0) {
            if (!IsHexBlockLine(line, kBlock3Bytes)) return VarFileProblem::Damaged;
            b3 = true;
        } else if (line.rfind("B5", 0) == 0) {
            // Either form of block 5: the short one whole, or at least the long one.
            const bool whole = IsHexBlockLine(line, kBlock5LongBytes) ||
                               (IsHexBlockLine(line, kBlock5ShortBytes) && line.size() == 2 + 2 * kBlock5ShortBytes);
            if (!whole) return VarFileProblem::Damaged;
        } else if (line == "[COR]") {
            table = &cor;
            cor = 0;
        } else if (line == "[ADT]") {
            table = &adt;
            adt = 0;
        }
    }
    return b2 && b3 && cor == kTimeTableSize && adt == kTimeTableSize ? VarFileProblem::None : VarFileProblem::Damaged;
}

VarFileProblem CheckVarFile(const std::string& path) {
    std::error_code ec;
    namespace fs = std::filesystem;
    if (path.empty() || !fs::exists(path, ec)) return VarFileProblem::Missing;
    const auto size = fs::file_size(path, ec);
    if (!ec && size > kMaxVarFileBytes) return VarFileProblem::TooLarge;
    const std::optional<std::string> text = ReadWholeFile(path, kMaxVarFileBytes);
    if (!text) return VarFileProblem::Unreadable;
    return CheckVarFileText(*text);
}

bool LoadVarFile(ParameterImage& image, const std::string& path, VarLoadReport* report, double restoreWithinUs) {
    ClsComm& comm = image.Comm();
    Host& host = comm.host();
    const std::optional<std::string> text = ReadWholeFile(path, kMaxVarFileBytes);
    if (!text) return false;
    const bool online = comm.ComState != kComOffLine;
    VarLoadReport local;
    VarLoadReport& rep = report ? *report : local;
    rep = VarLoadReport{};
    auto finish = [&](bool ok) {
        if (!report && !rep.message.empty())
            host.MessageBox(rep.message, kLoadTitle, ok ? MsgIcon::Information : MsgIcon::Critical, MsgButtons::Ok);
        return ok;
    };

    std::vector<LoadItem> items;
    if (online) {
        if (!ReadEcuItems(image, items)) {
            rep.message = "The ECU did not answer the reads; nothing was written.";
            return finish(false);
        }
        rep.readBefore = true;
    }

    const Snapshot saved{image.Block2, image.Block3, image.Block5, image.CorTable, image.AdtTable, image.K_Rpm};
    ReadFileIntoImage(image, *text, IsDefaultConfiguration(path, comm.AppFolder()), host.Locale());
    // The backups hold the image as it was before the load; the fuel state is the ECU's own.
    image.Block2Backup = saved.b2;
    image.Block3Backup = saved.b3;
    image.Block5Backup = saved.b5;
    image.Block2.Mode = saved.b2.Mode;
    image.Block2.Mode2 = saved.b2.Mode2;
    image.Block2.SlaveState = saved.b2.SlaveState;

    // The image's table is now the file's: the model follows it (off-line the file is what
    // the ECU will be given; on-line the writes below decide).
    if (!online) {
        image.AdoptCorTable(image.CorTable);
        return true;
    }

    const std::size_t failed = WriteItems(image, items);
    if (failed == items.size()) {
        const std::vector<std::string> lost = VerifyItems(image, items);
        for (const auto& it : items) rep.items.push_back({ItemName(it.block), it.held});
        if (lost.empty()) {
            rep.verified = true;
            image.AdoptCorTable(image.CorTable);
            return finish(true);
        }
        rep.message = "The configuration was written, but reading it back the ECU does not hold the file's " +
                      Join(lost) + " (the ECU may have restarted). Load the configuration again.";
        return finish(false);
    }

    RestoreItems(image, items, failed, saved, restoreWithinUs);
    for (const auto& it : items) {
        if (it.block == 0 && it.held == VarLoadReport::Held::FromFile) image.AdoptCorTable(image.CorTable);
        rep.items.push_back({ItemName(it.block), it.held});
    }
    rep.message = FailureMessage(items);
    return finish(false);
}

bool LoadBlock5Line(ParameterImage& image, const std::string& path, Warnings& warnings) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        warnings.push_back({"SISTEM ERROR\r\n\r\nFile: " + path + " not found!", "SYSTEM ERROR", MsgIcon::Critical});
        return false;
    }
    const std::optional<std::string> text = ReadWholeFile(path, kMaxVarFileBytes);
    if (!text) return false;
    const std::vector<std::string> lines = TrimmedLines(*text);
    if (lines.empty()) return false;
    image.DecodeBlock5Hex(lines.front().size() > 2 ? lines.front().substr(2) : std::string());
    return true;
}

}  // namespace gw
