// Fuzz target: the link settings file "\BIN\SetCom.ini". Any bytes are read without a
// crash; the settings then written back (after their repair) read back the same.
#include <string>

#include "FuzzPort.h"
#include "FuzzSupport.h"
#include "link/ClsComm.h"
#include "util/EventHost.h"

namespace {

using namespace gw;

struct Snapshot {
    std::string setport, memoPath, titolo;
    std::int16_t comPort, numReSend;
    double byteTx, globaleDefault, mol, idle;
    bool usb;
    std::uint8_t search;
    std::int32_t dcb;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const ClsComm& c) {
    return {c.Setport, c.MemoPath, c.Titolo, c.ComPortValue, c.NumReSend, c.AttesaByteTx_usec,
            c.AttesaGlobaleDefault_usec, c.MolAttesaGlobale, c.Idle_usec,
            c.UsbCom, c.FlagRicercaCom, c.DcbBitFields};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& app = gwfuzz::ScratchFolder();
    gwfuzz::WriteFileBytes(app + "/BIN/SetCom.ini", std::string(reinterpret_cast<const char*>(data), size));
    VirtualHost host;
    gwfuzz::FuzzLine line;
    gwfuzz::FuzzPortProvider ports(line);
    ClsComm comm(host, ports, app);
    comm.ReadSetCom("\\BIN\\SetCom.ini");
    FUZZ_CHECK(!comm.MemoDatiCom);
    FUZZ_CHECK(comm.AttesaGlobale_usec == comm.AttesaGlobaleDefault_usec);
    const std::string name = comm.ComPortNome();
    FUZZ_CHECK(name.empty() || (name.size() == 4 && name.compare(0, 3, "COM") == 0));

    FUZZ_CHECK(comm.WriteSetCom("\\BIN\\SetCom2.ini"));
    // After the repair. The current answer window is not stored (it is the file's default
    // once read), so it is not compared.
    const Snapshot written = Take(comm);
    ClsComm again(host, ports, app);
    const Warnings warnings = again.ReadSetCom("\\BIN\\SetCom2.ini");
    FUZZ_CHECK(Take(again) == written);
    FUZZ_CHECK(warnings.empty());  // what was written reads without an error
    return 0;
}
