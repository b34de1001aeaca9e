#include "support/SimProcess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace gwtest {

std::string SimProcess::Program() { return std::string(GW_APP_DIR) + "/bin/gas-ecu-sim"; }

SimProcess::SimProcess(const std::vector<std::string>& options) {
    const std::string program = Program();
    if (access(program.c_str(), X_OK) != 0) return;
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    std::vector<std::string> args{program, "--pty"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, program.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    if (rc != 0) {
        pid_ = -1;
        close(out[0]);
        return;
    }
    // The first line is the terminal's path; allow the child a few seconds to start.
    std::string got;
    for (int waited = 0; waited < 5000 && got.find('\n') == std::string::npos; waited += 50) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 50) > 0) {
            char buf[256];
            const ssize_t n = read(out[0], buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<size_t>(n));
        }
    }
    close(out[0]);
    if (got.find('\n') != std::string::npos) path_ = got.substr(0, got.find('\n'));
}

SimProcess::~SimProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}

}  // namespace gwtest
