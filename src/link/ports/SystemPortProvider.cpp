#include "link/ports/SystemPortProvider.h"

#include <utility>

#ifdef _WIN32
#include "link/ports/D2xxUsbPort.h"
#include "link/ports/WinComPort.h"
#else
#include "link/ports/ComPortMap.h"
#include "link/ports/FtdiEnumerator.h"
#include "link/ports/FtdiUsbPort.h"
#include "link/ports/PosixSerialPort.h"
#endif

namespace gw {

SystemPortProvider::SystemPortProvider(std::string appFolder, std::string sysfsRoot, SimulatedFactory simulated,
                                       std::string devRoot)
    : appFolder_(std::move(appFolder)),
      sysfsRoot_(std::move(sysfsRoot)),
      simulated_(std::move(simulated)),
      devRoot_(std::move(devRoot)) {}

#ifdef _WIN32

std::unique_ptr<Port> SystemPortProvider::MakeCom(int comPort) { return std::make_unique<WinComPort>(comPort, dcbFlags_); }

int SystemPortProvider::CountUsbDevices() { return D2xxUsbPort::CountDevices(); }

std::unique_ptr<Port> SystemPortProvider::MakeUsb(int deviceIndex) {
    return std::make_unique<D2xxUsbPort>(deviceIndex);
}

#else

std::unique_ptr<Port> SystemPortProvider::MakeCom(int comPort) {
    return std::make_unique<PosixSerialPort>(comPort, ComPortMap::Load(appFolder_));
}

int SystemPortProvider::CountUsbDevices() { return FtdiEnumerator(sysfsRoot_, devRoot_).Count(); }

std::unique_ptr<Port> SystemPortProvider::MakeUsb(int deviceIndex) {
    return std::make_unique<FtdiUsbPort>(FtdiEnumerator(sysfsRoot_, devRoot_), deviceIndex);
}

#endif

std::unique_ptr<Port> SystemPortProvider::MakeSimulated() { return simulated_ ? simulated_() : nullptr; }

}  // namespace gw
