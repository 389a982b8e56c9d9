// des.cpp - DES rounds and key schedule (FIPS 46-3).
//
// The combined S-box and P tables are computed at compile time from the
// standard tables below. Inside the rounds both halves are kept rotated left
// by one bit, so that each 6-bit group of the expansion E lies on a byte
// boundary of the rotated half (Outerbridge's arrangement).
#include "des.h"

#include <array>

#include "des_tables.h"

namespace jq::des {
namespace {

// The eight S-boxes, each four rows of sixteen values.
constexpr uint8_t kSBoxes[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8, 3, 10, 6, 12, 5,  9,  0,  7,  0,  15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5, 3, 8,  4, 1,  14, 8,  13, 6,  2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2, 4, 9,  1, 7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8,  14, 6,  11, 3,  4, 9,  7,  2, 13, 12, 0,  5,  10, 3,  13, 4,  7, 15, 2,
     8,  14, 12, 0,  1,  10, 6,  9, 11, 5,  0, 14, 7,  11, 10, 4,  13, 1,  5,  8, 12, 6,
     9,  3,  2,  15, 13, 8,  10, 1, 3,  15, 4, 2,  11, 6,  7,  12, 0,  5,  14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7, 11, 4,  2,  8,  13, 7, 0,  9, 3, 4,
     6,  10, 2,  8,  5, 14, 12, 11, 15, 1,  13, 6, 4,  9,  8,  15, 3,  0, 11, 1, 2, 12,
     5,  10, 14, 7,  1, 10, 13, 0,  6,  9,  8,  7, 4,  15, 14, 3,  11, 5, 2,  12},
    {7, 13, 14, 3, 0, 6,  9, 10, 1,  2, 8,  5, 11, 12, 4,  15, 13, 8,  11, 5, 6, 15,
     0, 3,  4,  7, 2, 12, 1, 10, 14, 9, 10, 6, 9,  0,  12, 11, 7,  13, 15, 1, 3, 14,
     5, 2,  8,  4, 3, 15, 0, 6,  10, 1, 13, 8, 9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4, 1,  7,  10, 11, 6, 8, 5,  3, 15, 13, 0,  14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5, 0,  15, 10, 3,  9, 8, 6,  4, 2,  1,  11, 10, 13, 7,  8,  15, 9,  12, 5,
     6,  3,  0, 14, 11, 8,  12, 7, 1, 14, 2, 13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9,  2,  6, 8,  0, 13, 3,  4,  14, 7,  5, 11, 10, 15, 4, 2, 7, 12,
     9,  5,  6,  1,  13, 14, 0, 11, 3, 8,  9,  14, 15, 5,  2, 8,  12, 3,  7, 0, 4, 10,
     1,  13, 11, 6,  4,  3,  2, 12, 9, 5,  15, 10, 11, 14, 1, 7,  6,  0,  8, 13},
    {4, 11, 2,  14, 15, 0,  8,  13, 3, 12, 9,  7, 5,  10, 6,  1,  13, 0,  11, 7,  4, 9,
     1, 10, 14, 3,  5,  12, 2,  15, 8, 6,  1,  4, 11, 13, 12, 3,  7,  14, 10, 15, 6, 8,
     0, 5,  9,  2,  6,  11, 13, 8,  1, 4,  10, 7, 9,  5,  0,  15, 14, 2,  3,  12},
    {13, 2, 8,  4, 6, 15, 11, 1,  10, 9,  3, 14, 5,  0,  12, 7,  1,  15, 13, 8, 10, 3,
     7,  4, 12, 5, 6, 11, 0,  14, 9,  2,  7, 11, 4,  1,  9,  12, 14, 2,  0,  6, 10, 13,
     15, 3, 5,  8, 2, 1,  14, 7,  4,  10, 8, 13, 15, 12, 9,  0,  3,  5,  6,  11},
};

constexpr uint32_t rotl(uint32_t v, unsigned n) { return (v << n) | (v >> (32 - n)); }

using SpTables = std::array<std::array<uint32_t, 64>, 8>;

// kSp[box][group]: the S-box output for a 6-bit input group (its first bit
// most significant), placed at the box's position, passed through P and
// rotated left by one.
constexpr SpTables makeSpTables() {
    SpTables tables{};
    for (unsigned box = 0; box < 8; ++box) {
        for (unsigned group = 0; group < 64; ++group) {
            const unsigned row = ((group >> 4) & 2) | (group & 1);
            const unsigned column = (group >> 1) & 0xF;
            const uint32_t sOut = uint32_t{kSBoxes[box][row * 16 + column]} << (28 - 4 * box);
            uint32_t permuted = 0;
            for (unsigned i = 0; i < 32; ++i) {
                if (sOut & (0x80000000u >> (kP[i] - 1))) permuted |= 0x80000000u >> i;
            }
            tables[box][group] = rotl(permuted, 1);
        }
    }
    return tables;
}

constexpr SpTables kSp = makeSpTables();

inline uint32_t feistel(uint32_t half, const uint32_t* key) {
    uint32_t work = rotl(half, 28) ^ key[0];
    uint32_t f = kSp[6][work & 0x3F] | kSp[4][(work >> 8) & 0x3F] | kSp[2][(work >> 16) & 0x3F] |
                 kSp[0][(work >> 24) & 0x3F];
    work = half ^ key[1];
    f |= kSp[7][work & 0x3F] | kSp[5][(work >> 8) & 0x3F] | kSp[3][(work >> 16) & 0x3F] |
         kSp[1][(work >> 24) & 0x3F];
    return f;
}

// The initial permutation as a sequence of bit swaps, then the rotation.
inline void initialPermutation(uint32_t& left, uint32_t& right) {
    uint32_t work = ((left >> 4) ^ right) & 0x0F0F0F0Fu;
    right ^= work;
    left ^= work << 4;
    work = ((left >> 16) ^ right) & 0x0000FFFFu;
    right ^= work;
    left ^= work << 16;
    work = ((right >> 2) ^ left) & 0x33333333u;
    left ^= work;
    right ^= work << 2;
    work = ((right >> 8) ^ left) & 0x00FF00FFu;
    left ^= work;
    right ^= work << 8;
    right = rotl(right, 1);
    work = (left ^ right) & 0xAAAAAAAAu;
    left ^= work;
    right ^= work;
    left = rotl(left, 1);
}

inline void finalPermutation(uint32_t& left, uint32_t& right) {
    right = rotl(right, 31);
    uint32_t work = (left ^ right) & 0xAAAAAAAAu;
    left ^= work;
    right ^= work;
    left = rotl(left, 31);
    work = ((left >> 8) ^ right) & 0x00FF00FFu;
    right ^= work;
    left ^= work << 8;
    work = ((left >> 2) ^ right) & 0x33333333u;
    right ^= work;
    left ^= work << 2;
    work = ((right >> 16) ^ left) & 0x0000FFFFu;
    left ^= work;
    right ^= work << 16;
    work = ((right >> 4) ^ left) & 0x0F0F0F0Fu;
    left ^= work;
    right ^= work << 4;
}

inline uint32_t loadBigEndian(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline void storeBigEndian(uint32_t v, uint8_t* p) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

}  // namespace

KeySchedule makeSchedule(const uint8_t key[8], Direction direction) {
    uint64_t bits = 0;  // key byte 0 in the most significant byte
    for (unsigned i = 0; i < 8; ++i) bits = (bits << 8) | key[i];
    KeySchedule schedule{};
    for (unsigned round = 0; round < 16; ++round) {
        // The 48-bit round key as eight 6-bit groups, first bit most significant.
        const uint8_t* source = kRoundKeyBits[round].data();
        uint32_t groups[8];
        for (unsigned g = 0; g < 8; ++g) {
            uint32_t group = 0;
            for (unsigned i = 0; i < 6; ++i) {
                group = (group << 1) | (static_cast<uint32_t>(bits >> (63 - *source++)) & 1);
            }
            groups[g] = group;
        }
        const unsigned slot = direction == Direction::Encrypt ? round : 15 - round;
        schedule.words[2 * slot] =
            (groups[0] << 24) | (groups[2] << 16) | (groups[4] << 8) | groups[6];
        schedule.words[2 * slot + 1] =
            (groups[1] << 24) | (groups[3] << 16) | (groups[5] << 8) | groups[7];
    }
    return schedule;
}

void cryptEcb(const KeySchedule& schedule, const uint8_t* in, uint8_t* out, size_t size) {
    const uint32_t* keys = schedule.words;
    size_t done = 0;
    // Three blocks at a time. The rounds of one block are a single chain of
    // dependent table lookups, too long for the processor to reach the next
    // block on its own; independent chains side by side keep it busy (three
    // still fit the registers of x86-64 and pay off on 32-bit x86 too). All
    // three blocks are loaded before any is stored, so in == out is fine.
    for (; size - done >= 24; done += 24) {
        uint32_t left0 = loadBigEndian(in + done);
        uint32_t right0 = loadBigEndian(in + done + 4);
        uint32_t left1 = loadBigEndian(in + done + 8);
        uint32_t right1 = loadBigEndian(in + done + 12);
        uint32_t left2 = loadBigEndian(in + done + 16);
        uint32_t right2 = loadBigEndian(in + done + 20);
        initialPermutation(left0, right0);
        initialPermutation(left1, right1);
        initialPermutation(left2, right2);
        for (unsigned round = 0; round < 16; round += 2) {
            left0 ^= feistel(right0, keys + 2 * round);
            left1 ^= feistel(right1, keys + 2 * round);
            left2 ^= feistel(right2, keys + 2 * round);
            right0 ^= feistel(left0, keys + 2 * round + 2);
            right1 ^= feistel(left1, keys + 2 * round + 2);
            right2 ^= feistel(left2, keys + 2 * round + 2);
        }
        finalPermutation(left0, right0);
        finalPermutation(left1, right1);
        finalPermutation(left2, right2);
        storeBigEndian(right0, out + done);
        storeBigEndian(left0, out + done + 4);
        storeBigEndian(right1, out + done + 8);
        storeBigEndian(left1, out + done + 12);
        storeBigEndian(right2, out + done + 16);
        storeBigEndian(left2, out + done + 20);
    }
    // The last one or two blocks, one at a time.
    for (; size - done >= 8; done += 8) {
        uint32_t left = loadBigEndian(in + done);
        uint32_t right = loadBigEndian(in + done + 4);
        initialPermutation(left, right);
        for (unsigned round = 0; round < 16; round += 2) {
            left ^= feistel(right, keys + 2 * round);
            right ^= feistel(left, keys + 2 * round + 2);
        }
        finalPermutation(left, right);
        storeBigEndian(right, out + done);
        storeBigEndian(left, out + done + 4);
    }
}

}  // namespace jq::des
