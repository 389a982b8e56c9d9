// des_paths_test.cpp - the bitsliced DES passes against the table rounds and
// OpenSSL, on every path this machine can take.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "des.h"
#include "des_paths.h"

#ifdef JQ_HAVE_OPENSSL
#include <openssl/des.h>
#endif

namespace {

using jq::des::Path;
using Bytes = std::vector<uint8_t>;

constexpr Path kPaths[] = {Path::Table, Path::Sse2, Path::Avx2};

Bytes randomBytes(std::mt19937& random, size_t n) {
    Bytes b(n);
    for (uint8_t& x : b) x = static_cast<uint8_t>(random());
    return b;
}

Bytes decryptOn(Path path, const uint8_t key[8], const Bytes& cipher) {
    const auto schedule = jq::des::makeSchedule(key, jq::des::Direction::Decrypt);
    Bytes plain(cipher.size());
    jq::des::decryptEcb(key, schedule, cipher.data(), plain.data(), plain.size(), path);
    return plain;
}

#ifdef JQ_HAVE_OPENSSL
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
Bytes opensslDecrypt(const uint8_t key[8], const uint8_t* cipher, size_t size) {
    DES_cblock k;
    std::memcpy(k, key, 8);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&k, &schedule);
    Bytes out(size);
    for (size_t i = 0; i < size; i += 8) {
        DES_cblock in;
        DES_cblock plain;
        std::memcpy(in, cipher + i, 8);
        DES_ecb_encrypt(&in, &plain, &schedule, DES_DECRYPT);
        std::memcpy(out.data() + i, plain, 8);
    }
    return out;
}
#pragma GCC diagnostic pop
#endif

TEST(DesPaths, KnownAnswerInEveryLaneOfEveryPath) {
    // FIPS 46-3 worked example: key 133457799BBCDFF1, 0123456789ABCDEF
    // encrypts to 85E813540F0AB405. 300 blocks fill passes and leave a tail.
    const uint8_t key[8] = {0x13, 0x34, 0x57, 0x79, 0x9B, 0xBC, 0xDF, 0xF1};
    const Bytes cipherBlock = {0x85, 0xE8, 0x13, 0x54, 0x0F, 0x0A, 0xB4, 0x05};
    const Bytes plainBlock = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    Bytes cipher;
    Bytes expected;
    for (int i = 0; i < 300; ++i) {
        cipher.insert(cipher.end(), cipherBlock.begin(), cipherBlock.end());
        expected.insert(expected.end(), plainBlock.begin(), plainBlock.end());
    }
    for (Path path : kPaths) {
        SCOPED_TRACE(jq::des::pathName(path));
        EXPECT_EQ(decryptOn(path, key, cipher), expected);
    }
}

TEST(DesPaths, EveryBatchSizeAgreesWithTheTableRoundsAndInPlace) {
    std::mt19937 random(7301);
    for (size_t blocks = 1; blocks <= 3 * jq::des::kAvx2Lanes + 9; ++blocks) {
        const Bytes key = randomBytes(random, 8);
        const Bytes cipher = randomBytes(random, 8 * blocks);
        const Bytes table = decryptOn(Path::Table, key.data(), cipher);
#ifdef JQ_HAVE_OPENSSL
        ASSERT_EQ(table, opensslDecrypt(key.data(), cipher.data(), cipher.size())) << blocks;
#endif
        for (Path path : {Path::Sse2, Path::Avx2}) {
            ASSERT_EQ(decryptOn(path, key.data(), cipher), table)
                << jq::des::pathName(path) << " " << blocks;
            Bytes inPlace = cipher;
            const auto schedule = jq::des::makeSchedule(key.data(), jq::des::Direction::Decrypt);
            jq::des::decryptEcb(key.data(), schedule, inPlace.data(), inPlace.data(),
                                inPlace.size(), path);
            ASSERT_EQ(inPlace, table) << jq::des::pathName(path) << " " << blocks;
        }
    }
}

// A pass may mix keys: every lane its own random key, every lane count.
void checkMixedKeys(void (*pass)(const uint64_t*, const uint8_t*, uint8_t*, size_t), size_t lanes) {
    std::mt19937 random(99);
    for (size_t count = 1; count <= lanes; count += count < 70 ? 1 : 13) {
        std::vector<uint64_t> keys(count);
        const Bytes cipher = randomBytes(random, 8 * count);
        Bytes expected(cipher.size());
        for (size_t i = 0; i < count; ++i) {
            const Bytes key = randomBytes(random, 8);
            keys[i] = 0;
            for (uint8_t b : key) keys[i] = (keys[i] << 8) | b;
            const auto schedule = jq::des::makeSchedule(key.data(), jq::des::Direction::Decrypt);
            jq::des::cryptEcb(schedule, cipher.data() + 8 * i, expected.data() + 8 * i, 8);
#ifdef JQ_HAVE_OPENSSL
            ASSERT_EQ(Bytes(expected.begin() + 8 * i, expected.begin() + 8 * i + 8),
                      opensslDecrypt(key.data(), cipher.data() + 8 * i, 8));
#endif
        }
        Bytes plain(cipher.size());
        pass(keys.data(), cipher.data(), plain.data(), count);
        ASSERT_EQ(plain, expected) << count;
    }
}

TEST(DesPaths, PassesTakeAKeyPerLane) {
    if (jq::des::pathAvailable(Path::Sse2))
        checkMixedKeys(jq::des::decryptPassSse2, jq::des::kSse2Lanes);
#if JQ_DES_HAVE_AVX2
    if (jq::des::pathAvailable(Path::Avx2))
        checkMixedKeys(jq::des::decryptPassAvx2, jq::des::kAvx2Lanes);
#endif
}

TEST(DesPaths, TheEnvironmentChoosesThePath) {
    EXPECT_TRUE(jq::des::pathAvailable(Path::Table));
    const char* wanted = std::getenv("JQ_DES_PATH");
    const Path active = jq::des::activePath();
    EXPECT_TRUE(jq::des::pathAvailable(active));
    if (wanted != nullptr && jq::des::pathAvailable(active)) {
        const std::string name = wanted;
        if (name == "table" || (name == "sse2" && jq::des::pathAvailable(Path::Sse2)) ||
            (name == "avx2" && jq::des::pathAvailable(Path::Avx2))) {
            EXPECT_EQ(jq::des::pathName(active), name);
        }
    }
}

}  // namespace
