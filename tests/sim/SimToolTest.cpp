// End to end: the simulator program on a pseudo-terminal answers the keep-alive.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "support/GoldenFrames.h"

extern char** environ;

namespace {

// Reads from fd until pred holds or the time (ms) runs out.
template <class Pred>
std::string ReadUntil(int fd, int ms, Pred pred) {
    std::string got;
    for (int waited = 0; waited < ms && !pred(got); waited += 50) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) > 0 && (p.revents & POLLIN)) {
            char buf[256];
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<std::size_t>(n));
        }
    }
    return got;
}

TEST(SimTool, ServesTheKeepAliveOnAPseudoTerminal) {
    const std::string program = std::string(GW_APP_DIR) + "/bin/gas-ecu-sim";
    if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "build the gas-ecu-sim target first";
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--pty"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &fa, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);

    const std::string first = ReadUntil(out[0], 5000, [](const std::string& s) { return s.find('\n') != std::string::npos; });
    const std::string path = first.substr(0, first.find('\n'));
    int fd = path.empty() ? -1 : open(path.c_str(), O_RDWR | O_NOCTTY);
    EXPECT_GE(fd, 0) << "first line: " << first;
    if (fd >= 0) {
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
        EXPECT_EQ(write(fd, gwtest::kEcoRequest.data(), gwtest::kEcoRequest.size()),
                  static_cast<ssize_t>(gwtest::kEcoRequest.size()));
        const std::string answer =
            ReadUntil(fd, 2000, [](const std::string& s) { return s.size() >= gwtest::kEcoAnswer.size(); });
        EXPECT_EQ(answer, gwtest::kEcoAnswer);
        close(fd);
    }
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(out[0]);
}

}  // namespace
