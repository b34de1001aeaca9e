#include <gtest/gtest.h>

#include "LinkFixture.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "support/ExchangeDriver.h"
#include "support/GoldenFrames.h"

using namespace gw;
using gwtest::AnswerFrame;
using gwtest::Bytes;
using gwtest::ExchangeDriver;
using gwtest::FakeLine;

namespace {

// The good answer to any request: same command, status 0, no data.
std::string GoodAnswer(const std::string& request) { return AnswerFrame(ComandoMsg(request), 0); }

int Count(const std::vector<std::string>& lines, const std::string& part) {
    int n = 0;
    for (const auto& l : lines) n += l.find(part) != std::string::npos;
    return n;
}

}  // namespace

class Exchange : public gwtest::LinkFixture {
protected:
    ExchangeDriver driver{host, comm};
};

TEST_F(Exchange, GoodAnswerIsJudgedAfterTheIdleTimeAndLogged) {
    OpenLog();
    auto& line = OpenCom(1);
    line.AnswerWith([](const std::string&) { return gwtest::kEcoAnswer; }, 5000);
    comm.WDogPresente = true;
    ASSERT_TRUE(comm.SendMsgWait(gwtest::kEcoRequest));
    EXPECT_EQ(line.written, gwtest::kEcoRequest);
    EXPECT_EQ(comm.ComState, kComIdle);
    EXPECT_FALSE(comm.WDogPresente);
    EXPECT_TRUE(comm.InBuffer.empty());  // dispatched
    EXPECT_TRUE(comm.OutBuffer.empty());
    // Sent at 1000 ms, eight bytes of 0.5 ms; read when the 100 ms idle time is over.
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"\"CMD_GET_ECO\"", "\"1004 T 4102060945434F05\"",
                                                    "\"1104 R " + HexMsg(gwtest::kEcoAnswer) + "\""}));
}

