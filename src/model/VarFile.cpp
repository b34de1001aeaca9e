#include "model/VarFile.h"

#include <filesystem>
#include <optional>
#include <vector>

#include "link/ClsComm.h"
#include "model/CorrectionTables.h"
#include "model/EcuRequests.h"
#include "util/FileIo.h"
#include "util/Numbers.h"

namespace gw {

namespace {

constexpr const char* kCrLf = "\r\n";

std::vector<std::string> TrimmedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t e = text.find('\n', pos);
        if (e == std::string::npos) e = text.size();
        std::string line = text.substr(pos, e - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trim(line);
        if (!line.empty()) lines.push_back(std::move(line));
        pos = e + 1;
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

bool LoadVarFile(ParameterImage& image, const std::string& path) {
    ClsComm& comm = image.Comm();
    const std::optional<std::string> text = ReadWholeFile(path, kMaxVarFileBytes);
    if (!text) return false;

    const Snapshot saved{image.Block2, image.Block3, image.Block5, image.CorTable, image.AdtTable, image.K_Rpm};
    const bool isDefault = IsDefaultConfiguration(path, comm.AppFolder());
    const NumberLocale& locale = comm.host().Locale();

    TimeTable* table = nullptr;  // the table section being read
    std::size_t entry = 0;
    for (const std::string& line : TrimmedLines(*text)) {
        if (table) {
            // A table section ends after 192 entries or at the next section or block line.
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
    // The backups hold the image as it was before the load.
    image.Block2Backup = saved.b2;
    image.Block3Backup = saved.b3;
    image.Block5Backup = saved.b5;
    image.Block2.Mode = saved.b2.Mode;
    image.Block2.Mode2 = saved.b2.Mode2;
    image.Block2.SlaveState = saved.b2.SlaveState;

    if (comm.ComState == kComOffLine) return true;

    image.Block2Pending = image.Block2;
    if (!WriteBlock(image, 2, comm)) {
        image.Block2 = saved.b2;
        RestoreBlock3(image, saved);
        image.Block5 = saved.b5;
        RestoreTables(image, saved);
        return false;
    }
    image.Block3Pending = image.Block3;
    if (!WriteBlock(image, 3, comm)) {
        RestoreBlock3(image, saved);
        image.Block5 = saved.b5;
        RestoreTables(image, saved);
        return false;
    }
    if (image.EcuHasBlock5()) {
        image.Block5Pending = image.Block5;
        if (!WriteBlock(image, 5, comm)) {
            image.Block5 = saved.b5;
            RestoreTables(image, saved);
            return false;
        }
    }
    if (!WriteCorTable(comm, image.CorTable, image.Scale().K_Time_Inj_ms)) {
        RestoreTables(image, saved);
        return false;
    }
    return true;
}

bool LoadBlock5Line(ParameterImage& image, const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        image.Comm().host().MessageBox("SISTEM ERROR\r\n\r\nFile: " + path + " not found!", "SYSTEM ERROR",
                                       MsgIcon::Critical, MsgButtons::Ok);
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
