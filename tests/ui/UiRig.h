// Shared by the window tests: a dictionary in the main window's layout, small file
// helpers, and a workbench with its window on the simulated ECU in a temporary folder
// (optionally with the core bound to it and the shipped BIN and LNG files).
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/Workbench.h"
#include "link/ports/SystemPortProvider.h"
#include "sim/SimulatedEcuPort.h"
#include "ui/FrmKD452.h"
#include "ui/QtHost.h"
#include "ui/WorkbenchUi.h"

namespace uitest {

// A dictionary with the main window's layout: entries 0-71, three error texts, the
// terminator and the captions after it, "[FrmInit]" and "[Frm_About]" blocks.
inline std::string Language(const std::string& name, const std::string& tag, int extra = 0) {
    std::vector<std::string> e(72);
    for (int i = 0; i < 72; ++i) e[static_cast<size_t>(i)] = tag + " entry " + std::to_string(i);
    e[0] = tag + " Bench";
    e[8] = tag + " General";
    e[9] = tag + " Configuration";
    e[16] = tag + " RPM";
    for (int i = 0; i < 3; ++i) e.push_back(tag + " error " + std::to_string(i));
    e.push_back("[END_ERROR_ECU]");
    for (int k = 1; k <= 61; ++k) e.push_back(tag + " T+" + std::to_string(k));
    e.push_back("[FrmInit]");
    e.push_back(tag + " reading");
    for (int k = 0; k < extra; ++k) e.push_back("x");
    std::string out = "###\r\n#" + name + "\r\n";
    for (const auto& s : e) out += s + "\r\n";
    return out;
}

inline void WriteFile(const QString& path, const std::string& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

inline std::string ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
}

// How a rig is set up: the simulated ECU's options, and whether the core (display
// scheduler, page logic, identity check) runs with the shipped BIN and LNG files.
struct RigOptions {
    gw::SimEcuOptions ecu;
    bool core = false;
};

// One workbench with its window on the simulated ECU, in a temporary application folder.
struct Rig {
    QTemporaryDir dir;
    gw::QtHost host;
    std::shared_ptr<gw::SimEcu> ecu;
    std::unique_ptr<gw::SystemPortProvider> ports;
    std::unique_ptr<gw::Workbench> wb;
    std::unique_ptr<gw::FrmKD452> win;
    std::unique_ptr<gw::WorkbenchUi> ui;

    explicit Rig(const std::string& dictionary = {}, const std::string& current = "0\r\n",
                 const RigOptions& options = {})
        : ecu(std::make_shared<gw::SimEcu>(options.ecu)) {
        using namespace gw;
        host.SetScripted(true);
        QDir(dir.path()).mkpath("BIN");
        QDir(dir.path()).mkpath("LNG");
        if (options.core)
            for (const char* f : {"BIN/Flash.ini", "BIN/Norvik512.frh", "LNG/ConfigScale.ini", "LNG/Default.Xar"})
                QFile::copy(QString(GW_APP_DIR) + "/" + f, Path(f));
        // No real serial line is touched: every COM port points at a missing device.
        std::string map;
        for (int n = 1; n <= 9; ++n) map += "[COM" + std::to_string(n) + "]\r\n" + Folder() + "/none\r\n";
        WriteFile(Path("BIN/ComPorts.ini"), map);
        if (!dictionary.empty()) {
            WriteFile(Path("LNG/M3.diz"), dictionary);
            WriteFile(Path("LNG/M3.con"), current);
        }
        ports = std::make_unique<SystemPortProvider>(
            Folder(), Folder() + "/sys", [this] { return std::make_unique<SimulatedEcuPort>(host, ecu); },
            Folder() + "/dev");
        wb = std::make_unique<Workbench>(host, *ports, Folder());
        wb->Main([this, &options] {
            wb->Comm->FlagRicercaCom = 255;
            wb->Comm->Simulated = true;
            win = std::make_unique<FrmKD452>(*wb, host);
            if (options.core) ui = std::make_unique<WorkbenchUi>(*wb, host, *win);
            win->show();
        });
    }
    ~Rig() {
        if (!win->Unloaded()) {
            win->close();
            if (!QTest::qWaitFor([this] { return win->Unloaded(); }, 3000)) wb->Shutdown();
        }
        ui.reset();
    }
    std::string Folder() const { return dir.path().toStdString(); }
    QString Path(const char* rel) const { return dir.path() + "/" + rel; }
};

// A rig whose core (scheduler, page logic, identity check) runs on the shipped files.
inline RigOptions Core() {
    RigOptions o;
    o.core = true;
    return o;
}

// The ECU accepted and its blocks read: the pages show what the ECU holds.
inline bool Connected(Rig& rig) {
    return QTest::qWaitFor(
        [&] { return rig.wb->RequestsEnabled && !rig.ui->Scheduler().RefreshPending; }, 20000);
}

}  // namespace uitest
