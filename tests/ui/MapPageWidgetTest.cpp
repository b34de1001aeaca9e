// Window test of the Map page on the simulated ECU: the page replaces the tab's
// placeholder, "Read" fills the plot with a marker per sample, "Auto Tuning" locks "Read",
// and the map file buttons save, load and report a bad line in a box.
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "ui/MapPageUi.h"
#include "ui/MapPageWidget.h"
#include "UiRig.h"

using namespace gw;
using namespace uitest;

namespace {

int Filled(const MapRecord::Column& vacuums) {
    int n = 0;
    for (int i = 0; i < kMapUsedSlots; ++i) n += vacuums[static_cast<std::size_t>(i)] > 0;
    return n;
}

}  // namespace

class MapPageWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void readFillsThePlotAndFilesRoundTrip() {
        Rig rig({}, "0\r\n", Core());
        AttachMapPage(*rig.win, *rig.ui, *rig.wb, rig.host);
        MapPageUi* map = MapPageOf(*rig.win);
        QVERIFY(map);
        MapPageWidget& page = map->Widget();
        QCOMPARE(rig.win->PageWidget(FrmKD452::kTabMap), static_cast<QWidget*>(&page));
        rig.win->SstMain()->setCurrentIndex(FrmKD452::kTabMap);
        QVERIFY(Connected(rig));

        page.CmdMapRead->click();
        MapPage& core = map->Core();
        QVERIFY(QTest::qWaitFor([&] { return Filled(core.Samples.PetrolVacuum) > 0 && Filled(core.Samples.GasVacuum) > 0; },
                                20000));
        page.Plot->grab();  // paints
        QCOMPARE(page.Plot->PetrolMarkers(), Filled(core.Samples.PetrolVacuum));
        QCOMPARE(page.Plot->GasMarkers(), Filled(core.Samples.GasVacuum));
        QVERIFY(page.CmdMapCompute->isEnabled());

        // The simulated ECU acquires vacuum samples: "Auto Tuning" is taken and locks "Read".
        page.ChkAbilAcqVacum->click();
        QVERIFY(page.ChkAbilAcqVacum->isChecked());
        QVERIFY(!page.CmdMapRead->isEnabled());
        QVERIFY(!page.CmdMapCompute->isEnabled());
        page.ChkAbilAcqVacum->click();
        QVERIFY(page.CmdMapRead->isEnabled());

        // Save, clear, open: the same samples; a bad line is reported in a box.
        const std::string file = rig.Folder() + "/a.map";
        page.chooseFile = [&](bool) { return file; };
        page.CmdMapSave->click();
        const MapRecord saved = core.Samples;
        page.CmdMapClrPet->click();
        QCOMPARE(Filled(core.Samples.PetrolVacuum), 0);
        page.CmdMapOpen->click();
        QCOMPARE(Filled(core.Samples.PetrolVacuum), Filled(saved.PetrolVacuum));
        QCOMPARE(core.Samples.PetrolVacuum, saved.PetrolVacuum);
        const std::size_t boxes = rig.host.Messages().size();
        WriteFile(rig.Path("a.map"), "400\r\nnot a number\r\n");
        page.CmdMapOpen->click();
        QCOMPARE(rig.host.Messages().size(), boxes + 1);
        QVERIFY(rig.host.Messages().back().text.find('2') != std::string::npos);
    }
};

int RunMapPageWidgetTest(int argc, char** argv) {
    MapPageWidgetTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "MapPageWidgetTest.moc"
