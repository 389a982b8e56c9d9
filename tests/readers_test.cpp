// Tests of the file readers on files made by jqwrite, read from memory:
// index scans, whole-file readers of both layouts, the single-package
// reader, the key-parameter search and the file header.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "byte_source.h"
#include "des.h"
#include "file_readers.h"
#include "jqwrite.h"
#include "key_params.h"
#include "package_frame.h"

namespace jq {
namespace {

using write::BroadcastFile;
using write::Bytes;
using write::DataPackage;

GcspBlock marchBlock() {
    GcspBlock block = write::builtInDefaultBlock();
    block.Month = 3;
    block.YearOffset = 36;
    block.OddKeyParameter = 0x11;
    block.EvenKeyParameter = 0x22;
    return block;
}

DataPackage objectPackage(uint8_t type, Bytes object, uint8_t oddEven = 1) {
    DataPackage p;
    p.typeCode = type;
    p.packetHeader = {0x00, 0x00, 0x12, 0x34, 0xAB, 0xCD};
    p.plain = {0xAB, 0xCD};
    p.plain.insert(p.plain.end(), object.begin(), object.end());
    p.oddEvenFlag = oddEven;
    return p;
}

// A file source gives exactly what the memory source gives over the same
// bytes, for reads inside, across and after its read-ahead window, at and
// past the end, and larger than the window.
TEST(FileSource, ReadsAsMemoryDoesAcrossWindowsAndTheEnd) {
    constexpr size_t kWindow = FileSource::kWindowSize;
    Bytes bytes(2 * kWindow + 1000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("jq-file-source-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
#ifdef _WIN32
    platform::File file = platform::File::openForReading(path.wstring().c_str());
#else
    platform::File file = platform::File::openForReading(path.u16string().c_str());
#endif
    ASSERT_TRUE(file.isOpen());
    FileSource fromFile(file, bytes.size());
    MemorySource fromMemory({bytes.data(), bytes.size()});
    const struct {
        uint64_t offset;
        size_t count;
    } reads[] = {{0, 16},           {10, 100},         {kWindow - 8, 16}, {kWindow - 8, 8},
                 {5, 20},           {kWindow, kWindow}, {2 * kWindow - 4, 2000},
                 {bytes.size() - 3, 10}, {bytes.size(), 4}, {bytes.size() + 5, 4},
                 {100, 3 * kWindow}, {3, 0},           {2 * kWindow + 999, 1}};
    for (const auto& r : reads) {
        Bytes a(r.count + 1, 0xEE), b(r.count + 1, 0xEE);
        size_t gotA = 99, gotB = 99;
        ASSERT_TRUE(fromFile.readAt(r.offset, a.data(), r.count, gotA));
        ASSERT_TRUE(fromMemory.readAt(r.offset, b.data(), r.count, gotB));
        EXPECT_EQ(gotA, gotB) << "offset " << r.offset << " count " << r.count;
        EXPECT_EQ(a, b) << "offset " << r.offset << " count " << r.count;
        // A view is offered for bytes whole in the file and within a window's
        // size, and shows what an exact read gives.
        const bool whole = r.offset <= bytes.size() && r.count <= bytes.size() - r.offset;
        const uint8_t* view = fromFile.view(r.offset, r.count);
        if (!whole || r.count == 0 || r.count > kWindow) {
            EXPECT_EQ(view, nullptr) << "offset " << r.offset << " count " << r.count;
        } else {
            ASSERT_NE(view, nullptr) << "offset " << r.offset << " count " << r.count;
            EXPECT_TRUE(std::equal(view, view + r.count, bytes.begin() + r.offset))
                << "offset " << r.offset << " count " << r.count;
        }
    }
    file.close();
    std::filesystem::remove(path);
}

struct Reader {
    Bytes bytes;
    MemorySource source{ByteView{}};
    explicit Reader(Bytes b) : bytes(std::move(b)), source(ByteView{bytes.data(), bytes.size()}) {}
};

JQStatus readAll(const Bytes& bytes, std::vector<Package>& packages,
                 const GcspBlock& fallback = write::builtInDefaultBlock()) {
    Reader r(bytes);
    return readBroadcastFile(r.source, fallback, packages);
}

// An uncompressed package as jqwrite lays it out, its payload encrypted under
// the given key word instead of one derived from a block.
Bytes encryptedUnder(const DataPackage& p, uint16_t keyWord) {
    Bytes bytes = write::encodeDataPackage(p, write::builtInDefaultBlock());
    const size_t payload = 9 + p.packetHeader.size() + 6;
    Bytes plain = p.plain;
    plain.resize(bytes.size() - payload, 0);
    const auto key = packageKey(keyWord);
    const des::KeySchedule schedule = des::makeSchedule(key.data(), des::Direction::Encrypt);
    des::cryptEcb(schedule, plain.data(), bytes.data() + payload, plain.size());
    return bytes;
}

TEST(BroadcastReader, HeaderKeyPackageAndTwoPackages) {
    BroadcastFile file;
    file.fileHeader().keyPackage(marchBlock());
    DataPackage first = objectPackage(0x56, {1, 2, 3});
    first.countryCode = 69;
    first.hostId = 2111;
    first.updateNumber = 5;
    first.versionNumber = 2;
    const uint32_t firstOffset = file.dataPackage(first);
    DataPackage second = objectPackage(0x57, Bytes(3000, 0x5A), 0);
    second.compress = true;
    const uint32_t secondOffset = file.dataPackage(second);
    EXPECT_EQ(firstOffset, 28u);

    std::vector<Package> packages;
    ASSERT_EQ(readAll(file.bytes(), packages), JQ_OK);
    ASSERT_EQ(packages.size(), 2u);
    const PackageHeader& h = packages[0].header;
    EXPECT_EQ(h.StartCode, 0x0D);
    EXPECT_EQ(h.TypeCode, 0x56);
    EXPECT_EQ(h.CountryCode, 69);
    EXPECT_EQ(h.HostID, 2111);
    EXPECT_EQ(h.UpdateNumber, 5);
    EXPECT_EQ(h.VersionNumber, 2);
    EXPECT_EQ(h.OddEvenFlag, 1);
    EXPECT_EQ(h.PacketHeaderLength, 6);
    EXPECT_EQ(h.PlainPackageDataLength, 5);
    EXPECT_EQ(h.PackageDataLength, 1);
    EXPECT_EQ(packages[0].data, (Bytes{0xAB, 0xCD, 1, 2, 3}));
    EXPECT_EQ(packages[0].offset, 28u);
    EXPECT_EQ(packages[1].offset, secondOffset);
    EXPECT_EQ(packages[1].header.CompressMethod, 2);
    EXPECT_EQ(packages[1].header.UnCompressedDataLength, 3002);
    EXPECT_EQ(packages[1].data.size(), 3002u);
    EXPECT_EQ(packages[1].data.end()[-1], 0x5A);

    // The index scan lists the key package too, first, at offset 16.
    Reader r(file.bytes());
    std::vector<IndexItem> items;
    ASSERT_EQ(scanBroadcastIndex(r.source, items), JQ_OK);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].typeCode, 0x7F);
    EXPECT_EQ(items[0].offset, 16u);
    EXPECT_TRUE(items[0].packetHeader.empty());
    EXPECT_EQ(items[1].offset, 28u);
    EXPECT_EQ(items[1].packetHeader, (Bytes{0x00, 0x00, 0x12, 0x34, 0xAB, 0xCD}));
    EXPECT_EQ(items[2].offset, secondOffset);
    EXPECT_EQ(items[2].typeCode, 0x57);
}

// A source that lends none of its bytes: payloads are read into their
// buffer and decrypted in place.
class CopyingSource final : public ByteSource {
public:
    explicit CopyingSource(ByteView bytes) : memory_(bytes) {}
    uint64_t size() const override { return memory_.size(); }
    bool readAt(uint64_t offset, uint8_t* buffer, size_t count, size_t& got) override {
        return memory_.readAt(offset, buffer, count, got);
    }

private:
    MemorySource memory_;
};

TEST(BroadcastReader, SameDataWhetherThePayloadIsLentOrCopied) {
    BroadcastFile file;
    file.fileHeader().keyPackage(marchBlock());
    DataPackage big = objectPackage(0x56, Bytes(40000, 0x17));
    for (size_t i = 0; i < big.plain.size(); ++i) big.plain[i] = static_cast<uint8_t>(i * 13);
    file.dataPackage(big);
    DataPackage deflated = objectPackage(0xD7, Bytes(9000, 0x29), 0);
    deflated.compress = true;
    file.dataPackage(deflated);
    file.dataPackage(objectPackage(0x57, Bytes(3, 0x01)));
    for (const bool truncated : {false, true}) {
        Bytes bytes = file.bytes();
        if (truncated) bytes.resize(bytes.size() - 1);
        MemorySource lent({bytes.data(), bytes.size()});
        CopyingSource copied({bytes.data(), bytes.size()});
        std::vector<Package> a, b;
        const JQStatus status = readBroadcastFile(lent, marchBlock(), a);
        EXPECT_EQ(readBroadcastFile(copied, marchBlock(), b), status);
        EXPECT_EQ(status, truncated ? JQ_ERR_READ : JQ_OK);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_TRUE(
                std::equal(a[i].data.begin(), a[i].data.end(), b[i].data.begin(), b[i].data.end()));
        }
        if (!truncated) {
            ASSERT_EQ(a.size(), 3u);
            EXPECT_EQ(a[0].data, big.plain);
            EXPECT_EQ(a[1].data, deflated.plain);
        }
    }
}

TEST(BroadcastReader, KeyWordsFollowTheFileOrTheDefault) {
    // Without a key package the file is read with the default block.
    BroadcastFile withDefault;
    withDefault.fileHeader().encryptWith(marchBlock());
    withDefault.dataPackage(objectPackage(0x56, {9}));
    std::vector<Package> packages;
    EXPECT_EQ(readAll(withDefault.bytes(), packages), JQ_ERR_CHECKSUM);  // built-in default: wrong key
    ASSERT_EQ(readAll(withDefault.bytes(), packages, marchBlock()), JQ_OK);
    EXPECT_EQ(packages[0].offset, 16u);

    // A file's own key package wins over the default.
    BroadcastFile own;
    own.keyPackage(marchBlock());
    own.dataPackage(objectPackage(0x56, {9}, 0));
    ASSERT_EQ(readAll(own.bytes(), packages), JQ_OK);
    EXPECT_EQ(packages[0].offset, 12u);

    DataPackage wrong = objectPackage(0x56, {7});
    wrong.wrongKey = true;
    BroadcastFile w;
    w.keyPackage(marchBlock()).dataPackage(wrong);
    EXPECT_EQ(readAll(w.bytes(), packages), JQ_ERR_CHECKSUM);
}

TEST(BroadcastReader, KeyWordsOfTheMonthAndTheMonthBefore) {
    // The expected words were worked out by hand from the key-word rules (year
    // value g, month word M * 64 + g, the month before, January's g + 0x2FF,
    // parameters in bits 15-10 cut to 16 bits) and checked with a few lines of
    // Python; none comes from deriveKeyWords.
    struct Case {
        const char* name;
        uint8_t month, yearOffset, oddParameter, evenParameter;
        uint16_t oddWord, evenWord;
    };
    const Case cases[] = {
        {"January 2026: even is December 2025", 1, 36, 0x11, 0x22, 0x4464, 0x8B23},
        {"December 2025", 12, 35, 0x11, 0x22, 0x46E3, 0x8B23},
        {"January 2000: even is December 1999", 1, 10, 0x3F, 0x00, 0xFC4A, 0x0309},
        {"February 1999", 2, 9, 0x00, 0x3F, 0x0049, 0xFC89},
        {"January 1990: g + 0x2FF with g 0", 1, 0, 0x00, 0x00, 0x0040, 0x02FF},
        {"December 2053, all parameter bits", 12, 63, 0x3F, 0x3F, 0xFEFF, 0xFF3F},
        {"November 2053", 11, 63, 0x3F, 0x00, 0xFEFF, 0x02BF},
        {"month 0: the month before wraps to 16 bits", 0, 5, 0x01, 0x02, 0xFFC5, 0x0805},
        // Values no key package carries, only SetDefaultGCSP: the year value of
        // 2054, 2100 and 2245 (not the offset's low six bits), parameters
        // shifted past bit 15.
        {"June 2054, parameters 0x40 and 0x7F", 6, 64, 0x40, 0x7F, 0x0140, 0xFD80},
        {"March 2100, parameters 0x51 and 0xFF", 3, 110, 0x51, 0xFF, 0x44CA, 0xFC8A},
        {"July 2245, parameters 0x80 and 0x01", 7, 255, 0x80, 0x01, 0x01F7, 0x05B7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GcspBlock block = write::builtInDefaultBlock();
        block.Month = c.month;
        block.YearOffset = c.yearOffset;
        block.OddKeyParameter = c.oddParameter;
        block.EvenKeyParameter = c.evenParameter;
        const KeyWords words = deriveKeyWords(block);
        EXPECT_EQ(words.odd, c.oddWord);
        EXPECT_EQ(words.even, c.evenWord);

        // The reader decrypts a package of OddEvenFlag 1 with the odd word and
        // one of OddEvenFlag 0 with the even word, whether the block is the
        // default or the file's own key package.
        const bool fitsAKeyPackage =
            c.month < 16 && c.yearOffset < 64 && c.oddParameter < 64 && c.evenParameter < 64;
        for (const uint8_t flag : {0, 1}) {
            SCOPED_TRACE(flag);
            const DataPackage p = objectPackage(0x56, {7, 8, 9, 10}, flag);
            const Bytes package = encryptedUnder(p, flag ? c.oddWord : c.evenWord);
            BroadcastFile unkeyed;
            unkeyed.raw(package);
            std::vector<Package> packages;
            ASSERT_EQ(readAll(unkeyed.bytes(), packages, block), JQ_OK);
            EXPECT_EQ(packages[0].data, p.plain);
            if (fitsAKeyPackage) {
                BroadcastFile keyed;
                keyed.keyPackage(block).raw(package);
                ASSERT_EQ(readAll(keyed.bytes(), packages), JQ_OK);
                EXPECT_EQ(packages[0].data, p.plain);
            }
        }
    }

    // January's even package under December of the same year (0x324 with
    // parameter 0x22) or under month 0 (0x24) does not decrypt.
    GcspBlock january = marchBlock();
    january.Month = 1;
    for (const uint16_t word : {0x8B24, 0x8824}) {
        BroadcastFile f;
        f.keyPackage(january).raw(encryptedUnder(objectPackage(0x56, {7}, 0), word));
        std::vector<Package> packages;
        EXPECT_EQ(readAll(f.bytes(), packages), JQ_ERR_CHECKSUM) << word;
    }
}

TEST(BroadcastReader, PipelineFailures) {
    struct Case {
        const char* name;
        void (*fault)(DataPackage&);
        JQStatus expected;
    };
    const Case cases[] = {
        {"bad checksum", [](DataPackage& p) { p.totalCheckSum = 0x1234; }, JQ_ERR_CHECKSUM},
        {"plain length beyond the payload", [](DataPackage& p) { p.plainPackageDataLength = 200; },
         JQ_ERR_CHECKSUM},
        {"no payload", [](DataPackage& p) { p.packageDataLength = 0; }, JQ_ERR_DECRYPT},
        {"block count outside the format", [](DataPackage& p) { p.packageDataLength = 8192; },
         JQ_ERR_FORMAT},
        {"start code", [](DataPackage& p) { p.startCode = 0x0C; }, JQ_ERR_FORMAT},
        {"compressed, one byte more", [](DataPackage& p) {
             p.compress = true;
             p.unCompressedDataLength = static_cast<uint16_t>(p.plain.size() - 1);
         }, JQ_ERR_INFLATE},
        {"compressed, not a zlib stream", [](DataPackage& p) {
             p.compress = true;
             p.compressedStream = Bytes{1, 2, 3, 4};
         }, JQ_ERR_INFLATE},
        {"compressed, plain length 2", [](DataPackage& p) {
             p.compress = true;
             p.plainPackageDataLength = 2;
         }, JQ_ERR_INFLATE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataPackage bad = objectPackage(0x56, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        c.fault(bad);
        BroadcastFile file;
        file.keyPackage(marchBlock());
        file.dataPackage(objectPackage(0x56, {1}));
        file.dataPackage(bad);
        std::vector<Package> packages;
        EXPECT_EQ(readAll(file.bytes(), packages), c.expected);
        EXPECT_TRUE(packages.empty());
    }
}

TEST(BroadcastReader, UncompressedMethodsAndOddLengths) {
    for (uint8_t method : {0, 1, 3}) {
        DataPackage p = objectPackage(0x56, {1, 2, 3});  // 5 plain bytes: odd
        p.compressMethod = method;
        BroadcastFile file;
        file.dataPackage(p);
        std::vector<Package> packages;
        ASSERT_EQ(readAll(file.bytes(), packages), JQ_OK);
        EXPECT_EQ(packages[0].header.CompressMethod, method);
        EXPECT_EQ(packages[0].header.UnCompressedDataLength, 0);
        EXPECT_EQ(packages[0].data.size(), 5u);
    }
    // A payload past 16,376 bytes (two chunks), compressed and not.
    for (bool compress : {false, true}) {
        DataPackage big = objectPackage(0x56, Bytes(40000, 0x33));
        big.compress = compress;
        BroadcastFile file;
        file.dataPackage(big);
        std::vector<Package> packages;
        ASSERT_EQ(readAll(file.bytes(), packages), JQ_OK);
        EXPECT_EQ(packages[0].data.size(), 40002u);
    }
}

TEST(BroadcastReader, TruncationAndStrayBytes) {
    BroadcastFile file;
    file.fileHeader().keyPackage(marchBlock());
    file.dataPackage(objectPackage(0x56, Bytes(100, 1)));
    const size_t whole = file.size();
    std::vector<Package> packages;

    // Every cut inside the package fails; none reads past the data.
    for (size_t cut = 29; cut < whole; ++cut) {
        BroadcastFile cutFile = file;
        cutFile.truncate(cut);
        const JQStatus status = readAll(cutFile.bytes(), packages);
        EXPECT_TRUE(status == JQ_ERR_READ || status == JQ_ERR_FORMAT || status == JQ_ERR_DECRYPT) << cut;
    }
    // Only the file header: no package start after it.
    BroadcastFile headerOnly;
    headerOnly.fileHeader();
    EXPECT_EQ(readAll(headerOnly.bytes(), packages), JQ_ERR_FORMAT);
    EXPECT_EQ(readAll({}, packages), JQ_ERR_READ);

    // Stray bytes after the last package.
    BroadcastFile stray = file;
    stray.raw({0x41, 0x42});
    EXPECT_EQ(readAll(stray.bytes(), packages), JQ_ERR_FORMAT);
    Reader r(stray.bytes());
    std::vector<IndexItem> items;
    EXPECT_EQ(scanBroadcastIndex(r.source, items), JQ_ERR_FORMAT);
    // ... unless they look like a file header to the index scan.
    BroadcastFile strayHeader = file;
    strayHeader.raw({0x41, 0x0E});
    Reader r2(strayHeader.bytes());
    EXPECT_EQ(scanBroadcastIndex(r2.source, items), JQ_OK);
    EXPECT_EQ(items.size(), 2u);

    // A key package where a data package is expected ends the file.
    BroadcastFile misplaced = file;
    const auto key = write::packKeyPackage(marchBlock());
    misplaced.raw(Bytes(key.begin(), key.end()));
    EXPECT_EQ(readAll(misplaced.bytes(), packages), JQ_ERR_FORMAT);

    // A key package without its terminator.
    GcspBlock unterminated = marchBlock();
    unterminated.Terminator = 0x8E;
    BroadcastFile noTerminator;
    noTerminator.keyPackage(unterminated).dataPackage(objectPackage(0x56, {1}));
    EXPECT_EQ(readAll(noTerminator.bytes(), packages), JQ_ERR_FORMAT);
}

TEST(IndexScan, TrustsDeclaredLengthsAndSkipsHeaders) {
    BroadcastFile file;
    file.fileHeader();
    DataPackage p = objectPackage(0x56, {1});
    p.packetHeader.clear();  // PacketHeaderLength 0
    file.dataPackage(p);
    file.fileHeader(0x123);  // a file header between packages is skipped
    DataPackage longer = objectPackage(0x58, Bytes(64, 2));
    longer.packageDataLength = 200;  // runs past the end: the scan just ends
    file.dataPackage(longer);
    Reader r(file.bytes());
    std::vector<IndexItem> items;
    ASSERT_EQ(scanBroadcastIndex(r.source, items), JQ_OK);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].packetHeader.empty());
    EXPECT_EQ(items[1].typeCode, 0x58);

    BroadcastFile headerOnly;
    headerOnly.fileHeader();
    Reader r2(headerOnly.bytes());
    EXPECT_EQ(scanBroadcastIndex(r2.source, items), JQ_OK);
    EXPECT_TRUE(items.empty());
}

TEST(PackageLayout, FixedAndSecondHeaderBits) {
    // 0D 56 01 05 20 3F 85 02 06: type 0x56, CountryCode 69, HostID 2111,
    // OddEvenFlag 1, UpdateNumber 5, VersionNumber 2, six packet header bytes.
    DataPackage p = objectPackage(0x56, Bytes(9, 0));  // 11 plain bytes: two blocks
    p.countryCode = 69;
    p.hostId = 2111;
    p.updateNumber = 5;
    p.versionNumber = 2;
    p.compress = false;
    p.compressMethod = 1;
    const Bytes bytes = write::encodeDataPackage(p, write::builtInDefaultBlock());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 9), (Bytes{0x0D, 0x56, 0x01, 0x05, 0x20, 0x3F, 0x85, 0x02, 0x06}));
    EXPECT_EQ(bytes[15], 0x40);  // CompressMethod 1 in bits 7-6, block count high bits 0
    EXPECT_EQ(bytes[16], 0x02);
    ASSERT_EQ(bytes.size(), 37u);  // 9 + 6 + 6 + 2 blocks

