#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "link/ports/FtdiEnumerator.h"
#include "link/ports/FtdiUsbPort.h"
#include "link/ports/SystemPortProvider.h"
#include "ports/PtyPair.h"
#include "support/TempDir.h"
#include "util/FileIo.h"

namespace gw {
namespace {

namespace fs = std::filesystem;

// A sysfs tree laid out as the kernel shows USB-serial adapters: the USB device with its
// idVendor, an interface below it, the ttyUSB port node below that (with the driver's
// latency_timer), and the bus listing linking to the port nodes. /dev is a folder of
// links so a cable can be pointed at a pseudo-terminal.
class FakeSysfs {
public:
    std::string Root() const { return dir.File("sys"); }
    std::string Dev() const { return dir.File("dev"); }

    // Adds a USB device with one serial port; returns the port node's folder.
    std::string AddAdapter(const std::string& usbName, const std::string& vendor, const std::string& tty,
                           bool withLatency = true, bool listOnBus = true) {
        const std::string usb = "sys/devices/pci0000:00/0000:00:14.0/usb1/" + usbName;
        dir.Write(usb + "/idVendor", vendor + "\n");
        const std::string node = usb + "/" + usbName + ":1.0/" + tty;
        fs::create_directories(dir.File(node));
        if (withLatency) dir.Write(node + "/latency_timer", "16\n");
        const std::string list = listOnBus ? "sys/bus/usb-serial/devices" : "sys/class/tty/" + tty;
        fs::create_directories(dir.File(list));
        fs::create_directory_symlink(dir.File(node), dir.File(listOnBus ? list + "/" + tty : list + "/device"));
        return dir.File(node);
    }
    void PointDevAt(const std::string& tty, const std::string& target) {
        fs::create_directories(Dev());
        fs::create_symlink(target, Dev() + "/" + tty);
    }

