#ifndef KEYSINK_H
#define KEYSINK_H

// What the keyboard source hands each key to: a Windows virtual key, the key message it stands
// for and the event's time on a monotonic millisecond clock. GUI thread.

#include <QtGlobal>

class KeySink
{
public:
    // The Windows key messages a key stands for.
    enum Message : int { KeyDown = 0x0100, KeyUp = 0x0101, SysKeyDown = 0x0104, SysKeyUp = 0x0105 };

    virtual void Deliver(int virtualKey, int message, quint32 timeMs) = 0;

protected:
    KeySink() = default;
    virtual ~KeySink() = default;
};

#endif
