// A pseudo-terminal pair for the port tests: the workbench opens the slave as its serial
// line, the test plays the far end on the master. Waits are bounded polls, never endless.
#pragma once

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace gwtest {

// Polls cond every millisecond for at most about a second; the pty hands bytes over
// through a kernel worker, so they may show up a moment after the write.
inline bool WaitUntil(const std::function<bool()>& cond) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        ::poll(nullptr, 0, 1);
    }
    return true;
}

class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        const char* name = ::ptsname(master_);
        if (name) slave_ = name;
    }
    ~PtyPair() {
        if (master_ >= 0) ::close(master_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return master_ >= 0 && !slave_.empty(); }
    const std::string& SlavePath() const { return slave_; }

    // Sends bytes from the far end.
    bool Send(const std::string& bytes) {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Collects what the workbench wrote until `count` bytes have arrived or a second passed.
    std::string Receive(std::size_t count) {
        std::string got;
        WaitUntil([&] {
            char buf[256];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<std::size_t>(n));
            return got.size() >= count;
        });
        return got;
    }

private:
    int master_ = -1;
    std::string slave_;
};

}  // namespace gwtest
