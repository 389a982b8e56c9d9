// key_params.h - key-parameter blocks, key words and package keys.
#pragma once

#include <array>
#include <cstdint>

#include "feedcore.h"

namespace jq {

// The odd-month and even-month key words of a block: bits 5-0 the year
// value, bits 9-6 the month, bits 15-10 the key parameter.
struct KeyWords {
    uint16_t odd = 0;
    uint16_t even = 0;
};

inline constexpr size_t kKeyPackageSize = 12;
inline constexpr uint8_t kStartCode = 0x0D;
inline constexpr uint8_t kKeyPackageType = 0x7F;
inline constexpr uint8_t kKeyPackageTerminator = 0x8F;

KeyWords deriveKeyWords(const GcspBlock& block);

// The 8-byte DES key of a key word: the six fixed bytes, then bits 14-8 and
// bits 6-0 of the word, each given odd parity in bit 7.
std::array<uint8_t, 8> packageKey(uint16_t keyWord);

// Unpacks the 12 bytes of a key-parameter package. The caller checks the
// terminator (byte 13 of the result).
GcspBlock unpackKeyPackage(const uint8_t (&bytes)[kKeyPackageSize]);

// The process-wide default block: the built-in default until replaced.
GcspBlock defaultBlock();
void setDefaultBlock(const GcspBlock& block);

// The block SetDefaultGCSP builds from its four words.
GcspBlock blockFromWords(uint32_t w0, uint32_t w1, uint32_t w2, uint16_t h3);

}  // namespace jq
