#ifndef HIDUSB_CONTROLSOCKET_H
#define HIDUSB_CONTROLSOCKET_H

// Where a running simulation takes plug and unplug commands by hand (the vexo-sim tool): a
// Unix stream socket in a folder of the user's own. One command line per connection
// ("plug <id>", "unplug <id>", "list"); the answer is text whose first word is "ok" or
// "error", and the connection closes after it. Both ends use only the user's own socket, and
// neither waits on the other for more than a few seconds.

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace HidControl {

using Clock = std::chrono::steady_clock;

// How long the program gives a client for its command line and the answer.
constexpr int ServerExchangeMs = 3000;
// How long the tool waits for the whole exchange: longer, so that it still gets its turn
// after a client that the program lets go.
constexpr int ClientExchangeMs = 5000;

// Without XDG_RUNTIME_DIR: a folder of the user's own under $TMPDIR (or /tmp), which the
// program makes with mode 0700.
inline bool FallbackFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return !runtime || !*runtime;
}

inline std::string SocketFolder()
{
    if (!FallbackFolder())
        return std::getenv("XDG_RUNTIME_DIR");
    const char* temp = std::getenv("TMPDIR");
    return std::string(temp && *temp ? temp : "/tmp") + "/hidusb-sim-" + std::to_string(::getuid());
}

inline std::string SocketPath()
{
    return SocketFolder() + "/hidusb-sim.sock";
}

// Why the fallback folder cannot hold the user's socket; empty when it can or when it is not
// there (make: then it is made).
inline std::string FolderRefusal(bool make)
{
    if (!FallbackFolder())
        return std::string();
    const std::string folder = SocketFolder();
    if (make)
        ::mkdir(folder.c_str(), 0700);
    struct stat found;
    if (::lstat(folder.c_str(), &found) != 0)
        return make ? folder + " cannot be made" : std::string();
    if (!S_ISDIR(found.st_mode))
        return folder + " is not a folder";
    if (found.st_uid != ::getuid())
        return folder + " belongs to another user";
    if ((found.st_mode & 07777) != 0700) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(found.st_mode & 07777));
        return folder + " has mode " + mode + ", not 0700";
    }
    return std::string();
}

// Why the socket at path is not to be used; empty when nothing is there or it is a socket of
// the user's own.
inline std::string SocketRefusal(const std::string& path)
{
    struct stat found;
    if (::lstat(path.c_str(), &found) != 0)
        return std::string();
    if (!S_ISSOCK(found.st_mode))
        return path + " is not a socket";
    if (found.st_uid != ::getuid())
        return path + " belongs to another user";
    return std::string();
}

inline bool FillAddress(const std::string& path, sockaddr_un* address)
{
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

inline int MsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::max<long long>(0, std::min<long long>(left, 1 << 30)));
}

// A connected socket, or -1. A server that takes no more connections keeps it waiting until
// the deadline at most.
inline int Connect(const sockaddr_un& address, Clock::time_point deadline)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int ms = std::max(1, MsUntil(deadline));
    timeval limit{};
    limit.tv_sec = ms / 1000;
    limit.tv_usec = (ms % 1000) * 1000;
    if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) != 0
        || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Waits until fd has what events asks for (or has failed: the next call says so). False when
// the deadline passed or wakeFd (-1: none) became readable first.
inline bool WaitFor(int fd, short events, Clock::time_point deadline, int wakeFd)
{
    for (;;) {
        const int ms = MsUntil(deadline);
        if (ms <= 0)
            return false;
        pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
        const int n = ::poll(fds, wakeFd >= 0 ? 2 : 1, ms);
        if (n < 0 && errno != EINTR)
            return false;
        if (n <= 0)
            continue;
        if (wakeFd >= 0 && fds[1].revents != 0)
            return false;
        return true;
    }
}

// Sends all of text; false when the other end went away, or as WaitFor.
inline bool SendAll(int fd, const std::string& text, Clock::time_point deadline, int wakeFd = -1)
{
    size_t done = 0;
    while (done < text.size()) {
        if (!WaitFor(fd, POLLOUT, deadline, wakeFd))
            return false;
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// What arrived, up to size bytes: 0 when the other end closed, -1 on an error or as WaitFor.
inline ssize_t Receive(int fd, char* buffer, size_t size, Clock::time_point deadline, int wakeFd = -1)
{
    for (;;) {
        if (!WaitFor(fd, POLLIN, deadline, wakeFd))
            return -1;
        const ssize_t n = ::recv(fd, buffer, size, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return n;
    }
}

} // namespace HidControl

#endif
