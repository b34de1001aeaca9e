#include "app/ModelPageLogic.h"

#include <algorithm>
#include <cmath>

#include "app/DictionaryEntries.h"
#include "app/MarkerTexts.h"
#include "app/Workbench.h"
#include "model/CorTableWrite.h"
#include "model/CorrectionTables.h"
#include "util/Numbers.h"

namespace gw {

namespace {

std::string OneDecimal(double v) { return FormatFixed(v, 1, 1); }

}  // namespace

ModelPageLogic::ModelPageLogic(Host& host, ParameterImage& image, const ClsLingue* lingue)
    : host_(host), image_(image), lingue_(lingue), shown_(image.Model) {
    repeat_ = host_.CreateTimer([this] { OnRepeatTick(); });
    ApplyTexts();
}

ModelPageLogic::~ModelPageLogic() = default;

void ModelPageLogic::ApplyTexts() {
    Texts.resetLineQuestion = EntryOrFallback(lingue_, kEntryMsgResetLineQuestion,
                                              "Put all the points back on the line? The enrichments will be set to 0.");
    Texts.resetModelQuestion = EntryOrFallback(
        lingue_, kEntryMsgResetModelQuestion, "Reset the model to its default values? Slope 1, offset 0 and all enrichments 0.");
    Texts.notWritten = MarkerText(lingue_, kMarkerMod, kModNotWritten,
                                  "The ECU did not take the correction table: it may not hold the model shown. "
                                  "The workbench keeps trying.");
    Texts.notWrittenOffLine = MarkerText(lingue_, kMarkerMod, kModNotWrittenOffLine,
                                         "Off-line: the model shown has not been written to the ECU.");
}

void ModelPageLogic::Notify() {
    shown_ = image_.Model;
    Changed.Emit();
}

// ---- what the page shows ----

ModelBoxTexts ModelPageLogic::BoxTexts() const {
    ModelBoxTexts t;
    for (std::size_t k = 0; k < 5; ++k) {
        t.place[k] = OneDecimal(image_.Model.points[k + 1].X);
        t.enrich[k] = OneDecimal(image_.Model.points[k + 1].Enrich);
    }
    t.alfa = FormatFixed(image_.Model.Alfa, 2, 1);
    t.offset = OneDecimal(image_.Model.Offset);
    return t;
}

std::string ModelPageLogic::PointTip(int point) const {
    if (!In(point)) return {};
    const ModelPoint& p = image_.Model.points[static_cast<std::size_t>(point)];
    return "P" + std::to_string(point) + " (" + OneDecimal(p.X) + " ; " + OneDecimal(p.Y) + ")";
}

std::array<double, 4> ModelPageLogic::ReferenceLine() const {
    const double alfa = image_.Model.Alfa, offset = image_.Model.Offset;
    return {0.0, offset, kModelLineEndMs, alfa * kModelLineEndMs + offset};
}

TimeTable ModelPageLogic::TableToWrite() const {
    TimeTable t = image_.CorTable;
    ModelToTable(t, image_.Model);
    return t;
}

std::vector<std::pair<double, double>> ModelPageLogic::Trail() const {
    std::vector<std::pair<double, double>> out;
    out.reserve(trail_.size());
    for (const auto& [petrol, gas] : trail_)
        out.emplace_back(std::min(petrol, static_cast<double>(kModelXMax)), std::min(gas, static_cast<double>(kModelYMax)));
    return out;
}

void ModelPageLogic::AddLivePair(double petrolMs, double gasMs) {
    if (!std::isfinite(petrolMs) || !std::isfinite(gasMs)) return;
    trail_.emplace_back(petrolMs, gasMs);
    while (trail_.size() > static_cast<std::size_t>(kTrailPairs)) trail_.pop_front();
}

std::string ModelPageLogic::WriteStateText(bool offLine) const {
    if (!image_.CorTableWriteFailed) return {};
    return offLine ? Texts.notWrittenOffLine : Texts.notWritten;
}

// ---- selection ----

int ModelPageLogic::GetSelPunto() const {
    for (int i = kModelPoints - 1; i >= 0; --i)
        if (labels_[static_cast<std::size_t>(i)]) return i;
    return -1;
}

void ModelPageLogic::DeselezionaPuntiMod() {
    labels_.fill(false);
    boxes_.fill(false);
    alfaBox_ = offsetBox_ = false;
    Changed.Emit();
}

void ModelPageLogic::SelectPoint(int n) {
    if (!In(n)) return;
    labels_.fill(false);
    boxes_.fill(false);
    alfaBox_ = offsetBox_ = false;
    labels_[static_cast<std::size_t>(n)] = true;
    if (n >= 1 && n <= 5) boxes_[static_cast<std::size_t>(n - 1)] = true;
    Changed.Emit();
}

void ModelPageLogic::SelectLineBox(ModelLineBox b) {
    labels_.fill(true);
    boxes_.fill(false);
    alfaBox_ = b == ModelLineBox::Alfa;
    offsetBox_ = b == ModelLineBox::Offset;
    Changed.Emit();
}

// ---- editing ----

void ModelPageLogic::BeginEdit() {
    if (editing_) return;
    editing_ = true;
    editStart_ = image_.Model;
}

void ModelPageLogic::EndEdit() {
    if (!editing_ || Repeating() || Dragging() || keyEditing_) return;
    editing_ = false;
    // One table write for the whole edit, and none for an edit that changed nothing.
    if (!(image_.Model == editStart_)) RequestCorTableWrite(image_, kCorWriteFromModel);
    Notify();
}

ModelStep ModelPageLogic::Step(ModelButton b) {
    // The line buttons select the whole line and their own box first.
    if (b == ModelButton::AlfaUp || b == ModelButton::AlfaDown) {
        if (!alfaBox_) SelectLineBox(ModelLineBox::Alfa);
    } else if (b == ModelButton::OffsetUp || b == ModelButton::OffsetDown) {
        if (!offsetBox_) SelectLineBox(ModelLineBox::Offset);
    }
    const ModelStep step = StepModelButton(image_.Model, b, GetSelPunto());
    if (step.applies) Notify();
    return step;
}

void ModelPageLogic::Press(ModelButton b) {
    if (Repeating() || Dragging()) return;
    BeginEdit();
    held_ = b;
    heldSteps_ = 1;
    waitS_ = kRepeatFirstWaitS;
    const ModelStep step = Step(b);
    if (!step.applies || step.endsRepeat) return;  // nothing to repeat; Release ends the edit
    repeat_->SetIntervalMs(static_cast<int>(std::lround(waitS_ * 1000)));
    repeat_->SetEnabled(true);
}

void ModelPageLogic::OnRepeatTick() {
    if (!held_) {
        repeat_->SetEnabled(false);
        return;
    }
    if (waitS_ > kRepeatShortestS) waitS_ /= kRepeatDivisor;
    ++heldSteps_;
    const ModelStep step = Step(*held_);
    if (!step.applies || step.endsRepeat) {
        repeat_->SetEnabled(false);
        return;
    }
    repeat_->SetIntervalMs(static_cast<int>(std::lround(waitS_ * 1000)));
}

void ModelPageLogic::Release() {
    if (!held_) return;
    repeat_->SetEnabled(false);
    held_.reset();
    EndEdit();
}

void ModelPageLogic::KeyStep(ModelButton b) {
    if (Repeating() || Dragging()) return;
    BeginEdit();
    keyEditing_ = true;
    Step(b);
}

void ModelPageLogic::KeyRelease() {
    if (!keyEditing_) return;
    keyEditing_ = false;
    EndEdit();
}

bool ModelPageLogic::BeginDrag(int point) {
    if (Repeating() || point < 1 || point > 5) return false;
    SelectPoint(point);
    BeginEdit();
    dragPoint_ = point;
    return true;
}

void ModelPageLogic::DragTo(double x, double y) {
    if (!Dragging()) return;
    const ModelPoint& p = image_.Model.points[static_cast<std::size_t>(dragPoint_)];
    const ModelRecord before = image_.Model;
    // Along the petrol axis: whole table steps towards x while each step gets closer.
    if (dragPoint_ <= 4) {
        for (int n = 0; n < kDragMaxStepsPerMove; ++n) {
            const double gap = x - p.X;
            if (std::fabs(gap) < kModelPlaceStep / 2.0) break;
            StepModelButton(image_.Model, gap > 0 ? ModelButton::Right : ModelButton::Left, dragPoint_);
            if (std::fabs(x - p.X) >= std::fabs(gap)) break;  // the rules hold it back
        }
    }
    // The gas time: enrichment steps towards y.
    for (int n = 0; n < kDragMaxStepsPerMove; ++n) {
        const double gap = y - p.Y;
        if (std::fabs(gap) < kModelEnrichStep / 2.0) break;
        StepModelButton(image_.Model, gap > 0 ? ModelButton::Up : ModelButton::Down, dragPoint_);
        if (std::fabs(y - p.Y) >= std::fabs(gap)) break;
    }
    if (!(image_.Model == before)) Notify();
}

void ModelPageLogic::EndDrag() {
    if (!Dragging()) return;
    dragPoint_ = -1;
    EndEdit();
}

// ---- resets ----

bool ModelPageLogic::Ask(const std::string& question) {
    const std::string title = AppTitle + " - " + kSoftwareVersion;
    return host_.MessageBox(question, title, MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes;
}

bool ModelPageLogic::CmdResetLine() {
    if (Busy() || !Ask(Texts.resetLineQuestion)) return false;
    DisponiPuntiSuLineaMod(image_.Model);
    RecomputeModel(image_.Model);
    DeselezionaPuntiMod();
    RequestCorTableWrite(image_, kCorWriteFromModel);
    Notify();
    return true;
}

bool ModelPageLogic::CmdReset() {
    if (Busy() || !Ask(Texts.resetModelQuestion)) return false;
    DisponiMatriceModDefault(image_.Model);
    DeselezionaPuntiMod();
    RequestCorTableWrite(image_, kCorWriteFromModel);
    Notify();
    return true;
}

void ModelPageLogic::Refresh(bool offLine) {
    if (Busy()) return;
    const bool warning = image_.CorTableWriteFailed;
    if (image_.Model == shown_ && warning == shownWarning_ && offLine == shownOffLine_) return;
    shownWarning_ = warning;
    shownOffLine_ = offLine;
    Notify();
}

}  // namespace gw
