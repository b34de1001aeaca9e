// Small helpers for the simulator tests: byte conversions and one-call exchanges with
// the responder.
#pragma once

#include <string>

#include "sim/SimCodec.h"
#include "sim/SimResponder.h"

namespace gwtest {

inline gw::SimBytes ToBytes(const std::string& s) { return gw::SimBytes(s.begin(), s.end()); }

inline gw::SimBytes Le16(std::initializer_list<int> values) {
    gw::SimBytes b;
    for (int v : values) {
        b.push_back(static_cast<std::uint8_t>(v & 0xFF));
        b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }
    return b;
}

// Status and data of the answer to one request.
struct Reply {
    int status = -1;
    gw::SimBytes data;
};

inline Reply Ask(gw::SimResponder& r, std::uint8_t command, const gw::SimBytes& payload = {}) {
    auto a = r.Handle(gw::SimCodec::BuildRequest(command, payload), 0);
    Reply out;
    if (!a || a->size() < 6) return out;
    out.status = (*a)[4];
    out.data.assign(a->begin() + 5, a->end() - 1);
    return out;
}

}  // namespace gwtest
