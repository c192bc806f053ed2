#ifndef HIDUSB_STATESAVER_H
#define HIDUSB_STATESAVER_H

// The state file's saver. A change only hands over a copy of what the devices keep; a thread
// of the saver's own writes the latest copy a moment later, so a burst of changes makes one
// write and no caller waits for the disk. The file is replaced whole (a temporary file beside
// it, synced, renamed over it): a process killed at any moment leaves the last state written
// or the one before, and at most a temporary file, which a later start removes.
// Its locks are taken after Engine::mu, never before it.

#include "scenario.h"

#include <map>
#include <string>

namespace HidEngine {
namespace StateSaver {

// Takes the copy to write to path, starting the thread when needed. May be called with
// Engine::mu held.
void HandOver(const std::string& path, std::map<std::string, HidScenario::DeviceState> states);
// Writes the copy still waiting, on the calling thread, once a write in progress ended: on
// return the file holds every change handed over before the call. Not with Engine::mu held.
void Flush();
// Flush, and the thread ends (the next change starts it again). Gives up waiting for it
// after timeoutMs.
void Stop(int timeoutMs);
// How often a file was replaced.
int Writes();
void ClearWrites();
// Removes what interrupted saves of the file at path left beside it: temporary files older
// than a minute. The file itself and every other name stay.
void RemoveLeftovers(const std::string& path);

} // namespace StateSaver
} // namespace HidEngine

#endif
