#include "link/ports/PosixSerialPort.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/ports/ComPortMap.h"
#include "ports/PtyPair.h"
#include "support/TempDir.h"

namespace gw {
namespace {

// COM3 mapped to the slave of a fresh pty through the application's ComPorts.ini.
class ComOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok()) << "no pseudo-terminal available";
        app.Write("BIN/ComPorts.ini", "[COM3]\r\n" + pty.SlavePath() + "\r\n");
    }
    std::unique_ptr<PosixSerialPort> MakeCom3() {
        return std::make_unique<PosixSerialPort>(3, ComPortMap::Load(app.Path()));
    }
    long Waiting(Port& port) {
        long n = -1;
        EXPECT_TRUE(port.BytesWaiting(n));
        return n;
    }

    gwtest::PtyPair pty;
    gwtest::TempDir app;
};

TEST_F(ComOnPty, OpensRawAt38400EightNoneOneWithoutFlowControl) {
    auto port = MakeCom3();
    EXPECT_EQ(port->Description(), "COM3");
    EXPECT_EQ(port->Kind(), PortKind::Com);
    ASSERT_TRUE(port->Open()) << port->LastError();
    EXPECT_TRUE(port->IsOpen());

    // A second descriptor only to look at the line; root passes the exclusive mode.
    const int fd = ::open(pty.SlavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) GTEST_SKIP() << "cannot look at the line settings without privileges";
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    int exclusive = 0;
    EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
    ::close(fd);
    EXPECT_NE(exclusive, 0);
    EXPECT_EQ(::cfgetispeed(&tio), B38400);
    EXPECT_EQ(::cfgetospeed(&tio), B38400);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST_F(ComOnPty, EveryByteValuePassesBothWaysUnchanged) {
    auto port = MakeCom3();
    ASSERT_TRUE(port->Open()) << port->LastError();

    std::string out;
    EXPECT_TRUE(port->Read(16, out)) << "an empty line reads nothing without blocking";
    EXPECT_EQ(out, "");
    EXPECT_EQ(Waiting(*port), 0);

    // Line ends, XON/XOFF, interrupt, NUL and 0xFF would all be eaten or changed by a
    // cooked line.
    const std::string sent("\x42\x01\x0A\x0D\x11\x13\x03\x00\x7F\xFF\x1A", 11);
    ASSERT_TRUE(pty.Send(sent));
    ASSERT_TRUE(gwtest::WaitUntil([&] { return Waiting(*port) == static_cast<long>(sent.size()); }))
        << "waiting " << Waiting(*port);
    out = "prefix:";
    ASSERT_TRUE(port->Read(4, out));
    EXPECT_EQ(out, "prefix:" + sent.substr(0, 4)) << "Read appends at most n bytes";
    EXPECT_EQ(Waiting(*port), static_cast<long>(sent.size() - 4));
    out.clear();
    ASSERT_TRUE(port->Read(100, out));
    EXPECT_EQ(out, sent.substr(4));

    for (unsigned char b : sent) ASSERT_TRUE(port->WriteByte(b)) << port->LastError();
    EXPECT_EQ(pty.Receive(sent.size()), sent);
}

TEST_F(ComOnPty, PurgeReceiveDropsOnlyWhatHadArrived) {
    auto port = MakeCom3();
    ASSERT_TRUE(port->Open()) << port->LastError();
    ASSERT_TRUE(pty.Send("stale"));
    ASSERT_TRUE(gwtest::WaitUntil([&] { return Waiting(*port) == 5; }));
    ASSERT_TRUE(port->PurgeReceive()) << port->LastError();
    EXPECT_EQ(Waiting(*port), 0);

    ASSERT_TRUE(pty.Send("B"));
    ASSERT_TRUE(gwtest::WaitUntil([&] { return Waiting(*port) == 1; }));
    std::string out;
    ASSERT_TRUE(port->Read(10, out));
    EXPECT_EQ(out, "B");
    EXPECT_TRUE(port->PurgeTransmit()) << port->LastError();
}

TEST_F(ComOnPty, PortHeldOpenCannotBeOpenedAgainUntilClosed) {
    auto first = MakeCom3();
    auto second = MakeCom3();
    ASSERT_TRUE(first->Open());
    EXPECT_TRUE(first->Open()) << "opening an open port keeps it";
    EXPECT_FALSE(second->Open());
    EXPECT_FALSE(second->IsOpen());
    EXPECT_EQ(second->LastError(), EBUSY);

    first->Close();
    EXPECT_FALSE(first->IsOpen());
    ASSERT_TRUE(second->Open()) << second->LastError();
    // The new holder really has the line.
    ASSERT_TRUE(pty.Send("x"));
    std::string out;
    ASSERT_TRUE(gwtest::WaitUntil([&] { return second->Read(1, out) && out == "x"; }));
}

TEST(PosixSerialPort, PortsThatCannotOpenSayWhy) {
    gwtest::TempDir app;
    app.Write("BIN/ComPorts.ini", "[COM4]\n" + app.File("no-such-tty") + "\n[COM5]\n" +
                                      app.Write("not-a-tty", "plain file") + "\n");
    const ComPortMap map = ComPortMap::Load(app.Path());
    struct Case {
        int com;
        int error;
    } cases[] = {{10, ENODEV}, {0, ENODEV}, {4, ENOENT}, {5, ENOTTY}};
    for (const Case& c : cases) {
        PosixSerialPort port(c.com, map);
        EXPECT_FALSE(port.Open()) << "COM" << c.com;
        EXPECT_FALSE(port.IsOpen()) << "COM" << c.com;
        EXPECT_EQ(port.LastError(), c.error) << "COM" << c.com;
    }
}

TEST(PosixSerialPort, CallsOnAClosedPortFailWithoutTouchingAnything) {
    PosixSerialPort port("/dev/null-not-opened", "COM1");
    long n = 99;
    std::string out;
    EXPECT_FALSE(port.BytesWaiting(n));
    EXPECT_EQ(n, 0);
    EXPECT_FALSE(port.Read(5, out));
    EXPECT_FALSE(port.WriteByte(0x41));
    EXPECT_FALSE(port.PurgeReceive());
    EXPECT_FALSE(port.PurgeTransmit());
    EXPECT_EQ(port.LastError(), EBADF);
    EXPECT_EQ(out, "");
    port.Close();  // closing a closed port is harmless
}

}  // namespace
}  // namespace gw
