// CalibrationDriver: a scripted driver for a calibration on the simulated car. It watches
// the Calibration's steps and does what their instructions ask: key on and idle while the
// engine warms up and the idle reference is taken, the raised speed from the raised-speed
// step until the return to idle is asked, then idle again. It only turns the key and moves
// the accelerator (the two actions it is given); the car's behaviour is the simulator's.
#pragma once

#include <functional>

#include "app/Calibration.h"
#include "model/CalibrationParameters.h"
#include "util/Signal.h"

namespace gw {

class CalibrationDriver {
public:
    // setKey: the ignition key; setSpeed: the engine speed the driver holds (rpm; 0 lets the
    // engine idle by itself).
    CalibrationDriver(Calibration& calibration, const CalibrationParameters& params, std::function<void(bool)> setKey,
                      std::function<void(double)> setSpeed);

    // The speed the driver holds for a step (0: idle).
    double SpeedFor(Calibration::State s) const;
    double HeldSpeed() const { return held_; }

private:
    void Follow(Calibration::State s);

    const CalibrationParameters& params_;
    std::function<void(bool)> setKey_;
    std::function<void(double)> setSpeed_;
    double held_ = 0;
    Connection connection_;
};

}  // namespace gw
