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

namespace jq::des {

// The ways of decrypting many blocks: the table rounds above, or bitsliced
// rounds on SSE2 (128 blocks a pass) or AVX2 (256 blocks a pass) vectors.
enum class Path { Table, Sse2, Avx2 };

// Whether this build and this processor can take the path.
bool pathAvailable(Path path);

// The path decryptEcb takes: the best one available, unless the environment
// variable JQ_DES_PATH (table, sse2 or avx2) names another; read once. A
// named path the processor lacks gives way to the best one below it.
Path activePath();

const char* pathName(Path path);

// Decrypts size / 8 whole blocks from in to out (which may be the same) under
// key, whose decryption schedule is schedule. The bitsliced paths take the
// blocks a pass at a time and leave a short tail to the table rounds. The
// result is the same on every path.
void decryptEcb(const uint8_t key[8], const KeySchedule& schedule, const uint8_t* in, uint8_t* out,
                size_t size, Path path);
void decryptEcb(const uint8_t key[8], const KeySchedule& schedule, const uint8_t* in, uint8_t* out,
                size_t size);

}  // namespace jq::des
