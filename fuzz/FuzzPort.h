// The smallest port the link's receive path can be fuzzed through: it records what the
// link writes, recognises each complete request frame, and answers it with bytes the
// target chooses, delivered through the host's event processing (at once or at line pace).
// It can also make every third queue query fail. Nothing else: no timing of the writes.
#pragma once

#include <cstdint>
#include <functional>
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
        count = static_cast<long>(line_.rx.size());
        return true;
    }
    bool Read(std::size_t n, std::string& out) override {
        if (!open_) return false;
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
