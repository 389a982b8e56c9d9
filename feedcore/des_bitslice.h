// des_bitslice.h - bitsliced DES decryption (FIPS 46-3), one block per lane.
//
// A pass turns up to 64 x Groups blocks into 64 bit planes (plane d holds bit
// d + 1 of every block, one lane per block), runs the sixteen rounds as
// boolean operations on whole planes, and turns the planes back into blocks.
// The keys are turned into planes the same way, so every lane may carry a key
// of its own (a key every lane shares is spread over its planes directly):
// round key bits are plain key bits picked by the schedule, and the initial
// and final permutations, E and P are only a choice of planes.
//
// V is a vector of Groups 64-bit words (GCC vector extensions), compiled in a
// unit of its own with the instruction set it needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "des_tables.h"

namespace jq::des::bitslice {

// ~a & b. The vector units specialise it to their and-not instruction, which
// the compiler does not always choose for the plain expression.
template <class V>
inline V andNot(V a, V b) {
    return ~a & b;
}

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

// Transposes Groups 64 x 64 bit matrices at once, matrix g in lane g of
// a[0..63]: afterwards bit 63 - i of a[j] is what bit 63 - j of a[i] was.
template <class V>
inline void transpose64(V* a) {
    uint64_t mask = 0x00000000FFFFFFFFull;
    for (unsigned j = 32; j != 0; j >>= 1, mask ^= mask << j) {
        for (unsigned k = 0; k < 64; k = ((k | j) + 1) & ~j) {
            const V t = (a[k] ^ (a[k | j] >> j)) & mask;
            a[k] ^= t;
            a[k | j] ^= t << j;
        }
    }
}

inline uint64_t loadBlock(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

inline void storeBlock(uint64_t v, uint8_t* p) {
    v = __builtin_bswap64(v);
    std::memcpy(p, &v, 8);
}

// Lane g of plane d is bit d + 1 of the words 64 g .. 64 g + 63, one bit per
// word (wordAt(i), the rest zero): word i of a group sits in row i of its
// matrix before the transpose.
template <class V, unsigned Groups, class WordAt>
inline void toPlanes(size_t count, WordAt wordAt, V* planes) {
    alignas(sizeof(V)) uint64_t raw[64 * Groups] = {};
    for (size_t i = 0; i < count; ++i) raw[(i % 64) * Groups + i / 64] = wordAt(i);
    std::memcpy(planes, raw, sizeof raw);
    transpose64(planes);
}

template <class V, unsigned Groups>
inline void planesToBlocks(V* planes, uint8_t* out, size_t count) {
    transpose64(planes);
    alignas(sizeof(V)) uint64_t raw[64 * Groups];
    std::memcpy(raw, planes, sizeof raw);
    for (size_t i = 0; i < count; ++i) storeBlock(raw[(i % 64) * Groups + i / 64], out + 8 * i);
}

// The key planes: a key shared by every lane needs no transpose, each plane
// is all ones or all zeros.
template <class V, unsigned Groups>
inline void keyPlanes(const uint64_t* keys, size_t count, V* planes) {
    bool shared = true;
    for (size_t i = 1; i < count && shared; ++i) shared = keys[i] == keys[0];
    if (!shared) {
        toPlanes<V, Groups>(count, [keys](size_t i) { return keys[i]; }, planes);
        return;
    }
    for (unsigned d = 0; d < 64; ++d) {
        const uint64_t bit = (keys[0] >> (63 - d)) & 1;
        std::memset(&planes[d], bit ? 0xFF : 0x00, sizeof(V));
    }
}

template <unsigned Box, class V>
inline void applyBox(const V* source, V* target, const V* key, const uint8_t* roundKey) {
    V x[6];
    for (unsigned j = 0; j < 6; ++j) {
        x[j] = source[kE[6 * Box + j] - 1] ^ key[roundKey[6 * Box + j]];
    }
    V o[4];
    if constexpr (Box == 0) sbox0(x, o);
    if constexpr (Box == 1) sbox1(x, o);
    if constexpr (Box == 2) sbox2(x, o);
    if constexpr (Box == 3) sbox3(x, o);
    if constexpr (Box == 4) sbox4(x, o);
    if constexpr (Box == 5) sbox5(x, o);
    if constexpr (Box == 6) sbox6(x, o);
    if constexpr (Box == 7) sbox7(x, o);
    for (unsigned q = 0; q < 4; ++q) target[kAfterP.of[4 * Box + q]] ^= o[q];
}

template <class V>
inline void roundOf(const V* source, V* target, const V* key, const uint8_t* roundKey) {
    applyBox<0>(source, target, key, roundKey);
    applyBox<1>(source, target, key, roundKey);
    applyBox<2>(source, target, key, roundKey);
    applyBox<3>(source, target, key, roundKey);
    applyBox<4>(source, target, key, roundKey);
    applyBox<5>(source, target, key, roundKey);
    applyBox<6>(source, target, key, roundKey);
    applyBox<7>(source, target, key, roundKey);
}

// One pass: decrypts count (at most 64 x Groups) blocks of in into out, block
// i under the big-endian key keys[i]. in and out may be the same.
template <class V, unsigned Groups>
void decryptPass(const uint64_t* keys, const uint8_t* in, uint8_t* out, size_t count) {
    V planes[64];
    V key[64];
    toPlanes<V, Groups>(count, [in](size_t i) { return loadBlock(in + 8 * i); }, planes);
    keyPlanes<V, Groups>(keys, count, key);

    V left[32];
    V right[32];
    for (unsigned i = 0; i < 32; ++i) {
        left[i] = planes[kIP[i] - 1];
        right[i] = planes[kIP[32 + i] - 1];
    }
    // Two rounds at a time, so that which half feeds which stays fixed.
    for (unsigned round = 0; round < 16; round += 2) {
        // Decryption takes the round keys last first.
        roundOf(right, left, key, kRoundKeyBits[15 - round].data());
        roundOf(left, right, key, kRoundKeyBits[14 - round].data());
    }
    // After an even number of rounds the halves stand in place; the output
    // before the final permutation is R16 L16.
    for (unsigned i = 0; i < 32; ++i) {
        planes[kIP[i] - 1] = right[i];
        planes[kIP[32 + i] - 1] = left[i];
    }
    planesToBlocks<V, Groups>(planes, out, count);
}

}  // namespace jq::des::bitslice
