#ifndef KEYBOARDHOOK_H
#define KEYBOARDHOOK_H

// Keys pressed while a window of this program is active, reported to one owner (the macro
// recorder, the key capture dialog, the key combination dialog) as Windows virtual keys with
// a down flag and a repeat flag. Keys are never consumed: they still reach the widgets. Each
// owner has its own instance; installing or removing one leaves the others alone. The keys
// come from the application-wide keyboard source (keyboardsource.h). GUI thread.

#include "ui/widgets/keysink.h"

#include <QtGlobal>

#include <functional>

using KeyboardHookCallback = std::function<void(int keyCode, bool downOrUp, bool aotu)>;

class KeyboardHook : public KeySink
{
public:
    explicit KeyboardHook(bool tracksSystemKeys);
    ~KeyboardHook() override;
    KeyboardHook(const KeyboardHook&) = delete;
    KeyboardHook& operator=(const KeyboardHook&) = delete;

    void Install();
    // Safe to call repeatedly, or without Install.
    void Uninstall();
    bool IsInstalled() const;
    // Kept across Uninstall; an empty callback tracks keys and reports them to nobody.
    void SetCallback(KeyboardHookCallback callback);

    // One key event as the hook procedure sees it: updates last key, down and repeat and calls
    // the callback. The keyboard source calls it for installed instances; tests call it
    // directly. timeMs is the event's time on a monotonic millisecond clock; owners read it
    // through EventTime() during the callback.
    void Deliver(int virtualKey, int message, quint32 timeMs) override;
    // The time of the event being reported (valid during the callback).
    quint32 EventTime() const;

    bool TracksSystemKeys() const;

private:
    const bool m_tracksSystemKeys;
    bool m_installed = false;
    int m_lastKey = 0;
    bool m_down = false;
    bool m_repeat = false;
    quint32 m_eventTime = 0;
    KeyboardHookCallback m_callback;
};

#endif
