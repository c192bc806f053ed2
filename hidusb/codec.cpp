#include "codec.h"

#include "hidusb/flashdatamap.h"

#include <cstring>

namespace HidCodec {

static const uint8_t Magic[4] = {'V', 'X', 'M', '1'};

static bool allZero(const uint8_t* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

static bool compactable(const MacroRecord& m)
{
    if (m.nameLength > sizeof m.name || m.eventCount > 70)
        return false;
    const auto* name = reinterpret_cast<const uint8_t*>(m.name);
    if (!allZero(name + m.nameLength, sizeof m.name - m.nameLength))
        return false;
    const auto* events = reinterpret_cast<const uint8_t*>(m.events);
    const size_t used = size_t(m.eventCount) * sizeof(KeyActionEvent);
    return allZero(events + used, sizeof m.events - used);
}

bool Encode(const FlashDataMap& record, uint8_t* dump)
{
    std::memset(dump, 0, DumpLength);
    std::memcpy(dump, Magic, 4);
    const auto* raw = reinterpret_cast<const uint8_t*>(&record);
    std::memcpy(dump + 8, raw, FixedLength);
    std::memcpy(dump + KeyActionsOffset, record.keyActions, sizeof record.keyActions);
    int at = MacrosOffset;
    for (const MacroRecord& m : record.macros) {
        if (compactable(m)) {
            const int events = m.eventCount * int(sizeof(KeyActionEvent));
            if (at + 3 + m.nameLength + events > DumpLength)
                return false;
            dump[at++] = 0;
            dump[at++] = m.nameLength;
            dump[at++] = m.eventCount;
            std::memcpy(dump + at, m.name, m.nameLength);
            at += m.nameLength;
            std::memcpy(dump + at, m.events, size_t(events));
            at += events;
        } else {
            if (at + 1 + int(sizeof m) > DumpLength)
                return false;
            dump[at++] = 1;
            std::memcpy(dump + at, &m, sizeof m);
            at += int(sizeof m);
        }
    }
    dump[4] = uint8_t(at & 0xFF);
    dump[5] = uint8_t(at >> 8);
    return true;
}

bool Decode(const uint8_t* dump, int length, FlashDataMap* record)
{
    if (!dump || !record || length < MacrosOffset || std::memcmp(dump, Magic, 4) != 0)
        return false;
    const int used = dump[4] | (dump[5] << 8);
    if (used < MacrosOffset || used > length || used > DumpLength)
        return false;
    FlashDataMap out = ZeroFlashDataMap();
    std::memcpy(&out, dump + 8, FixedLength);
    std::memcpy(out.keyActions, dump + KeyActionsOffset, sizeof out.keyActions);
    int at = MacrosOffset;
    for (MacroRecord& m : out.macros) {
        if (at >= used)
            return false;
        const uint8_t tag = dump[at++];
        if (tag == 0) {
            if (at + 2 > used)
                return false;
            m.nameLength = dump[at++];
            m.eventCount = dump[at++];
            const int events = m.eventCount * int(sizeof(KeyActionEvent));
            if (m.nameLength > sizeof m.name || m.eventCount > 70 || at + m.nameLength + events > used)
                return false;
            std::memcpy(m.name, dump + at, m.nameLength);
            at += m.nameLength;
            std::memcpy(m.events, dump + at, size_t(events));
            at += events;
        } else if (tag == 1) {
            if (at + int(sizeof m) > used)
                return false;
            std::memcpy(&m, dump + at, sizeof m);
            at += int(sizeof m);
        } else {
            return false;
        }
    }
    if (at != used)
        return false;
    *record = out;
    return true;
}

} // namespace HidCodec
