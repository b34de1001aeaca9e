// ModelPageLogic: the rules of the "Modeling - F6" page over the image's gas injection model:
// the texts of the point and line boxes and of the point labels' tool tips, the point
// selection, the eight edit buttons with their press-and-hold repeat on the host's timers,
// dragging a point and the arrow keys, the two resets with their questions, the live trail,
// and the table-write request at the end of every edit. Not here: drawing and layout (the
// page widget), the file dialogs (the main window's), serving the write (CorTableWrite).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lang/ClsLingue.h"
#include "model/ModelEditing.h"
#include "model/ParameterImage.h"
#include "model/TimeTable.h"
#include "util/Host.h"
#include "util/Signal.h"

namespace gw {

// Repeat of a held button: the first step at once, then a wait that starts at 0.2 s and is
// divided by 1.2 after every step while it is above 1/80 s.
inline constexpr double kRepeatFirstWaitS = 0.2;
inline constexpr double kRepeatDivisor = 1.2;
inline constexpr double kRepeatShortestS = 1.0 / 80.0;
// The live trail: the most recent (mean petrol, mean gas) pairs.
inline constexpr int kTrailPairs = 17;
// A drag follows the pointer by at most this many steps per move.
inline constexpr int kDragMaxStepsPerMove = 256;

// The boxes of the "Point" and "Line" frames (AggiornaStatoPuntoMod).
struct ModelBoxTexts {
    std::array<std::string, 5> place;   // TxtXPos(0..4): X of points 1-5, one decimal
    std::array<std::string, 5> enrich;  // TxtYPos(0..4): enrichment of points 1-5, one decimal
    std::string alfa;                   // TxtALfaPos, two decimals
    std::string offset;                 // TxtOffsetPos, one decimal
};

// The page's own texts, from the dictionary.
struct ModelPageTexts {
    std::string resetLineQuestion;
    std::string resetModelQuestion;
    std::string notWritten;         // a table write failed: the ECU does not hold the model shown
    std::string notWrittenOffLine;  // off-line: the model shown is not written to the ECU
};

enum class ModelLineBox { Alfa, Offset };

class ModelPageLogic {
public:
    ModelPageLogic(Host& host, ParameterImage& image, const ClsLingue* lingue);
    ~ModelPageLogic();
    ModelPageLogic(const ModelPageLogic&) = delete;
    ModelPageLogic& operator=(const ModelPageLogic&) = delete;

    // The main window's title text; the question boxes are titled with it, " - " and the version.
    std::string AppTitle;
    ModelPageTexts Texts;
    // Reads Texts from the dictionary's current language (built-in English without one).
    void ApplyTexts();

    // The model or the selection changed: the page redraws.
    Signal<> Changed;

    const ModelRecord& Model() const { return image_.Model; }

    // ---- what the page shows ----
    ModelBoxTexts BoxTexts() const;
    // "P", the number, " (", X, " ; ", Y, ")", one decimal with the decimal comma.
    std::string PointTip(int point) const;
    // The reference line from (0, Offset) to (20.096, Alfa x 20.096 + Offset).
    std::array<double, 4> ReferenceLine() const;
    // The table a write would send now: ModelToTable of the model on the image's table.
    TimeTable TableToWrite() const;
    // The trail, oldest first, each pair limited to kModelXMax and kModelYMax.
    std::vector<std::pair<double, double>> Trail() const;
    void AddLivePair(double petrolMs, double gasMs);
    // The warning under the plot; empty while the ECU holds what the page shows.
    std::string WriteStateText(bool offLine) const;

    // ---- selection ----
    // The highest point whose label is selected, -1 when none is.
    int GetSelPunto() const;
    bool LabelSelected(int point) const { return In(point) && labels_[static_cast<std::size_t>(point)]; }
    // The Place and Enrich. boxes of point k + 1 (k 0-4) are raised.
    bool PointBoxesRaised(int k) const { return k >= 0 && k < 5 && boxes_[static_cast<std::size_t>(k)]; }
    bool LineBoxRaised(ModelLineBox b) const { return b == ModelLineBox::Alfa ? alfaBox_ : offsetBox_; }
    // Point n (0-6) alone; its boxes raised for 1-5.
    void SelectPoint(int n);
    // Every label selected and the box raised (a click on the Alfa or Offset box).
    void SelectLineBox(ModelLineBox b);
    void DeselezionaPuntiMod();

    // ---- edit buttons, held ----
    // Mouse-down: one step at once, then the repeat until Release. A second button pressed
    // while one repeats is ignored.
    void Press(ModelButton b);
    // Mouse-up: the repeat stops; an edit that changed the model asks for one table write.
    void Release();
    bool Repeating() const { return held_.has_value(); }

    // ---- keyboard: a key steps once per press and per auto-repeat; its release ends the edit ----
    void KeyStep(ModelButton b);
    void KeyRelease();

    // ---- dragging a point (model coordinates, ms) ----
    // Selects the point; false for a point that cannot move (0 and 6).
    bool BeginDrag(int point);
    // Steps the point towards (x, y) under the buttons' rules: along the petrol axis for points
    // 1-4, the enrichment for points 1-5.
    void DragTo(double x, double y);
    void EndDrag();
    bool Dragging() const { return dragPoint_ >= 0; }
    // Held, dragged or keyed: the model is being edited (a refresh from outside waits).
    bool Busy() const { return Repeating() || Dragging() || keyEditing_; }

    // ---- resets (Yes/No first; No changes nothing); true when done ----
    bool CmdResetLine();
    bool CmdReset();

    // The model may have changed outside the page (table read, file load, calibration): the
    // page redraws when it did or when the write state changed. Not while the page is busy.
    void Refresh(bool offLine);

    // Steps made by the held button so far (tests and the status of a hold).
    int HeldSteps() const { return heldSteps_; }

private:
    static bool In(int point) { return point >= 0 && point < kModelPoints; }
    void BeginEdit();
    void EndEdit();
    // One step of b on the model with the selection it needs (a line button selects the line).
    ModelStep Step(ModelButton b);
    void OnRepeatTick();
    bool Ask(const std::string& question);
    void Notify();

    Host& host_;
    ParameterImage& image_;
    const ClsLingue* lingue_;
    std::array<bool, kModelPoints> labels_{};
    std::array<bool, 5> boxes_{};
    bool alfaBox_ = false, offsetBox_ = false;

    std::unique_ptr<Timer> repeat_;
    std::optional<ModelButton> held_;
    double waitS_ = kRepeatFirstWaitS;
    int heldSteps_ = 0;
    bool editing_ = false;
    bool keyEditing_ = false;
    ModelRecord editStart_;
    int dragPoint_ = -1;

    std::deque<std::pair<double, double>> trail_;
    ModelRecord shown_;
    bool shownWarning_ = false;
    bool shownOffLine_ = false;
};

}  // namespace gw
