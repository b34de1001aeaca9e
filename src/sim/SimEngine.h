// SimEngine: a small engine model on the host's virtual or steady time that produces the
// ECU's live values (block 1) and the fuel in use: key, idle and raised speed, warming
// temperatures, lambda swing, pressure and vacuum, supply voltage, injection times per
// cylinder, the ECU's petrol-to-gas switch-over, and a gas tank whose level sensor reading
// falls with the gas burnt. Deterministic from a seed: it runs
// on a fixed 10 ms grid and its noise is a hash of (seed, tick, channel). It reads the
// installation parameters from SimMemory; it knows nothing of frames.
#pragma once

#include <cstdint>

#include "sim/SimCar.h"
#include "sim/SimMemory.h"
#include "sim/SimSamples.h"

namespace gw {

enum class SimScenario { Idle, Drive, KeyOff };

class SimEngine {
public:
    static constexpr double StepUs = 10000.0;

    SimEngine(SimMemory& memory, std::uint64_t seed = 1, SimScenario scenario = SimScenario::Idle);

    void SetScenario(SimScenario s);
    void SetKey(bool on) { key_ = on; }
    // Speed the driver holds (rpm); 0 follows the scenario.
    void SetTargetRpm(double rpm) { heldRpm_ = rpm; }

    // The gas tank: fill 0 (empty) ... 1 (full), clamped. It falls with the gas burnt
    // (engine speed x injection time) while the engine runs on gas.
    void SetTankFill(double fill);
    double TankFill() const { return tankFill_; }
    // The level sensor: its raw count at a full tank, and whether the count falls as the
    // tank fills (an inverted sensor). Default: 1023, direct.
    void SetLevelSensor(int fullScaleCount, bool inverted);
    // The sensor's raw reading for the present fill (block 1's level reading).
    int LevelReading() const;

    // Fraction of the tank burnt per second per (rpm x ms of injection).
    static constexpr double kTankDrainPerRpmMsS = 2.5e-7;

    // Runs the model up to the given time (microseconds on the host clock). The first
    // call only sets the starting point.
    void AdvanceTo(double nowUs);
    // Writes the live values into block 1 and the fuel in use into block 2.
    void WriteLive();

    bool Key() const { return key_; }
    double Rpm() const { return rpm_; }
    int Fuel() const { return fuel_; }  // 0 petrol, 3 gas
    double ReducerTemp() const { return tReducer_; }
    double PressureMbar() const { return pressure_; }
    double VacuumMbar() const { return vacuum_; }
    double PetrolMs() const { return petrolMs_; }
    // The car: its gas need and petrol controller (the commanded petrol time on gas).
    SimCar& Car() { return car_; }

private:
    void Step();
    double Noise(int channel) const;  // -1 .. 1
    double ScenarioRpm() const;
    double SwitchRpm() const;

    SimMemory& mem_;
    std::uint64_t seed_;
    SimCar car_;
    SimScenario scenario_;
    bool started_ = false;
    double tUs_ = 0;
    std::uint64_t tick_ = 0;
    double scenarioStartTick_ = 0;
    bool key_ = true;
    double heldRpm_ = 0;
    double rpm_ = 0, tReducer_ = 20, tGas_ = 20, pressure_ = 0, vacuum_ = 1013;
    double supply_ = 12.5, lambda_ = 0, petrolMs_ = 0;
    double tankFill_ = 0.7;
    int levelFullScale_ = 1023;
    bool levelInverted_ = false;
    int fuel_ = 0;
    double switchHeldMs_ = 0;
    double keyOnMinutesMs_ = 0, gasMinutesMs_ = 0;
    SimSamples samples_{mem_};
};

}  // namespace gw