    // Reserved bits are ignored: set them all and read the same fields.
    Bytes noisy = bytes;
    noisy[2] |= 0xF0;
    noisy[3] |= 0xC0;
    noisy[4] |= 0xC0;
    noisy[5] |= 0xC0;
    noisy[6] |= 0x40;
    noisy[7] |= 0xC0;
    std::vector<Package> packages;
    ASSERT_EQ(readAll(noisy, packages), JQ_OK);
    const PackageHeader& h = packages[0].header;
    EXPECT_EQ(h.CountryCode, 69);
    EXPECT_EQ(h.HostID, 2111);
    EXPECT_EQ(h.OddEvenFlag, 1);
    EXPECT_EQ(h.UpdateNumber, 5);
    EXPECT_EQ(h.VersionNumber, 2);
    EXPECT_EQ(h.CompressMethod, 1);
    EXPECT_EQ(h.PackageDataLength, 2);
}

TEST(SinglePackageReader, ReadsAtAnIndexOffset) {
    BroadcastFile file;
    file.fileHeader().keyPackage(marchBlock());
    file.dataPackage(objectPackage(0x56, {1}));
    const uint32_t second = file.dataPackage(objectPackage(0x57, {2, 2}, 0));
    Reader r(file.bytes());
    Package package;
    ASSERT_EQ(readPackageAt(r.source, static_cast<int32_t>(second), write::builtInDefaultBlock(), package), JQ_OK);
    EXPECT_EQ(package.header.TypeCode, 0x57);
    EXPECT_EQ(package.offset, second);
    EXPECT_EQ(readPackageAt(r.source, 16, write::builtInDefaultBlock(), package), JQ_ERR_FORMAT);  // key package
    EXPECT_EQ(readPackageAt(r.source, 3, write::builtInDefaultBlock(), package), JQ_ERR_FORMAT);
    EXPECT_EQ(readPackageAt(r.source, -1, write::builtInDefaultBlock(), package), JQ_ERR_READ);
    EXPECT_EQ(readPackageAt(r.source, 1 << 30, write::builtInDefaultBlock(), package), JQ_ERR_FORMAT);
}

