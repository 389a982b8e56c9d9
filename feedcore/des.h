// des.h - single DES (FIPS 46-3) in electronic codebook mode.
//
// The rounds use the usual fast form: eight tables of 64 32-bit words that
// combine each S-box with the P permutation, and a key schedule of sixteen
// pairs of 32-bit words computed once per key.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jq::des {

// Sixteen round keys, each as two words of four 6-bit groups.
struct KeySchedule {
    uint32_t words[32];
};

enum class Direction { Encrypt, Decrypt };

// Computes the schedule of an 8-byte key. As in standard DES the low bit of
// every key byte is not part of the key. Decrypt reverses the round order.
KeySchedule makeSchedule(const uint8_t key[8], Direction direction);

// Transforms size / 8 whole blocks from in to out (which may be the same).
// Bytes 0-3 of a block are its left half, most significant byte first.
void cryptEcb(const KeySchedule& schedule, const uint8_t* in, uint8_t* out, size_t size);

}  // namespace jq::des
