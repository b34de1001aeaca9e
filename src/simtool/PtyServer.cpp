#include "simtool/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace gw {

PtyServer::~PtyServer() {
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
}

std::string PtyServer::Open(std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return {};
    }
    const char* name = ptsname(master_);
    if (!name) {
        error = "no slave name for the pseudo-terminal";
        return {};
    }
    std::string path = name;
    slave_ = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    if (slave_ < 0 || tcgetattr(slave_, &t) != 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return {};
    }
    cfmakeraw(&t);
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    tcsetattr(slave_, TCSANOW, &t);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    return path;
}

void PtyServer::Deliver() {
    std::vector<double> times;
    const SimBytes due = ecu_.TakeDue(host_.MicroClock(), &times);
    SimBytes out;
    for (std::size_t i = 0; i < due.size(); ++i)
        if (ecu_.Faults().CableConnectedAt(times[i])) out.push_back(due[i]);
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = write(master_, out.data() + done, out.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // nobody reading and the buffer full: the bytes are lost, as on a line
        }
    }
}

void PtyServer::Receive() {
    std::uint8_t buf[256];
    for (;;) {
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0) return;
        const double now = host_.MicroClock();
        for (ssize_t i = 0; i < n; ++i) {
            const double arrival = std::max(now, lineFreeUs_) + SimEcu::ByteUs;
            lineFreeUs_ = arrival;
            if (ecu_.Faults().CableConnectedAt(arrival)) ecu_.ReceiveByte(buf[i], arrival);
        }
    }
}

int PtyServer::Run(volatile std::sig_atomic_t& stop, const sigset_t* waitMask) {
    while (!stop) {
        Deliver();
        const double next = ecu_.NextDueUs();
        timespec ts{1, 0};
        if (next != SimEcu::Never) {
            const double us = std::max(0.0, next - host_.MicroClock());
            ts.tv_sec = static_cast<time_t>(us / 1e6);
            ts.tv_nsec = static_cast<long>(std::fmod(us, 1e6) * 1000);
        }
        pollfd p{master_, POLLIN, 0};
        const int r = ppoll(&p, 1, &ts, waitMask);
        if (r < 0 && errno != EINTR) return 1;
        if (r > 0 && (p.revents & POLLIN)) Receive();
    }
    return 0;
}

}  // namespace gw