TEST(KeyParameterSearch, FindsTheKeyPackageAnywhere) {
    BroadcastFile file;
    file.fileHeader();
    file.dataPackage(objectPackage(0x56, {1}));
    GcspBlock block = marchBlock();
    GcspBlock found{};
    {
        Reader r(file.bytes());
        EXPECT_EQ(findKeyParameters(r.source, found), JQ_ERR_EXCEPTION);  // none in the file
    }
    const auto key = write::packKeyPackage(block);
    file.raw(Bytes(key.begin(), key.end()));
    Reader r(file.bytes());
    ASSERT_EQ(findKeyParameters(r.source, found), JQ_OK);
    EXPECT_EQ(found.StartCode, 0x0D);
    EXPECT_EQ(found.TypeCode, 0x7F);
    EXPECT_EQ(found.Month, 3);
    EXPECT_EQ(found.OddKeyParameter, 0x11);
    EXPECT_EQ(found.Terminator, 0x8F);

    Bytes bad(key.begin(), key.end());
    bad[10] = 0x00;
    Reader r2(bad);
    EXPECT_EQ(findKeyParameters(r2.source, found), JQ_ERR_FORMAT);
    EXPECT_EQ(found.Month, 3);  // filled all the same
    Reader r3(Bytes{0x41, 0x42, 0x43});
    EXPECT_EQ(findKeyParameters(r3.source, found), JQ_ERR_FORMAT);
}

