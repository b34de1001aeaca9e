// gas-workbench: the workbench's window program. Start-up in its fixed order (application
// folder, scale constants, dictionary, link settings, calibration parameters, the main
// window, its timers), then the window's events and timers run everything.
//
//   gas-workbench [--app-folder DIR] [--simulate]
//
// --simulate starts on the built-in simulated ECU. Hidden options for pictures of the
// window: --page NAME|TAB selects a page at start, --screenshot FILE saves the window after
// --after SECONDS (default 4) and closes it the ordinary way.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/AppFolder.h"
#include "app/Workbench.h"
#include "link/ports/SystemPortProvider.h"
#include "sim/SimulatedEcuPort.h"
#include "ui/FrmKD452.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"

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

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    AppFolderChoice choice = ResolveAppFolder(argc, argv);
    bool simulate = false;
    int page = -1;
    std::string screenshot;
    double after = 4.0;
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
        } else if (a.rfind("-", 0) == 0 && a.rfind("-platform", 0) != 0) {
            std::fprintf(stderr, "unknown argument: %s\n\n", a.c_str());
            Usage();
            return 2;
        }
    }

    QtHost host;
    auto ecu = std::make_shared<SimEcu>();
    SystemPortProvider ports(choice.appFolder, "/sys",
                             [&host, ecu] { return std::make_unique<SimulatedEcuPort>(host, ecu); });
    Workbench wb(host, ports, choice.appFolder);
    std::unique_ptr<FrmKD452> window;
    wb.Main([&] {
        if (simulate) {
            // The simulated ECU as chosen on the command line: no search, settings untouched.
            wb.Comm->FlagRicercaCom = 255;
            wb.Comm->Simulated = true;
            wb.Cycle->CheckConfiguredPort();
        }
        window = std::make_unique<FrmKD452>(wb, host);
        if (page >= 0) window->SstMain()->setCurrentIndex(page);
        window->show();
        // The first layout and paint before the timers start: a long first paint inside the
        // byte-by-byte sending of the first request would stretch it past the ECU's gap limit.
        QCoreApplication::processEvents();
    });

    if (!screenshot.empty()) {
        QTimer::singleShot(static_cast<int>(after * 1000), window.get(), [&] {
            const QPixmap shot = window->grab();
            if (!shot.save(ToQ(screenshot))) std::fprintf(stderr, "could not save %s\n", screenshot.c_str());
            wb.ExitRequested = true;  // closes through the ordinary unload
        });
    }
    return app.exec();
}
