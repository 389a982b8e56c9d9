// key_params.cpp - key words of the month and the package key.
#include "key_params.h"

#include <cstring>

#include "byte_reader.h"
#include "config.h"

namespace jq {
namespace {

constexpr uint8_t kFixedKeyBytes[6] = FEEDCORE_FIXED_KEY_BYTES;
constexpr uint8_t kBuiltInDefault[14] = FEEDCORE_DEFAULT_GCSP_BYTES;

GcspBlock blockFromBytes(const uint8_t (&bytes)[14]) {
    GcspBlock block;
    static_assert(sizeof block == 14);
    std::memcpy(&block, bytes, sizeof block);
    return block;
}

// Written by SetDefaultGCSP without synchronisation, copied by every decoding
// call at its start; callers that change it while decoding serialise.
GcspBlock gDefaultBlock = blockFromBytes(kBuiltInDefault);

uint8_t withOddParity(unsigned sevenBits) {
    const unsigned v = sevenBits & 0x7F;
    unsigned ones = 0;
    for (unsigned b = v; b != 0; b >>= 1) ones += b & 1;
    return static_cast<uint8_t>((ones & 1) ? v : (v | 0x80));
}

}  // namespace

KeyWords deriveKeyWords(const GcspBlock& block) {
    const unsigned month = block.Month;
    const int year = 1990 + block.YearOffset;
    int yearValue = year % 100 - 90;
    if (yearValue < 0) yearValue += 100;
    const unsigned g = static_cast<unsigned>(yearValue) & 0x3F;

    const auto current = static_cast<uint16_t>(month * 64 + g);
    const auto previous = static_cast<uint16_t>(month == 1 ? g + 0x2FF : (month - 1) * 64 + g);
    KeyWords words;
    words.odd = (month & 1) ? current : previous;
    words.even = (month & 1) ? previous : current;
    words.odd = static_cast<uint16_t>(words.odd | (block.OddKeyParameter << 10));
    words.even = static_cast<uint16_t>(words.even | (block.EvenKeyParameter << 10));
    return words;
}

std::array<uint8_t, 8> packageKey(uint16_t keyWord) {
    std::array<uint8_t, 8> key{};
    std::memcpy(key.data(), kFixedKeyBytes, sizeof kFixedKeyBytes);
    key[6] = withOddParity(keyWord >> 8);
    key[7] = withOddParity(keyWord);
    return key;
}

GcspBlock unpackKeyPackage(const uint8_t (&bytes)[kKeyPackageSize]) {
    ByteReader r(bytes, sizeof bytes);
    GcspBlock block{};
    block.StartCode = r.u8();
    block.TypeCode = r.u8();
    block.Param2 = r.u8() & 0x3F;
    // Bytes 3 to 5 carry a one-bit flag in bit 5 above their parameter.
    const uint8_t third = r.u8();
    const uint8_t fourth = r.u8();
    const uint8_t fifth = r.u8();
    block.Param3 = third & 0x1F;
    block.Param4 = fourth & 0x1F;
    block.Month = fifth & 0x0F;
    block.Flag8 = (third >> 5) & 1;
    block.Flag9 = (fourth >> 5) & 1;
    block.Flag10 = (fifth >> 5) & 1;
    block.Param6 = r.u8() & 0x07;
    block.YearOffset = r.u8() & 0x3F;
    block.OddKeyParameter = r.u8() & 0x3F;
    block.EvenKeyParameter = r.u8() & 0x3F;
    block.Terminator = r.u8();
    return block;
}

GcspBlock defaultBlock() { return gDefaultBlock; }

void setDefaultBlock(const GcspBlock& block) { gDefaultBlock = block; }

GcspBlock blockFromWords(uint32_t w0, uint32_t w1, uint32_t w2, uint16_t h3) {
    uint8_t bytes[14];
    const uint32_t words[3] = {w0, w1, w2};
    for (unsigned i = 0; i < 12; ++i)
        bytes[i] = static_cast<uint8_t>(words[i / 4] >> (8 * (i % 4)));
    bytes[12] = static_cast<uint8_t>(h3);
    bytes[13] = static_cast<uint8_t>(h3 >> 8);
    return blockFromBytes(bytes);
}

}  // namespace jq