TEST(FileHead, ReadsTheSixteenBytes) {
    BroadcastFile file;
    file.fileHeader(0xABC, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    FileHeadInfo info{};
    info.NotFilled1 = 0x77;
    info.NotFilled2 = 0x66;
    Reader r(file.bytes());
    ASSERT_EQ(readFileHead(r.source, info), JQ_OK);
    EXPECT_EQ(info.HeaderLength, 14);
    EXPECT_EQ(info.HeaderValue, 0xABC);
    EXPECT_EQ(info.Bytes4To7[0], 1);
    EXPECT_EQ(info.Bytes8To11[3], 8);
    EXPECT_EQ(info.NotFilled1, 0x77);
    EXPECT_EQ(info.Bytes12To13[1], 10);
    EXPECT_EQ(info.Byte14, 11);
    EXPECT_EQ(info.NotFilled2, 0x66);
    EXPECT_EQ(info.Byte15, 12);

    // A file that begins with a package; a short file that begins like a header.
    Reader pkg(Bytes{0x0D, 0x56, 0x01});
    EXPECT_EQ(readFileHead(pkg.source, info), JQ_ERR_READ);
    EXPECT_EQ(info.HeaderLength, 0x0D56);
    Reader shortHeader(Bytes{0x00, 0x0E, 0x01, 0x23, 0x09});
    EXPECT_EQ(readFileHead(shortHeader.source, info), JQ_OK);
    EXPECT_EQ(info.HeaderValue, 0x123);
    EXPECT_EQ(info.Bytes4To7[0], 0x09);
    EXPECT_EQ(info.Byte15, 0);
}

TEST(ContainerReader, EntriesGapsAndDamage) {
    write::ContainerEntry a;
    a.hostId = 0x1234;
    a.countryCode = 77;
    a.headerSource = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0};
    a.data = {1, 2, 3};
    write::ContainerEntry b;
    b.data = {4, 5};
    b.gap = 5;  // bytes between entries are skipped
    write::ContainerEntry c;
    c.data = {6};
    const Bytes bytes = write::containerFile(0x57, {a, b, c});
    Reader r(bytes);
    std::vector<Package> packages;
    ASSERT_EQ(readContainerFile(r.source, packages), JQ_OK);
    ASSERT_EQ(packages.size(), 3u);
    EXPECT_EQ(packages[0].header.TypeCode, 0x57);
    EXPECT_EQ(packages[0].header.HostID, 0x1234);
    EXPECT_EQ(packages[0].header.CountryCode, 77);
    EXPECT_EQ(packages[0].header.StartCode, 0);
    EXPECT_EQ(packages[0].packetHeader, (Bytes{0x22, 0x11, 0x44, 0x33, 0x66, 0x55}));
    EXPECT_EQ(packages[0].offset, 8u);
    EXPECT_EQ(packages[2].data, Bytes{6});
    EXPECT_EQ(packages[2].offset, 8u + 27 + 26 + 5);

    std::vector<IndexItem> items;
    uint32_t declared = 0;
    ASSERT_EQ(scanContainerIndex(r.source, items, declared), JQ_OK);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2].offset, packages[2].offset);

    // Type 0xF5 keeps the eight header bytes as they stand.
    const Bytes micp = write::containerFile(0xF5, {a});
    Reader rm(micp);
    ASSERT_EQ(readContainerFile(rm.source, packages), JQ_OK);
    EXPECT_EQ(packages[0].packetHeader.size(), 8u);
    EXPECT_EQ(packages[0].packetHeader[0], 0x11);

    // Size mismatch, an empty container, a count beyond the entries present,
    // and a data length beyond the file.
    Reader wrongSize(write::containerFile(0x57, {a}, 1000));
    EXPECT_EQ(readContainerFile(wrongSize.source, packages), JQ_ERR_READ);
    Reader empty(write::containerFile(0x57, {}));
    EXPECT_EQ(readContainerFile(empty.source, packages), JQ_OK);
    EXPECT_TRUE(packages.empty());
    Reader overCount(write::containerFile(0x57, {a}, std::nullopt, 3));
    EXPECT_EQ(readContainerFile(overCount.source, packages), JQ_ERR_READ);
    EXPECT_EQ(scanContainerIndex(overCount.source, items, declared), JQ_ERR_READ);
    EXPECT_EQ(declared, 3u);
    Bytes longData = write::containerFile(0x57, {a});
    longData[8 + 20] = 0xFF;  // data length 0x...FF
    longData[8 + 23] = 0x7F;
    Reader rl(longData);
    EXPECT_EQ(readContainerFile(rl.source, packages), JQ_ERR_READ);
}

