#ifndef OFFLINENOTICEGUARD_H
#define OFFLINENOTICEGUARD_H

#include <functional>

class QWidget;

// Keeps at most one offline notice open. The top-level window's SlotMouseOffLine(index) hands
// its whole job to Run: a second report while a notice is open must not stack another modal
// notice on top (each one would need its own click, and every nested loop keeps the caller
// of the report waiting).
class OfflineNoticeGuard
{
public:
    // Sets OfflineNoticeMode to mode and calls prepare (the window's re-check flags). With no
    // notice open it builds one, centres it over `over` 20 px above centre, runs it modally
    // and returns true when it has closed. With a notice open, that notice takes the new
    // message and this returns false at once. GUI thread only.
    static bool Run(int mode, QWidget* over, const std::function<void()>& prepare = {});

    static bool IsOpen();
};

#endif
