#include "cli/MapCommands.h"

#include <cstdio>

#include "app/MapPage.h"
#include "cli/EcuCommands.h"
#include "link/Commands.h"
#include "link/ModComm.h"

namespace gw::cli {

int MapRead(Workbench& wb, SteadyHost& host, const std::string& path, double timeoutS) {
    wb.OpenCommLog(DateText());
    if (!WaitConnected(wb, host, timeoutS)) {
        std::fprintf(stderr, "no ECU answered within %.0f s\n", timeoutS);
        wb.Shutdown();
        return kExitFailed;
    }
    // The identity decides whether the ECU's sample times get the added time.
    if (!wb.Check->LeggiIdentita()) {
        std::fprintf(stderr, "cannot read the ECU's identity; nothing was saved\n");
        wb.Shutdown();
        return kExitFailed;
    }
    wb.Image->EvaluateAddTimeSwitch();
    MapPage page(*wb.Image, host.Locale(), "");
    page.Attach();
    // The requests the page's Read leaves to the display timer: petrol, then gas, set 0
    // and set 1 of each.
    ClsComm& c = *wb.Comm;
    const bool petrol = c.SendMsgWait(RequestMsg(CMD_READ_SMPL_BNZ)) && c.SendMsgWait(RequestMsg(CMD_READ_SMPL_BNZ1));
    const bool gas = petrol && c.SendMsgWait(RequestMsg(CMD_READ_SMPL_GAS)) && c.SendMsgWait(RequestMsg(CMD_READ_SMPL_GAS1));
    if (!petrol || !gas) {
        std::fprintf(stderr, "the ECU did not answer every sample read; nothing was saved\n");
        wb.Shutdown();
        return kExitFailed;
    }
    std::string error;
    const bool ok = page.SaveMapFile(path, &error);
    int petrolCount = 0, gasCount = 0;
    for (int k = 0; k < kMapUsedSlots; ++k) {
        petrolCount += page.Samples.PetrolVacuum[static_cast<std::size_t>(k)] > 0;
        gasCount += page.Samples.GasVacuum[static_cast<std::size_t>(k)] > 0;
    }
    if (ok)
        std::printf("saved %s (%d petrol and %d gas samples)\n", path.c_str(), petrolCount, gasCount);
    else
        std::fprintf(stderr, "cannot save %s: %s\n", path.c_str(), error.c_str());
    wb.Shutdown();
    return ok ? kExitDone : kExitFailed;
}

}  // namespace gw::cli
