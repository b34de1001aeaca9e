// The ports of the machine the workbench runs on: COM n and the FTDI USB cables (termios
// and sysfs here, the serial API and the USB driver library on Windows), plus the
// simulated ECU when a factory for it is plugged in. Makes ports; never opens them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/Port.h"

namespace gw {

class SystemPortProvider : public PortProvider {
public:
    using SimulatedFactory = std::function<std::unique_ptr<Port>()>;

    // appFolder holds "\BIN\ComPorts.ini" (read at every MakeCom, so an edit counts at the
    // next open); sysfsRoot and devRoot are where the USB cables are looked up.
    explicit SystemPortProvider(std::string appFolder, std::string sysfsRoot = "/sys",
                                SimulatedFactory simulated = {}, std::string devRoot = "/dev");

    std::unique_ptr<Port> MakeCom(int comPort) override;
    int CountUsbDevices() override;
    std::unique_ptr<Port> MakeUsb(int deviceIndex) override;
    // Nothing when no factory was given.
    std::unique_ptr<Port> MakeSimulated() override;

    // Only the Windows serial API has a DCB flag word; termios ignores it.
    void SetDcbFlagWord(std::uint32_t flags) override { dcbFlags_ = flags; }

private:
    std::string appFolder_;
    std::string sysfsRoot_;
    SimulatedFactory simulated_;
    std::string devRoot_;
    std::uint32_t dcbFlags_ = 0;
};

}  // namespace gw
