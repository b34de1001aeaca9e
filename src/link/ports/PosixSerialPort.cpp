#ifndef _WIN32
#include "link/ports/PosixSerialPort.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/ports/ComPortMap.h"

namespace gw {

namespace {

// A byte that cannot leave at once gets this many waits of kWriteWaitMs for room in the
// transmit queue: about the 50 ms the line's write time-out allows, never longer.
constexpr int kWriteAttempts = 5;
constexpr int kWriteWaitMs = 10;

}  // namespace

PosixSerialPort::PosixSerialPort(int comPort, const ComPortMap& map)
    : devicePath_(map.DevicePath(comPort)), description_("COM" + std::to_string(comPort)), kind_(PortKind::Com) {}

PosixSerialPort::PosixSerialPort(std::string devicePath, std::string description, PortKind kind)
    : devicePath_(std::move(devicePath)), description_(std::move(description)), kind_(kind) {}

PosixSerialPort::~PosixSerialPort() { Close(); }

bool PosixSerialPort::Fail(int err) {
    lastError_ = err;
    return false;
}

bool PosixSerialPort::DeviceGone() const {
    return lastError_ == ENODEV || lastError_ == ENXIO || lastError_ == EIO || lastError_ == EPIPE;
}

bool PosixSerialPort::Open() {
    if (fd_ >= 0) return true;
    if (devicePath_.empty()) return Fail(ENODEV);
    const int fd = ::open(devicePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(errno);
    fd_ = fd;
    // Exclusive, as a Windows COM port is: TIOCEXCL keeps other programs
    // out, the lock also keeps out a second open by this program (and by root).
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int err = (errno == EWOULDBLOCK) ? EBUSY : errno;
        Close();
        return Fail(err);
    }
    if (::ioctl(fd_, TIOCEXCL) != 0 || !ConfigureLine()) {
        const int err = errno;
        Close();
        return Fail(err);
    }
    return true;
}

bool PosixSerialPort::ConfigureLine() {
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B38400) != 0 || ::cfsetospeed(&tio, B38400) != 0) return false;
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0;
}

void PosixSerialPort::Close() {
    if (fd_ < 0) return;
    ::close(fd_);  // releases the lock; the exclusive mode ends with the last close
    fd_ = -1;
}

bool PosixSerialPort::BytesWaiting(long& count) {
    count = 0;
    if (fd_ < 0) return Fail(EBADF);
    int n = 0;
    if (::ioctl(fd_, FIONREAD, &n) != 0) return Fail(errno);
    count = n;
    return true;
}

bool PosixSerialPort::Read(std::size_t n, std::string& out) {
    if (fd_ < 0) return Fail(EBADF);
    char buf[256];
    while (n > 0) {
        const std::size_t want = n < sizeof buf ? n : sizeof buf;
        const ssize_t got = ::read(fd_, buf, want);
        if (got < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;  // nothing more waiting
            return Fail(errno);
        }
        if (got == 0) break;
        out.append(buf, static_cast<std::size_t>(got));
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

bool PosixSerialPort::WriteByte(std::uint8_t byte) {
    if (fd_ < 0) return Fail(EBADF);
    const char c = static_cast<char>(byte);
    int err = EAGAIN;
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        const ssize_t n = ::write(fd_, &c, 1);
        if (n == 1) return true;
        err = (n < 0) ? errno : EAGAIN;
        if (err == EINTR) continue;
        if (err != EAGAIN && err != EWOULDBLOCK) return Fail(err);
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, kWriteWaitMs);
    }
    return Fail(err);
}

bool PosixSerialPort::PurgeReceive() {
    if (fd_ < 0) return Fail(EBADF);
    if (::tcflush(fd_, TCIFLUSH) != 0) return Fail(errno);
    return true;
}

bool PosixSerialPort::PurgeTransmit() {
    if (fd_ < 0) return Fail(EBADF);
    if (::tcflush(fd_, TCOFLUSH) != 0) return Fail(errno);
    return true;
}

}  // namespace gw

#endif  // !_WIN32
