#include "sim/SimFaults.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

#include "util/Numbers.h"

namespace gw {

namespace {

struct KindName {
    const char* compact;
    const char* phrase;  // words that open a phrase
    Fault kind;
};

constexpr KindName kKinds[] = {
    {"no-answer", "no answer", Fault::NoAnswer},
    {"delay", "late answer", Fault::Delay},
    {"drop-byte", "dropped byte", Fault::DropByte},
    {"corrupt-byte", "corrupted byte", Fault::CorruptByte},
    {"wrong-checksum", "wrong checksum", Fault::WrongChecksum},
    {"wrong-command", "wrong command", Fault::WrongCommand},
    {"status", "status", Fault::Status},
    {"truncate", "truncated frame", Fault::Truncate},
    {"extra-bytes", "extra bytes", Fault::ExtraBytes},
    {"cable-pulled", "cable pulled", Fault::CablePulled},
    {"reset", "ecu reset", Fault::Reset},
    {"device-gone", "usb unplugged", Fault::DeviceGone},
    {"stall", "ecu stalls", Fault::Stall},
};

bool Number(const std::string& s, int& out) {
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    out = std::atoi(s.c_str());
    return true;
}

std::vector<std::string> Words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> w;
    for (std::string x; in >> x;) w.push_back(x);
    return w;
}

// "block 3 writes", "block 2 reads", "zone writes", "eco", "command 17", "CMD_READ_MEM1".
int Target(const std::vector<std::string>& w, std::size_t at) {
    if (at >= w.size()) return -1;
    int n = 0;
    if (w[at] == "block" && at + 1 < w.size() && Number(w[at + 1], n)) {
        const bool writes = at + 2 < w.size() && w[at + 2].rfind("write", 0) == 0;
        switch (n) {
            case 1: return writes ? simcmd::WrtMem1 : simcmd::ReadMem1;
            case 2: return writes ? simcmd::WrtMem2 : simcmd::ReadMem2;
            case 3: return writes ? simcmd::WrtMem3 : simcmd::ReadMem3;
            case 5: return writes ? simcmd::WrtMem5 : simcmd::ReadMem5;
            default: return -1;
        }
    }
    if (w[at].rfind("zone", 0) == 0) return simcmd::WrtFlashZone;
    if (w[at] == "eco") return simcmd::Eco;
    if (w[at] == "erase") return simcmd::EraseFlash;
    if (w[at] == "command" && at + 1 < w.size()) return SimCodec::CommandByName(w[at + 1]);
    return SimCodec::CommandByName(w[at]);
}

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

}  // namespace

void SimFaults::Add(Fault kind, FaultOptions options) { rules_.push_back({kind, options, 0, 0}); }

bool SimFaults::AddByName(const std::string& text, std::string* error) {
    auto r = Parse(text, error);
    if (!r) return false;
    rules_.push_back(*r);
    return true;
}

