// Window test of the model page on the simulated ECU: F6 shows it, a held arrow button
// steps the offset until it is released and then writes the table once, the arrow keys
// move the selected point as one edit, and the boxes show the model.
#include <QPushButton>
#include <QTest>

#include "link/Commands.h"
#include "model/CorrectionTables.h"
#include "ui/ModelPage.h"
#include "UiRig.h"

using namespace gw;
using namespace uitest;

class ModelPageTest : public QObject {
    Q_OBJECT

private slots:
    void heldButtonsAndKeysWriteTheTableOncePerEdit() {
        Rig rig({}, "0\r\n", Core());
        ModelPage* page = AttachModelPage(*rig.win, *rig.ui, *rig.wb);
        QCOMPARE(ModelPageOf(*rig.win), page);
        rig.win->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.win.get()));
        QTest::keyClick(rig.win.get(), Qt::Key_F6);
        QTRY_COMPARE(rig.win->SstMain()->currentWidget(), page);
        QVERIFY(Connected(rig));
        ParameterImage& image = *rig.wb->Image;
        QTRY_VERIFY(image.CorTableKnown);
        auto writes = [&] { return rig.ecu->Responder().Count(CMD_WRT_TBL_COR); };
        const int before = writes();

        QTest::mousePress(page->CmdOffsetUp, Qt::LeftButton);
        QTest::qWait(450);
        QCOMPARE(writes(), before);  // nothing while held
        QTest::mouseRelease(page->CmdOffsetUp, Qt::LeftButton);
        const float offset = image.Model.Offset;
        QVERIFY(offset >= 3 * 0.104f - 1e-4f);  // at once, after 0.2 s, after 0.367 s ...
        QVERIFY(page->TxtOffsetPos->Raised());
        QCOMPARE(page->TxtOffsetPos->text(), QString::fromStdString(page->Logic().BoxTexts().offset));
        QTRY_COMPARE(writes(), before + 4);
        QTRY_COMPARE(image.Requests.CorTableWriteRequest, kCorWriteNone);
        QCOMPARE(image.Model.Offset, offset);

        // Point 3 by its key, two steps to the right, released: one edit, one write.
        page->setFocus();
        QTest::keyClick(page, Qt::Key_3);
        QVERIFY(page->TxtXPos[2]->Raised());
        const float x = image.Model.points[3].X;
        QTest::keyPress(page, Qt::Key_Right);
        QTest::keyPress(page, Qt::Key_Right, Qt::NoModifier);
        QCOMPARE(image.Requests.CorTableWriteRequest, kCorWriteNone);
        QTest::keyRelease(page, Qt::Key_Right);
        QVERIFY(std::fabs(image.Model.points[3].X - (x + 2 * 0.128f)) < 1e-4f);
        QTRY_COMPARE(writes(), before + 8);
        QTRY_VERIFY(!page->LblNotWritten->isVisibleTo(page));
    }
};

int RunModelPageTest(int argc, char** argv) {
    ModelPageTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "ModelPageTest.moc"
