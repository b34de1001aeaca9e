// gas-workbench: the workbench's window program. Start-up in its fixed order (application
// folder, scale constants, dictionary, link settings, calibration parameters, the main
// window, its timers), then the window's events and timers run everything.
//
//   gas-workbench [--app-folder DIR] [--simulate] [--screenshot-script FILE]
//
// --simulate starts on the built-in simulated ECU; --screenshot-script takes one picture
// of the window for the documentation (see ui/Screenshots.h) and closes it.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "app/AppFolder.h"
#include "app/Workbench.h"
#include "link/ports/SystemPortProvider.h"
#include "sim/SimulatedEcuPort.h"
#include "ui/FrmKD452.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"
#include "ui/SideWindows.h"
#include "ui/WorkbenchUi.h"

using namespace gw;

int main(int argc, char** argv) {
    // The help needs no screen.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("gas-workbench");
    QCoreApplication::setApplicationName("gas-workbench");
    QCommandLineParser parser;
    parser.setApplicationDescription("The gas-ECU workbench window.");
    parser.addHelpOption();
    const QCommandLineOption appFolderOption("app-folder", "The folder holding BIN/ and LNG/.", "DIR");
    const QCommandLineOption simulateOption("simulate", "Talk to the built-in simulated ECU.");
    const QCommandLineOption scriptOption("screenshot-script", "Take the picture FILE describes, then close.", "FILE");
    parser.addOptions({appFolderOption, simulateOption, scriptOption});
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parsed && parser.isSet("help")) parser.showHelp(0);
    QString error = parsed ? QString() : parser.errorText();
    if (parsed && !parser.positionalArguments().isEmpty())
        error = "Unexpected argument '" + parser.positionalArguments().first() + "'.";
    std::optional<ScreenshotScript> script;
    if (error.isEmpty() && parser.isSet(scriptOption)) {
        std::string why;
        script = ReadScreenshotScript(FromQ(parser.value(scriptOption)), &why);
        if (!script) error = "--screenshot-script: " + ToQ(why);
    }
    if (!error.isEmpty()) {
        std::fprintf(stderr, "gas-workbench: %s\n\n%s", FromQ(error).c_str(), FromQ(parser.helpText()).c_str());
        return 2;
    }

    const AppFolderChoice folder = ResolveAppFolder(argc, argv);
    if (!folder.problem.empty()) std::fprintf(stderr, "gas-workbench: %s\n", folder.problem.c_str());
    const std::string appFolder = folder.appFolder;
    QtHost host;
    auto ecu = script ? SimulatedEcuFor(*script) : std::make_shared<SimEcu>();
    SystemPortProvider ports(appFolder, "/sys", [&host, ecu] { return std::make_unique<SimulatedEcuPort>(host, ecu); });
    Workbench wb(host, ports, appFolder);
    std::unique_ptr<FrmKD452> window;
    std::unique_ptr<WorkbenchUi> ui;
    wb.Main([&] {
        wb.UseCommandLinePort(CommandLinePort{parser.isSet(simulateOption), false, 0});
        window = std::make_unique<FrmKD452>(wb, host);
        ui = std::make_unique<WorkbenchUi>(wb, host, *window);
        AttachSideWindows(*window, *ui, wb);
        if (script) StartScreenshot(*script, wb, host, *window, *ui);
        window->show();
        // The first layout and paint before the timers start: a long first paint inside the
        // byte-by-byte sending of the first request would stretch it past the ECU's gap limit.
        QCoreApplication::processEvents();
    });
    return app.exec();
}
