// checksum.h - the 16-bit package checksum.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jq {

// Sum, modulo 65,536, of the big-endian 16-bit words of: the two bytes of
// plainLength (high byte first), then the first plainLength plain bytes. An
// odd last byte is the high byte of a final word whose low byte is 0.
uint16_t packageChecksum(uint16_t plainLength, const uint8_t* plain);

}  // namespace jq
