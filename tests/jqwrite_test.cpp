// jqwrite_test.cpp - the file writer, and the DES it shares with the decoder.
//
// Packages written here are opened again by hand (DES decryption, checksum,
// zlib's own uncompress), so that a writer fault cannot hide behind the same
// fault in the decoder.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

#include "checksum.h"
#include "des.h"
#include "jqwrite.h"
#include "key_params.h"

#ifdef JQ_HAVE_OPENSSL
#include <openssl/des.h>
#endif

namespace {

using jq::write::Bytes;
using jq::write::DataPackage;

Bytes hex(const std::string& text) {
    Bytes out;
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    if (digits.size() % 2 != 0) throw std::invalid_argument("odd number of hex digits: " + text);
    for (size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

uint16_t be16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] << 8 | b[at + 1]); }

// ---- DES ---------------------------------------------------------------------

struct DesVector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// The textbook worked examples, the FIPS 81 example ("Now is t"), entries of
// the NBS SP 500-20 variable-plaintext and variable-key tests, and the classic
// all-zero, all-one and near-weak cases.
constexpr DesVector kDesVectors[] = {
    {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
    {"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
    {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
    {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
    {"0101010101010101", "4000000000000000", "DD7F121CA5015619"},
    {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
    {"4001010101010101", "0000000000000000", "0EEC1487DD8C26D5"},
    {"0000000000000000", "0000000000000000", "8CA64DE9C1B123A7"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "7359B2163E4EDC58"},
    {"3000000000000000", "1000000000000001", "958E6E627A05557B"},
    {"1111111111111111", "1111111111111111", "F40379AB9E0EC533"},
};

Bytes desEcb(const Bytes& key, const Bytes& in, jq::des::Direction direction) {
    const jq::des::KeySchedule schedule = jq::des::makeSchedule(key.data(), direction);
    Bytes out(in.size());
    jq::des::cryptEcb(schedule, in.data(), out.data(), in.size());
    return out;
}

TEST(Des, KnownAnswersBothDirections) {
    using jq::des::Direction;
    for (const DesVector& v : kDesVectors) {
        SCOPED_TRACE(v.key);
        EXPECT_EQ(desEcb(hex(v.key), hex(v.plain), Direction::Encrypt), hex(v.cipher));
        EXPECT_EQ(desEcb(hex(v.key), hex(v.cipher), Direction::Decrypt), hex(v.plain));
    }
    // Electronic codebook: each block on its own, also in place.
    const Bytes key = hex(kDesVectors[0].key);
    Bytes two = hex(std::string(kDesVectors[0].plain) + kDesVectors[0].plain);
    const auto schedule = jq::des::makeSchedule(key.data(), Direction::Encrypt);
    jq::des::cryptEcb(schedule, two.data(), two.data(), two.size());
    EXPECT_EQ(two, hex(std::string(kDesVectors[0].cipher) + kDesVectors[0].cipher));
}

TEST(Des, EveryBlockOfARunEqualsThatBlockAlone) {
    // Runs are worked several blocks at a time, the last one or two alone:
    // for every count up to seven, each block must come out as if it were
    // transformed by itself, in its own place, whatever its neighbours, also
    // when the run is transformed in place.
    using jq::des::Direction;
    std::mt19937 random(20251209);
    Bytes key(8);
    for (uint8_t& b : key) b = static_cast<uint8_t>(random());
    for (const Direction direction : {Direction::Encrypt, Direction::Decrypt}) {
        const jq::des::KeySchedule schedule = jq::des::makeSchedule(key.data(), direction);
        for (size_t blocks = 1; blocks <= 7; ++blocks) {
            SCOPED_TRACE(blocks);
            Bytes run(blocks * 8);
            for (uint8_t& b : run) b = static_cast<uint8_t>(random());
            Bytes expected;
            for (size_t i = 0; i < blocks; ++i) {
                const Bytes one(run.begin() + 8 * i, run.begin() + 8 * (i + 1));
                const Bytes alone = desEcb(key, one, direction);
                expected.insert(expected.end(), alone.begin(), alone.end());
            }
            EXPECT_EQ(desEcb(key, run, direction), expected);
            jq::des::cryptEcb(schedule, run.data(), run.data(), run.size());
            EXPECT_EQ(run, expected);
        }
    }
}

TEST(Des, LowBitOfEveryKeyByteIsIgnored) {
    const Bytes plain = hex("0123456789ABCDEF");
    Bytes key = hex("133457799BBCDFF1");
    for (uint8_t& b : key) b ^= 1;
    EXPECT_EQ(desEcb(key, plain, jq::des::Direction::Encrypt), hex("85E813540F0AB405"));
}

#ifdef JQ_HAVE_OPENSSL
// OpenSSL 3 deprecates its DES API; it serves here only as the oracle.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
Bytes opensslEcb(const Bytes& key, const Bytes& block, bool encrypt) {
    DES_cblock k;
    std::memcpy(k, key.data(), 8);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&k, &schedule);
    DES_cblock in;
    DES_cblock out;
    std::memcpy(in, block.data(), 8);
    DES_ecb_encrypt(&in, &out, &schedule, encrypt ? DES_ENCRYPT : DES_DECRYPT);
    return Bytes(out, out + 8);
}
#pragma GCC diagnostic pop

TEST(Des, AgreesWithOpenSslOnRandomKeysAndBlocks) {
    std::mt19937 random(20240601);
    const auto randomBytes = [&random](size_t n) {
        Bytes b(n);
        for (uint8_t& x : b) x = static_cast<uint8_t>(random());
        return b;
    };
    for (int i = 0; i < 4000; ++i) {
        const Bytes key = randomBytes(8);
        const Bytes block = randomBytes(8);
        ASSERT_EQ(desEcb(key, block, jq::des::Direction::Encrypt), opensslEcb(key, block, true));
        ASSERT_EQ(desEcb(key, block, jq::des::Direction::Decrypt), opensslEcb(key, block, false));
    }
}
#endif

// ---- Key-parameter package -------------------------------------------------

GcspBlock block(uint8_t month, uint8_t yearOffset, uint8_t oddKey, uint8_t evenKey) {
    GcspBlock b = jq::write::builtInDefaultBlock();
    b.Month = month;
    b.YearOffset = yearOffset;
    b.OddKeyParameter = oddKey;
    b.EvenKeyParameter = evenKey;
    return b;
}

TEST(KeyPackage, PacksEveryFieldAndRoundTrips) {
    const GcspBlock full = {0x0D, 0x7F, 0x3F, 0x1F, 0x1F, 12, 7, 63, 1, 1, 1, 63, 63, 0x8F};
    const auto packed = jq::write::packKeyPackage(full);
    EXPECT_EQ(Bytes(packed.begin(), packed.end()), hex("0D 7F 3F 3F 3F 2C 07 3F 3F 3F 8F 00"));

    GcspBlock sparse{};
    sparse.StartCode = 0x0D;
    sparse.TypeCode = 0x7F;
    sparse.Param3 = 0x15;
    sparse.Flag9 = 1;
    sparse.Month = 3;
    sparse.YearOffset = 35;
    sparse.OddKeyParameter = 21;
    sparse.EvenKeyParameter = 42;
    sparse.Terminator = 0x8F;
    for (const GcspBlock& b : {full, sparse, jq::write::builtInDefaultBlock()}) {
        uint8_t bytes[jq::kKeyPackageSize];
        const auto p = jq::write::packKeyPackage(b);
        std::copy(p.begin(), p.end(), bytes);
        const GcspBlock back = jq::unpackKeyPackage(bytes);
        EXPECT_EQ(std::memcmp(&back, &b, sizeof b), 0);
    }

    GcspBlock tooWide = sparse;
    tooWide.Month = 16;
    EXPECT_THROW(jq::write::packKeyPackage(tooWide), std::invalid_argument);
    tooWide = sparse;
    tooWide.Flag8 = 2;
    EXPECT_THROW(jq::write::packKeyPackage(tooWide), std::invalid_argument);
}

TEST(KeyPackage, BuiltInDefaultIsTheDecodersDefault) {
    const GcspBlock mine = jq::write::builtInDefaultBlock();
    const GcspBlock theirs = jq::defaultBlock();
    EXPECT_EQ(std::memcmp(&mine, &theirs, sizeof mine), 0);
}

// ---- Data packages -----------------------------------------------------------

// A package opened by hand: header fields and the decrypted payload.
struct Opened {
    Bytes fixed;  // the 9-byte fixed header
    Bytes packetHeader;
    uint8_t method = 0;
    uint16_t blocks = 0;
    uint16_t checksum = 0;
    uint16_t plainLength = 0;
    Bytes payload;  // decrypted, with the fill
};

Opened openPackage(const Bytes& package, uint16_t keyWord) {
    Opened o;
    o.fixed.assign(package.begin(), package.begin() + 9);
    const size_t second = 9 + package[8];
    o.packetHeader.assign(package.begin() + 9, package.begin() + second);
    o.method = package[second] >> 6;
    o.blocks = be16(package, second) & 0x3FFF;
    o.checksum = be16(package, second + 2);
    o.plainLength = be16(package, second + 4);
    const Bytes encrypted(package.begin() + second + 6, package.end());
    const auto key = jq::packageKey(keyWord);
    o.payload = desEcb(Bytes(key.begin(), key.end()), encrypted, jq::des::Direction::Decrypt);
    return o;
}

Bytes inflated(const Bytes& stream, size_t expected) {
    Bytes out(expected + 1);
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(out.data(), &size, stream.data(), static_cast<uLong>(stream.size())),
              Z_OK);
    out.resize(size);
    return out;
}

// ---- Package checksum --------------------------------------------------------

// The checksum rule written out a second time, for payloads whose bytes are
// not fixed here (zlib streams): the plain length as a big-endian word, then
// the plain bytes as big-endian words, an odd last byte padded with a zero
// low byte, summed modulo 65,536.
uint16_t sumOfWords(const Bytes& payload, uint16_t plainLength) {
    Bytes sequence{static_cast<uint8_t>(plainLength >> 8), static_cast<uint8_t>(plainLength)};
    sequence.insert(sequence.end(), payload.begin(), payload.begin() + plainLength);
    if (sequence.size() % 2 != 0) sequence.push_back(0);
    uint32_t sum = 0;
    for (size_t i = 0; i < sequence.size(); i += 2) sum = (sum + be16(sequence, i)) % 65536;
    return static_cast<uint16_t>(sum);
}

TEST(PackageChecksum, SumsLengthAndBigEndianWordsModulo65536) {
    Bytes everyValue;
    for (int round = 0; round < 2; ++round)
        for (int v = 0; v < 256; ++v) everyValue.push_back(static_cast<uint8_t>(v));
    everyValue.push_back(0x7F);
    // Worked out in Python from the rule (sum of 16-bit words of the length
    // and the bytes, mod 65,536), apart from this code base.
    struct Case {
        const char* name;
        Bytes plain;
        uint16_t sum;
    };
    const Case cases[] = {
        {"empty", {}, 0x0000},
        {"one byte", hex("01"), 0x0101},       // 0001 + 0100
        {"one high byte", hex("FF"), 0xFF01},  // 0001 + FF00
        {"abc", bytesOf("abc"), 0xC465},       // 0003 + 6162 + 6300
        {"odd length", hex("0102030405"), 0x090B},
        {"wraps to exactly 0, no end-around carry", hex("FFFE"), 0x0000},
        {"wraps twice", hex("FFFFFFFF"), 0x0002},
        {"length above 255", Bytes(300, 0x01), 0x97C2},
        {"513 bytes, every value", everyValue, 0x0101},
        {"long odd run", Bytes(40001, 0x80), 0x2C41},
        {"longest payload", Bytes(65528, 0xFF), 0x7FFC},
        {"longest length", Bytes(65535, 0xFF), 0x7F00},
    };
    const GcspBlock keys = jq::write::builtInDefaultBlock();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto length = static_cast<uint16_t>(c.plain.size());
        EXPECT_EQ(jq::packageChecksum(length, c.plain.data()), c.sum);
        EXPECT_EQ(sumOfWords(c.plain, length), c.sum);
        // The writer puts the same sum into TotalCheckSum (the header is not
        // encrypted), for every plain length a package can hold.
        if (c.plain.empty() || c.plain.size() > 65528) continue;
        DataPackage p;
        p.plain = c.plain;
        EXPECT_EQ(be16(jq::write::encodeDataPackage(p, keys), 9 + 2), c.sum);
    }
    // Only the first plainLength bytes count.
    EXPECT_EQ(jq::packageChecksum(2, bytesOf("abc").data()), 0x6164);  // 0002 + 6162
}

DataPackage objectPackage() {
    DataPackage p;
    p.typeCode = 0x56;
    p.countryCode = 69;
    p.hostId = 2111;
    p.oddEvenFlag = 1;
    p.updateNumber = 5;
    p.versionNumber = 2;
    p.packetHeader = hex("12345678 ABCD");
    p.plain = hex("ABCD") + bytesOf("an object of some twenty-nine bytes");
    return p;
}

TEST(DataPackage, HeaderFieldsPayloadAndChecksum) {
    const GcspBlock keys = block(3, 35, 21, 42);
    // March 2025, parameters 21 and 42: key words worked out by hand.
    const jq::KeyWords words{0x54E3, 0xA8A3};
    const DataPackage p = objectPackage();
    const Bytes bytes = jq::write::encodeDataPackage(p, keys);

    const Opened o = openPackage(bytes, words.odd);
    EXPECT_EQ(o.fixed, hex("0D 56 01 05 20 3F 85 02 06"));
    EXPECT_EQ(o.packetHeader, p.packetHeader);
    EXPECT_EQ(o.method, 0);
    EXPECT_EQ(o.plainLength, p.plain.size());
    EXPECT_EQ(o.blocks, (p.plain.size() + 7) / 8);
    EXPECT_EQ(bytes.size(), 9 + 6 + 6 + o.blocks * 8u);
    EXPECT_EQ(Bytes(o.payload.begin(), o.payload.begin() + o.plainLength), p.plain);
    EXPECT_EQ(o.checksum, 0x625A);  // the 37 plain bytes, summed in Python
    for (size_t i = o.plainLength; i < o.payload.size(); ++i) EXPECT_EQ(o.payload[i], 0);

    // The even key word for OddEvenFlag 0, and the other word on request.
    DataPackage even = p;
    even.oddEvenFlag = 0;
    EXPECT_EQ(openPackage(jq::write::encodeDataPackage(even, keys), words.even).payload, o.payload);
    DataPackage wrong = p;
    wrong.wrongKey = true;
    EXPECT_EQ(openPackage(jq::write::encodeDataPackage(wrong, keys), words.even).payload,
              o.payload);
    EXPECT_NE(openPackage(jq::write::encodeDataPackage(wrong, keys), words.odd).payload, o.payload);
}

TEST(DataPackage, CompressedPayloadIsLengthThenZlibStream) {
    const GcspBlock keys = block(1, 30, 5, 6);
    DataPackage p = objectPackage();
    p.oddEvenFlag = 0;
    p.compress = true;
    p.plain = Bytes(3000, 0x41);
    const Opened o =
        openPackage(jq::write::encodeDataPackage(p, keys), 0x1B1D);  // December 2019, by hand
    EXPECT_EQ(o.method, 2);
    EXPECT_LT(o.plainLength, 100);
    EXPECT_EQ(be16(o.payload, 0), 3000);
    EXPECT_EQ(inflated(Bytes(o.payload.begin() + 2, o.payload.begin() + o.plainLength), 3000),
              p.plain);
    EXPECT_EQ(o.checksum, sumOfWords(o.payload, o.plainLength));

    p.compress = false;
    p.compressMethod = 3;
    EXPECT_EQ(openPackage(jq::write::encodeDataPackage(p, keys), 0).method, 3);
}

TEST(DataPackage, EachFaultReplacesOnlyItsOwnValue) {
    const GcspBlock keys = block(3, 35, 21, 42);
    const uint16_t odd = 0x54E3;  // March 2025, parameter 21, by hand
    const DataPackage good = objectPackage();
    const Bytes goodBytes = jq::write::encodeDataPackage(good, keys);
    const Opened sound = openPackage(goodBytes, odd);

    DataPackage p = good;
    p.totalCheckSum = 0xBEEF;
    Opened o = openPackage(jq::write::encodeDataPackage(p, keys), odd);
    EXPECT_EQ(o.checksum, 0xBEEF);
    EXPECT_EQ(o.payload, sound.payload);

    // A shorter plain length: the checksum still agrees with what is declared.
    p = good;
    p.plainPackageDataLength = 2;
    o = openPackage(jq::write::encodeDataPackage(p, keys), odd);
    EXPECT_EQ(o.plainLength, 2);
    EXPECT_EQ(o.checksum, 0xABCF);  // 0002 + ABCD
    EXPECT_EQ(o.payload, sound.payload);

    p = good;
    p.packageDataLength = 1;
    Bytes bytes = jq::write::encodeDataPackage(p, keys);
    EXPECT_EQ(bytes.size(), goodBytes.size());
    EXPECT_EQ(openPackage(bytes, odd).blocks, 1);

    p = good;
    p.startCode = 0x0C;
    bytes = jq::write::encodeDataPackage(p, keys);
    EXPECT_EQ(bytes[0], 0x0C);
    EXPECT_TRUE(std::equal(bytes.begin() + 1, bytes.end(), goodBytes.begin() + 1));

    p = good;
    p.compress = true;
    p.unCompressedDataLength = 7;
    o = openPackage(jq::write::encodeDataPackage(p, keys), odd);
    EXPECT_EQ(be16(o.payload, 0), 7);
    EXPECT_EQ(inflated(Bytes(o.payload.begin() + 2, o.payload.begin() + o.plainLength), 100),
              good.plain);
    EXPECT_EQ(o.checksum, sumOfWords(o.payload, o.plainLength));

    p = good;
    p.compress = true;
    p.compressedStream = hex("78 9C 03 00 00 00 00 01");  // the empty stream
    o = openPackage(jq::write::encodeDataPackage(p, keys), odd);
    EXPECT_EQ(o.plainLength, 10);
    EXPECT_EQ(Bytes(o.payload.begin() + 2, o.payload.begin() + 10), *p.compressedStream);
}

TEST(DataPackage, RefusesWhatItCannotWrite) {
    const GcspBlock keys = jq::write::builtInDefaultBlock();
    DataPackage p;
    p.plain = Bytes(65528, 1);
    EXPECT_EQ(jq::write::encodeDataPackage(p, keys).size(), 15 + 65528u);
    p.plain.push_back(1);
    EXPECT_THROW(jq::write::encodeDataPackage(p, keys), std::invalid_argument);

    const auto refused = [&keys](void (*change)(DataPackage&)) {
        DataPackage q;
        q.plain = bytesOf("x");
        change(q);
        EXPECT_THROW(jq::write::encodeDataPackage(q, keys), std::invalid_argument);
    };
    refused([](DataPackage& q) { q.countryCode = 1024; });
    refused([](DataPackage& q) { q.hostId = 4096; });
    refused([](DataPackage& q) { q.updateNumber = 64; });
    refused([](DataPackage& q) { q.versionNumber = 64; });
    refused([](DataPackage& q) { q.oddEvenFlag = 2; });
    refused([](DataPackage& q) { q.packetHeader.resize(256); });
    refused([](DataPackage& q) { q.packageDataLength = 0x4000; });
    refused([](DataPackage& q) { q.compressedStream = Bytes{1}; });  // without compress
    refused([](DataPackage& q) { q.unCompressedDataLength = 1; });   // without compress
}

// ---- Files -----------------------------------------------------------------

TEST(BroadcastFile, HeaderKeysPackagesAndCuts) {
    const GcspBlock keys = block(4, 34, 9, 10);
    jq::write::BroadcastFile file;
    file.fileHeader(0xABC, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}).keyPackage(keys);
    EXPECT_EQ(
        file.bytes(), hex("000E 0ABC 0102030405060708090A0B0C") + [&] {
            const auto k = jq::write::packKeyPackage(keys);
            return Bytes(k.begin(), k.end());
        }());
    DataPackage p = objectPackage();
    EXPECT_EQ(file.dataPackage(p), 28u);
    const uint32_t second = file.dataPackage(p);
    EXPECT_EQ(second, 28 + jq::write::encodeDataPackage(p, keys).size());
    EXPECT_EQ(Bytes(file.bytes().begin() + second, file.bytes().end()),
              jq::write::encodeDataPackage(p, keys));

    // Without a key package the file is encrypted with the built-in default.
    jq::write::BroadcastFile plain;
    plain.dataPackage(p);
    EXPECT_EQ(plain.bytes(), jq::write::encodeDataPackage(p, jq::write::builtInDefaultBlock()));
    plain.encryptWith(keys).dataPackage(p);
    EXPECT_EQ(plain.size(), 2 * jq::write::encodeDataPackage(p, keys).size());

    plain.raw(hex("4142")).truncate(5);
    EXPECT_EQ(plain.size(), 5u);
    EXPECT_THROW(plain.truncate(6), std::invalid_argument);
    EXPECT_THROW(file.fileHeader(0x1000), std::invalid_argument);
}

TEST(ContainerFile, Layout) {
    jq::write::ContainerEntry a;
    a.hostId = 0x085F;
    a.countryCode = 69;
    a.headerSource = {0x34, 0x12, 0x78, 0x56, 0xCD, 0xAB, 0xEE, 0xEE};  // EE EE: the country
    a.data = hex("ABCD 6F626A");
    a.gap = 3;
    jq::write::ContainerEntry b;
    b.data = hex("01");
    b.entryLength = 100;

    EXPECT_EQ(jq::write::containerFile(0x57, {a, b}),
              hex("00000041 57 02 0000"
                  "20000000 5F08 0000 34127856CDAB 4500 00000000 05000000 ABCD6F626A 000000"
                  "64000000 0000 0000 000000000000 0000 00000000 01000000 01"));
    EXPECT_EQ(jq::write::containerFile(0xF5, {}, 7, 9), hex("00000007 F5 09 0000"));
}

// ---- Description -----------------------------------------------------------

constexpr const char* kDescription = R"(# two files
file set/objects.jq
  header value=0x123 "HDR" 00 01      # pass-through bytes
  keys 0D 7F 00 00 00 03 00 23 00 00 00 15 2A 8F
  package type=0x56 country=69 host=2111 odd=1 update=5 version=2
    packet-header be32:0x12345678 be16:0xABCD
    data ABCD "obj\x21"
    data fill:3:0x41 u8:66
    compress
  end
  package type=0xD7 odd=0
    packet-header 12345678ABCD 0000
    data ABCD 01 02
    method 1
    fault checksum=0x1234 blocks=3
    fault wrong-key
  end
  stray 41 42 "#"
  truncate -1
end
container box.jq type=0x57
  entry host=2143 country=69 gap=2
    packet-header 12345678 ABCD
    data ABCD "o"
  end
  entry
    source 0102030405060708
    fault length=40
  end
  stray FF
end
)";

