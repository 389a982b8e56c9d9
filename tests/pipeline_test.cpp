// Tests of the payload pipeline units: key words, package keys, checksum,
// chunked decryption and inflate.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <vector>

#include "checksum.h"
#include "des.h"
#include "inflate.h"
#include "key_params.h"
#include "package_reader.h"

namespace jq {
namespace {

GcspBlock blockFor(uint8_t month, uint8_t yearOffset, uint8_t oddParam, uint8_t evenParam) {
    GcspBlock block{};
    block.Month = month;
    block.YearOffset = yearOffset;
    block.OddKeyParameter = oddParam;
    block.EvenKeyParameter = evenParam;
    return block;
}

TEST(KeyWords, OddAndEvenMonthWordsAroundTheYear) {
    // March 2025: odd word names March, even word February of the same year.
    KeyWords march = deriveKeyWords(blockFor(3, 35, 0x15, 0x2A));
    EXPECT_EQ(march.odd, (0x15 << 10) | (3 * 64) | 35);
    EXPECT_EQ(march.even, (0x2A << 10) | (2 * 64) | 35);

    // February: the even word is the current month, the odd one January.
    KeyWords february = deriveKeyWords(blockFor(2, 35, 1, 2));
    EXPECT_EQ(february.even, (2 << 10) | (2 * 64) | 35);
    EXPECT_EQ(february.odd, (1 << 10) | (1 * 64) | 35);

    // January: the even word is December of the year before (g + 0x2FF).
    KeyWords january = deriveKeyWords(blockFor(1, 35, 0, 0));
    EXPECT_EQ(january.odd, 1 * 64 + 35);
    EXPECT_EQ(january.even, 35 + 0x2FF);
    EXPECT_EQ(january.even, 12 * 64 + 34);

    // The year value is the offset itself for offsets 0 to 63.
    for (uint8_t offset = 0; offset < 64; ++offset) {
        EXPECT_EQ(deriveKeyWords(blockFor(5, offset, 0, 0)).odd & 0x3F, offset);
    }
    // Key parameters beyond 6 bits fall off the 16-bit word.
    EXPECT_EQ(deriveKeyWords(blockFor(5, 0, 0xFF, 0)).odd >> 10, 0x3F);
}

TEST(KeyWords, PackageKeyHasOddParityBytes) {
    const auto key = packageKey(0xFFFF);
    EXPECT_EQ(key[6], 0x7F);  // seven ones: already odd, bit 7 stays clear
    EXPECT_EQ(key[7], 0x7F);
    const auto zero = packageKey(0x0000);
    EXPECT_EQ(zero[6], 0x80);
    EXPECT_EQ(zero[7], 0x80);
    const auto mixed = packageKey(0x0380);  // bits 15 and 7 never reach the key
    EXPECT_EQ(mixed[6], 0x83);
    EXPECT_EQ(mixed[7], 0x80);
}

TEST(KeyWords, SetDefaultWordsLayout) {
    const GcspBlock block = blockFromWords(0x00007F0D, 0x23000100, 0x15000000, 0x8F2A);
    EXPECT_EQ(block.StartCode, 0x0D);
    EXPECT_EQ(block.TypeCode, 0x7F);
    EXPECT_EQ(block.Month, 1);
    EXPECT_EQ(block.YearOffset, 0x23);
    EXPECT_EQ(block.OddKeyParameter, 0x15);
    EXPECT_EQ(block.EvenKeyParameter, 0x2A);
    EXPECT_EQ(block.Terminator, 0x8F);
}

TEST(KeyWords, UnpacksTheKeyPackageBitFields) {
    const uint8_t bytes[12] = {0x0D, 0x7F, 0xFF, 0x3F, 0x25, 0xEC,
                               0xFF, 0xC1, 0xD5, 0x6A, 0x8F, 0x99};
    const GcspBlock b = unpackKeyPackage(bytes);
    EXPECT_EQ(b.Param2, 0x3F);
    EXPECT_EQ(b.Param3, 0x1F);
    EXPECT_EQ(b.Flag8, 1);
    EXPECT_EQ(b.Param4, 0x05);
    EXPECT_EQ(b.Flag9, 1);
    EXPECT_EQ(b.Month, 0x0C);
    EXPECT_EQ(b.Flag10, 1);
    EXPECT_EQ(b.Param6, 0x07);
    EXPECT_EQ(b.YearOffset, 0x01);
    EXPECT_EQ(b.OddKeyParameter, 0x15);
    EXPECT_EQ(b.EvenKeyParameter, 0x2A);
    EXPECT_EQ(b.Terminator, 0x8F);
}

TEST(Checksum, SumsBigEndianWordsWithThePlainLength) {
    const uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(packageChecksum(3, abc), 0xC465);  // 0003 + 6162 + 6300
    const uint8_t ff[] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(packageChecksum(4, ff), static_cast<uint16_t>(4 + 0xFFFF + 0xFFFF));
    EXPECT_EQ(packageChecksum(0, nullptr), 0);

    // Against the sum taken word by word: every length up to a few blocks,
    // lengths around the points where the sums are folded, the longest
    // length, all from an unaligned start and with all bytes 0xFF.
    const auto model = [](uint16_t length, const uint8_t* bytes) {
        uint32_t sum = length;
        for (size_t i = 0; i < length; i += 2)
            sum += (uint32_t{bytes[i]} << 8) | (i + 1 < length ? bytes[i + 1] : 0);
        return static_cast<uint16_t>(sum);
    };
    std::vector<uint8_t> bytes(65536 + 1);
    uint32_t seed = 7;
    for (uint8_t& b : bytes) b = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 24);
    std::vector<uint16_t> lengths;
    for (uint16_t n = 0; n < 80; ++n) lengths.push_back(n);
    for (uint16_t n : {2040, 2047, 2048, 2049, 2056, 4096, 4103, 65528, 65534, 65535})
        lengths.push_back(n);
    for (const bool allOnes : {false, true}) {
        if (allOnes) std::fill(bytes.begin(), bytes.end(), uint8_t{0xFF});
        for (const uint16_t n : lengths) {
            EXPECT_EQ(packageChecksum(n, bytes.data() + 1), model(n, bytes.data() + 1))
                << n << (allOnes ? " of 0xFF" : "");
        }
    }
}

TEST(Decryption, ChunksShareOneScheduleAndBadLengthsAreRefused) {
    const uint8_t key[8] = {0x4E, 0x2B, 0x91, 0x6C, 0xD3, 0x57, 0x83, 0x80};
    const auto enc = des::makeSchedule(key, des::Direction::Encrypt);
    const auto dec = des::makeSchedule(key, des::Direction::Decrypt);
    std::vector<uint8_t> plain(16384);
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 7 + 3);
    std::vector<uint8_t> cipher(plain.size()), back(plain.size());
    des::cryptEcb(enc, plain.data(), cipher.data(), cipher.size());
    // 16,384 bytes: one chunk of 16,376 and one of 8.
    ASSERT_TRUE(decryptPayload(key, dec, cipher.data(), back.data(), back.size()));
    EXPECT_EQ(back, plain);

