// checksum.cpp - the 16-bit package checksum.
#include "checksum.h"

namespace jq {

uint16_t packageChecksum(uint16_t plainLength, const uint8_t* plain) {
    uint32_t sum = plainLength;
    size_t i = 0;
    for (; i + 1 < plainLength; i += 2) sum += (uint32_t{plain[i]} << 8) | plain[i + 1];
    if (i < plainLength) sum += uint32_t{plain[i]} << 8;
    return static_cast<uint16_t>(sum);
}

}  // namespace jq
