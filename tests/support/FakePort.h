// FakePort and FakePortProvider: ports "with hands" for the link's tests. Each medium
// (COM n, USB cable i, the simulated ECU) has a FakeLine the test holds: it records what
// was written, takes bytes now or at a virtual time, can loop back, answer whole request
// frames, fail any call on command, stall, and report a made-up queue count. Opens and
// closes are counted; a medium already open cannot be opened a second time.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "link/Port.h"
#include "util/EventHost.h"

namespace gwtest {

struct FakeLine {
    // What the link wrote, in order, over all opens.
    std::string written;
    // Bytes received and not yet read.
    std::string rx;

    bool present = true;      // false: open fails (no such device)
    bool failOpen = false;    // open fails with openError
    bool failWrite = false;   // every write fails
    int failWriteAt = -1;     // the write with this index (counted over all attempts) fails
    bool failRead = false;    // Read fails (delivers nothing)
    bool failQueue = false;   // BytesWaiting fails
    bool loopback = false;    // each written byte comes back at once
    bool readStall = false;   // Read succeeds but delivers nothing
    double writeStallUs = 0;  // each write spends this long inside the call
    long queueOverride = -1;  // >= 0: BytesWaiting reports this count whatever waits
    long errorNumber = 5;     // LastError after a failing call (EIO)
    long statusOnFailure = 4; // LastStatus after a failing call
    long openError = 16;      // LastError after a failed open (EBUSY)

    // Called after every written byte.
    std::function<void(FakeLine&)> onByteWritten;
    // Called when the bytes written since the last request frame form a complete request
    // (0x41 0x02 L ... with L + 2 bytes); gets that frame.
    std::function<void(FakeLine&, const std::string& request)> onRequest;

    bool isOpen = false;
    int opens = 0;
    int closes = 0;
    int purgesRx = 0;
    int purgesTx = 0;
    int requests = 0;     // complete request frames seen
    int writesTried = 0;  // write calls, failed ones included
    std::string pending;  // bytes of the request frame being written

    // Bytes arrive now / at a virtual time (delivered by the host's event processing).
    void Feed(const std::string& bytes) { rx += bytes; }
    void FeedAt(double atUs, const std::string& bytes);
    // Answers each request with the given frames after delayUs (a function of the request).
    void AnswerWith(std::function<std::string(const std::string& request)> answer, double delayUs);

    gw::TimerHost* host = nullptr;
};

class FakePortProvider : public gw::PortProvider {
public:
    explicit FakePortProvider(gw::VirtualHost& host);

    std::unique_ptr<gw::Port> MakeCom(int comPort) override;
    int CountUsbDevices() override;
    std::unique_ptr<gw::Port> MakeUsb(int deviceIndex) override;
    std::unique_ptr<gw::Port> MakeSimulated() override;
    void SetDcbFlagWord(std::uint32_t flags) override { dcbFlagWord = flags; }
    std::uint32_t dcbFlagWord = 0;  // the flag word handed over last

    // The lines behind each medium (created on first use; COM 1-9 present by default).
    FakeLine& Com(int n) { return Line(gw::PortKind::Com, n); }
    FakeLine& Usb(int index) { return Line(gw::PortKind::Usb, index); }
    FakeLine& Sim() { return Line(gw::PortKind::Simulated, 0); }

    // USB cables present; -1 makes the count call fail (reported as 0 devices).
    void SetUsbCount(int n) { usbCount_ = n; }
    void SetSimulatedAvailable(bool on) { simulated_ = on; }
    // COM numbers outside this range have no device.
    void SetComPresent(int n, bool present) { Com(n).present = present; }

    int Opens() const { return opens_; }
    int Closes() const { return closes_; }
    int Makes() const { return makes_; }
    // The line of the port opened last (nullptr before any open).
    FakeLine* Active() { return active_; }

    // Used by FakePort.
    void NoteOpen(FakeLine& l) { ++opens_; active_ = &l; }
    void NoteClose() { ++closes_; }

private:
    FakeLine& Line(gw::PortKind kind, int n);

    gw::VirtualHost& host_;
    std::map<std::pair<int, int>, std::unique_ptr<FakeLine>> lines_;
    int usbCount_ = 0;
    bool simulated_ = true;
    int opens_ = 0;
    int closes_ = 0;
    int makes_ = 0;
    FakeLine* active_ = nullptr;
};

class FakePort : public gw::Port {
public:
    FakePort(FakePortProvider& provider, FakeLine& line, gw::PortKind kind, std::string description,
             gw::VirtualHost& host);
    ~FakePort() override;

    gw::PortKind Kind() const override { return kind_; }
    std::string Description() const override { return description_; }
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    bool BytesWaiting(long& count) override;
    bool Read(std::size_t n, std::string& out) override;
    bool WriteByte(std::uint8_t byte) override;
    bool PurgeReceive() override;
    bool PurgeTransmit() override;
    long LastError() const override { return lastError_; }
    long LastStatus() const override { return lastStatus_; }

private:
    bool Fail(long status);
    bool Ok();

    FakePortProvider& provider_;
    FakeLine& line_;
    gw::PortKind kind_;
    std::string description_;
    gw::VirtualHost& host_;
    bool open_ = false;
    long lastError_ = 0;
    long lastStatus_ = 0;
};

}  // namespace gwtest