    EXPECT_FALSE(decryptPayload(key, dec, cipher.data(), back.data(), 0));
    EXPECT_FALSE(decryptPayload(key, dec, cipher.data(), back.data(), 4));
    EXPECT_FALSE(decryptPayload(key, dec, cipher.data(), back.data(), 12));
    // A last chunk that is not a whole number of blocks.
    EXPECT_FALSE(decryptPayload(key, dec, cipher.data(), back.data(), 16376 + 4));
}

std::vector<uint8_t> deflate(const std::vector<uint8_t>& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(size);
    EXPECT_EQ(compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9), Z_OK);
    out.resize(size);
    return out;
}

TEST(Inflate, ExactSizeAcrossWindowsOnly) {
    std::vector<uint8_t> data(2500);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i % 251);
    std::vector<uint8_t> stream = deflate(data);
    OwnedBytes out;
    ASSERT_TRUE(inflatePayload({stream.data(), stream.size()}, 2500, out));
    EXPECT_EQ(out, data);
    // The size announced, one byte less, one byte more.
    std::vector<uint8_t> thousand(1000, 'z');
    stream = deflate(thousand);
    EXPECT_TRUE(inflatePayload({stream.data(), stream.size()}, 1000, out));
    EXPECT_FALSE(inflatePayload({stream.data(), stream.size()}, 999, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(inflatePayload({stream.data(), stream.size()}, 1001, out));
    EXPECT_TRUE(out.empty());
    // Bytes after the end of the stream are ignored.
    std::vector<uint8_t> trailing = stream;
    trailing.insert(trailing.end(), {1, 2, 3});
    EXPECT_TRUE(inflatePayload({trailing.data(), trailing.size()}, 1000, out));
    // A stream cut short, an empty input, and bytes that are no stream at all.
    EXPECT_FALSE(inflatePayload({stream.data(), stream.size() - 5}, 1000, out));
    EXPECT_FALSE(inflatePayload({stream.data(), 0}, 0, out));
    const uint8_t junk[] = {0x12, 0x34, 0x56};
    EXPECT_FALSE(inflatePayload({junk, sizeof junk}, 0, out));
}

TEST(Inflate, OverlongStreamStopsEarly) {
    // A stream that inflates to far more than announced fails without
    // producing it all.
    std::vector<uint8_t> big(65000, 0);
    const std::vector<uint8_t> stream = deflate(big);
    OwnedBytes out;
    EXPECT_FALSE(inflatePayload({stream.data(), stream.size()}, 10, out));
    EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace jq
