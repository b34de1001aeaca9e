// gas-workbench: the workbench's window program. Start-up in its fixed order (application
// folder, scale constants, dictionary, link settings, calibration parameters, the main
// window, its timers), then the window's events and timers run everything.
//
//   gas-workbench [--app-folder DIR] [--simulate]
//
// --simulate starts on the built-in simulated ECU. Hidden options for pictures of the
// window: --page NAME|TAB selects a page at start, --screenshot FILE saves the window after
// --after SECONDS (default 4) and closes it the ordinary way, --about opens the information
// window before the picture; --sim-old-firmware gives the simulated ECU an older firmware
// (the upgrade window opens), --sim-key-off turns its ignition off, --upgrade-next presses
// "Next" in the upgrade window until the upgrade runs; --side injector|level|expert|
// expert-full|errors opens that side window and pictures it alone (expert-full past the
// second password), --sim-errors gives the simulated ECU two errors, --min-size shows the
// main window at its minimum size.
#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/AppFolder.h"
#include "app/Workbench.h"
#include "link/ports/SystemPortProvider.h"
#include "sim/SimulatedEcuPort.h"
#include "ui/FrmErrEcu.h"
#include "ui/FrmInjSet.h"
#include "ui/FrmKD452.h"
#include "ui/FrmLevelSetting.h"
#include "ui/FrmSetExpert.h"
#include "ui/FrmStartUp.h"
#include "ui/FrmUpdate.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "ui/SideWindows.h"
#include "ui/WorkbenchUi.h"

using namespace gw;