// ---------------------------------------------------------------------------
// The package frame and the container entries on their own: truncation at
// every byte, block counts at the limit, entry lengths past the end.

// 0D 56 01 05 20 3F 85 02 06, six packet header bytes, second header 40 02
// .. .. 00 0B and two blocks: 37 bytes.
Bytes twoBlockPackage() {
    DataPackage p = objectPackage(0x56, Bytes(9, 0));
    p.countryCode = 69;
    p.hostId = 2111;
    p.updateNumber = 5;
    p.versionNumber = 2;
    p.compressMethod = 1;
    return write::encodeDataPackage(p, write::builtInDefaultBlock());
}

// A fixed header with no packet header, then a second header whose first
// two bytes are given; no payload follows.
Bytes frameOnly(uint8_t lengthHigh, uint8_t lengthLow) {
    return {0x0D, 0x56, 0, 0, 0, 0, 0, 0, 0, lengthHigh, lengthLow, 0, 0, 0, 0};
}

TEST(PackageFrame, HeadersAndExtent) {
    Bytes bytes = {0x41, 0x42, 0x43};  // the package starts at offset 3
    const Bytes package = twoBlockPackage();
    bytes.insert(bytes.end(), package.begin(), package.end());
    Reader r(bytes);
    PackageFrame frame;
    std::vector<uint8_t> packetHeader;
    ASSERT_EQ(readPackageFrame(r.source, 3, frame, &packetHeader), JQ_OK);
    EXPECT_EQ(frame.offset, 3u);
    EXPECT_EQ(frame.payloadOffset, 3u + 9 + 6 + 6);
    EXPECT_EQ(frame.payloadSize(), 16u);
    EXPECT_EQ(frame.end(), bytes.size());
    EXPECT_EQ(frame.size(), 37u);
    EXPECT_EQ(packetHeader, (Bytes{0x00, 0x00, 0x12, 0x34, 0xAB, 0xCD}));
    const PackageHeader& h = frame.header;
    EXPECT_EQ(h.TypeCode, 0x56);
    EXPECT_EQ(h.CountryCode, 69);
    EXPECT_EQ(h.HostID, 2111);
    EXPECT_EQ(h.OddEvenFlag, 1);
    EXPECT_EQ(h.UpdateNumber, 5);
    EXPECT_EQ(h.VersionNumber, 2);
    EXPECT_EQ(h.PacketHeaderLength, 6);
    EXPECT_EQ(h.CompressMethod, 1);
    EXPECT_EQ(h.PackageDataLength, 2);
    EXPECT_EQ(h.PlainPackageDataLength, 11);

    // Skipping the packet header reads the same frame.
    PackageFrame skipped;
    ASSERT_EQ(readPackageFrame(r.source, 3, skipped, nullptr), JQ_OK);
    EXPECT_EQ(skipped.end(), frame.end());
    EXPECT_EQ(skipped.header.TotalCheckSum, h.TotalCheckSum);

    // The longest packet header moves the second header by 255 bytes.
    DataPackage longest = objectPackage(0x56, {1});
    longest.packetHeader = Bytes(255, 0xEE);
    Reader rl(write::encodeDataPackage(longest, write::builtInDefaultBlock()));
    ASSERT_EQ(readPackageFrame(rl.source, 0, frame, &packetHeader), JQ_OK);
    EXPECT_EQ(packetHeader, Bytes(255, 0xEE));
    EXPECT_EQ(frame.payloadOffset, 9u + 255 + 6);
    EXPECT_EQ(frame.end(), rl.bytes.size());

    // Neither a key package nor a wrong start code is a data package.
    Reader key(Bytes{0x0D, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x8F});
    EXPECT_EQ(readPackageFrame(key.source, 0, frame, nullptr), JQ_ERR_FORMAT);
    EXPECT_EQ(readPackageFrame(r.source, 0, frame, nullptr), JQ_ERR_FORMAT);
}

