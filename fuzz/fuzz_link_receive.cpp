// Fuzz target: the link's receive path. The input chooses how the exchange runs and what
// the line answers; the link must always end the exchange in a defined state, send a
// request at most NumReSend + 1 times, hand only complete, checked answers of the right
// command to the dispatch, and keep its buffers bounded.
//
// Input: byte 0 flags (bit 0 drive through the communication cycle's 1 ms ticks, else
// through the waiting step by hand; bit 1 USB cable, else COM port; bit 2 service mode;
// bit 3 answer bytes arrive at line pace, else all at once; bit 4 every third queue query
// fails; bits 5-7 NumReSend 0-7), byte 1 command code, byte 2 payload length (mod 9; in
// cycle mode 128 or more makes the ticks come at a coarse platform timer's 16 ms instead of
// 1 ms), the payload, then the answers separated by FF 00 FF: the n-th request on the line
// gets the n-th answer (the last one again when they run out). In cycle mode the first
// request is the keep-alive.
//
// Each input builds its own link on a virtual clock and a fake line whose answer bytes
// arrive by that clock: nothing is scheduled, and the clock moves only as the exchange's
// own waits and steps move it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "FuzzPort.h"
#include "FuzzSupport.h"
#include "link/ClsComm.h"
#include "link/ComCycle.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "util/EventHost.h"

