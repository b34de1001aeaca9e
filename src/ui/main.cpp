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
#include "ui/CalibrationPage.h"
#include "ui/FrmKD452.h"
#include "ui/FrmView.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "ui/ModelPage.h"
#include "ui/Screenshots.h"
#include "ui/MapPageUi.h"
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
    const QCommandLineOption gasOffsetOption("sim-gas-offset", "The simulated car's true gas offset (ms).", "MS");
    const QCommandLineOption gasAlfaOption("sim-gas-alfa", "The simulated car's true gas slope.", "A");
    const QCommandLineOption driverOption("sim-driver", "A scripted driver follows the calibration (the default).");
    const QCommandLineOption noDriverOption("no-sim-driver", "No scripted driver on the simulated car.");
    parser.addOptions({appFolderOption, simulateOption, scriptOption, gasOffsetOption, gasAlfaOption, driverOption,
                       noDriverOption});
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
    SimCarOptions car;
    car.reducerWarmTauS = 30;  // a car being calibrated warms within half a minute
    auto number = [&](const QCommandLineOption& o, double min, double max, double& out) {
        if (!error.isEmpty() || !parser.isSet(o)) return;
        bool ok = false;
        const double v = parser.value(o).toDouble(&ok);
        if (!ok || !(v >= min && v <= max))
            error = "--" + o.names().first() + QString(" takes a number from %1 to %2").arg(min).arg(max);
        else
            out = v;
    };
    number(gasOffsetOption, -10, 10, car.gasOffsetMs);
    number(gasAlfaOption, 0.1, 3, car.gasAlfa);
    if (error.isEmpty() && parser.isSet(driverOption) && parser.isSet(noDriverOption))
        error = "choose --sim-driver or --no-sim-driver";
    const bool driver = !parser.isSet(noDriverOption);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "gas-workbench: %s\n\n%s", FromQ(error).c_str(), FromQ(parser.helpText()).c_str());
        return 2;
    }

    const AppFolderChoice folder = ResolveAppFolder(argc, argv);
    if (!folder.problem.empty()) std::fprintf(stderr, "gas-workbench: %s\n", folder.problem.c_str());
    const std::string appFolder = folder.appFolder;
    QtHost host;
    SimEcuOptions simOptions;
    simOptions.car = car;
    auto ecu = script ? SimulatedEcuFor(*script, car) : std::make_shared<SimEcu>(simOptions);
    SystemPortProvider ports(appFolder, "/sys", [&host, ecu] { return std::make_unique<SimulatedEcuPort>(host, ecu); });
    Workbench wb(host, ports, appFolder);
    std::unique_ptr<FrmKD452> window;
    std::unique_ptr<WorkbenchUi> ui;
    std::unique_ptr<CalibrationUi> calibration;
    wb.Main([&] {
        wb.UseCommandLinePort(CommandLinePort{parser.isSet(simulateOption), false, 0});
        window = std::make_unique<FrmKD452>(wb, host);
        ui = std::make_unique<WorkbenchUi>(wb, host, *window);
        AttachSideWindows(*window, *ui, wb);
        calibration = std::make_unique<CalibrationUi>(wb, host, *window, ui->Scheduler(),
                                                      parser.isSet(simulateOption) && driver ? ecu.get() : nullptr);
        AttachViewer(*window, wb);
        AttachModelPage(*window, *ui, wb);
        AttachMapPage(*window, *ui, wb, host);
        if (script) StartScreenshot(*script, wb, host, *window, *ui);
        window->show();
        // The first layout and paint before the timers start: a long first paint inside the
        // byte-by-byte sending of the first request would stretch it past the ECU's gap limit.
        QCoreApplication::processEvents();
    });
    return app.exec();
}
