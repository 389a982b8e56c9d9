// des_tables.h - the permutations and key schedule of DES (FIPS 46-3) that
// the table rounds of des.cpp and the bitsliced rounds of des_bitslice.h
// share.
#pragma once

#include <array>
#include <cstdint>

namespace jq::des {

// The permutation P: output bit i (1 = most significant) is input bit kP[i-1].
inline constexpr uint8_t kP[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                                   2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

// Permuted choice 1 (key bits 1-64 into C and D) and 2 (C and D into 48 bits).
inline constexpr uint8_t kPC1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
                                     10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
                                     63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
                                     14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};
inline constexpr uint8_t kPC2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

// Cumulative left rotations of C and D before each round.
inline constexpr uint8_t kRotations[16] = {1,  2,  4,  6,  8,  10, 12, 14,
                                           15, 17, 19, 21, 23, 25, 27, 28};

// kRoundKeyBits[round][i]: the key bit (0 = the most significant bit of key
// byte 0) that becomes bit i of the round's 48-bit key. PC-1 splits the key
// into C and D, each rotated left by the round's cumulative count, and PC-2
// picks 48 of their bits; composed once here, a schedule is 768 bit fetches.
using RoundKeyBits = std::array<std::array<uint8_t, 48>, 16>;

constexpr RoundKeyBits makeRoundKeyBits() {
    RoundKeyBits table{};
    for (unsigned round = 0; round < 16; ++round) {
        for (unsigned i = 0; i < 48; ++i) {
            const unsigned cd = kPC2[i] - 1u;  // 0-27 in C, 28-55 in D
            const unsigned half = cd < 28 ? 0 : 28;
            const unsigned rotated = half + (cd - half + kRotations[round]) % 28;
            table[round][i] = static_cast<uint8_t>(kPC1[rotated] - 1);
        }
    }
    return table;
}

inline constexpr RoundKeyBits kRoundKeyBits = makeRoundKeyBits();

}  // namespace jq::des
