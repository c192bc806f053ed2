// vexo-sim: plugs and unplugs the simulated devices of the running program, as a user plugs a
// receiver or a mouse's cable. It talks to the program's device library over the control
// socket (controlsocket.h) and prints the library's answer.
//
//   vexo-sim plug <device-id>      a receiver onto USB, or a mouse's cable in
//   vexo-sim unplug <device-id>
//   vexo-sim list                  the devices and their state
//
// Exit status: 0 done, 1 refused (the answer says why), 2 wrong use, 3 no program running.

#include "controlsocket.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: vexo-sim plug <device-id>\n"
                         "       vexo-sim unplug <device-id>\n"
                         "       vexo-sim list\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string line;
    if (argc == 2 && std::strcmp(argv[1], "list") == 0)
        line = "list";
    else if (argc == 3 && (std::strcmp(argv[1], "plug") == 0 || std::strcmp(argv[1], "unplug") == 0)
             && argv[2][0] != '\0' && !std::strpbrk(argv[2], " \t\r\n"))
        line = std::string(argv[1]) + " " + argv[2];
    else
        return usage();

    const std::string path = HidControl::SocketPath();
    sockaddr_un address;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        std::fprintf(stderr, "vexo-sim: the socket path is too long: %s\n", path.c_str());
        return 3;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        std::fprintf(stderr,
                     "vexo-sim: no running program answers at %s.\n"
                     "Start the program first, and run vexo-sim with the same XDG_RUNTIME_DIR.\n",
                     path.c_str());
        if (fd >= 0)
            ::close(fd);
        return 3;
    }
    std::string reply;
    if (HidControl::SendAll(fd, line + "\n")) {
        char buffer[512];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            reply.append(buffer, size_t(n));
        }
    }
    ::close(fd);

    // The first word is the verdict; the rest is for the user.
    const size_t space = reply.find_first_of(" \n");
    const std::string verdict = reply.substr(0, space);
    const std::string text = space == std::string::npos ? std::string() : reply.substr(space + 1);
    if (verdict == "ok") {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    if (verdict == "error") {
        std::fprintf(stderr, "vexo-sim: %s", text.c_str());
        return 1;
    }
    std::fprintf(stderr, "vexo-sim: no answer from %s\n", path.c_str());
    return 3;
}