std::optional<FaultRule> SimFaults::Parse(const std::string& text, std::string* error) {
    const std::string t = Lower(text);
    FaultRule rule{Fault::NoAnswer, {}, 0, 0};
    const auto colon = t.find(':');
    const std::string head = Words(t.substr(0, colon)).empty() ? "" : t.substr(0, colon);
    // Compact form: kind[:key=value,...]
    bool compact = false;
    for (const auto& k : kKinds)
        if (Words(head).size() == 1 && Words(head)[0] == k.compact) {
            rule.kind = k.kind;
            compact = true;
        }
    if (compact) {
        std::string rest = colon == std::string::npos ? "" : t.substr(colon + 1);
        std::istringstream in(rest);
        for (std::string item; std::getline(in, item, ',');) {
            const auto eq = item.find('=');
            if (eq == std::string::npos) {
                Fail(error, "expected key=value in \"" + item + "\"");
                return {};
            }
            const auto w = Words(item.substr(0, eq));
            const auto v = Words(item.substr(eq + 1));
            if (w.size() != 1 || v.size() != 1) {
                Fail(error, "bad item \"" + item + "\"");
                return {};
            }
            int n = 0;
            const std::string& key = w[0];
            if (key == "cmd") {
                rule.options.command = SimCodec::CommandByName(v[0]);
                if (rule.options.command < 0) {
                    Fail(error, "unknown command \"" + v[0] + "\"");
                    return {};
                }
            } else if (!Number(v[0], n)) {
                Fail(error, "not a number: \"" + v[0] + "\"");
                return {};
            } else if (key == "count") {
                rule.options.count = n;
            } else if (key == "after") {
                rule.options.after = n;
            } else if (key == "value") {
                rule.options.value = n;
            } else if (key == "ms" || key == "for") {
                rule.options.delayUs = n * 1000.0;
            } else {
                Fail(error, "unknown key \"" + key + "\"");
                return {};
            }
        }
        return rule;
    }
    // Phrase form.
    const auto w = Words(t);
    std::size_t at = 0;
    bool found = false;
    for (const auto& k : kKinds) {
        const auto kw = Words(k.phrase);
        if (w.size() >= kw.size() && std::equal(kw.begin(), kw.end(), w.begin())) {
            rule.kind = k.kind;
            at = kw.size();
            found = true;
            break;
        }
    }
    if (!found) {
        Fail(error, "unknown fault \"" + text + "\"");
        return {};
    }
    int n = 0;
    if (rule.kind == Fault::Status || rule.kind == Fault::Delay || rule.kind == Fault::ExtraBytes) {
        // "status 255 ...", "late answer 500 ms ...", "extra bytes 4 ..."
        if (at < w.size() && Number(w[at], n)) {
            if (rule.kind == Fault::Delay) {
                rule.options.delayUs = n * 1000.0;
                if (at + 1 < w.size() && w[at + 1] == "ms") ++at;
            } else {
                rule.options.value = n;
            }
            ++at;
        }
    }
    while (at < w.size()) {
        const std::string& word = w[at];
        if ((word == "to" || word == "on") && at + 1 < w.size()) {
            if (w[at + 1] == "the" && at + 2 < w.size() && w[at + 2] == "first") {
                // "to the first attempt", "to the first 3 attempts"
                rule.options.count = at + 3 < w.size() && Number(w[at + 3], n) ? n : 1;
                at = w.size();
            } else if (w[at + 1] == "all" || w[at + 1] == "every") {
                rule.options.count = 0;
                at += 2;
            } else {
                rule.options.command = Target(w, at + 1);
                if (rule.options.command < 0) {
                    Fail(error, "unknown target in \"" + text + "\"");
                    return {};
                }
                rule.options.count = 0;
                at = w.size();
            }
        } else if (word == "after" && at + 1 < w.size()) {
            // "after zone 40", "after 40 zones", "after 5 requests", "after block 3 writes 2"
            if (Number(w[at + 1], n)) {
                rule.options.after = n;
                if (at + 2 < w.size() && w[at + 2].rfind("request", 0) != 0)
                    rule.options.command = Target(w, at + 2);
            } else {
                rule.options.command = Target(w, at + 1);
                if (!Number(w.back(), n)) {
                    Fail(error, "missing count in \"" + text + "\"");
                    return {};
                }
                rule.options.after = n;
            }
            rule.options.count = 1;
            at = w.size();
        } else if (word == "for" && at + 1 < w.size() && Number(w[at + 1], n)) {
            rule.options.delayUs = n * 1000.0;  // "cable pulled ... for 2000 ms"
            at += 2;
            if (at < w.size() && w[at] == "ms") ++at;
        } else {
            ++at;  // filler words
        }
    }
    return rule;
}

