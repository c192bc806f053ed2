#include "controlchannel.h"

#include "controlsocket.h"
#include "engine.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <sstream>
#include <thread>

namespace HidEngine {

namespace {

struct Channel
{
    std::mutex mu; // never held with Engine::mu wanted inside
    bool open = false;
    std::thread thread;
    int listenFd = -1;
    int wake[2] = {-1, -1};
    std::string path;
    ino_t inode = 0;
};

Channel& C()
{
    // Never destroyed: the library's exit handler closes it.
    static Channel* channel = new Channel;
    return *channel;
}

std::atomic<bool> g_openAtInit{true};

const char* const Usage = "usage: plug <device-id> | unplug <device-id> | list\n";

bool fillAddress(const std::string& path, sockaddr_un* address)
{
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool answeredAt(const sockaddr_un& address)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answered;
}

// A client that sends or takes nothing for this long is let go, so closing never waits long.
void limitWaits(int fd)
{
    timeval limit{};
    limit.tv_sec = 2;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

std::string readLine(int fd)
{
    std::string line;
    char c = 0;
    while (line.size() < 256) {
        const ssize_t n = ::recv(fd, &c, 1, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || c == '\n')
            break;
        line += c;
    }
    return line;
}

void serve(int listenFd, int wakeFd)
{
    for (;;) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0 || (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return;
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        const int client = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        limitWaits(client);
        HidControl::SendAll(client, ControlReply(readLine(client)));
        ::close(client);
    }
}

const char* kindName(const Device& d)
{
    return d.isMouse() ? "mouse" : d.isReceiver() ? "receiver" : "screen";
}

std::string stateLocked(const Device& d)
{
    std::string state;
    if (d.isMouse() && !d.spec.hasCable)
        state = "no cable";
    else if (d.isMouse())
        state = d.plugged ? "cable plugged in" : "cable unplugged";
    else
        state = d.plugged ? "plugged in" : "unplugged";
    if (d.isMouse() && !d.onCable() && !d.spec.receiver.empty())
        state += std::string(", through ") + d.spec.receiver;
    if (d.boot)
        state += ", waiting for its firmware";
    return state;
}

std::string describeLocked(const Device& d)
{
    return d.spec.id + ": " + kindName(d) + ", " + stateLocked(d) + "\n";
}

std::string idsLocked()
{
    std::string ids;
    for (const auto& d : E().devices)
        ids += (ids.empty() ? "" : ", ") + d->spec.id;
    return ids;
}

} // namespace

bool OpenControlChannel()
{
    Channel& c = C();
    std::lock_guard<std::mutex> lock(c.mu);
    if (c.open)
        return true;
    const std::string path = HidControl::SocketPath();
    sockaddr_un address;
    if (!fillAddress(path, &address) || answeredAt(address))
        return false;
    struct stat found;
    if (::lstat(path.c_str(), &found) == 0) {
        // Left by a run that ended without closing it; anything but a socket stays.
        if (!S_ISSOCK(found.st_mode) || ::unlink(path.c_str()) != 0)
            return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    struct stat made;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0
        || ::chmod(path.c_str(), 0600) != 0 || ::lstat(path.c_str(), &made) != 0
        || ::pipe2(c.wake, O_CLOEXEC) != 0) {
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    c.listenFd = fd;
    c.path = path;
    c.inode = made.st_ino;
    c.thread = std::thread(serve, fd, c.wake[0]);
    c.open = true;
    return true;
}

void CloseControlChannel()
{
    Channel& c = C();
    std::thread thread;
    int listenFd = -1;
    int wake[2] = {-1, -1};
    std::string path;
    ino_t inode = 0;
    {
        std::lock_guard<std::mutex> lock(c.mu);
        if (!c.open)
            return;
        c.open = false;
        thread = std::move(c.thread);
        listenFd = c.listenFd;
        wake[0] = c.wake[0];
        wake[1] = c.wake[1];
        path = c.path;
        inode = c.inode;
        c.listenFd = c.wake[0] = c.wake[1] = -1;
    }
    const char stop = 1;
    while (::write(wake[1], &stop, 1) < 0 && errno == EINTR) {
    }
    if (thread.joinable()) {
        if (thread.get_id() == std::this_thread::get_id())
            thread.detach();
        else
            thread.join();
    }
    ::close(listenFd);
    ::close(wake[0]);
    ::close(wake[1]);
    // Another run may have taken the name meanwhile: only our own socket goes.
    struct stat now;
    if (::lstat(path.c_str(), &now) == 0 && now.st_ino == inode)
        ::unlink(path.c_str());
}

bool ControlChannelOpen()
{
    Channel& c = C();
    std::lock_guard<std::mutex> lock(c.mu);
    return c.open;
}

std::string ControlReply(const std::string& line)
{
    std::istringstream words(line);
    std::string command, id, extra;
    words >> command >> id >> extra;
    std::lock_guard<std::mutex> lock(E().mu);
    if (command == "list" && id.empty()) {
        std::string reply = "ok\n";
        for (const auto& d : E().devices)
            reply += describeLocked(*d);
        return reply;
    }
    const bool plug = command == "plug";
    if ((!plug && command != "unplug") || id.empty() || !extra.empty())
        return std::string("error unknown command \"") + line + "\"\n" + Usage;
    Device* d = FindByIdLocked(id);
    if (!d)
        return "error no device \"" + id + "\"; the devices are: " + idsLocked() + "\n";
    if (d->isMouse() && !d->spec.hasCable)
        return "error " + id + " has no cable: it is reached through its receiver only\n";
    if (d->plugged != plug)
        SetPluggedLocked(*d, plug);
    return "ok " + describeLocked(*d);
}

void SetControlChannelAtInit(bool open)
{
    g_openAtInit.store(open);
}

bool ControlChannelAtInit()
{
    return g_openAtInit.load();
}

} // namespace HidEngine
