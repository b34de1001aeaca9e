// SimProcess: the simulator program started as a child serving the simulated ECU on a
// pseudo-terminal; gives the terminal's path and stops the child when destroyed.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace gwtest {

class SimProcess {
public:
    // Starts bin/gas-ecu-sim --pty with the extra options; Path() is empty when it failed.
    explicit SimProcess(const std::vector<std::string>& options = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    static std::string Program();
    const std::string& Path() const { return path_; }

private:
    pid_t pid_ = -1;
    std::string path_;
};

}  // namespace gwtest
