// SimFaults: named faults of the simulated ECU and its cable. Each fault matches
// requests (one command or any), lets a number of them pass, then acts on a number of
// them (0 = on all that follow): no answer, late answer, a dropped or corrupted byte,
// wrong checksum, wrong command code, a status byte, a truncated frame, extra bytes, a
// pulled cable (plugged back after a while, or by hand) or an ECU reset. The ECU asks
// it what to do with each request and lets it spoil each answer; it executes nothing.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimCodec.h"

namespace gw {

enum class Fault {
    NoAnswer,       // the request is lost: not executed, not answered
    Delay,          // the answer comes delayUs later than usual
    DropByte,       // one answer byte (index, default the middle one) is lost
    CorruptByte,    // one answer byte (index, default the middle one) is flipped
    WrongChecksum,  // the answer's checksum byte is wrong
    WrongCommand,   // the answer carries another command code (checksum made to fit)
    Status,         // the request is refused with the status byte `value` (default 255)
    Truncate,       // only the first `value` answer bytes (default half) are sent
    ExtraBytes,     // `value` bytes (default 3) of noise follow the answer
    CablePulled,    // the cable comes off: requests and answers vanish, Open fails
    Reset,          // the ECU restarts: unsaved parameters lost, deaf while it boots
    DeviceGone,     // the USB adapter is unplugged: as a pulled cable, and every call on the
                    // open port fails with the device gone (EIO) until it is plugged back
    Stall,          // the ECU hangs: nothing is answered for delayUs (0 = until reset)
};

struct FaultOptions {
    int command = -1;        // -1: any command
    int count = 1;           // how many matching requests it acts on; 0 = all
    int after = 0;           // matching requests let through first
    int value = -1;          // status byte, byte count or byte index; -1 = the default
    double delayUs = 0;      // Delay: extra wait; CablePulled: time until plugged back (0 = never)
};

struct FaultRule {
    Fault kind;
    FaultOptions options;
    int matched = 0;  // matching requests seen
    int fired = 0;    // times it acted
};

// What happens to one request.
struct FaultAction {
    bool lose = false;        // NoAnswer, CablePulled, Reset: nothing executed, nothing sent
    int status = -1;          // refuse with this status instead of executing
    bool pullCable = false;
    double plugAfterUs = 0;   // 0: stays pulled
    bool reset = false;
    bool deviceGone = false;
    bool stall = false;
    double delayUs = 0;
    std::vector<FaultRule> spoil;  // rules that change the answer bytes
};

class SimFaults {
public:
    void Add(Fault kind, FaultOptions options = {});
    // Parses one fault description (see Help()); false with a reason when not understood.
    bool AddByName(const std::string& text, std::string* error = nullptr);
    static std::optional<FaultRule> Parse(const std::string& text, std::string* error = nullptr);
    static std::string Help();
    void Clear() { rules_.clear(); }
    const std::vector<FaultRule>& Rules() const { return rules_; }

    // Consulted once for every complete request addressed to the ECU.
    FaultAction OnRequest(std::uint8_t command);
    // Applies the answer-spoiling faults of an action to an answer frame.
    static void Spoil(const FaultAction& action, SimBytes& answer);

    // The cable: pulled from a moment, until a moment (infinity = not plugged back).
    // deviceGone: the adapter itself went with it (the port's calls fail).
    void PullCable(double atUs, double plugAfterUs = 0, bool deviceGone = false);
    void PlugCable() { pulledAt_ = kNever; }
    bool CableConnectedAt(double us) const { return !(us >= pulledAt_ && us < plugAt_); }
    bool DeviceGoneAt(double us) const { return deviceGone_ && !CableConnectedAt(us); }

private:
    static constexpr double kNever = std::numeric_limits<double>::infinity();
    std::vector<FaultRule> rules_;
    double pulledAt_ = kNever, plugAt_ = kNever;
    bool deviceGone_ = false;
};

}  // namespace gw
