#include "controlchannel.h"

#include "controlsocket.h"
#include "engine.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
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

constexpr size_t MaxLine = 256;

// Whether a run of the user's serves the socket already.
bool answeredAt(const sockaddr_un& address)
{
    const int fd = HidControl::Connect(
        address, HidControl::Clock::now() + std::chrono::milliseconds(HidControl::ServerExchangeMs));
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The client's command line, whole within the deadline: false when it was not, or when the
// channel closes meanwhile. A line that ends with the connection counts.
bool readLine(int fd, HidControl::Clock::time_point deadline, int wakeFd, std::string* line)
{
    HoldAtCall("ControlChannel:accepted");
    char buffer[MaxLine];
    while (line->size() < MaxLine) {
        if (!line->empty())
            HoldAtCall("ControlChannel:part-of-a-line");
        const ssize_t n = HidControl::Receive(fd, buffer, sizeof buffer, deadline, wakeFd);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        const void* end = std::memchr(buffer, '\n', size_t(n));
        line->append(buffer, size_t(end ? static_cast<const char*>(end) - buffer : n));
        if (end)
            break;
    }
    if (line->size() > MaxLine)
        line->resize(MaxLine);
    return true;
}

// One client at a time, each for a few seconds at most; the wake pipe ends it at once, even
// in the middle of a client.
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
        const int client = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0)
            continue;
        const auto deadline = HidControl::Clock::now() + std::chrono::milliseconds(HidControl::ServerExchangeMs);
        std::string line;
        if (readLine(client, deadline, wakeFd, &line))
            HidControl::SendAll(client, ControlReply(line), deadline, wakeFd);
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
    // Only a socket of the user's own, in a folder of the user's own: another user's stays
    // where it is, and the program runs without the channel.
    const std::string path = HidControl::SocketPath();
    sockaddr_un address;
    if (!HidControl::FolderRefusal(true).empty() || !HidControl::FillAddress(path, &address)
        || !HidControl::SocketRefusal(path).empty() || answeredAt(address))
        return false;
    // Left by a run that ended without closing it.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
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
