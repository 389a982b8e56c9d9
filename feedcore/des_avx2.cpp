// des_avx2.cpp - the bitsliced DES pass on 256-bit vectors, compiled for
// AVX2 and called only when the processor reports it.
#include "des_bitslice.h"
#include "des_paths.h"

namespace jq::des {

using Vector256 = uint64_t __attribute__((vector_size(32)));

void decryptPassAvx2(const uint64_t* keys, const uint8_t* in, uint8_t* out, size_t count) {
    bitslice::decryptPass<Vector256, 4>(keys, in, out, count);
}

}  // namespace jq::des
