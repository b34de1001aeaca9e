// A link on virtual time with fake ports in a temporary application folder, with helpers
// to open a medium, open the communication log and read its lines back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/ClsComm.h"
#include "support/FakePort.h"
#include "support/TempDir.h"
#include "util/EventHost.h"

namespace gwtest {

class LinkFixture : public ::testing::Test {
protected:
    LinkFixture() : ports(host), comm(host, ports, dir.Path()) { dir.Write("BIN/.keep", ""); }

    // Opens COM n and leaves the link idle.
    FakeLine& OpenCom(int n) {
        comm.UsbCom = false;
        comm.ComPortValue = static_cast<std::int16_t>(n);
        EXPECT_TRUE(comm.SetComm());
        comm.ComState = gw::kComIdle;
        return ports.Com(n);
    }
    FakeLine& OpenUsb(int index = 0) {
        ports.SetUsbCount(index + 1);
        comm.UsbCom = true;
        comm.UsbDeviceIndex = index;
        EXPECT_TRUE(comm.SetComm());
        comm.ComState = gw::kComIdle;
        return ports.Usb(index);
    }
    void OpenLog() {
        ASSERT_TRUE(comm.Log().Open(dir.File("BIN/RxTx.TXT"), dir.File("BIN/RxTx_Last.TXT"),
                                    host.MicroClock() / 1000.0, "FIRST"));
    }
    // The log's lines without their CR LF; the first (" O ") line is left out.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        const std::string s = dir.Read("BIN/RxTx.TXT");
        std::size_t pos = 0;
        while (pos < s.size()) {
            std::size_t e = s.find("\r\n", pos);
            if (e == std::string::npos) e = s.size();
            lines.push_back(s.substr(pos, e - pos));
            pos = e + 2;
        }
        if (!lines.empty()) lines.erase(lines.begin());
        return lines;
    }

    TempDir dir;
    gw::VirtualHost host;
    FakePortProvider ports;
    gw::ClsComm comm;
};

}  // namespace gwtest
