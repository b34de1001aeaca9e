// SimErrors: the simulated ECU's error detection on a schedule. Each event makes an error
// present with a state value for a span of time; while it is present the ECU also stores
// it in its error memory, where it stays until the memory is cleared. Evaluated when the
// error table is read, from the times given, so it runs on virtual time as on real time.
// Other faults (of the line and the protocol) are SimFaults' business.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace gw {

class SimErrors {
public:
    static constexpr double kForever = std::numeric_limits<double>::infinity();

    // Error 0-31 present with the state value from fromUs until untilUs (exclusive).
    void Add(int error, std::uint8_t state, double fromUs, double untilUs = kForever);
    // The same error coming back: present for onUs out of every periodUs, count times,
    // the first time at firstUs.
    void AddIntermittent(int error, std::uint8_t state, double firstUs, double onUs, double periodUs, int count);
    void Clear() { events_.clear(); }
    bool Empty() const { return events_.empty(); }

    // Brings the 64-byte table up to nowUs: the present byte of each scheduled error is its
    // state while an event holds it, else 0; an event that held at any time since the last
    // update (or the last clearing) leaves its state in the memorised byte. Errors with no
    // event are left as they are.
    void Update(double nowUs, std::array<std::uint8_t, 64>& table);
    // The error memory was cleared at nowUs: what happened before is forgotten.
    void Cleared(double nowUs) { lastUs_ = nowUs; }

private:
    struct Event {
        int error;
        std::uint8_t state;
        double fromUs, untilUs;
    };
    std::vector<Event> events_;
    double lastUs_ = -kForever;
};

}  // namespace gw
