// SimCar: the car behind the simulated ECU, as far as the gas calibration sees it. The
// engine has a true gas need (gas time = Alfa x petrol time + Offset, the petrol time being
// what the engine needs on petrol), and its petrol controller, while the engine runs on gas,
// trims the petrol time it commands (an integrating loop with a 1-2 s lag and a little
// deterministic noise) until the gas the ECU delivers through its correction table matches
// that need. On petrol the trim fades away. Engine speed, key and temperatures are the
// engine model's (SimEngine); this class only shapes the commanded petrol time.
#pragma once

#include <cstdint>

#include "sim/SimMemory.h"

namespace gw {

struct SimCarOptions {
    double gasAlfa = 1.0;        // slope of the true gas need
    double gasOffsetMs = 1.456;  // offset of the true gas need (ms)
    // Time constant of the reducer's warm-up while the engine runs (s); the ECU on the
    // bench warms slowly, a car being calibrated is shown warming within half a minute.
    double reducerWarmTauS = 150;
};

class SimCar {
public:
    static constexpr double kLoopTauS = 1.5;     // lag of the petrol controller
    static constexpr double kNoiseMs = 0.012;    // amplitude of the commanded petrol time's noise
    static constexpr double kEcuCountMs = 0.008; // the ECU's injection-time count

    SimCar(const SimMemory& memory, std::uint64_t seed) : mem_(memory), seed_(seed) {}

    void Configure(const SimCarOptions& o) { options_ = o; }
    const SimCarOptions& Options() const { return options_; }

    // The gas time the engine needs when it needs basePetrolMs of petrol.
    double GasNeedMs(double basePetrolMs) const { return options_.gasAlfa * basePetrolMs + options_.gasOffsetMs; }
    // The gas time the ECU gives for a petrol time, through its correction table (entry of
    // the nearest 0.128 ms step) and the first injector's offset.
    double DeliveredGasMs(double petrolMs) const;

    // One step of the controller: the petrol time the engine's controller commands now.
    double Step(double basePetrolMs, bool onGas, double stepS, std::uint64_t tick);
    double TrimMs() const { return trimMs_; }

private:
    const SimMemory& mem_;
    std::uint64_t seed_;
    SimCarOptions options_;
    double trimMs_ = 0;
};

}  // namespace gw
