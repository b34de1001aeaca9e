#include "ui/MapPageUi.h"

#include <QCoreApplication>
#include <algorithm>

#include "app/DictionaryEntries.h"
#include "app/MarkerTexts.h"
#include "app/Workbench.h"
#include "ui/FrmKD452.h"
#include "ui/MapPageWidget.h"
#include "ui/ModelPage.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "ui/WorkbenchUi.h"

namespace gw {

MapPageUi::MapPageUi(FrmKD452& win, WorkbenchUi& ui, Workbench& wb, QtHost& host)
    : QObject(&win), wb_(wb) {
    setObjectName("MapPageUi");
    // "Map.txt" of service mode goes beside the program.
    const std::string dump = FromQ(QCoreApplication::applicationDirPath()) + "/Map.txt";
    core_ = std::make_unique<MapPage>(*wb.Image, host.Locale(), dump);
    core_->Attach();
    widget_ = new MapPageWidget(*core_, host, wb.AppFolder);
    win.SetPage(FrmKD452::kTabMap, widget_);

    tuning_ = ui.Scheduler().AutoTuningTicked.Bind([this] { return core_->AutoTuning(); });
    // The pairs of "Compute" are drawn on the model page ("Clear Model" sends none).
    pairs_ = core_->PairMarkers.Connect([&win](const std::vector<MapPairPoint>& points) {
        ModelPage* model = ModelPageOf(win);
        if (!model) return;
        std::vector<QPointF> shown;
        shown.reserve(points.size());
        for (const MapPairPoint& p : points) shown.emplace_back(p.x, p.y);
        model->Plot->SetMapPairs(std::move(shown));
    });
    slots_ = ui.Scheduler().SlotRan.Connect([this](int slot) {
        if (slot == 2) ShowCurrentPoint();
    });
    connect(&win, &FrmKD452::languageChosen, this, [this] { ApplyTexts(); });
    ApplyTexts();
}

void MapPageUi::ApplyTexts() {
    const std::vector<std::string> own =
        ReadMarkerTexts(&wb_.Lingue, kMarkerMap,
                        {"Open...", "Save...", "Injection time (ms)", "Line %1 of the map file is not a number.",
                         "The map file cannot be read: %1", "The map file was not saved:"});
    widget_->ApplyCaptions(MainCaptions::Read(wb_.Lingue), own, wb_.AppTitle);
    widget_->Show();
}

void MapPageUi::ShowCurrentPoint() {
    if (!widget_->isVisible()) return;
    const ParameterImage& img = *wb_.Image;
    // The engine's point: the manifold vacuum and the mean petrol time of its cylinders.
    double sum = 0;
    int n = 0;
    const int cylinders = std::clamp(img.Block3.Cylinders, 0, kInjectors);
    for (int i = 0; i < cylinders; ++i) {
        const double t = img.Block1.InjTimeBnz[static_cast<std::size_t>(i)];
        if (t > 0) {
            sum += t;
            ++n;
        }
    }
    const bool live = wb_.RequestsEnabled && n > 0 && img.Block1.Vacuum > 0;
    widget_->Plot->SetCurrentPoint(live ? img.Block1.Vacuum : -1, n ? sum / n : 0);
}

void AttachMapPage(FrmKD452& win, WorkbenchUi& ui, Workbench& wb, QtHost& host) {
    if (MapPageOf(win)) return;
    new MapPageUi(win, ui, wb, host);
}

MapPageUi* MapPageOf(FrmKD452& win) {
    return static_cast<MapPageUi*>(win.findChild<QObject*>("MapPageUi", Qt::FindDirectChildrenOnly));
}

}  // namespace gw
