// des_dispatch.cpp - choosing between the table and the bitsliced DES rounds
// by what the processor offers.
#include <cstdlib>
#include <cstring>

#include "des.h"
#include "des_paths.h"

namespace jq::des {
namespace {

bool cpuHasAvx2() {
#if JQ_DES_HAVE_AVX2
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

bool cpuHasSse2() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
#else
    return false;
#endif
}

Path choosePath() {
    Path best = pathAvailable(Path::Avx2)   ? Path::Avx2
                : pathAvailable(Path::Sse2) ? Path::Sse2
                                            : Path::Table;
    const char* wanted = std::getenv("JQ_DES_PATH");
    if (wanted == nullptr) return best;
    if (std::strcmp(wanted, "table") == 0) return Path::Table;
    if (std::strcmp(wanted, "sse2") == 0 && best != Path::Table) return Path::Sse2;
    return best;
}

// Passes of lanes blocks; a pass costs about the same however few lanes it
// fills, and a tail shorter than a quarter of a pass is cheaper in the table
// rounds (on both vector widths the two cost the same at 20 to 30 percent).
template <size_t Lanes, void (*Pass)(const uint64_t*, const uint8_t*, uint8_t*, size_t)>
void decryptBitsliced(const uint8_t key[8], const KeySchedule& schedule, const uint8_t* in,
                      uint8_t* out, size_t size) {
    uint64_t value = 0;
    for (unsigned i = 0; i < 8; ++i) value = (value << 8) | key[i];
    uint64_t keys[Lanes];
    for (size_t i = 0; i < Lanes; ++i) keys[i] = value;
    size_t blocks = size / 8;
    size_t done = 0;
    while (blocks - done >= Lanes / 4) {
        const size_t count = blocks - done < Lanes ? blocks - done : Lanes;
        Pass(keys, in + 8 * done, out + 8 * done, count);
        done += count;
    }
    if (done < blocks) cryptEcb(schedule, in + 8 * done, out + 8 * done, 8 * (blocks - done));
}

}  // namespace

bool pathAvailable(Path path) {
    switch (path) {
        case Path::Table:
            return true;
        case Path::Sse2:
            return cpuHasSse2();
        case Path::Avx2:
            return cpuHasAvx2();
    }
    return false;
}

Path activePath() {
    static const Path path = choosePath();
    return path;
}

const char* pathName(Path path) {
    switch (path) {
        case Path::Table:
            return "table";
        case Path::Sse2:
            return "sse2";
        case Path::Avx2:
            return "avx2";
    }
    return "?";
}

void decryptEcb(const uint8_t key[8], const KeySchedule& schedule, const uint8_t* in, uint8_t* out,
                size_t size, Path path) {
    if (!pathAvailable(path)) path = Path::Table;
    switch (path) {
        case Path::Table:
            cryptEcb(schedule, in, out, size);
            return;
        case Path::Sse2:
            decryptBitsliced<kSse2Lanes, decryptPassSse2>(key, schedule, in, out, size);
            return;
        case Path::Avx2:
#if JQ_DES_HAVE_AVX2
            decryptBitsliced<kAvx2Lanes, decryptPassAvx2>(key, schedule, in, out, size);
#else
            cryptEcb(schedule, in, out, size);
#endif
            return;
    }
}

void decryptEcb(const uint8_t key[8], const KeySchedule& schedule, const uint8_t* in, uint8_t* out,
                size_t size) {
    decryptEcb(key, schedule, in, out, size, activePath());
}

}  // namespace jq::des
