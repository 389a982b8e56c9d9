// Fuzzes the bitsliced DES passes against the table rounds: the first eight
// bytes are a key, the rest whole blocks, decrypted on every path this
// processor can take; then every lane under a key of its own (the key with
// the lane's number XORed in), as a pass shared by several packages sees it.
#include <cstdint>
#include <cstring>
#include <vector>

#include "des.h"
#include "des_paths.h"

namespace {

using jq::des::Path;

void decryptEachPath(const uint8_t key[8], const uint8_t* cipher, size_t size) {
    const auto schedule = jq::des::makeSchedule(key, jq::des::Direction::Decrypt);
    std::vector<uint8_t> expected(size);
    jq::des::cryptEcb(schedule, cipher, expected.data(), size);
    for (Path path : {Path::Sse2, Path::Avx2}) {
        if (!jq::des::pathAvailable(path)) continue;
        std::vector<uint8_t> plain(size);
        jq::des::decryptEcb(key, schedule, cipher, plain.data(), size, path);
        if (plain != expected) __builtin_trap();
    }
}

using Pass = void (*)(const uint64_t*, const uint8_t*, uint8_t*, size_t);

void decryptLaneKeys(Pass pass, size_t lanes, uint64_t key, const uint8_t* cipher, size_t size) {
    const size_t count = size / 8 < lanes ? size / 8 : lanes;
    std::vector<uint64_t> keys(count);
    std::vector<uint8_t> expected(8 * count);
    for (size_t i = 0; i < count; ++i) {
        keys[i] = key ^ (static_cast<uint64_t>(i) << 17);
        uint8_t bytes[8];
        for (unsigned b = 0; b < 8; ++b) bytes[b] = static_cast<uint8_t>(keys[i] >> (56 - 8 * b));
        const auto schedule = jq::des::makeSchedule(bytes, jq::des::Direction::Decrypt);
        jq::des::cryptEcb(schedule, cipher + 8 * i, expected.data() + 8 * i, 8);
    }
    std::vector<uint8_t> plain(8 * count);
    pass(keys.data(), cipher, plain.data(), count);
    if (plain != expected) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 16) return 0;
    const size_t blocks = (size - 8) / 8;
    decryptEachPath(data, data + 8, 8 * blocks);
    uint64_t key = 0;
    for (unsigned b = 0; b < 8; ++b) key = (key << 8) | data[b];
    if (jq::des::pathAvailable(Path::Sse2))
        decryptLaneKeys(jq::des::decryptPassSse2, jq::des::kSse2Lanes, key, data + 8, 8 * blocks);
#if JQ_DES_HAVE_AVX2
    if (jq::des::pathAvailable(Path::Avx2))
        decryptLaneKeys(jq::des::decryptPassAvx2, jq::des::kAvx2Lanes, key, data + 8, 8 * blocks);
#endif
    return 0;
}
