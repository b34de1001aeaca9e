// A parameter image bound to a link that talks to the simulated ECU on virtual time, in a
// temporary application folder; the answers reach the image through the link's dispatch.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "link/ClsComm.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "model/ParameterImage.h"
#include "sim/SimEcu.h"
#include "sim/SimulatedEcuPort.h"
#include "support/SimPorts.h"
#include "support/ExchangeDriver.h"
#include "support/TempDir.h"
#include "util/EventHost.h"

namespace gwtest {

inline gw::SimEcuOptions Options(const gw::SimIdentity& id) {
    gw::SimEcuOptions o;
    o.identity = id;
    return o;
}

class ImageFixture : public ::testing::Test {
protected:
    explicit ImageFixture(const gw::SimIdentity& id = gw::SimIdentity{})
        : ecu(std::make_shared<gw::SimEcu>(Options(id))),
          ports(host, ecu),
          comm(host, ports, dir.Path()),
          image(scale, comm),
          driver(host, comm) {
        dir.Write("BIN/.keep", "");
        comm.Simulated = true;
        comm.NumReSend = 1;
        comm.SetAnswerSink(&image);
        EXPECT_TRUE(comm.SetComm());
        comm.ComState = gw::kComIdle;
        EXPECT_TRUE(comm.SendMsgWait(gw::RequestMsg(gw::CMD_READ_FIRMWARE)));
    }
    gw::SimMemory& Mem() { return ecu->Memory(); }
    int Count(int code) { return ecu->Responder().Count(code); }
    bool Read(std::uint8_t command) { return comm.SendMsgWait(gw::RequestMsg(command)); }
    // Reads blocks 2, 3, 5 (when present) and the production-test memo.
    void ReadAll() {
        ASSERT_TRUE(Read(gw::CMD_READ_DCOL_FL));
        ASSERT_TRUE(Read(gw::CMD_READ_MEM2));
        ASSERT_TRUE(Read(gw::CMD_READ_MEM3));
        if (Mem().HasBlock5()) {
            ASSERT_TRUE(Read(gw::CMD_READ_MEM5));
        }
    }

    TempDir dir;
    gw::VirtualHost host;
    std::shared_ptr<gw::SimEcu> ecu;
    SimOnlyPorts ports;
    gw::ClsComm comm;
    gw::ScaleConfig scale;
    gw::ParameterImage image;
    ExchangeDriver driver;
};

// Answer frame (42 01 L cmd 00 data checksum) for a decoder fed directly.
inline std::string AnswerFrame(std::uint8_t command, const std::string& data) {
    return gw::ComponiMsg(gw::kStartAnswer, gw::kAddressAnswer, command, std::string(1, '\0') + data);
}

}  // namespace gwtest