std::string SimFaults::Help() {
    return "Faults, as phrases:\n"
           "  \"no answer to the first attempt\", \"no answer to the first 3 attempts\",\n"
           "  \"no answer to eco\", \"status 255 on block 3 writes\", \"status 254 on erase\",\n"
           "  \"cable pulled after zone 40\", \"cable pulled after 10 requests for 2000 ms\",\n"
           "  \"wrong checksum on block 2 reads\", \"late answer 500 ms on CMD_READ_MEM1\",\n"
           "  \"ecu reset after block 3 writes 1\", \"truncated frame on eco\",\n"
           "  \"usb unplugged after 10 requests for 5000 ms\", \"ecu stalls after 3 requests for 20000 ms\"\n"
           "or compact: KIND[:cmd=NAME|CODE,count=N,after=N,value=N,ms=N]\n"
           "  KIND: no-answer delay drop-byte corrupt-byte wrong-checksum wrong-command\n"
           "        status truncate extra-bytes cable-pulled reset device-gone stall\n"
           "  count=0 acts on every matching request; ms is the delay, the time until\n"
           "  the cable or adapter is plugged back, or how long the ECU stalls.\n";
}

FaultAction SimFaults::OnRequest(std::uint8_t command) {
    FaultAction a;
    for (auto& r : rules_) {
        if (r.options.command >= 0 && r.options.command != command) continue;
        ++r.matched;
        if (r.matched <= r.options.after) continue;
        if (r.options.count > 0 && r.fired >= r.options.count) continue;
        ++r.fired;
        switch (r.kind) {
            case Fault::NoAnswer: a.lose = true; break;
            case Fault::CablePulled:
                a.lose = true;
                a.pullCable = true;
                a.plugAfterUs = r.options.delayUs;
                break;
            case Fault::Reset:
                a.lose = true;
                a.reset = true;
                break;
            case Fault::DeviceGone:
                a.lose = true;
                a.pullCable = true;
                a.deviceGone = true;
                a.plugAfterUs = r.options.delayUs;
                break;
            case Fault::Stall:
                a.lose = true;
                a.stall = true;
                a.delayUs = r.options.delayUs;
                break;
            case Fault::Status: a.status = r.options.value >= 0 ? (r.options.value & 0xFF) : 255; break;
            case Fault::Delay: a.delayUs += r.options.delayUs; break;
            default: a.spoil.push_back(r); break;
        }
    }
    return a;
}

void SimFaults::Spoil(const FaultAction& action, SimBytes& f) {
    for (const auto& r : action.spoil) {
        if (f.empty()) return;
        const std::size_t mid = f.size() / 2;
        const std::size_t idx =
            r.options.value >= 0 && static_cast<std::size_t>(r.options.value) < f.size()
                ? static_cast<std::size_t>(r.options.value)
                : mid;
        switch (r.kind) {
            case Fault::DropByte: f.erase(f.begin() + static_cast<long>(idx)); break;
            case Fault::CorruptByte: f[idx] ^= 0x5A; break;
            case Fault::WrongChecksum: f.back() ^= 0xFF; break;
            case Fault::WrongCommand:
                if (f.size() > 4) {
                    f[3] = static_cast<std::uint8_t>(f[3] + 1);
                    SimCodec::FixChecksum(f);
                }
                break;
            case Fault::Truncate:
                f.resize(r.options.value >= 0 ? std::min<std::size_t>(f.size(), static_cast<std::size_t>(r.options.value)) : mid);
                break;
            case Fault::ExtraBytes:
                for (int i = 0; i < (r.options.value >= 0 ? r.options.value : 3); ++i)
                    f.push_back(static_cast<std::uint8_t>(0xA5 ^ i));
                break;
            default: break;
        }
    }
}

void SimFaults::PullCable(double atUs, double plugAfterUs, bool deviceGone) {
    deviceGone_ = deviceGone;
    pulledAt_ = atUs;
    plugAt_ = plugAfterUs > 0 ? atUs + plugAfterUs : kNever;
}

}  // namespace gw
