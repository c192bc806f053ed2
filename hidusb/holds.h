#ifndef HIDUSB_HOLDS_H
#define HIDUSB_HOLDS_H

// Holds of HidSim::HoldDelivery: a test stops one of the library's threads at a chosen point
// and lets it go again. None of these may be called with Engine::mu held.

#include "hidusb/hidsim.h"

namespace HidEngine {

void ArmHold(const HidSim::HoldPoint& point);
// Before a callback is handed a report (command 7: a flash's status, sub its second byte).
void HoldBeforeCallback(int command, int sub);
// On entry to a library function (or at a named point inside one); alias: a second
// name the function answers to.
void HoldAtCall(const char* function, const char* alias = nullptr);
void ReleaseHolds();
bool WaitUntilHeldImpl(int timeoutMs);
// Marks the report a callback on this thread is being handed, for HoldAtCall.
class ReportSite
{
public:
    ReportSite(int command, int sub);
    ~ReportSite();
    ReportSite(const ReportSite&) = delete;
    ReportSite& operator=(const ReportSite&) = delete;

private:
    int m_command;
    int m_sub;
    bool m_active;
};

} // namespace HidEngine

#endif
