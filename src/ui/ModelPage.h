// ModelPage: the "Modeling - F6" page: the model plot with the correction table under it and
// the not-written warning, the "Point" frame (Place and Enrich. boxes of points 1-5, the four
// arrows, Reset line), the "Line" frame (Slope and Offset boxes with their arrows, Reset) and
// the file buttons. It shows what ModelPageLogic says and forwards presses, releases, clicks
// and keys to it; the file buttons go to the main window's File commands. AttachModelPage
// puts it in the main window in place of the page's placeholder and binds it to the display
// scheduler (live trail, refreshes) and to the language choice.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QGroupBox>
#include <array>
#include <functional>
#include <memory>

#include "app/ModelPageLogic.h"
#include "ui/ModelPlot.h"

namespace gw {

class FrmKD452;
class Workbench;
class WorkbenchUi;

// A value box of the page: white and flat, or yellow and raised when its point or line is
// selected; a click selects.
class ModelBox : public QLabel {
public:
    ModelBox(const QString& objectName, QWidget* parent = nullptr);
    void SetRaised(bool raised);
    bool Raised() const { return raised_; }
    std::function<void()> onClicked;

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    bool raised_ = true;
};

class ModelPage : public QWidget {
public:
    // The page makes its logic over the image's model.
    ModelPage(Host& host, ParameterImage& image, const ClsLingue* lingue, QWidget* parent = nullptr);
    ~ModelPage() override;

    // Copies the logic's state into the boxes, the warning and the drawings.
    void Sync(bool offLine);
    // Whether the link is off-line, for the next Sync the logic asks for.
    void SetOffLine(bool offLine) { offLine_ = offLine; }
    // Captions and tool tips from the dictionary (the window's captions and the page's block).
    void ApplyTexts(const class MainCaptions& captions, const ClsLingue* lingue);

    ModelPageLogic& Logic() { return *logic_; }
    ModelPlot* Plot;
    CorTableStrip* Table;
    QLabel* LblNotWritten;
    QGroupBox* FrmModPnt;
    QLabel* LblPlace;
    QLabel* LblMul;
    std::array<ModelBox*, 5> TxtXPos{};
    std::array<ModelBox*, 5> TxtYPos{};
    QPushButton* CmdLeft;
    QPushButton* CmdRight;
    QPushButton* CmdUp;
    QPushButton* CmdDown;
    QPushButton* CmdResetLine;
    QGroupBox* FrmModLine;
    QLabel* LblAlfa;
    QLabel* LblOffset;
    ModelBox* TxtALfaPos;
    ModelBox* TxtOffsetPos;
    QPushButton* CmdAlfaUp;
    QPushButton* CmdAlfaDown;
    QPushButton* CmdOffsetUp;
    QPushButton* CmdOffsetDown;
    QPushButton* CmdReset;
    QPushButton* CmdModOpen;
    QPushButton* CmdModSave;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    QPushButton* EditButton(const QString& name, const QString& text, ModelButton b);

    std::unique_ptr<ModelPageLogic> logic_;
    Connection changed_;
    bool offLine_ = false;
};

// Makes the page and its logic, puts it in the window's Modeling tab and binds it; the page
// lives as long as the window.
ModelPage* AttachModelPage(FrmKD452& window, WorkbenchUi& ui, Workbench& wb);
// The page attached to the window, or nullptr.
ModelPage* ModelPageOf(FrmKD452& window);

}  // namespace gw
