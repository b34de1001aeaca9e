#include "app/FrmInitLogic.h"

namespace gw {

FrmInitLogic::FrmInitLogic(std::string type0Text) : type0Text_(std::move(type0Text)) {}

std::string FrmInitLogic::MessageText(int tipo) const {
    if (tipo == 3) return "SEARCH COM";
    if (tipo == 0) return type0Text_;
    return {};
}

void FrmInitLogic::SetTipoMessaggio(int t) {
    if (t == 0 || t == 1 || t == 3) tipo_ = t;
}

void FrmInitLogic::ElaboraMsgCom(bool offLine, bool searchRunning, bool dataToRead) {
    if (offLine) {
        visible = false;
        timerEnabled = false;
        return;
    }
    if (searchRunning || dataToRead) {
        SetTipoMessaggio(searchRunning ? 3 : 0);
        if (!visible) {
            visible = true;
            timerEnabled = true;
        }
        return;
    }
    if (visible) {
        visible = false;
        timerEnabled = false;
        LblMsg.clear();
    }
}

void FrmInitLogic::OnTimer() {
    LblMsg = MessageText(tipo_);
    const int step = shapeWidth / 3 > 0 ? shapeWidth / 3 : 1;
    shapeLeft += direction_ * step;
    if (shapeLeft + shapeWidth >= trackWidth) {
        shapeLeft = trackWidth - shapeWidth;
        direction_ = -1;
    } else if (shapeLeft <= 0) {
        shapeLeft = 0;
        direction_ = 1;
    }
}

}  // namespace gw