TEST(PackageFrame, EveryTruncationPoint) {
    // Header bytes past the end read as 0. Cut before byte 9 the packet
    // header length reads as 0; cut before byte 17 the block count does
    // (byte 15 holds only CompressMethod): an empty payload, refused by the
    // decryption. From there on the payload is not whole and is never read.
    const Bytes whole = twoBlockPackage();
    ASSERT_EQ(whole.size(), 37u);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        Reader r(prefix);
        PackageFrame frame;
        std::vector<uint8_t> packetHeader;
        const JQStatus status = readPackageFrame(r.source, 0, frame, &packetHeader);
        std::vector<Package> packages;
        if (cut == 0) {
            EXPECT_EQ(status, JQ_ERR_FORMAT);  // the start code reads as 0
            EXPECT_EQ(readAll(prefix, packages), JQ_ERR_READ);
            continue;
        }
        ASSERT_EQ(status, JQ_OK);
        const size_t packetHeaderLength = cut > 8 ? 6 : 0;
        Bytes expectedHeader(packetHeaderLength, 0);
        for (size_t i = 9; i < cut && i < 15; ++i) expectedHeader[i - 9] = whole[i];
        EXPECT_EQ(packetHeader, expectedHeader);
        EXPECT_EQ(frame.payloadOffset, 15 + packetHeaderLength);
        EXPECT_EQ(frame.header.PackageDataLength, cut > 16 ? 2 : 0);
        EXPECT_EQ(readAll(prefix, packages), cut > 16 ? JQ_ERR_READ : JQ_ERR_DECRYPT);
        EXPECT_TRUE(packages.empty());

        // The index scan trusts the declared lengths and lists the package.
        std::vector<IndexItem> items;
        ASSERT_EQ(scanBroadcastIndex(r.source, items), JQ_OK);
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].typeCode, cut > 1 ? 0x56 : 0);
        EXPECT_EQ(items[0].packetHeader, expectedHeader);
    }
}