namespace {

int PageTab(const std::string& p) {
    const char* names[5] = {"calibration", "modeling", "map", "general", "configuration"};
    for (int i = 0; i < 5; ++i)
        if (p == names[i]) return i;
    if (p.size() == 1 && p[0] >= '0' && p[0] <= '4') return p[0] - '0';
    return -1;
}

void Usage() {
    std::puts("usage: gas-workbench [--app-folder DIR] [--simulate]\n"
              "\n"
              "  --app-folder DIR  the folder holding BIN/ and LNG/ (default: one above the program's)\n"
              "  --simulate        talk to the built-in simulated ECU");
}

// The picture: the main window, or the part of the screen under it when a modal window
// (information, upgrade) is open over it.
QPixmap Picture(QWidget* window) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) modal = QApplication::activeWindow() != window ? QApplication::activeWindow() : nullptr;
    if (!modal) return window->grab();
    QScreen* screen = window->screen();
    const QRect r = window->frameGeometry().united(modal->frameGeometry());
    QPixmap shot = screen ? screen->grabWindow(0, r.x(), r.y(), r.width(), r.height()) : QPixmap();
    return shot.isNull() ? modal->grab() : shot;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("gas-workbench");
    QCoreApplication::setApplicationName("gas-workbench");
    AppFolderChoice choice = ResolveAppFolder(argc, argv);
    bool simulate = false, about = false, upgradeNext = false, simErrors = false, minSize = false;
    std::string side;
    int page = -1;
    std::string screenshot;
    double after = 4.0;
    SimEcuOptions simOptions;
    const auto& args = choice.rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else if (a == "--simulate") {
            simulate = true;
        } else if (a == "--page" && i + 1 < args.size()) {
            page = PageTab(args[++i]);
        } else if (a == "--screenshot" && i + 1 < args.size()) {
            screenshot = args[++i];
        } else if (a == "--after" && i + 1 < args.size()) {
            after = std::atof(args[++i].c_str());
        } else if (a == "--about") {
            about = true;
        } else if (a == "--sim-old-firmware") {
            simOptions.identity = SimIdentity::OldFirmware();
        } else if (a == "--sim-key-off") {
            simOptions.scenario = SimScenario::KeyOff;
        } else if (a == "--side" && i + 1 < args.size()) {
            side = args[++i];
        } else if (a == "--min-size") {
            minSize = true;
        } else if (a == "--sim-errors") {
            simErrors = true;
        } else if (a == "--upgrade-next") {
            upgradeNext = true;
        } else if (a.rfind("-", 0) == 0 && a.rfind("-platform", 0) != 0) {
            std::fprintf(stderr, "unknown argument: %s\n\n", a.c_str());
            Usage();
            return 2;
        }
    }

    QtHost host;
    auto ecu = std::make_shared<SimEcu>(simOptions);
    if (simErrors) {
        ecu->Errors().Add(1, 1, 0);
        ecu->Errors().AddIntermittent(10, 2, 0, 2e6, 1e9, 1);
    }
    SystemPortProvider ports(choice.appFolder, "/sys",
                             [&host, ecu] { return std::make_unique<SimulatedEcuPort>(host, ecu); });
    Workbench wb(host, ports, choice.appFolder);
    std::unique_ptr<FrmKD452> window;
    std::unique_ptr<WorkbenchUi> ui;
    wb.Main([&] {
        wb.UseCommandLinePort(CommandLinePort{simulate, false, 0});
        window = std::make_unique<FrmKD452>(wb, host);
        ui = std::make_unique<WorkbenchUi>(wb, host, *window);
        AttachSideWindows(*window, *ui, wb);
        if (page >= 0) window->SstMain()->setCurrentIndex(page);
        window->show();
        if (minSize) window->resize(window->minimumSize());
        // The first layout and paint before the timers start: a long first paint inside the
        // byte-by-byte sending of the first request would stretch it past the ECU's gap limit.
        QCoreApplication::processEvents();
    });

    if (upgradeNext)
        ui->onUpgradeWindowShown = [&host, &wb](FrmUpdate& w) {
            // Next until the wizard has run the upgrade; at first it may wait for the engine.
            for (int tries = 0; tries < 60 && !w.Logic().closed && w.CmdUpdate->isVisible(); ++tries) {
                const int before = w.Logic().step;
                w.CmdUpdate->click();
                if (w.Logic().step != before || before != FirmwareUpgrade::kWaitingFirstNext) continue;
                host.RunEventsUntil(host.MicroClock() + 1'000'000);
            }
            if (w.Logic().step == FirmwareUpgrade::kFinished && w.CmdEsc->isVisible()) w.CmdEsc->click();
            // A picture taken meanwhile asked for the end; the identity check answers the
            // window's closing after this returns, so the request is made again after it.
            if (wb.ExitRequested) QTimer::singleShot(200, [&wb] { wb.ExitRequested = true; });
        };
    if (about)
        QTimer::singleShot(static_cast<int>(after * 500), window.get(), [&] {
            if (auto* a = window->findChild<QAction*>("MnuInfoAbout")) a->trigger();
        });
    QWidget* sideShown = nullptr;
    if (!side.empty())
        QTimer::singleShot(static_cast<int>(after * 600), window.get(), [&] {
            SideWindows* sw = SideWindowsOf(*window);
            if (!sw) return;
            if (side == "injector") {
                sw->OpenInjSet();
                sideShown = sw->InjSet();
            } else if (side == "level") {
                sw->LevelSetting()->Open();
                sideShown = sw->LevelSetting();
            } else if (side == "expert" || side == "expert-full") {
                sw->OpenExpert();
                if (side == "expert-full") {
                    sw->SetExpert()->Logic().PasswordEnter(wb.Image->Scale().PassWord01);
                    sw->SetExpert()->Sync();
                }
                sideShown = sw->SetExpert();
            } else if (side == "errors") {
                sw->ErrEcu()->Open();
                sideShown = sw->ErrEcu();
            }
        });
    if (!screenshot.empty()) {
        QTimer::singleShot(static_cast<int>(after * 1000), window.get(), [&] {
            const QPixmap picture = sideShown ? sideShown->grab() : Picture(window.get());
            if (!picture.save(ToQ(screenshot)))
                std::fprintf(stderr, "could not save %s\n", screenshot.c_str());
            // Closes through the ordinary unload, after any modal window has been closed.
            if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                if (auto* up = dynamic_cast<FrmUpdate*>(w)) {
                    if (up->CmdEsc->isVisible()) up->CmdEsc->click();
                    if (up->CmdEsc->isVisible()) up->CmdEsc->click();
                } else {
                    w->reject();
                }
            }
            wb.ExitRequested = true;
        });
    }
    return app.exec();
}
