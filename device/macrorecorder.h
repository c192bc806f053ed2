#ifndef MACRORECORDER_H
#define MACRORECORDER_H
// Turns the keys of a recording into event and delay rows. A press is dropped while its key is
// held (auto-repeat); a release frees it. A delay is the difference of two recorded events'
// times as the keyboard source stamped them (whole ms), or the fixed delay, and goes in only
// when the next key has a row, so no list ends with a delay. Keys without a row are skipped.
// GUI thread.
#include "device/macroevents.h"

#include <QSet>
#include <QtGlobal>

class MacroRecorder
{
public:
    enum class Result {
        Ignored,      // not recording, an auto-repeat, or a key without a row
        Recorded,     // an event row (after its delay row) was appended
        LimitReached, // ... and it was the last one a recording may hold; recording has ended
    };

    // Clears the held keys and the count; the next recorded event gets no delay row.
    void Start();
    void Stop();
    bool IsRecording() const;
    int RecordedKeyCount() const;

    // One key from the keyboard hook: virtualKey a Windows virtual key, timeMs its time.
    // measuredDelays: delays are the time between events, else fixedDelay.
    Result Key(int virtualKey, bool down, quint32 timeMs, bool measuredDelays, int fixedDelay,
               MacroRowList& rows);

private:
    bool m_recording = false;
    bool m_firstKey = true;
    int m_count = 0;
    quint32 m_lastTime = 0;
    QSet<int> m_held;
};

#endif
