#include <gtest/gtest.h>

#include <functional>

#include "link/ClsComm.h"
#include "LinkFixture.h"

using namespace gw;
using gwtest::LinkFixture;

namespace {

const char* const kIni = "\\BIN\\SetCom.ini";

std::string Crlf(std::initializer_list<const char*> lines) {
    std::string s;
    for (const char* l : lines) s += std::string(l) + "\r\n";
    return s;
}

}  // namespace

using Settings = LinkFixture;

TEST_F(Settings, MissingFileGivesDefaultsAndAsksForASearch) {
    comm.AttesaGlobale_usec = 1;
    EXPECT_TRUE(comm.ReadSetCom(kIni).empty());
    EXPECT_TRUE(comm.MemoDatiCom);
    EXPECT_EQ(comm.FlagRicercaCom, 0);
    EXPECT_EQ(comm.Setport, "38400,N,8,1");
    EXPECT_EQ(comm.ComPortValue, 1);
    EXPECT_EQ(comm.MemoPath, dir.Path());
    EXPECT_EQ(comm.Titolo, "Default Setting");
    EXPECT_EQ(comm.AttesaGlobale_usec, 4'000'000);
    EXPECT_EQ(comm.NumReSend, 10);
    EXPECT_TRUE(comm.UsbCom);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(Settings, FileContentsAreReadAsWritten) {
    struct Case {
        const char* name;
        std::string file;
        std::function<void(const ClsComm&)> check;
        int boxes = 0;
    } cases[] = {
        {"lower-case keys and blanks", "  [comport]  \r\n   3  \r\n[titolo]\r\n  My Car Title \r\n",
         [](const ClsComm& c) {
             EXPECT_EQ(c.ComPortValue, 3);
             EXPECT_EQ(c.Titolo, "My Car Title");
             EXPECT_EQ(c.FlagRicercaCom, 255);  // file present, key absent: fixed port
             EXPECT_FALSE(c.MemoDatiCom);
         }},
        {"UsbCom False", Crlf({"[UsbCom]", "False"}), [](const ClsComm& c) { EXPECT_FALSE(c.UsbCom); }},
        {"UsbCom 0", Crlf({"[UsbCom]", "0"}), [](const ClsComm& c) { EXPECT_FALSE(c.UsbCom); }},
        {"UsbCom true", Crlf({"[UsbCom]", "false", "[UsbCom]", "tRuE"}),
         [](const ClsComm& c) { EXPECT_TRUE(c.UsbCom); }},
        {"UsbCom 7", Crlf({"[UsbCom]", "7"}), [](const ClsComm& c) { EXPECT_TRUE(c.UsbCom); }},
        {"byte form and last value wins", Crlf({"[SearchCom]", " 4 ", "[SearchCom]", " 255 "}),
         [](const ClsComm& c) { EXPECT_EQ(c.FlagRicercaCom, 255); }},
        {"timings", Crlf({"[AttesaGlobale_usec]", "2000000", "[Idle_usec]", "50000", "[AttesaByteTx_usec]",
                          "800", "[MolAttesaGlobale]", "20", "[NumResend]", "3", "[DCB_fBitFields]", "4113"}),
         [](const ClsComm& c) {
             EXPECT_EQ(c.AttesaGlobaleDefault_usec, 2'000'000);
             EXPECT_EQ(c.AttesaGlobale_usec, 2'000'000);  // the current wait follows the file
             EXPECT_EQ(c.Idle_usec, 50'000);
             EXPECT_EQ(c.AttesaByteTx_usec, 800);
             EXPECT_EQ(c.MolAttesaGlobale, 20);
             EXPECT_EQ(c.NumReSend, 3);
             EXPECT_EQ(c.DcbBitFields, 4113);
         }},
        {"LF and CR line ends", "[Comport]\n5\r[Setport]\r\n9600,N,8,1",
         [](const ClsComm& c) {
             EXPECT_EQ(c.ComPortValue, 5);
             EXPECT_EQ(c.Setport, "9600,N,8,1");
         }},
        {"key on the last line", "[Comport]\r\n4\r\n[Comport]",
         [](const ClsComm& c) { EXPECT_EQ(c.ComPortValue, 4); }},
        {"bad value keeps the previous one and reading goes on",
         Crlf({"[Comport]", "4", "[Comport]", "abc", "[Titolo]", "after"}),
         [](const ClsComm& c) {
             EXPECT_EQ(c.ComPortValue, 4);
             EXPECT_EQ(c.Titolo, "after");
         },
         1},
        {"out of range", Crlf({"[SearchCom]", "300", "[Comport]", "70000", "[NumResend]", ""}),
         [](const ClsComm& c) {
             EXPECT_EQ(c.FlagRicercaCom, 255);
             EXPECT_EQ(c.ComPortValue, 1);
             EXPECT_EQ(c.NumReSend, 10);
         },
         3},
        {"garbage", std::string("\x00\xff[\x01]\r\n\x80\x80", 9) + std::string(5000, '\n'),
         [](const ClsComm& c) {
             EXPECT_EQ(c.FlagRicercaCom, 255);
             EXPECT_EQ(c.ComPortValue, 1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.Write("BIN/SetCom.ini", c.file);
        const Warnings warnings = comm.ReadSetCom(kIni);
        c.check(comm);
        ASSERT_EQ(static_cast<int>(warnings.size()), c.boxes);
        for (const auto& w : warnings) EXPECT_EQ(w.text.rfind("ReadSetCom_Err", 0), 0u) << w.text;
        EXPECT_TRUE(host.Messages().empty());  // shown by the caller, not by the reader
    }
}

TEST_F(Settings, WriteSetComWritesTheTwelveKeysAndRepairsBadValues) {
    comm.ReadSetCom(kIni);  // defaults
    comm.Setport = "";
    comm.ComPortValue = 0;
    comm.Titolo = "";
    comm.AttesaByteTx_usec = 0;
    comm.MolAttesaGlobale = -1;
    comm.FlagRicercaCom = 255;
    ASSERT_TRUE(comm.WriteSetCom(kIni));
    EXPECT_EQ(dir.Read("BIN/SetCom.ini"),
              Crlf({"[Setport]", "38400,N,8,1", "[Comport]", "1", "[MemoPath]", dir.Path().c_str(), "[Titolo]",
                    "Default Setting", "[AttesaByteTx_usec]", "500", "[AttesaGlobale_usec]", "4000000",
                    "[MolAttesaGlobale]", "500", "[Idle_usec]", "100000", "[NumResend]", "10", "[UsbCom]", "True",
                    "[SearchCom]", " 255 ", "[DCB_fBitFields]", "0"}));
}

TEST_F(Settings, WrittenSettingsReadBackUnchanged) {
    comm.ReadSetCom(kIni);
    comm.UsbCom = false;
    comm.ComPortValue = 3;
    comm.Titolo = "Mixed Case Title";
    comm.AttesaGlobaleDefault_usec = 1'500'000;
    comm.Idle_usec = 60'000;
    comm.NumReSend = 4;
    comm.FlagRicercaCom = 7;
    comm.DcbBitFields = -5;
    ASSERT_TRUE(comm.WriteSetCom(kIni));

    ClsComm other(host, ports, dir.Path());
    other.ReadSetCom(kIni);
    EXPECT_FALSE(other.MemoDatiCom);
    EXPECT_FALSE(other.UsbCom);
    EXPECT_EQ(other.ComPortValue, 3);
    EXPECT_EQ(other.Titolo, "Mixed Case Title");
    EXPECT_EQ(other.AttesaGlobale_usec, 1'500'000);
    EXPECT_EQ(other.Idle_usec, 60'000);
    EXPECT_EQ(other.NumReSend, 4);
    EXPECT_EQ(other.FlagRicercaCom, 7);
    EXPECT_EQ(other.DcbBitFields, -5);
}

TEST_F(Settings, ComPortNomeAndComPort) {
    comm.UsbCom = false;
    for (int n : {1, 9}) {
        comm.ComPortValue = static_cast<std::int16_t>(n);
        EXPECT_EQ(comm.ComPortNome(), "COM" + std::to_string(n));
    }
    for (int n : {0, 10, -1}) {
        comm.ComPortValue = static_cast<std::int16_t>(n);
        EXPECT_EQ(comm.ComPortNome(), "");
    }
    comm.ComPortValue = 3;
    comm.UsbCom = true;
    EXPECT_EQ(comm.ComPort(), 0);
    EXPECT_EQ(comm.ComPortNome(), "");
}

// ---- opening and closing ----

using PortAccess = LinkFixture;

TEST_F(PortAccess, ComOpenRecordsItsHandleAndCloseEmptiesTheRecord) {
    auto& com3 = OpenCom(3);
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_TRUE(com3.isOpen);
    EXPECT_NE(comm.nPorta, 0);
    EXPECT_EQ(dir.Read("BIN/Handle.ini"), std::to_string(comm.nPorta) + "\r\n");
    EXPECT_TRUE(comm.CloseComPort());
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_FALSE(com3.isOpen);
    EXPECT_EQ(dir.Read("BIN/Handle.ini"), "\r\n");
    EXPECT_TRUE(comm.CloseComPort());  // closing twice is harmless
}

TEST_F(PortAccess, AFailedOpenOfAPortThisProgramHoldsReleasesItAndTheNextOpenSucceeds) {
    auto& com3 = OpenCom(3);
    ASSERT_EQ(com3.opens, 1);
    // Opened again without a close in between: the device is held, so the open fails...
    EXPECT_FALSE(comm.SetComm());
    // ...and the port this program held is let go, with its record.
    EXPECT_FALSE(com3.isOpen);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(dir.Read("BIN/Handle.ini"), "\r\n");
    EXPECT_TRUE(comm.SetComm());
    EXPECT_EQ(com3.opens, 2);
}

TEST_F(PortAccess, AHandleLeftByAnotherProcessIsNeverActedOn) {
    dir.Write("BIN/Handle.ini", "1234\r\n");
    ports.Com(2).failOpen = true;  // held by another program
    comm.UsbCom = false;
    comm.ComPortValue = 2;
    EXPECT_FALSE(comm.SetComm());
    EXPECT_EQ(dir.Read("BIN/Handle.ini"), "1234\r\n");
    EXPECT_EQ(ports.Closes(), 0);
}

TEST_F(PortAccess, MediumFollowsTheSettings) {
    comm.UsbCom = false;
    comm.ComPortValue = 10;  // no name: nothing is made, the open fails
    EXPECT_FALSE(comm.SetComm());
    EXPECT_EQ(ports.Makes(), 0);

    ports.SetUsbCount(2);
    comm.UsbCom = true;
    comm.UsbDeviceIndex = 1;
    ASSERT_TRUE(comm.SetComm());
    EXPECT_EQ(comm.ActivePort()->Kind(), PortKind::Usb);
    EXPECT_TRUE(ports.Usb(1).isOpen);
    EXPECT_EQ(comm.nPorta, 0);  // only COM ports are recorded
    comm.CloseComPort();

    comm.UsbDeviceIndex = 2;  // no third cable
    EXPECT_FALSE(comm.SetComm());

    comm.Simulated = true;
    ASSERT_TRUE(comm.SetComm());
    EXPECT_EQ(comm.ActivePort()->Kind(), PortKind::Simulated);
    comm.CloseComPort();
    ports.SetSimulatedAvailable(false);
    EXPECT_FALSE(comm.SetComm());
}

TEST_F(PortAccess, CleanInputEmptiesTheReceiveSide) {
    auto& com = OpenCom(1);
    com.Feed("xyz");
    comm.CleanInputCom();
    EXPECT_TRUE(com.rx.empty());
    comm.CloseComPort();
    auto& usb = OpenUsb();
    usb.Feed("xyz");
    comm.CleanInputCom();
    EXPECT_TRUE(usb.rx.empty());
    EXPECT_EQ(usb.purgesRx, 1);
    EXPECT_EQ(usb.purgesTx, 1);  // both sides of the cable are purged
    comm.CloseComPort();
    comm.CleanInputCom();  // no port: nothing happens
    comm.CleanOutputCom();
}

TEST_F(PortAccess, SilenceAndConnectionTime) {
    EXPECT_TRUE(comm.Silenzio(4000, true));   // never armed: passed
    EXPECT_FALSE(comm.Silenzio(4000, false));
    host.Advance(3'999'000);
    EXPECT_FALSE(comm.Silenzio(4000, false));
    host.Advance(2000);
    EXPECT_TRUE(comm.Silenzio(4000, true));   // result taken before the re-arm
    EXPECT_FALSE(comm.Silenzio(4000, false));

    host.Advance(5'000'000);
    EXPECT_EQ(comm.TimeComSeconds(), 0);  // closed: the start follows the clock
    OpenCom(1);
    host.Advance(3'000'000);
    EXPECT_DOUBLE_EQ(comm.TimeComSeconds(), 3.0);
    comm.TimeCom_RSet();
    host.Advance(500'000);
    EXPECT_DOUBLE_EQ(comm.TimeComSeconds(), 0.5);
}

// The settings' flag word reaches the serial driver of every COM port the link opens.
TEST_F(Settings, TheDcbFlagWordReachesTheComPortsOpened) {
    dir.Write("BIN/SetCom.ini", Crlf({"[UsbCom]", "False", "[Comport]", "2", "[DCB_fBitFields]", "4113"}));
    comm.ReadSetCom(kIni);
    ASSERT_EQ(comm.DcbBitFields, 4113);
    ASSERT_TRUE(comm.SetComm());
    EXPECT_EQ(ports.dcbFlagWord, 4113u);
    comm.CloseComPort();
}
