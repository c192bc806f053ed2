#ifndef HIDUSB_CONTROLCHANNEL_H
#define HIDUSB_CONTROLCHANNEL_H

// The simulation's end of the control socket (controlsocket.h): a thread of its own accepts
// one connection at a time, gives it a few seconds for its command line and carries the
// command out on the devices under Engine::mu. No callback of the program runs on that thread;
// plugging notifies hot-plug as any change.

#include <string>

namespace HidEngine {

// False when the socket cannot be made or another running process serves it already.
// May be called with Engine::mu held (it never takes it).
bool OpenControlChannel();
// Stops the thread, at once even in the middle of a client, and removes the socket. Never
// with Engine::mu held.
void CloseControlChannel();
bool ControlChannelOpen();
// The answer to one command line. Takes Engine::mu.
std::string ControlReply(const std::string& line);

// Whether the library opens the channel when it loads its scenario on first use: the
// program's library does; the one with the test interface leaves it to the tests.
void SetControlChannelAtInit(bool open);
bool ControlChannelAtInit();

} // namespace HidEngine

#endif
