#include "app/Workbench.h"

#include "app/MarkerTexts.h"

#include "app/DictionaryEntries.h"
#include "util/FileIo.h"
#include "util/Warnings.h"

namespace gw {

namespace {
constexpr const char* kDefaultTitle = "Gas ECU Workbench";
}

Workbench::Workbench(Host& h, PortProvider& ports, std::string appFolder)
    : host(h), AppFolder(std::move(appFolder)) {
    Comm = std::make_unique<ClsComm>(host, ports, AppFolder);
    Cycle = std::make_unique<ComCycle>(*Comm);
    LinkView = std::make_unique<ConnectionPresenter>(*Cycle, *Comm);
    Image = std::make_unique<ParameterImage>(Scale, *Comm);
    Comm->SetAnswerSink(Image.get());
    Check = std::make_unique<FirmwareCheck>(*Comm, Cycle.get());
    Timer1 = host.CreateTimer([this] {
        Cycle->OnTimer1(WritePending());
        CommTicked.Emit();
    });
    Timer1->SetIntervalMs(1);
    Timer2 = host.CreateTimer([this] { DisplayTick(); });
    Timer2->SetIntervalMs(14);
    timersSwitched_ = Cycle->TimersSwitched.Connect([this](bool on) {
        Timer1->SetEnabled(on);
        Timer2->SetEnabled(on);
    });
}

Workbench::~Workbench() = default;

std::string Workbench::Path(const std::string& relative) const { return AppPath(AppFolder, relative); }

void Workbench::Main(const std::function<void()>& loadWindow) {
    DecimalComma = ",";
    ShowWarnings(host, ReadScaleConstants(host.Locale(), Path("\\LNG\\ConfigScale.ini"), Scale, &host));
    Lingue.SetPathDizionario(Path("\\LNG\\M3.diz"));
    Lingue.SetPathAttualeLingua(Path("\\LNG\\M3.con"));
    Lingue.LoadDizionario();  // a missing or broken dictionary leaves the built-in captions
    AppTitle = Lingue.Voce(0);
    if (AppTitle.empty()) AppTitle = kDefaultTitle;
    Comm->AppTitle = AppTitle;
    ShowWarnings(host, Comm->ReadSetCom("\\BIN\\SetCom.ini"));
    // All eight injector columns show until the ECU has said how many cylinders it drives.
    Image->Block3.Cylinders = 8;
    ShowWarnings(host, ReadCalibrationParameters(Path("\\LNG\\ConfigScale.ini"), Calib, AppTitle, &host));
    if (loadWindow) loadWindow();
    Timer1->SetEnabled(true);
    Timer2->SetEnabled(true);
}

void Workbench::UseCommandLinePort(const CommandLinePort& port) {
    if (!port.Any()) return;
    Comm->FlagRicercaCom = 255;
    Comm->Simulated = port.simulated;
    if (!port.simulated) Comm->UsbCom = port.usb;
    if (port.com != 0) {
        Comm->UsbCom = false;
        Comm->SetComPort(static_cast<std::int16_t>(port.com));
    }
    // A start without a settings file would otherwise store this choice at the first answer.
    Comm->MemoDatiCom = false;
}

FirmwareTexts Workbench::IdentityTexts() const {
    FirmwareTexts t;
    t.T1 = Lingue.Voce(kEntryMsgFirmwareEcuNewer);
    t.T2 = Lingue.Voce(kEntryMsgFirmwareOtherEcu);
    t.T3 = Lingue.Voce(kEntryMsgFirmwareFileMissing);
    if (t.T1.empty()) t.T1 = "The ECU's firmware is newer than this workbench's.";
    if (t.T2.empty()) t.T2 = "This ECU does not belong to this workbench.";
    if (t.T3.empty()) t.T3 = "The firmware image file is missing.";
    const std::string damaged = MarkerText(&Lingue, kMarkerMain, kMainFirmwareDamaged, "");
    if (!damaged.empty()) t.damaged = damaged;
    return t;
}

void Workbench::OpenCommLog(const std::string& today) {
    Comm->Log().Open(Path("\\BIN\\RxTx.TXT"), Path("\\BIN\\RxTx_Last.TXT"), host.MicroClock() / 1000.0,
                     std::string(kSoftwareVersion) + " " + AppTitle + " " + today);
}

void Workbench::DisplayTick() {
    if (DisplayBusy) return;
    DisplayBusy = true;
    DisplayTicked.Emit();
    DisplayBusy = false;
    if (ExitRequested) ExitDue.Emit();
}

void Workbench::Shutdown() {
    ShutDown = true;
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
