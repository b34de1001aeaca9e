// SimEcu: the simulated ECU as a device on a 38400-baud line. Owns its memory, engine,
// responder and faults; collects request bytes as they arrive (with their arrival time),
// answers complete frames after a processing delay, and schedules the answer bytes at
// line pace (10 bits per byte). Everything is computed from the times it is given, so it
// runs on a virtual clock as well as on a real one. It is not a Port: SimulatedEcuPort
// and the pseudo-terminal server put it on a medium.
#pragma once

#include <cstdint>
#include <deque>
#include <limits>

#include "sim/SimCodec.h"
#include "sim/SimEngine.h"
#include "sim/SimFaults.h"
#include "sim/SimMemory.h"
#include "sim/SimResponder.h"

namespace gw {

struct SimEcuOptions {
    SimIdentity identity;
    std::uint64_t seed = 1;
    SimScenario scenario = SimScenario::Idle;
    double processingDelayUs = 2000;  // from the last request byte to the first answer bit
    double interByteTimeoutUs = 20000;  // a longer gap abandons a partial request
    double bootTimeUs = 500000;  // deaf after a reset
    SimCarOptions car;  // the car's gas need and warm-up
};

class SimEcu {
public:
    static constexpr double ByteUs = 10.0 * 1e6 / 38400.0;  // about 260 us
    static constexpr double Never = std::numeric_limits<double>::infinity();

    explicit SimEcu(const SimEcuOptions& options = {});

    SimMemory& Memory() { return memory_; }
    SimEngine& Engine() { return engine_; }
    SimResponder& Responder() { return responder_; }
    SimFaults& Faults() { return faults_; }
    SimErrors& Errors() { return responder_.Errors(); }
    const SimEcuOptions& Options() const { return options_; }
    void SetProcessingDelayUs(double us) { options_.processingDelayUs = us; }

    // A request byte that has completely arrived at the ECU at atUs (times must not
    // go backwards). Bytes while the cable is pulled never arrive: the caller checks
    // Faults().CableConnectedAt.
    void ReceiveByte(std::uint8_t b, double atUs);
    // Answer bytes whose last bit has left the ECU by nowUs, in order; their times
    // in readyUs when given.
    SimBytes TakeDue(double nowUs, std::vector<double>* readyUs = nullptr);
    // When the next answer byte is due; Never when none is pending.
    double NextDueUs() const { return out_.empty() ? Never : out_.front().readyUs; }
    // Drops the answer bytes not yet sent (the cable was pulled).
    void DropPending() { out_.clear(); }

    // The ECU restarts now: unsaved parameters lost, deaf for the boot time.
    void Reset(double atUs);

private:
    void OnFrame(double atUs);

    struct OutByte {
        std::uint8_t b;
        double readyUs;
    };
    SimEcuOptions options_;
    SimMemory memory_;
    SimEngine engine_;
    SimResponder responder_;
    SimFaults faults_;
    SimBytes frame_;
    double lastRxUs_ = -Never;
    double lineFreeUs_ = 0;
    double deafUntilUs_ = -Never;
    std::deque<OutByte> out_;
};

}  // namespace gw
