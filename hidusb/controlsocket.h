#ifndef HIDUSB_CONTROLSOCKET_H
#define HIDUSB_CONTROLSOCKET_H

// Where a running simulation takes plug and unplug commands by hand (the vexo-sim tool): a
// Unix stream socket in the user's runtime folder. One command line per connection
// ("plug <id>", "unplug <id>", "list"); the answer is text whose first word is "ok" or
// "error", and the connection closes after it.

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace HidControl {

inline std::string SocketPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/hidusb-sim.sock";
    return "/tmp/hidusb-sim-" + std::to_string(::getuid()) + ".sock";
}

// Sends all of text; false when the other end went away.
inline bool SendAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

} // namespace HidControl

#endif
