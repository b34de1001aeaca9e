#include "ui/Screenshots.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "app/Workbench.h"
#include "ui/FrmErrEcu.h"
#include "ui/FrmInjSet.h"
#include "ui/FrmKD452.h"
#include "ui/FrmLevelSetting.h"
#include "ui/FrmSetExpert.h"
#include "ui/FrmUpdate.h"
#include "ui/FrmView.h"
#include "ui/TraceView.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "ui/ModelPage.h"
#include "ui/SideWindows.h"
#include "ui/WorkbenchUi.h"
#include "util/CommandLine.h"
#include "util/FileIo.h"
#include "util/Numbers.h"
#include "model/CorrectionTables.h"
#include "model/ModelEditing.h"

namespace gw {

namespace {

int PageTab(const std::string& p) {
    const char* names[5] = {"calibration", "modeling", "map", "general", "configuration"};
    for (int i = 0; i < 5; ++i)
        if (p == names[i]) return i;
    if (p.size() == 1 && p[0] >= '0' && p[0] <= '4') return p[0] - '0';
    return -1;
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

// Next until the wizard has run the upgrade; at first it may wait for the engine.
void RunUpgrade(FrmUpdate& w, QtHost& host, Workbench& wb) {
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
}

// Opens the side window NAME; the window to picture, or nullptr.
QWidget* OpenSide(const std::string& side, FrmKD452& window, Workbench& wb) {
    SideWindows* sw = SideWindowsOf(window);
    if (!sw) return nullptr;
    if (side == "injector") {
        sw->OpenInjSet();
        return sw->InjSet();
    }
    if (side == "level") {
        sw->LevelSetting()->Open();
        return sw->LevelSetting();
    }
    if (side == "expert" || side == "expert-full") {
        sw->SetExpert()->Open();
        if (side == "expert-full") {
            sw->SetExpert()->Logic().PasswordEnter(wb.Image->Scale().PassWord01);
            sw->SetExpert()->Sync();
        }
        return sw->SetExpert();
    }
    if (side == "errors") {
        sw->ErrEcu()->Open();
        return sw->ErrEcu();
    }
    return nullptr;
}

// The simulated ECU's correction table from a tuned model: points moved and enriched, a
// steeper line with an offset.
void TuneModel(SimEcu& ecu) {
    ModelRecord m;
    m.Alfa = 1.12f;
    m.Offset = 0.416f;
    const float shift[kModelPoints] = {0, 0.512f, -0.384f, 0.256f, 0, 0, 0};
    const float enrich[kModelPoints] = {0, 0.624f, 0.312f, -0.208f, 0.52f, 0.936f, 0};
    for (int i = 0; i < kModelPoints; ++i) {
        ModelPoint& p = m.points[static_cast<std::size_t>(i)];
        p.Shift = shift[i];
        p.Enrich = enrich[i];
    }
    RecomputeModel(m);
    TimeTable t{};
    ModelToTable(t, m);
    for (int k = 0; k < kTimeTableSize; ++k) {
        const double v = t[static_cast<std::size_t>(k)];
        const double raw = k < kCorTableTimeEntries ? v / 0.008 : k < kCorTablePlaceEntry ? v * 1000 : v;
        ecu.Memory().corTable[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(std::lround(raw));
    }
}

// Closes any modal window, then the main window through its ordinary unload.
void CloseAll(Workbench& wb) {
    if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        if (auto* up = dynamic_cast<FrmUpdate*>(w)) {
            if (up->CmdEsc->isVisible()) up->CmdEsc->click();
            if (up->CmdEsc->isVisible()) up->CmdEsc->click();
        } else {
            w->reject();
        }
    }
    wb.ExitRequested = true;
}

}  // namespace

std::optional<ScreenshotScript> ParseScreenshotScript(const std::string& text, std::string* error) {
    ScreenshotScript s;
    std::istringstream in(text);
    int number = 0;
    auto fail = [&](const std::string& why) {
        if (error) *error = "line " + std::to_string(number) + ": " + why;
        return std::nullopt;
    };
    for (std::string line; std::getline(in, line);) {
        ++number;
        line = TrimLine(line);
        if (line.empty() || line[0] == '#') continue;
        const std::size_t blank = line.find(' ');
        const std::string word = line.substr(0, blank);
        const std::string value = blank == std::string::npos ? "" : Trim(line.substr(blank + 1));
        const bool flag = word == "about" || word == "upgrade-next" || word == "sim-old-firmware" ||
                          word == "sim-key-off" || word == "sim-errors" || word == "min-size" ||
                          word == "sim-tuned-model" || word == "sim-drive-on-gas" || word == "calibrate";
        if (flag != value.empty()) return fail(flag ? word + " takes no value" : word + " needs a value");
        if (word == "save") {
            s.save = value;
        } else if (word == "after") {
            const auto v = ReadNumber(value, 0, 600);
            if (!v) return fail("after takes 0 to 600 seconds, not \"" + value + "\"");
            s.after = *v;
        } else if (word == "page") {
            s.page = PageTab(value);
            if (s.page < 0) return fail("no page \"" + value + "\"");
        } else if (word == "side") {
            if (value != "injector" && value != "level" && value != "expert" && value != "expert-full" &&
                value != "errors")
                return fail("no side window \"" + value + "\"");
            s.side = value;
        } else if (word == "viewer") {
            s.viewer = value;
        } else if (word == "about") {
            s.about = true;
        } else if (word == "upgrade-next") {
            s.upgradeNext = true;
        } else if (word == "sim-old-firmware") {
            s.simOldFirmware = true;
        } else if (word == "sim-key-off") {
            s.simKeyOff = true;
        } else if (word == "sim-errors") {
            s.simErrors = true;
        } else if (word == "min-size") {
            s.minSize = true;
        } else if (word == "calibrate") {
            s.calibrate = true;
        } else if (word == "model-point") {
            const auto v = ReadNumber(value, 0, 6);
            if (!v || *v != std::floor(*v)) return fail("model-point takes a point number 0 to 6, not \"" + value + "\"");
            s.modelPoint = static_cast<int>(*v);
        } else if (word == "sim-tuned-model") {
            s.simTunedModel = true;
        } else if (word == "sim-drive-on-gas") {
            s.simDriveOnGas = true;
        } else if (word == "click") {
            if (value.empty()) return fail("click takes a button's object name");
            s.clicks.push_back(value);
        } else {
            return fail("unknown setting \"" + word + "\"");
        }
    }
    if (s.save.empty()) return fail("no \"save FILE\" line");
    return s;
}

std::optional<ScreenshotScript> ReadScreenshotScript(const std::string& path, std::string* error) {
    const auto text = ReadWholeFile(path);
    if (!text) {
        if (error) *error = "cannot read " + path;
        return std::nullopt;
    }
    return ParseScreenshotScript(*text, error);
}

std::shared_ptr<SimEcu> SimulatedEcuFor(const ScreenshotScript& script, const SimCarOptions& car) {
    SimEcuOptions options;
    options.car = car;
    if (script.simOldFirmware) options.identity = SimIdentity::OldFirmware();
    if (script.simKeyOff) options.scenario = SimScenario::KeyOff;
    if (script.simDriveOnGas) options.scenario = SimScenario::Drive;
    auto ecu = std::make_shared<SimEcu>(options);
    if (script.simTunedModel) TuneModel(*ecu);
    if (script.simDriveOnGas) {
        ecu->Memory().block2[0] = 3;                      // gas selected
        SimMemory::PutU16(ecu->Memory().block3, 2, 15);  // a switch-over temperature already reached
        SimMemory::PutU16(ecu->Memory().block3, 4, 65535);  // and no switch-over speed
    }
    if (script.simErrors) {
        ecu->Errors().Add(1, 1, 0);
        ecu->Errors().AddIntermittent(10, 2, 0, 2e6, 1e9, 1);
    }
    return ecu;
}

void StartScreenshot(const ScreenshotScript& script, Workbench& wb, QtHost& host, FrmKD452& window,
                     WorkbenchUi& ui) {
    if (script.page >= 0) window.SstMain()->setCurrentIndex(script.page);
    if (script.minSize) QTimer::singleShot(0, &window, [&window] { window.resize(window.minimumSize()); });
    if (script.upgradeNext)
        QObject::connect(&ui, &WorkbenchUi::upgradeWindowShown, &ui, [&host, &wb](FrmUpdate* w) { RunUpgrade(*w, host, wb); });
    if (script.about)
        QTimer::singleShot(static_cast<int>(script.after * 500), &window, [&window] {
            if (auto* a = window.findChild<QAction*>("MnuInfoAbout")) a->trigger();
        });
    if (script.calibrate) {
        // "Yes" on the Calibration page as soon as the ECU's data are in.
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, &window, [poll, &window, &wb] {
            auto* yes = window.findChild<QPushButton*>("CmdCalStart");
            if (!yes || !wb.RequestsEnabled || !yes->isEnabled()) return;
            poll->stop();
            yes->click();
        });
        poll->start(500);
    }
    if (script.modelPoint >= 0)
        QTimer::singleShot(static_cast<int>(script.after * 500), &window, [point = script.modelPoint, &window] {
            if (ModelPage* page = ModelPageOf(window)) page->Logic().SelectPoint(point);
        });
    if (!script.clicks.empty())
        QTimer::singleShot(static_cast<int>(script.after * 500), &window, [clicks = script.clicks, &window] {
            for (const std::string& name : clicks)
                if (auto* b = window.findChild<QAbstractButton*>(ToQ(name))) b->click();
        });
    auto sideShown = std::make_shared<QWidget*>(nullptr);
    if (!script.viewer.empty())
        QTimer::singleShot(static_cast<int>(script.after * 300), &window, [file = script.viewer, sideShown, &window] {
            FrmView* v = ViewerOf(window);
            if (!v) return;
            v->Open(false);
            v->Logic().OpenView(file);
            *sideShown = v;
            // Once read: the whole recording, the cursor two thirds across.
            auto* wait = new QTimer(v);
            QObject::connect(wait, &QTimer::timeout, v, [v, wait] {
                const auto& set = v->Logic().Shown().set;
                if (v->Loading() || set.samples.empty()) return;
                wait->stop();
                v->Traces()->SetSpan(set.FirstMs(), set.LastMs() - set.FirstMs());
                v->Traces()->SetCursorX(v->Traces()->width() * 2 / 3);
            });
            wait->start(200);
        });
    if (!script.side.empty())
        QTimer::singleShot(static_cast<int>(script.after * 600), &window,
                           [side = script.side, sideShown, &window, &wb] { *sideShown = OpenSide(side, window, wb); });
    QTimer::singleShot(static_cast<int>(script.after * 1000), &window, [save = script.save, sideShown, &window, &wb] {
        const QPixmap picture = *sideShown ? (*sideShown)->grab() : Picture(&window);
        if (!picture.save(ToQ(save))) std::fprintf(stderr, "could not save %s\n", save.c_str());
        CloseAll(wb);
    });
}

}  // namespace gw
