// des_bitslice.h - bitsliced DES decryption (FIPS 46-3), one block per lane.
//
// A pass turns up to 64 x Groups blocks into 64 bit planes (plane d holds bit
// d + 1 of every block, one lane per block), runs the sixteen rounds as
// boolean operations on whole planes, and turns the planes back into blocks.
// The keys are turned into planes the same way, so every lane may carry a key
// of its own: round key bits are plain key bits picked by the schedule, and
// the initial and final permutations, E and P are only a choice of planes.
//
// V is a vector of Groups 64-bit words (GCC vector extensions), compiled in a
// unit of its own with the instruction set it needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "des_tables.h"

namespace jq::des::bitslice {

#include "des_sboxes.inc"

// The initial permutation: bit i + 1 of L0 R0 is block bit kIP[i].
inline constexpr uint8_t kIP[64] = {58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
                                    62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
                                    57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
                                    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};

// The expansion E: bit i + 1 of the 48 is bit kE[i] of the right half.
inline constexpr uint8_t kE[48] = {32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11,
                                   12, 13, 12, 13, 14, 15, 16, 17, 16, 17, 18, 19, 20, 21, 20, 21,
                                   22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};

struct PositionsAfterP {
    uint8_t of[32];  // of[s]: where S-box output bit s lands after P
};

constexpr PositionsAfterP makePositionsAfterP() {
    PositionsAfterP t{};
    for (unsigned i = 0; i < 32; ++i) t.of[kP[i] - 1] = static_cast<uint8_t>(i);
    return t;
}

inline constexpr PositionsAfterP kAfterP = makePositionsAfterP();

// Transposes a 64 x 64 bit matrix in place: afterwards bit 63 - i of a[j] is
// what bit 63 - j of a[i] was.
inline void transpose64(uint64_t* a) {
    uint64_t mask = 0x00000000FFFFFFFFull;
    for (unsigned j = 32; j != 0; j >>= 1, mask ^= mask << j) {
        for (unsigned k = 0; k < 64; k = ((k | j) + 1) & ~j) {
            const uint64_t t = (a[k] ^ (a[k | j] >> j)) & mask;
            a[k] ^= t;
            a[k | j] ^= t << j;
        }
    }
}

inline uint64_t loadBlock(const uint8_t* p) {
    uint64_t v = 0;
    for (unsigned i = 0; i < 8; ++i) v = (v << 8) | p[i];
    return v;
}

inline void storeBlock(uint64_t v, uint8_t* p) {
    for (unsigned i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (56 - 8 * i));
}

// words[count] (the rest zero) into planes: plane d, group g is the
// transposed word d of the g-th 64 words.
template <class V, unsigned Groups>
inline void toPlanes(const uint64_t* words, size_t count, V* planes) {
    alignas(32) uint64_t raw[64 * Groups];
    for (unsigned g = 0; g < Groups; ++g) {
        uint64_t block[64] = {};
        for (size_t i = 0; i < 64 && 64 * g + i < count; ++i) block[i] = words[64 * g + i];
        transpose64(block);
        for (unsigned d = 0; d < 64; ++d) raw[d * Groups + g] = block[d];
    }
    std::memcpy(planes, raw, sizeof raw);
}

template <class V, unsigned Groups>
inline void fromPlanes(const V* planes, uint64_t* words, size_t count) {
    alignas(32) uint64_t raw[64 * Groups];
    std::memcpy(raw, planes, sizeof raw);
    for (unsigned g = 0; g < Groups && 64 * g < count; ++g) {
        uint64_t block[64];
        for (unsigned d = 0; d < 64; ++d) block[d] = raw[d * Groups + g];
        transpose64(block);
        for (size_t i = 0; i < 64 && 64 * g + i < count; ++i) words[64 * g + i] = block[i];
    }
}

template <unsigned Box, class V>
inline void applyBox(const V* source, V* target, const V* key, const uint8_t* roundKey, V ones) {
    V x[6];
    for (unsigned j = 0; j < 6; ++j) {
        x[j] = source[kE[6 * Box + j] - 1] ^ key[roundKey[6 * Box + j]];
    }
    V o[4];
    if constexpr (Box == 0) sbox0(x, o, ones);
    if constexpr (Box == 1) sbox1(x, o, ones);
    if constexpr (Box == 2) sbox2(x, o, ones);
    if constexpr (Box == 3) sbox3(x, o, ones);
    if constexpr (Box == 4) sbox4(x, o, ones);
    if constexpr (Box == 5) sbox5(x, o, ones);
    if constexpr (Box == 6) sbox6(x, o, ones);
    if constexpr (Box == 7) sbox7(x, o, ones);
    for (unsigned q = 0; q < 4; ++q) target[kAfterP.of[4 * Box + q]] ^= o[q];
}

template <class V>
inline void roundOf(const V* source, V* target, const V* key, const uint8_t* roundKey, V ones) {
    applyBox<0>(source, target, key, roundKey, ones);
    applyBox<1>(source, target, key, roundKey, ones);
    applyBox<2>(source, target, key, roundKey, ones);
    applyBox<3>(source, target, key, roundKey, ones);
    applyBox<4>(source, target, key, roundKey, ones);
    applyBox<5>(source, target, key, roundKey, ones);
    applyBox<6>(source, target, key, roundKey, ones);
    applyBox<7>(source, target, key, roundKey, ones);
}

// One pass: decrypts count (at most 64 x Groups) blocks of in into out, block
// i under the big-endian key keys[i]. in and out may be the same.
template <class V, unsigned Groups>
void decryptPass(const uint64_t* keys, const uint8_t* in, uint8_t* out, size_t count) {
    constexpr size_t kLanes = 64 * Groups;
    uint64_t words[kLanes];
    for (size_t i = 0; i < count; ++i) words[i] = loadBlock(in + 8 * i);
    V planes[64];
    V key[64];
    toPlanes<V, Groups>(words, count, planes);
    toPlanes<V, Groups>(keys, count, key);

    V left[32];
    V right[32];
    for (unsigned i = 0; i < 32; ++i) {
        left[i] = planes[kIP[i] - 1];
        right[i] = planes[kIP[32 + i] - 1];
    }
    V ones;
    std::memset(&ones, 0xFF, sizeof ones);
    // Two rounds at a time, so that which half feeds which stays fixed.
    for (unsigned round = 0; round < 16; round += 2) {
        // Decryption takes the round keys last first.
        roundOf(right, left, key, kRoundKeyBits[15 - round].data(), ones);
        roundOf(left, right, key, kRoundKeyBits[14 - round].data(), ones);
    }
    // After an even number of rounds the halves stand in place; the output
    // before the final permutation is R16 L16.
    for (unsigned i = 0; i < 32; ++i) {
        planes[kIP[i] - 1] = right[i];
        planes[kIP[32 + i] - 1] = left[i];
    }
    fromPlanes<V, Groups>(planes, words, count);
    for (size_t i = 0; i < count; ++i) storeBlock(words[i], out + 8 * i);
}

}  // namespace jq::des::bitslice