TEST(Description, BuildsWhatTheLibraryBuilds) {
    std::vector<jq::write::DescribedFile> files;
    std::string error;
    ASSERT_TRUE(jq::write::buildFromDescription(kDescription, files, error)) << error;
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "set/objects.jq");
    EXPECT_EQ(files[1].name, "box.jq");

    GcspBlock keys;
    std::memcpy(&keys, hex("0D7F0000000300230000 00152A8F").data(), sizeof keys);
    jq::write::BroadcastFile broadcast;
    broadcast.fileHeader(0x123, {'H', 'D', 'R', 0, 1}).keyPackage(keys);
    DataPackage first = objectPackage();
    first.plain = hex("ABCD") + bytesOf("obj!AAAB");
    first.compress = true;
    broadcast.dataPackage(first);
    DataPackage second;
    second.typeCode = 0xD7;
    second.oddEvenFlag = 0;
    second.packetHeader = hex("12345678ABCD0000");
    second.plain = hex("ABCD0102");
    second.compressMethod = 1;
    second.totalCheckSum = 0x1234;
    second.packageDataLength = 3;
    second.wrongKey = true;
    broadcast.dataPackage(second);
    broadcast.raw(bytesOf("AB#"));
    broadcast.truncate(broadcast.size() - 1);
    EXPECT_EQ(files[0].bytes, broadcast.bytes());

    jq::write::ContainerEntry a;
    a.hostId = 2143;
    a.countryCode = 69;
    a.headerSource = {0x34, 0x12, 0x78, 0x56, 0xCD, 0xAB, 0, 0};
    a.data = hex("ABCD6F");
    a.gap = 2;
    jq::write::ContainerEntry b;
    b.headerSource = {1, 2, 3, 4, 5, 6, 7, 8};
    b.countryCode = 0x0807;  // entry bytes 14-15 as the source gave them
    b.entryLength = 40;
    EXPECT_EQ(files[1].bytes, jq::write::containerFile(0x57, {a, b}) + hex("FF"));
}

