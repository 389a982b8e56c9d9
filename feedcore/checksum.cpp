// checksum.cpp - the 16-bit package checksum.
#include "checksum.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace jq {
namespace {

// The sum of four 16-bit lanes of a word.
uint32_t laneSum(uint64_t lanes) {
    return static_cast<uint32_t>((lanes & 0xFFFF) + ((lanes >> 16) & 0xFFFF) +
                                 ((lanes >> 32) & 0xFFFF) + (lanes >> 48));
}

}  // namespace

uint16_t packageChecksum(uint16_t plainLength, const uint8_t* plain) {
    // The sum of the big-endian words is 256 times the sum of the bytes at
    // even offsets plus the sum of those at odd offsets. Eight bytes at a
    // time, masking splits a word into four even and four odd bytes, each in
    // a 16-bit lane; a lane takes 256 bytes (at most 65,280) before it is
    // folded into the sum.
    constexpr uint64_t kLowBytes = 0x00FF00FF00FF00FF;
    constexpr size_t kBlocksPerFold = 256;
    uint32_t sum = plainLength;
    size_t i = 0;
    while (plainLength - i >= 8) {
        const size_t blocks = std::min((plainLength - i) / 8, kBlocksPerFold);
        uint64_t even = 0, odd = 0;
        for (size_t b = 0; b < blocks; ++b, i += 8) {
            uint64_t word;
            std::memcpy(&word, plain + i, sizeof word);
            even += word & kLowBytes;
            odd += (word >> 8) & kLowBytes;
        }
        // Loaded big-endian, the byte at the even offset of each pair is the
        // high half of its lane.
        if constexpr (std::endian::native == std::endian::big) std::swap(even, odd);
        sum += (laneSum(even) << 8) + laneSum(odd);
    }
    for (; i + 1 < plainLength; i += 2) sum += (uint32_t{plain[i]} << 8) | plain[i + 1];
    if (i < plainLength) sum += uint32_t{plain[i]} << 8;
    return static_cast<uint16_t>(sum);
}

}  // namespace jq
