// The link and its communication cycle on a 1 ms virtual timer, connected to the simulated
// ECU, in a temporary application folder holding the shipped flash layout and firmware
// image: the setting of the firmware identity and upgrade tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "link/ClsComm.h"
#include "link/ComCycle.h"
#include "sim/SimEcu.h"
#include "sim/SimulatedEcuPort.h"
#include "support/SimPorts.h"
#include "support/TempDir.h"
#include "util/EventHost.h"

namespace gwtest {

inline gw::SimEcuOptions EcuWith(const gw::SimIdentity& identity) {
    gw::SimEcuOptions o;
    o.identity = identity;
    return o;
}

struct FirmwareSimRig {
    explicit FirmwareSimRig(const gw::SimEcuOptions& options = {})
        : FirmwareSimRig(std::make_shared<gw::SimEcu>(options)) {}
    // A new run of the program, from startUs on, on an ECU that has been used before.
    explicit FirmwareSimRig(std::shared_ptr<gw::SimEcu> existing, double startUs = 0)
        : host(startUs), ecu(std::move(existing)), ports(host, ecu), comm(host, ports, dir.Path()), cycle(comm) {
        const std::string bin = std::string(GW_SOURCE_DIR) + "/data/BIN/";
        dir.Write("BIN/Flash.ini", ReadAll(bin + "Flash.ini"));
        dir.Write("BIN/Norvik512.frh", ReadAll(bin + "Norvik512.frh"));
        dir.Write("LNG/Default.Xar", ReadAll(std::string(GW_SOURCE_DIR) + "/data/LNG/Default.Xar"));
        comm.Simulated = true;
        comm.FlagRicercaCom = 255;  // no port search
        timer1 = host.CreateTimer([this] { cycle.OnTimer1(); });
        timer1->SetIntervalMs(1);
        timer1->SetEnabled(true);
    }

    // Runs the cycle until the link is idle with the ECU answering.
    bool Connect(double maxUs = 20'000'000) {
        const double end = host.MicroClock() + maxUs;
        while (host.MicroClock() < end) {
            host.Advance(1000);
            if (comm.ComState == gw::kComIdle && !comm.WDogPresente) return true;
        }
        return false;
    }

    static std::string ReadAll(const std::string& path) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::string s;
        if (!f) return s;
        char buf[65536];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
        std::fclose(f);
        return s;
    }

    int Count(std::uint8_t command) { return ecu->Responder().Count(command); }

    TempDir dir;
    gw::VirtualHost host;
    std::shared_ptr<gw::SimEcu> ecu;
    SimOnlyPorts ports;
    gw::ClsComm comm;
    gw::ComCycle cycle;
    std::unique_ptr<gw::Timer> timer1;
};

}  // namespace gwtest