TEST(PackageFrame, BlockCountAtTheLimit) {
    struct Case {
        const char* name;
        uint8_t high, low;
        JQStatus expected;
        uint8_t compressMethod;
        uint16_t blocks;
    };
    const Case cases[] = {
        {"8191 blocks", 0x1F, 0xFF, JQ_OK, 0, 8191},
        {"8191 blocks, CompressMethod 3 above them", 0xDF, 0xFF, JQ_OK, 3, 8191},
        {"8192 blocks", 0x20, 0x00, JQ_ERR_FORMAT, 0, 8192},
        {"8192 blocks, CompressMethod 2", 0xA0, 0x00, JQ_ERR_FORMAT, 2, 8192},
        {"the largest 14-bit count", 0x3F, 0xFF, JQ_ERR_FORMAT, 0, 0x3FFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reader r(frameOnly(c.high, c.low));
        PackageFrame frame;
        EXPECT_EQ(readPackageFrame(r.source, 0, frame, nullptr), c.expected);
        EXPECT_EQ(frame.header.CompressMethod, c.compressMethod);
        EXPECT_EQ(frame.header.PackageDataLength, c.blocks);
        // The index scan refuses the same counts; a count it accepts may run
        // past the end of the file, where the package reader finds no whole
        // payload.
        std::vector<IndexItem> items;
        EXPECT_EQ(scanBroadcastIndex(r.source, items), c.expected);
        std::vector<Package> packages;
        if (c.expected == JQ_OK) {
            EXPECT_EQ(frame.end(), 15u + 8 * 8191);
            EXPECT_EQ(readAll(r.bytes, packages), JQ_ERR_READ);
        } else {
            EXPECT_EQ(readAll(r.bytes, packages), c.expected);
        }
    }

    // The largest payload the format allows reads whole, in five chunks.
    DataPackage largest = objectPackage(0x56, Bytes(65528 - 2, 0x5C));
    BroadcastFile file;
    file.dataPackage(largest);
    std::vector<Package> packages;
    ASSERT_EQ(readAll(file.bytes(), packages), JQ_OK);
    EXPECT_EQ(packages[0].header.PackageDataLength, 8191);
    EXPECT_EQ(packages[0].data.size(), 65528u);
    EXPECT_EQ(packages[0].data.end()[-1], 0x5C);
}

write::ContainerEntry storedEntry(Bytes data, uint16_t hostId = 0) {
    write::ContainerEntry e;
    e.hostId = hostId;
    e.countryCode = 21;
    e.headerSource = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 21, 0};
    e.data = std::move(data);
    return e;
}

