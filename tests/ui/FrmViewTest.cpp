// The signal viewer on the simulated ECU: the General page's button opens it recording on a
// restarted log, leaving the recording asks the save question and shows the saved view
// read on the worker thread, the CSV export writes what is shown, and the last checked
// channel cannot be unchecked.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "ui/FrmView.h"
#include "UiRig.h"

using namespace gw;
using namespace uitest;

class FrmViewTest : public QObject {
    Q_OBJECT

private slots:
    void recordsSavesShowsAndExports() {
        Rig rig({}, "0\r\n", Core());
        AttachViewer(*rig.win, *rig.wb);
        QVERIFY(Connected(rig));
        auto* button = rig.win->findChild<QPushButton*>("CmdView");
        QVERIFY(button && button->isEnabled());
        button->click();
        FrmView* v = ViewerOf(*rig.win);
        QVERIFY(v && v->isVisible());
        QVERIFY(v->OptRun[0]->isChecked());
        QCOMPARE(v->windowTitle(), QString("View"));
        QVERIFY(ReadFile(rig.Path("BIN/RxTx.TXT")).find("\"[K_gm]\"\r\n 15000000 \r\n\"[K_Lambda]\"") !=
                std::string::npos);
        QTRY_VERIFY_WITH_TIMEOUT(v->Logic().Live().size() >= 3, 10000);

        const QString saved = rig.Path("SAMPLES/t.vfl");
        v->SetDialogAnswer(saved.toStdString());
        rig.host.QueueAnswer(MsgAnswer::Yes);
        v->OptRun[1]->click();
        QTRY_VERIFY_WITH_TIMEOUT(!v->Loading() && v->Logic().Shown().set.samples.size() >= 3, 10000);
        QCOMPARE(rig.host.Messages().back().text, std::string("DO YOU WANT SAVE LAST DATA?"));
        QCOMPARE(v->windowTitle(), "View 1.1 - [" + saved + "]");
        QVERIFY(v->CmdExportCsv->isEnabled());

        const QString csv = rig.Path("SAMPLES/t.csv");
        v->SetDialogAnswer(csv.toStdString());
        v->CmdExportCsv->click();
        const std::string text = ReadFile(csv);
        QVERIFY(text.rfind("Time (ms),T Inj Gas (ms)", 0) == 0);
        QCOMPARE(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
                 v->Logic().Shown().set.samples.size() + 1);

        const std::size_t before = rig.host.Messages().size();
        for (QCheckBox* c : v->ChkSignal) c->click();
        QCOMPARE(rig.host.Messages().size(), before + 1);
        QCOMPARE(rig.host.Messages().back().text, std::string("NO CHECK!"));
        QVERIFY(v->ChkSignal.back()->isChecked());
        v->close();
    }
};

int RunFrmViewTest(int argc, char** argv) {
    FrmViewTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "FrmViewTest.moc"
