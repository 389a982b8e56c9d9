// des_paths.h - the bitsliced passes, one per instruction set, behind the
// dispatch of des.h. A pass decrypts up to kLanes blocks, block i under the
// big-endian key keys[i].
#pragma once

#include <cstddef>
#include <cstdint>

namespace jq::des {

inline constexpr size_t kSse2Lanes = 128;
inline constexpr size_t kAvx2Lanes = 256;

void decryptPassSse2(const uint64_t* keys, const uint8_t* in, uint8_t* out, size_t count);
#if JQ_DES_HAVE_AVX2
void decryptPassAvx2(const uint64_t* keys, const uint8_t* in, uint8_t* out, size_t count);
#endif

}  // namespace jq::des
