// SimResponder: the ECU's protocol logic. Takes one complete request frame and returns
// the answer frame, following the command set: run/slave/programming/flash states, block
// reads and writes, correction tables by chunks, errors, samples, memory zones, firmware
// identity, test date, keep-alive. Counts the commands it received, per code. Knows
// nothing of line timing or faults (the device around it applies those).
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "sim/SimCodec.h"
#include "sim/SimEngine.h"
#include "sim/SimErrors.h"
#include "sim/SimMemory.h"

namespace gw {

enum class SimEcuState : std::uint8_t { Run = 0, Slave = 1, Programming = 2, Flashing = 3 };

class SimResponder {
public:
    SimResponder(SimMemory& memory, SimEngine& engine) : mem_(memory), engine_(engine) {}

    // The answer to a request frame received completely at nowUs; nothing when the
    // bytes are not a request frame for this ECU (wrong start, address or length).
    // A request with a bad checksum gets status 255, an unknown code "not defined".
    std::optional<SimBytes> Handle(const SimBytes& frame, double nowUs);
    // A request refused with a given status without being executed (fault injection).
    std::optional<SimBytes> Refuse(const SimBytes& frame, std::uint8_t status);
    // Counts a request that was received but lost (fault injection).
    void NoteLost(const SimBytes& frame);

    int Count(int code) const { return code >= 0 && code < 256 ? counts_[static_cast<std::size_t>(code)] : 0; }
    int TotalCount() const;
    void ResetCounts() { counts_.fill(0); }

    SimEcuState State() const { return state_; }
    // The errors the ECU detects on a schedule (read into the error table when it is read).
    SimErrors& Errors() { return errors_; }
    // The ECU restarts: back to run mode with the saved parameters.
    void Restart();

private:
    SimBytes Execute(const SimRequest& r, double nowUs);
    void SetState(SimEcuState s);
    SimBytes Samples(const std::array<SimMemory::Sample, SimMemory::SampleSlots>& list, int set) const;
    SimBytes TableRead(const std::array<std::int16_t, SimMemory::TableSize>& t, const SimRequest& r, bool& ok) const;
    bool TableWrite(std::array<std::int16_t, SimMemory::TableSize>& t, const SimRequest& r);

    SimMemory& mem_;
    SimEngine& engine_;
    SimErrors errors_;
    SimEcuState state_ = SimEcuState::Run;
    std::array<int, 256> counts_{};
};

}  // namespace gw
