// vexo-sim: plugs and unplugs the simulated devices of the running program, as a user plugs a
// receiver or a mouse's cable. It talks to the program's device library over the control
// socket (controlsocket.h) and prints the library's answer.
//
//   vexo-sim plug <device-id>      a receiver onto USB, or a mouse's cable in
//   vexo-sim unplug <device-id>
//   vexo-sim list                  the devices and their state
//
// Exit status: 0 done, 1 refused (the answer says why), 2 wrong use, 3 no program running (none
// answers within a few seconds, or the socket is not the user's own).

#include "controlsocket.h"

#include <sys/un.h>
#include <unistd.h>

#include <chrono>
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
    // Only the user's own: another user's socket could answer anything.
    std::string refusal = HidControl::FolderRefusal(false);
    if (refusal.empty())
        refusal = HidControl::SocketRefusal(path);
    if (!refusal.empty()) {
        std::fprintf(stderr, "vexo-sim: %s; it is not used.\n", refusal.c_str());
        return 3;
    }
    sockaddr_un address;
    if (!HidControl::FillAddress(path, &address)) {
        std::fprintf(stderr, "vexo-sim: the socket path is too long: %s\n", path.c_str());
        return 3;
    }
    const auto deadline = HidControl::Clock::now() + std::chrono::milliseconds(HidControl::ClientExchangeMs);
    const int fd = HidControl::Connect(address, deadline);
    if (fd < 0) {
        std::fprintf(stderr,
                     "vexo-sim: no running program answers at %s.\n"
                     "Start the program first, and run vexo-sim with the same XDG_RUNTIME_DIR.\n",
                     path.c_str());
        return 3;
    }
    // The whole answer, up to the program's close, in time; anything less is no answer.
    std::string reply;
    if (HidControl::SendAll(fd, line + "\n", deadline)) {
        char buffer[512];
        ssize_t n;
        while ((n = HidControl::Receive(fd, buffer, sizeof buffer, deadline)) > 0)
            reply.append(buffer, size_t(n));
        if (n < 0)
            reply.clear();
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
