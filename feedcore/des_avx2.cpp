// des_avx2.cpp - the bitsliced DES pass on 256-bit vectors, compiled for
// AVX2 and called only when the processor reports it.
#include <immintrin.h>

#include "des_bitslice.h"
#include "des_paths.h"

namespace jq::des {

using Vector256 = uint64_t __attribute__((vector_size(32)));

template <>
inline Vector256 bitslice::andNot(Vector256 a, Vector256 b) {
    return reinterpret_cast<Vector256>(
        _mm256_andnot_si256(reinterpret_cast<__m256i>(a), reinterpret_cast<__m256i>(b)));
}

void decryptPassAvx2(const uint64_t* keys, const uint8_t* in, uint8_t* out, size_t count) {
    bitslice::decryptPass<Vector256, 4>(keys, in, out, count);
}

}  // namespace jq::des