    gwtest::TempDir dir;
};

std::vector<std::string> Names(const std::vector<FtdiDevice>& devices) {
    std::vector<std::string> names;
    for (const auto& d : devices) names.push_back(d.ttyName);
    return names;
}

TEST(FtdiEnumerator, ListsOnlyFtdiAdaptersInTtyNumberOrder) {
    FakeSysfs sys;
    sys.AddAdapter("1-4", "0403", "ttyUSB10");
    sys.AddAdapter("1-1", "10c4", "ttyUSB0");  // another maker's adapter
    sys.AddAdapter("1-2", "0403", "ttyUSB2");
    sys.AddAdapter("1-3", "0403", "ttyUSB1");
    fs::create_directories(sys.Root() + "/bus/usb-serial/devices/ttyACM0");  // not a USB-serial tty

    const FtdiEnumerator e(sys.Root(), sys.Dev());
    EXPECT_EQ(Names(e.List()), (std::vector<std::string>{"ttyUSB1", "ttyUSB2", "ttyUSB10"}));
    EXPECT_EQ(e.Count(), 3);
    ASSERT_TRUE(e.At(0));
    EXPECT_EQ(e.At(0)->devicePath, sys.Dev() + "/ttyUSB1");
    EXPECT_EQ(e.At(2)->ttyName, "ttyUSB10");
    EXPECT_FALSE(e.At(3));
    EXPECT_FALSE(e.At(-1));
}

TEST(FtdiEnumerator, CountsNothingWithoutAdaptersOrSysfs) {
    FakeSysfs sys;
    EXPECT_EQ(FtdiEnumerator(sys.Root(), sys.Dev()).Count(), 0) << "no sysfs at all";
    fs::create_directories(sys.Root() + "/bus/usb-serial/devices");
    EXPECT_EQ(FtdiEnumerator(sys.Root(), sys.Dev()).Count(), 0) << "empty bus";
    sys.AddAdapter("1-1", "067b", "ttyUSB0");
    EXPECT_EQ(FtdiEnumerator(sys.Root(), sys.Dev()).Count(), 0) << "only another maker's adapter";

    // A port node that is not below any USB device is not a cable, however it is linked.
    fs::create_directories(sys.Root() + "/devices/virtual/tty/ttyUSB7");
    fs::create_directory_symlink(sys.Root() + "/devices/virtual/tty/ttyUSB7",
                                 sys.Root() + "/bus/usb-serial/devices/ttyUSB7");
    EXPECT_EQ(FtdiEnumerator(sys.Root(), sys.Dev()).Count(), 0);
}

TEST(FtdiEnumerator, FallsBackToTheTtyClassWhenTheBusIsNotListed) {
    FakeSysfs sys;
    sys.AddAdapter("2-1", "0403", "ttyUSB3", true, false);
    sys.AddAdapter("2-2", "0403", "ttyUSB0", true, false);
    fs::create_directories(sys.Root() + "/class/tty/ttyS0");
    const FtdiEnumerator e(sys.Root(), sys.Dev());
    EXPECT_EQ(Names(e.List()), (std::vector<std::string>{"ttyUSB0", "ttyUSB3"}));
}

TEST(FtdiUsbPort, OpensTheCablesTtyAndLowersTheLatencyTimer) {
    gwtest::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    FakeSysfs sys;
    sys.AddAdapter("1-1", "10c4", "ttyUSB0");
    const std::string node = sys.AddAdapter("1-2", "0403", "ttyUSB1");
    sys.PointDevAt("ttyUSB1", pty.SlavePath());

    FtdiUsbPort port(FtdiEnumerator(sys.Root(), sys.Dev()), 0);
    EXPECT_EQ(port.Kind(), PortKind::Usb);
    EXPECT_EQ(port.Description(), "USB 0 (" + sys.Dev() + "/ttyUSB1)");
    ASSERT_TRUE(port.Open()) << port.LastError();
    EXPECT_EQ(port.LastStatus(), FtdiUsbPort::kStatusOk);
    EXPECT_TRUE(port.LowLatency());
    EXPECT_EQ(ReadWholeFile(node + "/latency_timer").value_or("?"), "1");

    ASSERT_TRUE(pty.Send(std::string("\x42\x01\x00", 3)));
    std::string out;
    ASSERT_TRUE(gwtest::WaitUntil([&] { return port.Read(8, out) && out.size() == 3; }));
    EXPECT_EQ(out, std::string("\x42\x01\x00", 3));
    ASSERT_TRUE(port.WriteByte(0x0A));
    EXPECT_EQ(pty.Receive(1), "\x0A");

    FtdiUsbPort again(FtdiEnumerator(sys.Root(), sys.Dev()), 0);
    EXPECT_FALSE(again.Open()) << "the cable is held";
    EXPECT_EQ(again.LastStatus(), FtdiUsbPort::kStatusNotOpened);
    EXPECT_EQ(again.LastError(), EBUSY);
}

TEST(FtdiUsbPort, FailuresReadLikeDriverStatuses) {
    gwtest::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    FakeSysfs sys;
    sys.AddAdapter("1-1", "0403", "ttyUSB0", /*withLatency=*/false);
    sys.AddAdapter("1-2", "0403", "ttyUSB1");
    sys.PointDevAt("ttyUSB0", pty.SlavePath());  // ttyUSB1 has no device file
    const FtdiEnumerator e(sys.Root(), sys.Dev());

    FtdiUsbPort noLatency(e, 0);
    EXPECT_TRUE(noLatency.Open()) << "a timer that cannot be set does not stop the open";
    EXPECT_FALSE(noLatency.LowLatency());
    noLatency.Close();

    FtdiUsbPort missingTty(e, 1);
    EXPECT_FALSE(missingTty.Open());
    EXPECT_EQ(missingTty.LastStatus(), FtdiUsbPort::kStatusNotOpened);
    EXPECT_EQ(missingTty.LastError(), ENOENT);

    FtdiUsbPort noCable(e, 2);
    EXPECT_EQ(noCable.Description(), "USB 2");
    EXPECT_FALSE(noCable.Open());
    EXPECT_EQ(noCable.LastStatus(), FtdiUsbPort::kStatusDeviceNotFound);

    long n = 5;
    EXPECT_FALSE(noCable.BytesWaiting(n));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(noCable.LastStatus(), FtdiUsbPort::kStatusInvalidHandle);
    EXPECT_FALSE(noCable.WriteByte(1));
    EXPECT_EQ(noCable.LastError(), EBADF);
}

TEST(SystemPortProvider, MakesComUsbAndSimulatedPortsFromItsFolders) {
    gwtest::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    FakeSysfs sys;
    sys.AddAdapter("1-1", "0403", "ttyUSB0");
    sys.AddAdapter("1-2", "0403", "ttyUSB1");
    sys.dir.Write("app/BIN/ComPorts.ini", "[COM3]\n" + pty.SlavePath() + "\n");

    SystemPortProvider provider(sys.dir.File("app"), sys.Root(), {}, sys.Dev());
    EXPECT_EQ(provider.CountUsbDevices(), 2);
    auto usb = provider.MakeUsb(1);
    EXPECT_EQ(usb->Kind(), PortKind::Usb);
    EXPECT_EQ(usb->Description(), "USB 1 (" + sys.Dev() + "/ttyUSB1)");
    EXPECT_EQ(provider.MakeSimulated(), nullptr);

    auto com = provider.MakeCom(3);
    EXPECT_EQ(com->Description(), "COM3");
    EXPECT_TRUE(com->Open()) << com->LastError();
    EXPECT_FALSE(provider.MakeCom(10)->Open());

    int made = 0;
    SystemPortProvider withSim(sys.dir.File("app"), sys.Root(), [&]() -> std::unique_ptr<Port> {
        ++made;
        return std::make_unique<PosixSerialPort>("", "SIMULATED ECU", PortKind::Simulated);
    });
    auto sim = withSim.MakeSimulated();
    ASSERT_NE(sim, nullptr);
    EXPECT_EQ(sim->Kind(), PortKind::Simulated);
    EXPECT_EQ(made, 1);
}

}  // namespace
}  // namespace gw