namespace {

using namespace gw;
using gwfuzz::FuzzLine;

constexpr double kByteUs = 10.0 * 1e6 / 38400.0;
constexpr double kAnswerDelayUs = 1000.0;

// Checks every answer the dispatch hands over.
class CheckingSink : public AnswerSink {
public:
    std::uint8_t command = 0;
    int frames = 0;
    void Check(const std::string& f) {
        ++frames;
        FUZZ_CHECK(f.size() >= 5);
        FUZZ_CHECK(static_cast<std::uint8_t>(f[0]) == 0x42 && static_cast<std::uint8_t>(f[1]) == 0x01);
        FUZZ_CHECK(f.size() >= static_cast<std::size_t>(static_cast<std::uint8_t>(f[2])) + 2);
        FUZZ_CHECK(CheckSumMsg(f) == 0);
        FUZZ_CHECK(ComandoMsg(f) == command);
        FUZZ_CHECK(EsitoMsg(f) == kStatusDone);
    }
    void DecodeBlock1(const std::string& f) override { Check(f); }
    void DecodeBlock2(const std::string& f) override { Check(f); }
    void DecodeBlock3(const std::string& f) override { Check(f); }
    void DecodeBlock5(const std::string& f) override { Check(f); }
    void DecodeSamples(bool, int, const std::string& data) override { FUZZ_CHECK(data.size() < 256); }
    void SamplesCleared(bool) override {}
    void Block2Written() override {}
};

struct Input {
    bool cycle, usb, service, paced, failQueue, coarseTicks;
    int numReSend;
    std::string request;
    std::vector<std::string> answers;
};

Input ParseInput(const std::uint8_t* data, std::size_t size) {
    Input in{};
    const std::string s(reinterpret_cast<const char*>(data), size);
    const std::uint8_t flags = size > 0 ? data[0] : 0;
    in.cycle = flags & 1;
    in.usb = flags & 2;
    in.service = flags & 4;
    in.paced = flags & 8;
    in.failQueue = flags & 16;
    in.numReSend = flags >> 5;
    const std::uint8_t command = size > 1 ? data[1] : CMD_GET_ECO;
    const std::size_t payloadLen = size > 2 ? data[2] % 9 : 0;
    in.coarseTicks = size > 2 && data[2] >= 128;
    const std::size_t payloadStart = std::min<std::size_t>(3, size);
    const std::size_t payloadEnd = std::min(size, payloadStart + payloadLen);
    in.request = RequestMsg(command, s.substr(payloadStart, payloadEnd - payloadStart));
    in.answers = gwfuzz::SplitAt(s.substr(payloadEnd), std::string("\xFF\x00\xFF", 3));
    return in;
}

void Run(const Input& in) {
    int ticks = 0;
    VirtualHost host;
    FuzzLine line;
    line.host = &host;
    line.failQueue = in.failQueue;
    std::size_t offered = 0;  // answer bytes the line was told to send
    line.onRequest = [&](int n, const std::string&) {
        const std::string& answer = in.answers[std::min<std::size_t>(static_cast<std::size_t>(n), in.answers.size() - 1)];
        offered += answer.size();
        line.Arrive(host.MicroClock() + kAnswerDelayUs, in.paced ? kByteUs : 0, answer);
    };
    gwfuzz::FuzzPortProvider ports(line);
    ClsComm comm(host, ports, gwfuzz::ScratchFolder());
    CheckingSink sink;
    sink.command = ComandoMsg(in.request);
    comm.SetAnswerSink(&sink);
    comm.Simulated = false;
    comm.UsbCom = in.usb;
    comm.SetComPort(1);
    comm.FlagRicercaCom = 255;  // a fixed port: no search
    comm.MemoDatiCom = false;   // no settings file written on the first answer
    comm.ServiceMode = in.service;
    comm.NumReSend = static_cast<std::int16_t>(in.numReSend);
    // Short windows keep each input fast; the logic is the same at any length.
    comm.AttesaGlobale_usec = 8'000;
    comm.Idle_usec = 3'000;
    comm.AttesaByteTx_usec = 200;

    if (!in.cycle) {
        FUZZ_CHECK(comm.SetComm());
        comm.ComState = kComIdle;
        FUZZ_CHECK(comm.SendMsg(in.request));
        FUZZ_CHECK(comm.ComState == kComWaiting);
        // The waiting step of the cycle, by hand. The clock moves only to where something
        // can change: the next answer byte (at most 1 ms on, so long answers are read in
        // pieces), the end of the idle time, the end of the answer window.
        double sentAt = host.MicroClock();
        std::uint64_t sent = comm.ResendsMade();
        int steps = 0;
        while (comm.ComState == kComWaiting && steps++ < 100'000) {
            const double now = host.MicroClock();
            const double idleEnd = sentAt + comm.Idle_usec;
            const double windowEnd = sentAt + comm.Idle_usec + comm.AttesaGlobale_usec + 1;
            double next = now + 1000;
            for (double t : {line.NextArrivalUs(), idleEnd, windowEnd})
                if (t > now) next = std::min(next, t);
            host.RunEventsUntil(next);
            if (comm.CkWDogSend()) {
                comm.ReciveMsg();
                if (comm.CtrlEndRecive()) comm.VerificaRisposta();
            } else if (!comm.ReinviaMsg(comm.OutBuffer)) {
                comm.ComState = kComLost;
            }
            if (comm.ResendsMade() != sent) {
                sent = comm.ResendsMade();
                sentAt = host.MicroClock();
            }
            FUZZ_CHECK(comm.InBuffer.size() <= line.fed);
        }
        FUZZ_CHECK(comm.ComState == kComIdle || comm.ComState == kComLost);
        FUZZ_CHECK(line.requests <= in.numReSend + 1);
        if (comm.ComState == kComIdle) FUZZ_CHECK(!comm.WDogPresente && comm.NumReSendState == 0);
    } else {
        ComCycle cycle(comm);
        auto timer1 = host.CreateTimer([&] {
            ++ticks;
            const bool busy = cycle.CommBusy;
            cycle.OnTimer1();
            FUZZ_CHECK(cycle.CommBusy == busy);
        });
        timer1->SetIntervalMs(1);
        if (in.coarseTicks) host.SetMinTimerIntervalMs(16);
        timer1->SetEnabled(true);
        // Open, keep-alive, its answer (or its loss). Closing and reopening after a loss
        // (400 ms of ticks) is followed only without resends and on the coarse timer: the
        // loss is all the rest would add, and it is checked the same.
        const bool reopen = in.numReSend == 0 && in.coarseTicks;
        const double until = host.MicroClock() + 600'000;
        while (host.MicroClock() < until && comm.ComState != kComIdle) {
            host.DoEvents();
            if (!reopen && comm.ComState == kComClosed) break;
        }
        if (comm.ComState == kComIdle) {
            const bool ok = comm.SendMsgWait(in.request);
            FUZZ_CHECK(comm.ComState != kComWaiting);
            FUZZ_CHECK(ok == (comm.ComState == kComIdle));
        }
        // The cycle goes on for one more answer window (a late answer, the next keep-alive).
        if (reopen || comm.ComState != kComClosed) host.Advance(comm.AttesaGlobale_usec + comm.Idle_usec);
        static const std::set<int> defined = {kComClosed, kComIdle, kComWaiting, kComLost, kComOpening};
        FUZZ_CHECK(defined.count(comm.ComState) == 1);
        // Keep-alives and requests, each sent at most NumReSend + 1 times per opening.
        FUZZ_CHECK(line.requests <= 64 * (in.numReSend + 1));
    }
    FUZZ_CHECK(comm.InBuffer.size() <= offered);
    FUZZ_CHECK(comm.OutBuffer.size() <= std::max<std::size_t>(in.request.size(), 8));
    // The answer queue holds at most twenty answers, each shorter than a frame.
    int queued = 0;
    for (std::string a = comm.EstraiRisposta(); !a.empty() && queued <= 21; a = comm.EstraiRisposta()) {
        ++queued;
        FUZZ_CHECK(a.size() < 256);
    }
    FUZZ_CHECK(queued <= 20);
    // Message boxes only in service mode.
    if (!in.service) FUZZ_CHECK(host.Messages().empty());
    if (std::getenv("GW_FUZZ_VERBOSE"))
        std::fprintf(stderr, "  %s: state %d, %d requests, %d frames to the sink, %d boxes, %d ticks, %.1f ms\n",
                     in.cycle ? "cycle" : "by hand", comm.ComState, line.requests, sink.frames,
                     static_cast<int>(host.Messages().size()), ticks, host.MicroClock() / 1000.0 - 1000.0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    Run(ParseInput(data, size));
    return 0;
}