TEST(Description, ReportsTheLineOfAMalformedStatement) {
    struct Bad {
        const char* text;
        const char* error;
    };
    const Bad cases[] = {
        {"file a\n  package type=1\n    dat 12\n  end\nend\n", "line 3: unknown statement 'dat'"},
        {"file a\n\n  package type=1 country=1024\n", "line 3: country: 1024 is above 1023"},
        {"file a\n  package\n", "line 2: missing attribute type="},
        {"file a\n  package type=1\n  data 123\n", "line 3: '123' is not a run"},
        {"file a\n  package type=1\n  data \"abc\n", "line 3: unterminated string"},
        {"file a\n  package type=1\n  data fill:65529:0\n  end\nend\n",
         "line 2: package: plain package data longer than 65,528 bytes"},
        {"file a\n  package type=1\n  end\n", "line 1: 'a' is not closed with 'end'"},
        {"file a\n  package type=1 # open\n", "line 2: package is not closed"},
        {"file a\n  stray 00\n  truncate 2\nend\n", "line 3: truncate 2 goes beyond"},
        {"file a\n  truncate to=0 0\nend\n", "line 2: unknown attribute 'to'"},
        {"container c type=0x57\n  truncate to=0 0\nend\n", "line 2: unknown attribute 'to'"},
        {"container c type=0x57\n  truncate 99\n  stray 00\nend\n",
         "line 2: truncate 99 goes beyond the 8 bytes"},
        {"container c type=0x57\n  stray 0\nend\n", "line 2: '0' is not a run"},
        {"file a\n  keys month=13\nend\n", "line 2: month: 13 is above 12"},
        {"file a\n  keys 0D 7F\nend\n", "line 2: a key-parameter block has 14 bytes"},
        {"file a\nend\nfile a\nend\n", "line 3: file 'a' is described twice"},
        {"file ../a\nend\n", "line 1: file name '../a' must be a relative path"},
        {"container c type=0x57\n  entry country=1\n    source 0000000000000000\n  end\nend\n",
         "line 2: country= differs"},
        {"container c type=0x57\n  stray 00\n  entry\n  end\nend\n", "line 3: entries come before"},
        {"package type=1\n", "line 1: expected 'file' or 'container'"},
    };
    for (const Bad& bad : cases) {
        std::vector<jq::write::DescribedFile> files;
        std::string error;
        EXPECT_FALSE(jq::write::buildFromDescription(bad.text, files, error)) << bad.text;
        EXPECT_EQ(error.rfind(bad.error, 0), 0u) << "got: " << error;
        EXPECT_TRUE(files.empty());
    }
}

TEST(Description, WritesAllFilesOrNone) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("jqwrite_test_" + std::to_string(std::random_device{}()));
    std::string error;
    const std::string broken = std::string(kDescription) + "file late\n  oops\nend\n";
    EXPECT_FALSE(jq::write::writeFromDescription(broken, folder.string(), error));
    const auto oops = std::count(broken.begin(), broken.end(), '\n') - 1;
    EXPECT_EQ(error.rfind("line " + std::to_string(oops) + ":", 0), 0u) << error;
    EXPECT_FALSE(fs::exists(folder));

    ASSERT_TRUE(jq::write::writeFromDescription(kDescription, folder.string(), error)) << error;
    std::vector<jq::write::DescribedFile> files;
    ASSERT_TRUE(jq::write::buildFromDescription(kDescription, files, error));
    for (const auto& file : files) {
        std::ifstream in(folder / file.name, std::ios::binary);
        EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
                  file.bytes)
            << file.name;
    }
    EXPECT_FALSE(fs::exists(folder / "box.jq.part"));
    fs::remove_all(folder);
}

}  // namespace