TEST(ContainerEntries, StepsByTheEntryLength) {
    write::ContainerEntry a = storedEntry({1, 2, 3}, 1);
    a.gap = 4;
    write::ContainerEntry b = storedEntry({4}, 2);
    Reader r(write::containerFile(0x57, {a, b}));
    ContainerEntries entries(r.source);
    ASSERT_EQ(entries.open(), JQ_OK);
    EXPECT_EQ(entries.typeCode(), 0x57);
    EXPECT_EQ(entries.count(), 2);
    ContainerEntry entry;
    ASSERT_TRUE(entries.more());
    ASSERT_EQ(entries.next(entry), JQ_OK);
    EXPECT_EQ(entry.offset, 8u);
    EXPECT_EQ(entry.entryLength, 24u + 3 + 4);
    EXPECT_EQ(entry.hostId, 1);
    EXPECT_EQ(entry.countryCode, 21);
    EXPECT_EQ(entry.packetHeader, (Bytes{0x02, 0x01, 0x04, 0x03, 0x06, 0x05}));
    EXPECT_EQ(entry.dataLength, 3u);
    OwnedBytes data;
    ASSERT_TRUE(entries.readData(entry, data));
    EXPECT_EQ(data, (Bytes{1, 2, 3}));
    ASSERT_EQ(entries.next(entry), JQ_OK);
    EXPECT_EQ(entry.offset, 8u + 31);
    EXPECT_EQ(entry.hostId, 2);
    EXPECT_FALSE(entries.more());

    // An entry length of 0 finds the same entry again: the count, not the
    // data, says how many there are.
    write::ContainerEntry again = storedEntry({9});
    again.entryLength = 0;
    Reader ra(write::containerFile(0x57, {again}, std::nullopt, 3));
    std::vector<IndexItem> items;
    uint32_t declared = 0;
    ASSERT_EQ(scanContainerIndex(ra.source, items, declared), JQ_OK);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2].offset, 8u);
    std::vector<Package> packages;
    ASSERT_EQ(readContainerFile(ra.source, packages), JQ_OK);
    EXPECT_EQ(packages.size(), 3u);
}

TEST(ContainerEntries, LengthsPastTheEnd) {
    std::vector<IndexItem> items;
    std::vector<Package> packages;
    uint32_t declared = 0;

    // An entry length past the end: the next entry header cannot be read.
    write::ContainerEntry far = storedEntry({1});
    far.entryLength = 0xFFFFFFF0u;
    Reader rf(write::containerFile(0x57, {far, storedEntry({2})}));
    EXPECT_EQ(scanContainerIndex(rf.source, items, declared), JQ_ERR_READ);
    EXPECT_EQ(declared, 2u);
    EXPECT_EQ(readContainerFile(rf.source, packages), JQ_ERR_READ);
    EXPECT_TRUE(packages.empty());
    // ... unless it is the last entry, whose successor is never looked for.
    Reader rl(write::containerFile(0x57, {storedEntry({2}), far}));
    EXPECT_EQ(scanContainerIndex(rl.source, items, declared), JQ_OK);
    ASSERT_EQ(readContainerFile(rl.source, packages), JQ_OK);
    EXPECT_EQ(packages[1].data, Bytes{1});

    // A data length one byte past the end fails the reader, not the index
    // scan, which reads no data; one that ends with the file is whole.
    for (const int extra : {0, 1}) {
        SCOPED_TRACE(extra);
        Bytes bytes = write::containerFile(0x57, {storedEntry({1, 2, 3, 4})});
        bytes[8 + 20] = static_cast<uint8_t>(4 + extra);
        Reader r(bytes);
        EXPECT_EQ(scanContainerIndex(r.source, items, declared), JQ_OK);
        EXPECT_EQ(readContainerFile(r.source, packages), extra ? JQ_ERR_READ : JQ_OK);
    }
}

TEST(ContainerEntries, EveryTruncationPoint) {
    // Each cut keeps the container size equal to the file's, so only the
    // entry is damaged: its header must be whole for the index scan, its
    // data too for the reader.
    const Bytes whole = write::containerFile(0x57, {storedEntry({1, 2, 3, 4, 5})});
    ASSERT_EQ(whole.size(), 8u + 24 + 5);
    for (size_t cut = 8; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        Bytes bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        bytes[3] = static_cast<uint8_t>(cut);
        Reader r(bytes);
        std::vector<IndexItem> items;
        uint32_t declared = 0;
        EXPECT_EQ(scanContainerIndex(r.source, items, declared), cut < 32 ? JQ_ERR_READ : JQ_OK);
        EXPECT_EQ(declared, 1u);
        std::vector<Package> packages;
        EXPECT_EQ(readContainerFile(r.source, packages), JQ_ERR_READ);
        EXPECT_TRUE(packages.empty());
    }
}

}  // namespace
}  // namespace jq
