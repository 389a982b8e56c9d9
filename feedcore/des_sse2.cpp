// des_sse2.cpp - the bitsliced DES pass on 128-bit vectors (SSE2 on x86).
#include "des_bitslice.h"
#include "des_paths.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace jq::des {

using Vector128 = uint64_t __attribute__((vector_size(16)));

#if defined(__SSE2__)
template <>
inline Vector128 bitslice::andNot(Vector128 a, Vector128 b) {
    return reinterpret_cast<Vector128>(
        _mm_andnot_si128(reinterpret_cast<__m128i>(a), reinterpret_cast<__m128i>(b)));
}
#endif

void decryptPassSse2(const uint64_t* keys, const uint8_t* in, uint8_t* out, size_t count) {
    bitslice::decryptPass<Vector128, 2>(keys, in, out, count);
}

}  // namespace jq::des
