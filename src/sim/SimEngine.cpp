#include "sim/SimEngine.h"

#include <algorithm>
#include <cmath>

namespace gw {

namespace {

constexpr double kStepS = SimEngine::StepUs / 1e6;
constexpr double kPi = 3.14159265358979323846;

double Approach(double value, double target, double tauS) {
    return value + (target - value) * (1.0 - std::exp(-kStepS / tauS));
}

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::uint16_t ClampU16(double v) {
    if (!(v > 0)) return 0;
    if (v > 65535) return 65535;
    return static_cast<std::uint16_t>(std::lround(v));
}

std::uint16_t S16Bits(double v) {
    const long r = std::lround(std::clamp(v, -32768.0, 32767.0));
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(r));
}

}  // namespace

SimEngine::SimEngine(SimMemory& memory, std::uint64_t seed, SimScenario scenario)
    : mem_(memory), seed_(seed), car_(memory, seed), scenario_(scenario) {
    key_ = scenario != SimScenario::KeyOff;
}

void SimEngine::SetTankFill(double fill) { tankFill_ = fill > 0 ? std::min(fill, 1.0) : 0.0; }

void SimEngine::SetLevelSensor(int fullScaleCount, bool inverted) {
    levelFullScale_ = std::clamp(fullScaleCount, 1, 65535);
    levelInverted_ = inverted;
}

int SimEngine::LevelReading() const {
    const double share = levelInverted_ ? 1.0 - tankFill_ : tankFill_;
    return static_cast<int>(std::lround(share * levelFullScale_));
}

void SimEngine::SetScenario(SimScenario s) {
    scenario_ = s;
    scenarioStartTick_ = static_cast<double>(tick_);
    key_ = s != SimScenario::KeyOff;
}

double SimEngine::Noise(int channel) const {
    const std::uint64_t h = Mix(seed_ ^ Mix(tick_ * 64 + static_cast<std::uint64_t>(channel)));
    return static_cast<double>(h >> 11) / 9007199254740992.0 * 2.0 - 1.0;
}

double SimEngine::ScenarioRpm() const {
    if (heldRpm_ > 0) return heldRpm_;
    if (scenario_ != SimScenario::Drive) return 800;
    // 20 s idle, 30 s at 2500 rpm, 20 s at 1500 rpm, 10 s idle, again.
    const double s = std::fmod((static_cast<double>(tick_) - scenarioStartTick_) * kStepS, 80.0);
    if (s < 20) return 800;
    if (s < 50) return 2500;
    if (s < 70) return 1500;
    return 800;
}

double SimEngine::SwitchRpm() const {
    const std::uint16_t p = SimMemory::U16(mem_.block3, 4);
    if (p == 0 || p == 65535) return 0;
    return mem_.SpeedConstant() / p;
}

void SimEngine::AdvanceTo(double nowUs) {
    if (!started_) {
        started_ = true;
        tUs_ = nowUs;
        return;
    }
    // After a long pause (a stopped program), catch up at most ten minutes.
    if (nowUs - tUs_ > 600e6) tUs_ = nowUs - 600e6;
    while (tUs_ + StepUs <= nowUs) {
        tUs_ += StepUs;
        ++tick_;
        Step();
    }
}