TEST_F(Exchange, AnAnswerInThreePiecesCompletesAtItsFullLength) {
    OpenLog();
    auto& line = OpenCom(1);
    const std::string answer = AnswerFrame(CMD_READ_MEM2, 0, std::string(10, '\x11'));  // L = 14
    driver.SetEnabled(false);
    ASSERT_TRUE(comm.SendMsg(gwtest::kReadBlock2Request));
    host.Advance(100'000);
    const std::size_t cuts[] = {2, answer.size() - 1, answer.size()};
    std::size_t fed = 0;
    for (std::size_t cut : cuts) {
        line.Feed(answer.substr(fed, cut - fed));
        fed = cut;
        EXPECT_TRUE(comm.ReciveMsg());
        EXPECT_EQ(comm.InBuffer, answer.substr(0, cut));
        EXPECT_EQ(comm.CtrlEndRecive(), cut == answer.size()) << cut;
        host.Advance(1000);
    }
    const auto lines = LogLines();
    ASSERT_EQ(Count(lines, " R "), 3);
    EXPECT_NE(lines[lines.size() - 3].find(" R " + HexMsg(answer.substr(0, 2)) + "\""), std::string::npos);
    EXPECT_NE(lines.back().find(" R " + HexMsg(answer) + "\""), std::string::npos);
    // Bytes after the frame do not make it incomplete.
    comm.InBuffer += "\x01\x02";
    EXPECT_TRUE(comm.CtrlEndRecive());
}

TEST_F(Exchange, IncompleteOrForeignAnswersAreNeverComplete) {
    const std::string good = AnswerFrame(9, 0, "ECO");
    struct Case {
        std::string buffer;
        bool complete;
    } cases[] = {
        {"", false},
        {Bytes({0x42, 0x01}), false},
        {Bytes({0x42, 0x01, 0x02}), false},  // L = 2: complete at L + 2 = 4 bytes
        {Bytes({0x42, 0x01, 0x02, 0x00}), true},
        {good.substr(0, good.size() - 1), false},
        {good, true},
        {"A" + good.substr(1), false},                       // wrong start
        {good.substr(0, 1) + '\x02' + good.substr(2), false},  // wrong address
    };
    for (const auto& c : cases) {
        comm.InBuffer = c.buffer;
        EXPECT_EQ(comm.CtrlEndRecive(), c.complete) << HexMsg(c.buffer);
    }
}

TEST_F(Exchange, NothingIsReadBeforeTheIdleTimeIsOver) {
    auto& line = OpenCom(1);
    driver.SetEnabled(false);
    ASSERT_TRUE(comm.SendMsg(gwtest::kEcoRequest));
    EXPECT_EQ(comm.ComState, kComWaiting);
    line.Feed(gwtest::kEcoAnswer);
    host.Advance(50'000);
    EXPECT_FALSE(comm.ReciveMsg());
    EXPECT_TRUE(comm.InBuffer.empty());
    EXPECT_EQ(line.rx, gwtest::kEcoAnswer);
    host.Advance(50'000);
    EXPECT_TRUE(comm.ReciveMsg());
    EXPECT_EQ(comm.InBuffer, gwtest::kEcoAnswer);
}

// Every kind of bad answer is resent NumReSend times, then reported with its own text
// (in a box only in service mode) and the exchange fails with the link to be reopened.
TEST_F(Exchange, BadAnswersAreResentThenReported) {
    struct Case {
        const char* name;
        std::function<std::string(const std::string&)> answer;
        const char* error;
    } cases[] = {
        {"checksum",
         [](const std::string& r) {
             std::string a = GoodAnswer(r);
             a.back() ^= 0x10;
             return a;
         },
         kErrRxCheckSum},
        {"damaged frame whose sum the bytes after it make up",
         [](const std::string& r) {
             std::string a = GoodAnswer(r);
             a[5] ^= 0x10;
             return a + '\x10';
         },
         kErrRxCheckSum},
        {"other command", [](const std::string&) { return AnswerFrame(CMD_READ_MEM3, 0); }, kErrEcoCommand},
        {"status 254", [](const std::string& r) { return AnswerFrame(ComandoMsg(r), 254); }, kErrExeErr},
        {"status 255", [](const std::string& r) { return AnswerFrame(ComandoMsg(r), 255); }, kErrTxCheckSum},
        {"status 7", [](const std::string& r) { return AnswerFrame(ComandoMsg(r), 7); }, kErrNotDefine},
    };
    auto& line = OpenCom(1);
    for (const auto& c : cases) {
        for (bool service : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (service ? " service" : ""));
            line.requests = 0;
            line.AnswerWith(c.answer, 2000);
            host.ClearMessages();
            comm.ServiceMode = service;
            comm.ComState = kComIdle;
            comm.NumReSendState = 0;
            EXPECT_FALSE(comm.SendMsgWait(gwtest::kReadBlock2Request));
            EXPECT_EQ(line.requests, comm.NumReSend + 1);
            EXPECT_EQ(comm.ComState, kComClosed);
            ASSERT_EQ(host.Messages().size(), service ? 1u : 0u);
            if (service) {
                EXPECT_EQ(host.Messages()[0].text, c.error);
                EXPECT_EQ(host.Messages()[0].icon, MsgIcon::Critical);
            }
        }
    }
}

TEST_F(Exchange, OneBadAnswerThenAGoodOneSucceedsAndResetsTheCount) {
    auto& line = OpenCom(1);
    line.AnswerWith(
        [&](const std::string& r) { return line.requests == 1 ? AnswerFrame(ComandoMsg(r), 255) : GoodAnswer(r); },
        2000);
    ASSERT_TRUE(comm.SendMsgWait(gwtest::kReadBlock2Request));
    EXPECT_EQ(line.requests, 2);
    EXPECT_EQ(line.written, gwtest::kReadBlock2Request + gwtest::kReadBlock2Request);
    EXPECT_EQ(comm.NumReSendState, 0);
}

TEST_F(Exchange, AnUnansweredRequestCostsOneAnswerWindowPerTransmission) {
    auto& line = OpenCom(1);
    comm.NumReSend = 2;
    comm.ServiceMode = true;
    const double start = host.MicroClock();
    EXPECT_FALSE(comm.SendMsgWait(gwtest::kEcoRequest));
    EXPECT_EQ(line.requests, 3);
    EXPECT_TRUE(comm.WDogPresente);
    EXPECT_EQ(comm.NumWDogSend, 1);
    EXPECT_TRUE(host.Messages().empty());  // the watchdog text is the cycle's
    // Three windows of 4 s + 100 ms after three transmissions of 4 ms.
    const double elapsed = host.MicroClock() - start;
    EXPECT_GE(elapsed, 3 * (4'100'000 + 4'000));
    EXPECT_LT(elapsed, 3 * (4'100'000 + 4'000) + 10'000);
}

TEST_F(Exchange, SendMsgWaitFailsWhenTheCycleHasAlreadyMovedOn) {
    // A tick of the cycle may turn "lost" into "closed" before the wait looks again.
    auto& line = OpenCom(1);
    line.onRequest = [&](FakeLine&, const std::string&) {
        host.ScheduleAt(host.MicroClock() + 200'000, [&] { comm.ComState = kComClosed; });
    };
    EXPECT_FALSE(comm.SendMsgWait(gwtest::kEcoRequest));
    EXPECT_EQ(comm.ComState, kComClosed);
}

TEST_F(Exchange, SendMsgWaitsHalfASecondForAnIdleLink) {
    OpenLog();
    auto& line = OpenCom(1);
    comm.ComState = kComWaiting;
    comm.OutBuffer = "keep";
    driver.SetEnabled(false);
    const double start = host.MicroClock();
    EXPECT_FALSE(comm.SendMsg(gwtest::kEcoRequest));
    EXPECT_GE(host.MicroClock() - start, 500'000);
    EXPECT_TRUE(line.written.empty());
    EXPECT_EQ(comm.OutBuffer, "keep");
    EXPECT_TRUE(LogLines().empty());

    // The link becomes idle while SendMsg waits: the request goes out.
    host.ScheduleAt(host.MicroClock() + 100'000, [&] { comm.ComState = kComIdle; });
    EXPECT_TRUE(comm.SendMsg(gwtest::kEcoRequest));
    EXPECT_EQ(line.written, gwtest::kEcoRequest);
}

// Bytes waiting while a request goes out mean the ECU is talking: the request is
// abandoned. On the cable the check is skipped for the last byte.
TEST_F(Exchange, CollisionRuleOnComAndUsb) {
    struct Case {
        bool usb;
        std::size_t feedAfter;  // a byte arrives once this many bytes were written
        std::size_t written;
        const char* tag;
    } cases[] = {
        {false, 0, 0, "D "}, {false, 7, 7, "D "}, {true, 0, 0, "D "}, {true, 6, 6, "D "}, {true, 7, 8, "T "},
    };
    OpenLog();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.usb ? "USB " : "COM ") + std::to_string(c.feedAfter));
        comm.CloseComPort();
        auto& line = c.usb ? OpenUsb() : OpenCom(1);
        line.written.clear();
        line.rx.clear();
        line.onByteWritten = nullptr;
        if (c.feedAfter == 0)
            line.Feed("\x42");
        else
            line.onByteWritten = [&c](FakeLine& l) {
                if (l.written.size() == c.feedAfter) l.Feed("\x42");
            };
        const double start = host.MicroClock();
        ASSERT_TRUE(comm.SendMsg(gwtest::kEcoRequest));  // also after a collision
        EXPECT_EQ(comm.ComState, kComWaiting);
        EXPECT_EQ(line.written, gwtest::kEcoRequest.substr(0, c.written));
        const auto lines = LogLines();
        EXPECT_EQ(lines.back().substr(lines.back().find(' ') + 1), c.tag + HexMsg(gwtest::kEcoRequest) + "\"");
        if (std::string(c.tag) == "D ") {
            EXPECT_TRUE(line.rx.empty());  // purged after the wait
            EXPECT_GE(host.MicroClock() - start, comm.AttesaGlobale_usec);
        }
        comm.ComState = kComIdle;
    }
}

TEST_F(Exchange, PortFailuresAreLoggedWithTheirDiagnostics) {
    OpenLog();
    auto tail = [&](std::size_t n) {
        auto lines = LogLines();
        std::vector<std::string> out;
        for (std::size_t i = lines.size() - std::min(n, lines.size()); i < lines.size(); ++i)
            out.push_back(lines[i].substr(lines[i].find(' ') + 1));  // without the time
        return out;
    };
    const std::string hex = HexMsg(gwtest::kEcoRequest);

    auto& com = OpenCom(1);
    com.failWriteAt = com.writesTried + 2;
    ASSERT_TRUE(comm.SendMsg(gwtest::kEcoRequest));
    EXPECT_EQ(com.written, gwtest::kEcoRequest.substr(0, 2));
    // The queue query before the write succeeded: no line-error flags. The "H " text starts
    // with the error number, so no command name line goes before it.
    EXPECT_EQ(tail(5), (std::vector<std::string>{"WriteFile Send\"", "lpErrors 0\"", "GetLastError 5\"",
                                                 "LastDllError 5\"", "H 5" + hex + "\""}));
    EXPECT_EQ(comm.ComState, kComWaiting);

    host.Advance(100'000);
    com.failQueue = true;
    EXPECT_TRUE(comm.ReciveMsg());
    EXPECT_EQ(tail(5), (std::vector<std::string>{"ClearCommError Recive \"", "lpErrors 4\"", "GetLastError 5\"",
                                                 "LastDllError 5\"", "H 5 \""}));
    comm.CloseComPort();

    auto& usb = OpenUsb();
    usb.failWrite = true;
    ASSERT_TRUE(comm.SendMsg(gwtest::kEcoRequest));
    EXPECT_EQ(tail(4), (std::vector<std::string>{"FT_Write Send\"", "FtStatus_Val 4\"", "LastDllError 5\"",
                                                 "H 5" + hex + "\""}));
    host.Advance(100'000);
    usb.Feed("\x42\x01");
    usb.failRead = true;
    EXPECT_TRUE(comm.ReciveMsg());
    EXPECT_EQ(tail(5), (std::vector<std::string>{"FT_Read Recive\"", "FtStatus_Val 4\"", "LastDllError 5\"",
                                                 "R \"", "H 5 \""}));
}

TEST_F(Exchange, WithoutAnOpenPortTheRequestIsLostNotCrashed) {
    comm.ComState = kComIdle;
    comm.UsbCom = false;
    driver.SetEnabled(false);
    EXPECT_TRUE(comm.SendMsg(gwtest::kEcoRequest));
    EXPECT_EQ(comm.ComState, kComWaiting);
    host.Advance(200'000);
    EXPECT_TRUE(comm.ReciveMsg());
    EXPECT_TRUE(comm.InBuffer.empty());
}

TEST_F(Exchange, AnUnknownCommandIsLoggedUnderTheUnknownName) {
    OpenLog();
    OpenCom(1);
    driver.SetEnabled(false);
    ASSERT_TRUE(comm.SendMsg(RequestMsg(60)));
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "\" XXXXXXXXXX \"");
    EXPECT_EQ(lines[1], "\"1003 T 4102033C7C\"");  // 2.5 ms after the start, rounded
}
