#ifndef KEYBOARDSOURCE_H
#define KEYBOARDSOURCE_H

// The application-wide key source behind the keyboard hooks: while any hook (a KeySink) is
// registered, one event filter on the application object turns each key event that reaches a
// window of this program into a Windows virtual key and a key message and hands it to every
// registered hook, in the order they were registered. Keys are never consumed. GUI thread.
//
// Each key event is taken once, where its receiver is the QWindow: Qt passes an ignored key
// event on from the focus widget to each of its parents, so a filter on widgets would see it
// several times.
//
// X11 repeats a held key as a release and a press of the same keycode with the same server
// time; Qt marks such pairs only when the press is already queued. So a release that carries a
// keycode and a time is held back until the next key event or click, or a short wait
// (Timing::KeyRepeatPairWait), whichever comes first: a matching press drops it (the press goes
// on as a repeat); anything else delivers it first, to the hooks that were installed when it
// happened and still are.

#include "ui/widgets/keysink.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVector>

#include <functional>
#include <optional>

class QKeyEvent;

class KeyboardSource : public QObject
{
    Q_OBJECT
public:
    // The one source of the process; never destroyed, so hooks may outlive the application.
    static KeyboardSource* Instance();

    // A hook installed twice is registered once. The filter is on the application object
    // exactly while at least one hook is registered.
    void Register(KeySink* hook);
    void Unregister(KeySink* hook);
    bool IsRegistered(const KeySink* hook) const;
    bool IsFiltering() const;

    // Whether keys are reported now: by default while the application is the active one.
    // Tests replace it; an empty function restores the default.
    void SetActivePredicate(std::function<bool()> isActive);

    // The Windows virtual key of a key event; 0 for a key that has none.
    static int VirtualKey(const QKeyEvent& event);
    // KeySink::KeyDown/KeyUp, or SysKeyDown/SysKeyUp for Alt, for keys pressed while Alt
    // is held without Ctrl, and for F10.
    static int Message(const QKeyEvent& event, int virtualKey);
    // The event's time in milliseconds (the window system's clock); an event without one takes
    // the current time of a monotonic clock.
    static quint32 EventTimeMs(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A release that may be the first half of an auto-repeat.
    struct HeldRelease {
        quint32 keycode = 0;
        quint32 time = 0;
        int virtualKey = 0;
        int message = 0;
        QVector<KeySink*> hooks;
        quint64 serial = 0;
    };

    KeyboardSource();
    void Take(const QKeyEvent& event);
    void Dispatch(const QKeyEvent& event);
    void DeliverHeldRelease();
    void Deliver(const QVector<KeySink*>& hooks, int virtualKey, int message, quint32 time);
    bool IsActive() const;

    QVector<KeySink*> m_hooks;
    std::optional<HeldRelease> m_heldRelease;
    quint64 m_heldSerial = 0;
    // The virtual key each held physical key (X keycode) was pressed as: its release reports
    // the same one, even when Num Lock or the layout changed meanwhile.
    QHash<quint32, int> m_heldKeys;
    QPointer<QObject> m_filtered;
    std::function<bool()> m_isActive;
};

#endif
