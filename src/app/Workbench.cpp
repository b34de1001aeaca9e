#include "app/Workbench.h"

#include "util/FileIo.h"

namespace gw {

namespace {
constexpr const char* kDefaultTitle = "Gas ECU Workbench";
}

Workbench::Workbench(Host& h, PortProvider& ports, std::string appFolder)
    : host(h), AppFolder(std::move(appFolder)) {
    Comm = std::make_unique<ClsComm>(host, ports, AppFolder);
    Cycle = std::make_unique<ComCycle>(*Comm);
    Timer1 = host.CreateTimer([this] {
        Cycle->OnTimer1(writePending && writePending());
        if (onCommTick) onCommTick();
    });
    Timer1->SetIntervalMs(1);
    Timer2 = host.CreateTimer([this] { DisplayTick(); });
    Timer2->SetIntervalMs(14);
    Cycle->hooks.setTimersEnabled = [this](bool on) {
        Timer1->SetEnabled(on);
        Timer2->SetEnabled(on);
    };
}

Workbench::~Workbench() = default;

std::string Workbench::Path(const std::string& relative) const { return AppPath(AppFolder, relative); }

void Workbench::Main(const std::function<void()>& loadWindow) {
    DecimalComma = ",";
    ReadScaleConstants(host, Path("\\LNG\\ConfigScale.ini"), Scale);
    Lingue.SetPathDizionario(Path("\\LNG\\M3.diz"));
    Lingue.SetPathAttualeLingua(Path("\\LNG\\M3.con"));
    Lingue.LoadDizionario();  // a missing or broken dictionary leaves the built-in captions
    AppTitle = Lingue.Voce(0);
    if (AppTitle.empty()) AppTitle = kDefaultTitle;
    Comm->AppTitle = AppTitle;
    Comm->ReadSetCom("\\BIN\\SetCom.ini");
    ReadCalibrationParameters(host, Path("\\LNG\\ConfigScale.ini"), Calib, AppTitle);
    Cycle->CheckConfiguredPort();
    if (loadWindow) loadWindow();
    Timer1->SetEnabled(true);
    Timer2->SetEnabled(true);
}

void Workbench::OpenCommLog(const std::string& today) {
    Comm->Log().Open(Path("\\BIN\\RxTx.TXT"), Path("\\BIN\\RxTx_Last.TXT"), host.MicroClock() / 1000.0,
                     std::string(kSoftwareVersion) + " " + AppTitle + " " + today);
}

void Workbench::DisplayTick() {
    if (DisplayBusy) return;
    DisplayBusy = true;
    if (onDisplayTick) onDisplayTick();
    DisplayBusy = false;
    if (ExitRequested && onExitRequested) onExitRequested();
}

void Workbench::Shutdown() {
    Comm->ComState = kComOffLine;
    Timer1->SetEnabled(false);
    Timer2->SetEnabled(false);
    // A tick still running (an exchange inside it) is let finish; bounded, since a close
    // asked from inside that very tick could otherwise never see it end.
    const double deadline = host.MicroClock() + 10'000'000;
    while ((Cycle->CommBusy || DisplayBusy) && host.MicroClock() < deadline) host.DoEvents();
    Comm->CloseComPort();
    Comm->Log().Close();
}

}  // namespace gw
