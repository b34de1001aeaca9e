#include "app/CalibrationDriver.h"

namespace gw {

CalibrationDriver::CalibrationDriver(Calibration& calibration, const CalibrationParameters& params,
                                     std::function<void(bool)> setKey, std::function<void(double)> setSpeed)
    : params_(params), setKey_(std::move(setKey)), setSpeed_(std::move(setSpeed)) {
    connection_ = calibration.StateChanged.Connect([this](Calibration::State, Calibration::State now) { Follow(now); });
    if (setKey_) setKey_(true);
    Follow(calibration.CalState());
}

double CalibrationDriver::SpeedFor(Calibration::State s) const {
    switch (s) {
        case Calibration::CalRaiseSpeed:
        case Calibration::CalHighRef:
        case Calibration::TaraMax:
        case Calibration::CalMaxPause: return params_.HighSpeedTarget;
        default: return 0;
    }
}

void CalibrationDriver::Follow(Calibration::State s) {
    // A pause keeps the engine where it is; everything else sets the step's speed.
    if (s == Calibration::CalPaused) return;
    const double speed = SpeedFor(s);
    if (speed == held_) return;
    held_ = speed;
    if (setSpeed_) setSpeed_(speed);
}

}  // namespace gw
