#ifndef HIDUSB_CODEC_H
#define HIDUSB_CODEC_H

// The settings dump: how a 10,428-byte record is kept in the mouse's 6,912 bytes.
//
//   offset size
//      0    4  "VXM1"
//      4    2  used length: bytes from offset 0 to the end of the last macro entry (LE)
//      6    2  0
//      8  124  record bytes 0x000..0x07B as they are (scalars, DPI levels, lights,
//              button functions, the two reserved bytes)
//    132  832  the sixteen key-action blocks as they are
//    964       sixteen macro entries, button 0 first:
//                compact  0x00, name length, event count, the name bytes, the events
//                raw      0x01, the 592-byte macro block as it is
//              A macro is stored compact when its name length is at most 30, its event
//              count at most 70 and every byte after the name and after the events is
//              zero; otherwise raw. Either way it comes back byte for byte.
//   used..6911 zero
//
// Room for macros: 5,948 bytes, that is ten full macros (593 bytes each) and six empty
// ones (3 bytes each). A record whose macros need more does not fit and is refused.

#include <cstdint>

struct FlashDataMap;

namespace HidCodec {

constexpr int DumpLength = 6912;
constexpr int FixedLength = 124;
constexpr int KeyActionsOffset = 8 + FixedLength;
constexpr int MacrosOffset = KeyActionsOffset + 16 * 52;

// Fills dump (DumpLength bytes). False when the record does not fit; dump is then
// unspecified.
bool Encode(const FlashDataMap& record, uint8_t* dump);
// False when the dump is not one of ours; record is then untouched.
bool Decode(const uint8_t* dump, int length, FlashDataMap* record);

} // namespace HidCodec

#endif
