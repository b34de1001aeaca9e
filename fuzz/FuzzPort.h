// The smallest port the link's receive path can be fuzzed through: it records what the
// link writes, recognises each complete request frame, and answers it with bytes the
// target chooses. Answer bytes arrive by the host's clock (all at once or at line pace),
// counted out whenever the link looks at the line: no events are scheduled, so the clock
// moves only as far as the link lets it. It can also make every third queue query fail.
// Nothing else: no timing of the writes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "link/Port.h"
#include "util/EventHost.h"

namespace gwfuzz {

struct FuzzLine {
    gw::TimerHost* host = nullptr;
    std::string written;      // every byte the link wrote
    std::string rx;           // received, not yet read
    std::string pending;      // the request frame being written
    int requests = 0;         // complete request frames seen
    std::size_t fed = 0;      // answer bytes delivered so far
    bool failQueue = false;   // every third BytesWaiting fails
    int queueCalls = 0;
    bool isOpen = false;
    // Gets the number of the request (from 0) and the request frame.
    std::function<void(int, const std::string&)> onRequest;

    void Feed(const std::string& bytes) {
        rx += bytes;
        fed += bytes.size();
    }

    // Bytes that reach the line after startUs, one every byteUs (0: all at startUs).
    void Arrive(double startUs, double byteUs, std::string bytes) {
        arrivals.push_back({startUs, byteUs, std::move(bytes), 0});
    }
    // Moves what has arrived by now into rx.
    void Pump() {
        if (!host) return;
        const double now = host->MicroClock();
        while (!arrivals.empty()) {
            Arrival& a = arrivals.front();
            std::size_t due = a.bytes.size();
            if (a.byteUs > 0) {
                const double n = (now - a.startUs) / a.byteUs;  // byte i at startUs + (i + 1) byteUs
                due = n <= 0 ? 0 : std::min(a.bytes.size(), static_cast<std::size_t>(n));
            } else if (now < a.startUs) {
                due = 0;
            }
            if (due > a.done) {
                Feed(a.bytes.substr(a.done, due - a.done));
                a.done = due;
            }
            if (a.done < a.bytes.size()) break;
            arrivals.pop_front();
        }
    }

    // When the next byte not yet moved into rx arrives; infinity when none is coming.
    double NextArrivalUs() const {
        if (arrivals.empty()) return std::numeric_limits<double>::infinity();
        const Arrival& a = arrivals.front();
        return a.byteUs > 0 ? a.startUs + static_cast<double>(a.done + 1) * a.byteUs : a.startUs;
    }

private:
    struct Arrival {
        double startUs, byteUs;
        std::string bytes;
        std::size_t done;
    };
    std::deque<Arrival> arrivals;
};

class FuzzPort : public gw::Port {
public:
    FuzzPort(FuzzLine& line, gw::PortKind kind) : line_(line), kind_(kind) {}
    gw::PortKind Kind() const override { return kind_; }
    std::string Description() const override { return "FUZZ"; }
    bool Open() override {
        if (line_.isOpen) return false;  // one holder at a time, like a real device
        line_.isOpen = open_ = true;
        return true;
    }
    void Close() override {
        if (open_) line_.isOpen = open_ = false;
    }
    bool IsOpen() const override { return open_; }
    bool BytesWaiting(long& count) override {
        count = 0;
        if (!open_) return false;
        if (line_.failQueue && ++line_.queueCalls % 3 == 0) return false;
        line_.Pump();
        count = static_cast<long>(line_.rx.size());
        return true;
    }
    bool Read(std::size_t n, std::string& out) override {
        if (!open_) return false;
        line_.Pump();
        const std::size_t k = std::min(n, line_.rx.size());
        out.append(line_.rx, 0, k);
        line_.rx.erase(0, k);
        return true;
    }
    bool WriteByte(std::uint8_t b) override {
        if (!open_) return false;
        line_.written.push_back(static_cast<char>(b));
        if (line_.pending.empty() && b != 0x41) return true;
        line_.pending.push_back(static_cast<char>(b));
        if (line_.pending.size() >= 3 &&
            line_.pending.size() == static_cast<std::size_t>(static_cast<std::uint8_t>(line_.pending[2])) + 2) {
            const std::string frame = line_.pending;
            line_.pending.clear();
            const int n = line_.requests++;
            if (line_.onRequest) line_.onRequest(n, frame);
        }
        return true;
    }
    bool PurgeReceive() override {
        if (!open_) return false;
        line_.Pump();
        line_.rx.clear();
        return true;
    }
    bool PurgeTransmit() override { return open_; }
    long LastError() const override { return open_ ? 5 : 9; }
    long LastStatus() const override { return 0; }

private:
    FuzzLine& line_;
    gw::PortKind kind_;
    bool open_ = false;
};

class FuzzPortProvider : public gw::PortProvider {
public:
    explicit FuzzPortProvider(FuzzLine& line) : line_(line) {}
    std::unique_ptr<gw::Port> MakeCom(int) override { return std::make_unique<FuzzPort>(line_, gw::PortKind::Com); }
    int CountUsbDevices() override { return 1; }
    std::unique_ptr<gw::Port> MakeUsb(int) override { return std::make_unique<FuzzPort>(line_, gw::PortKind::Usb); }
    std::unique_ptr<gw::Port> MakeSimulated() override { return nullptr; }

private:
    FuzzLine& line_;
};

}  // namespace gwfuzz
