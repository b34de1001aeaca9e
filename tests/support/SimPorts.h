// SimOnlyPorts: a port provider behind which only the simulated ECU is reachable: no COM
// port and no USB cable can be opened. For tests that run the link against the simulator.
#pragma once

#include <memory>

#include "link/Port.h"
#include "sim/SimulatedEcuPort.h"
#include "util/Host.h"

namespace gwtest {

class SimOnlyPorts : public gw::PortProvider {
public:
    SimOnlyPorts(gw::Host& host, std::shared_ptr<gw::SimEcu> ecu) : host_(host), ecu_(std::move(ecu)) {}
    std::unique_ptr<gw::Port> MakeCom(int) override { return nullptr; }
    int CountUsbDevices() override { return 0; }
    std::unique_ptr<gw::Port> MakeUsb(int) override { return nullptr; }
    std::unique_ptr<gw::Port> MakeSimulated() override {
        return std::make_unique<gw::SimulatedEcuPort>(host_, ecu_);
    }

private:
    gw::Host& host_;
    std::shared_ptr<gw::SimEcu> ecu_;
};

}  // namespace gwtest
