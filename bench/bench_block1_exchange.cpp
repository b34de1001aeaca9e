// bench_block1_exchange: the time of one block-1 read (CMD_READ_MEM1) through SendMsgWait
// on the steady clock, with the communication cycle's 1 ms Timer1 running, over a real
// pseudo-terminal served by gas-ecu-sim (COM3 mapped to it through a temporary application
// folder's "\BIN\ComPorts.ini"). Prints each exchange, the median, and the line's floor:
// request bytes x (byte time + AttesaByteTx_usec) + idle time + answer bytes x byte time.
//
// usage: bench_block1_exchange [--sim PATH] [--count N]
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "link/ClsComm.h"
#include "link/ComCycle.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "link/ports/SystemPortProvider.h"
#include "hosts/SteadyHost.h"
#include "util/EventHost.h"

#ifndef GW_SIM_PROGRAM
#define GW_SIM_PROGRAM "gas-ecu-sim"
#endif

namespace {

using namespace gw;

constexpr double kByteUs = 10.0 * 1e6 / 38400.0;

struct Simulator {
    pid_t pid = -1;
    std::string pty;
    bool Start(const std::string& program) {
        int fds[2];
        if (pipe(fds) != 0) return false;
        pid = fork();
        if (pid < 0) return false;
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            execl(program.c_str(), program.c_str(), "--pty", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') pty += c;
        close(fds[0]);  // the simulator writes nothing more that we need
        return !pty.empty();
    }
    ~Simulator() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

// Keeps the size of each block-1 answer.
class Block1Sink : public AnswerSink {
public:
    std::size_t lastFrame = 0;
    int frames = 0;
    void DecodeBlock1(const std::string& f) override {
        lastFrame = f.size();
        ++frames;
    }
    void DecodeBlock2(const std::string&) override {}
    void DecodeBlock3(const std::string&) override {}
    void DecodeBlock5(const std::string&) override {}
    void DecodeSamples(bool, int, const std::string&) override {}
    void SamplesCleared(bool) override {}
    void Block2Written() override {}
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string sim = GW_SIM_PROGRAM;
    int count = 20;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--sim" && i + 1 < argc) sim = argv[++i];
        else if (a == "--count" && i + 1 < argc) count = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: %s [--sim PATH] [--count N]\n", argv[0]);
            return 2;
        }
    }

    Simulator ecu;
    if (!ecu.Start(sim)) {
        std::fprintf(stderr, "cannot start %s --pty\n", sim.c_str());
        return 1;
    }
    std::string app = (std::filesystem::temp_directory_path() / "gw-bench-XXXXXX").string();
    if (!mkdtemp(app.data())) return 1;
    std::filesystem::create_directories(app + "/BIN");
    std::ofstream(app + "/BIN/ComPorts.ini") << "[COM3]\r\n" << ecu.pty << "\r\n";

    int rc = 0;
    {
        SteadyHost host;
        SystemPortProvider ports(app);
        ClsComm comm(host, ports, app);
        Block1Sink sink;
        comm.SetAnswerSink(&sink);
        comm.UsbCom = false;
        comm.Simulated = false;
        comm.SetComPort(3);
        comm.FlagRicercaCom = 255;
        comm.MemoDatiCom = false;
        // The defaults of the settings file.
        comm.AttesaByteTx_usec = 500;
        comm.Idle_usec = 100'000;
        comm.AttesaGlobaleDefault_usec = comm.AttesaGlobale_usec = 4'000'000;

        ComCycle cycle(comm);
        auto timer1 = host.CreateTimer([&] { cycle.OnTimer1(); });
        timer1->SetIntervalMs(1);
        timer1->SetEnabled(true);

        // Open the port and let the keep-alive be answered.
        const double deadline = host.MicroClock() + 5e6;
        while (host.MicroClock() < deadline && (comm.ComState != kComIdle || comm.WDogPresente)) host.DoEvents();
        if (comm.ComState != kComIdle || comm.WDogPresente) {
            std::fprintf(stderr, "the simulator on %s did not answer the keep-alive\n", ecu.pty.c_str());
            rc = 1;
        } else {
            const std::string request = RequestMsg(CMD_READ_MEM1);
            std::vector<double> ms;
            for (int i = 0; i < count; ++i) {
                const double t0 = host.MicroClock();
                const bool ok = comm.SendMsgWait(request);
                const double t1 = host.MicroClock();
                if (!ok) {
                    std::fprintf(stderr, "exchange %d failed (state %d)\n", i + 1, comm.ComState);
                    rc = 1;
                    break;
                }
                ms.push_back((t1 - t0) / 1000.0);
                std::printf("exchange %2d  %8.2f ms\n", i + 1, ms.back());
            }
            if (!ms.empty()) {
                const double floorMs = (request.size() * (kByteUs + comm.AttesaByteTx_usec) + comm.Idle_usec +
                                        sink.lastFrame * kByteUs) / 1000.0;
                const double med = Median(ms);
                std::printf("\nrequest %zu bytes, answer %zu bytes, AttesaByteTx_usec %.0f, idle %.0f us\n",
                            request.size(), sink.lastFrame, comm.AttesaByteTx_usec, comm.Idle_usec);
                std::printf("median %.2f ms  (min %.2f, max %.2f, n %zu)\n", med,
                            *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
                            ms.size());
                std::printf("floor  %.2f ms  ratio %.3f  (goal <= 1.10): %s\n", floorMs, med / floorMs,
                            med <= 1.10 * floorMs ? "met" : "MISSED");
                if (med > 1.10 * floorMs) rc = 3;
            }
        }
        timer1->SetEnabled(false);
        comm.CloseComPort();
    }
    std::error_code ec;
    std::filesystem::remove_all(app, ec);
    return rc;
}
