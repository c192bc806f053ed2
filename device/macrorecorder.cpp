#include "device/macrorecorder.h"

#include "device/keyusagetable.h"
#include "device/macrorecordcodec.h"

namespace {

const KeyUsageRow* rowOfVirtualKey(int virtualKey)
{
    for (const KeyUsageRow& row : KeyUsageTable) {
        if (row.virtualKey == virtualKey)
            return &row;
    }
    return nullptr;
}

} // namespace

void MacroRecorder::Start()
{
    m_recording = true;
    m_firstKey = true;
    m_count = 0;
    m_lastTime = 0;
    m_held.clear();
}

void MacroRecorder::Stop()
{
    m_recording = false;
    m_held.clear();
}

bool MacroRecorder::IsRecording() const
{
    return m_recording;
}

int MacroRecorder::RecordedKeyCount() const
{
    return m_count;
}

MacroRecorder::Result MacroRecorder::Key(int virtualKey, bool down, quint32 timeMs,
                                         bool measuredDelays, int fixedDelay, MacroRowList& rows)
{
    if (!m_recording)
        return Result::Ignored;
    if (down && m_held.contains(virtualKey))
        return Result::Ignored; // auto-repeat of a held key
    if (!down)
        m_held.remove(virtualKey);

    const KeyUsageRow* key =
        VirtualKeyHasRow(virtualKey, VirtualKeySet::Recorder) ? rowOfVirtualKey(virtualKey) : nullptr;
    // Skipped keys leave no trace: no delay row, and the next delay still runs from the last
    // recorded event.
    if (!key)
        return Result::Ignored;

    if (!m_firstKey) {
        // Unsigned difference: right across a wrap of the source's clock.
        const quint32 delay = measuredDelays ? quint32(timeMs - m_lastTime) : quint32(qMax(fixedDelay, 0));
        AddDelayItem(rows, delay);
    }
    m_firstKey = false;
    m_lastTime = timeMs;

    AddKeyEventItem(rows, MacroEventFromCode(key->kind, key->code, down));
    if (down)
        m_held.insert(virtualKey);
    ++m_count;
    if (m_count >= MacroEventLimit) {
        m_recording = false;
        return Result::LimitReached;
    }
    return Result::Recorded;
}
