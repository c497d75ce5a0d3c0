// The byte layout of the flaw detector's *.DAT record files, in one place.
//
// File (all integers little-endian, no magic, no checksum):
//
//   offset 0   int32  recordCount      records the file announces (signed)
//   offset 4   records, back to back:
//              +0  int32  storedLength  LZW bytes that follow
//              +4  int32  trailerLength bytes at the end of the decoded record
//                                       that are not frames (0 = no trailer)
//              +8  storedLength bytes of LZW stream (see lzw.h)
//
// Decoded record (at most kDecodedCapacity bytes), T = decodedSize - trailerLength:
//
//   0 .. T-1     frames of kFrameSize bytes (T / 600 of them; a remainder is ignored)
//   T .. T+217   instrument parameter block (see instrument_params.h); byte 3 = noteLength
//   T+218        2 bytes never read
//   T+220        (noteLength + 1) note cells, uint16 each (present when noteLength != 0)
//
// Frame (kFrameSize bytes):
//
//   0    280 x uint8  echoSamples   amplitude, 200 = full plot height
//   280  20 bytes     not used
//   300  4 x int32    frameValue0..3 measured values
//   316  280 x uint8  envelopeTrace second trace
//   596  4 bytes      not used
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

inline constexpr int kFileHeaderSize = 4;   // recordCount
inline constexpr int kRecordHeaderSize = 8; // storedLength + trailerLength
inline constexpr int kFirstRecordOffset = kFileHeaderSize;

// The instrument decodes every record into one 16384-byte buffer; a record
// that decodes to more does not fit and is cut (see RecordDamage).
inline constexpr int kDecodedCapacity = 16384;

// The instrument's own stored-bytes buffer holds 6168 bytes. We read longer
// streams too, as long as they can still decode within kDecodedCapacity: a
// code is at most 12 bits and yields at least one byte, so a stream of more
// than 16384 * 12 / 8 bytes always overflows the record buffer.
inline constexpr int kInstrumentStoredCapacity = 6168;
inline constexpr int kStoredCapacity = kDecodedCapacity * 12 / 8;

inline constexpr int kFrameSize = 600;
inline constexpr int kSamplesPerFrame = 280;
inline constexpr int kFrameEchoOffset = 0;
inline constexpr int kFrameValuesOffset = 300;
inline constexpr int kFrameEnvelopeOffset = 316;
// FrameTail: bytes 300..595 of the frame drawn last.
inline constexpr int kFrameTailOffset = 300;
inline constexpr int kFrameTailSize = 296;

inline constexpr int kParameterBlockSize = 218;
inline constexpr int kNoteLengthOffset = 3;  // within the block, unconverted byte
inline constexpr int kNoteCellsOffset = 220; // from T
// The instrument's note work area holds 200 bytes: 2 unread bytes, at most 98
// cells and a terminating zero cell.
inline constexpr int kInstrumentMaxNoteLength = 97;

// Little-endian reads from bytes whose range the caller has already checked.
inline uint16_t loadU16Unchecked(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t loadU32Unchecked(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t loadI32Unchecked(const uint8_t* p) {
    return static_cast<int32_t>(loadU32Unchecked(p));
}
inline void storeU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void storeU32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

} // namespace vantrel