void SimEngine::Step() {
    const double stepMs = kStepS * 1000;
    const bool running = key_ && rpm_ > 300;
    // Speed: starts on key on, falls to zero on key off.
    if (key_) {
        const double target = ScenarioRpm() + 15 * Noise(1);
        rpm_ = rpm_ < 300 ? std::max(rpm_, 0.0) + 400 * kStepS * 10 : Approach(rpm_, target, 0.6);
    } else {
        rpm_ = Approach(rpm_, 0, 0.3);
        if (rpm_ < 50) rpm_ = 0;
    }
    // Temperatures warm while running, cool otherwise.
    tReducer_ = Approach(tReducer_, running ? 75 : 20, running ? car_.Options().reducerWarmTauS : 900);
    tGas_ = Approach(tGas_, running ? 35 : 20, running ? 300 : 900);
    // Manifold absolute pressure: about 330 mbar at idle, more with speed and load.
    const double vacTarget = running ? 330 + std::max(0.0, rpm_ - 800) * 0.12 : 1013;
    vacuum_ = Approach(vacuum_, vacTarget, 0.3) + (running ? 2 * Noise(2) : 0);
    supply_ = running ? 14.1 + 0.05 * Noise(3) : (key_ ? 12.3 : 12.5);
    // Petrol injection time from the load.
    // Petrol injection time from the load; on gas the car's controller trims it.
    const double basePetrolMs = running ? 1.5 + 4.5 * std::clamp((vacuum_ - 250) / 750, 0.0, 1.0) : 0;
    petrolMs_ = car_.Step(basePetrolMs, fuel_ == 3, kStepS, tick_);

    // Switch-over: gas selected, warm, and (in normal running) above the switch speed
    // for the switch-over delay. Back to petrol when petrol is selected or the engine stops.
    const bool gasSelected = mem_.block2[0] == 3;
    const bool slave = mem_.OperatingState() == 1;
    const bool warm = tReducer_ >= SimMemory::U16(mem_.block3, 2);
    if (fuel_ == 3) {
        if (!running || !gasSelected) fuel_ = 0;
        switchHeldMs_ = 0;
    } else if (running && gasSelected && warm && (slave || rpm_ >= SwitchRpm())) {
        switchHeldMs_ += stepMs;
        if (slave || switchHeldMs_ >= SimMemory::U16(mem_.block3, 55) * 0.025) fuel_ = 3;
    } else {
        switchHeldMs_ = 0;
    }
    pressure_ = fuel_ == 3 ? Approach(pressure_, 1200, 0.5) + 5 * Noise(4) : Approach(pressure_, 0, 2.0);
    if (pressure_ < 5) pressure_ = 0;
    // Lambda swings about once a second once the engine is warm.
    if (!running)
        lambda_ = 0;
    else if (tReducer_ > 30)
        lambda_ = 0.45 + 0.4 * std::sin(2 * kPi * 1.2 * static_cast<double>(tick_) * kStepS) + 0.02 * Noise(5);
    else
        lambda_ = 0.45;
    if (fuel_ == 3) tankFill_ = std::max(0.0, tankFill_ - rpm_ * petrolMs_ * kTankDrainPerRpmMsS * kStepS);

    // Working-time counters: 32-bit minutes, key on (offset 3) and on gas (offset 7).
    auto countMinute = [&](std::size_t at) {
        std::uint32_t m = 0;
        for (std::size_t i = 0; i < 4; ++i) m |= static_cast<std::uint32_t>(mem_.block2[at + i]) << (8 * i);
        ++m;
        for (std::size_t i = 0; i < 4; ++i) mem_.block2[at + i] = static_cast<std::uint8_t>(m >> (8 * i));
    };
    if (key_ && (keyOnMinutesMs_ += stepMs) >= 60000) {
        keyOnMinutesMs_ = 0;
        countMinute(3);
    }
    if (fuel_ == 3 && (gasMinutesMs_ += stepMs) >= 60000) {
        gasMinutesMs_ = 0;
        countMinute(7);
    }
    samples_.Step(running, fuel_, vacuum_, petrolMs_, stepMs);
}

void SimEngine::WriteLive() {
    auto& b = mem_.block1;
    std::fill(b.begin(), b.end(), 0);
    const int cyl = std::clamp(mem_.Cylinders(), 0, 8);
    for (int i = 0; i < cyl; ++i) {
        const int slot = 7 - i;
        const double petrol = petrolMs_ > 0 ? petrolMs_ / 0.008 + 6 * Noise(10 + i) : 0;
        SimMemory::PutU16(b, 2 * slot, S16Bits(petrol));
        const int mode = mem_.InjMode(i);
        if (fuel_ == 3 && petrol > 0 && mode >= 2 && mode <= 4) {
            const long idx = std::clamp(std::lround(petrolMs_ / 0.128), 0L, 183L);
            const double gas = petrol + mem_.corTable[static_cast<std::size_t>(idx)] + mem_.InjOffset(i);
            SimMemory::PutU16(b, 16 + 2 * slot, ClampU16(gas));
        }
    }
    SimMemory::PutU16(b, 64, rpm_ > 0 ? ClampU16(mem_.SpeedConstant() / rpm_) : 0);
    SimMemory::PutU16(b, 66, ClampU16(pressure_));
    SimMemory::PutU16(b, 68, ClampU16(vacuum_));
    SimMemory::PutU16(b, 70, ClampU16(lambda_ * 1000));
    // Status bits: 0 key, 1 valve EV1, 2 valve EV2.
    b[72] = static_cast<std::uint8_t>((key_ ? 1 : 0) | (fuel_ == 3 ? 6 : 0));
    b[73] = static_cast<std::uint8_t>(fuel_);
    b[74] = mem_.OperatingState();
    SimMemory::PutU16(b, 75, 65535);  // level reading valid
    SimMemory::PutU16(b, 77, S16Bits(tReducer_));
    SimMemory::PutU16(b, 79, S16Bits(tGas_));
    SimMemory::PutU16(b, 81, ClampU16(supply_ / 0.0328125));
    SimMemory::PutU16(b, 83, static_cast<std::uint16_t>(LevelReading()));
    mem_.block2[1] = static_cast<std::uint8_t>(fuel_);
}

}  // namespace gw
