// Tests of the decoder's exports on files written into a temporary folder:
// argument checks, list ownership, parse lists after failures, key
// parameters and CSV dumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "child_run.h"
#include "feedcore.h"
#include "jqwrite.h"
#include "test_files.h"

namespace jq {
namespace {

namespace fs = std::filesystem;
using test::JQString;
using test::toJQ;
using write::BroadcastFile;
using write::Bytes;
using write::DataPackage;

DataPackage objectPackage(uint8_t type, uint32_t id, uint16_t crm, Bytes object) {
    DataPackage p;
    p.typeCode = type;
    p.packetHeader = {uint8_t(id >> 24), uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id),
                      uint8_t(crm >> 8), uint8_t(crm)};
    p.plain = {uint8_t(crm >> 8), uint8_t(crm)};
    p.plain.insert(p.plain.end(), object.begin(), object.end());
    return p;
}

DataPackage mosaicPackage(uint8_t type, uint16_t code, Bytes block) {
    DataPackage p;
    p.typeCode = type;
    p.packetHeader = {uint8_t(code >> 8), uint8_t(code), 0xEE};
    p.plain = std::move(block);
    return p;
}

class Exports : public ::testing::Test {
protected:
    JQString file(const char* name, const Bytes& bytes) {
        return toJQ(test::writeBytes(folder_.path() / name, bytes));
    }
    JQString path(const char* name) const { return toJQ(folder_.path() / name); }
    std::string read(const char* name) const { return test::readFile(folder_.path() / name); }

    test::TempFolder folder_{"exports"};
};

// Installs a block as the default through SetDefaultGCSP, the way a host passes
// GetGCSP's bytes: bytes 0-3, 4-7 and 8-11 as three words and bytes 12-13 as
// a half word, each least significant byte first.
uint32_t installDefault(const GcspBlock& block) {
    uint8_t b[sizeof block];
    std::memcpy(b, &block, sizeof block);
    uint32_t words[3] = {};
    for (unsigned i = 0; i < 12; ++i) words[i / 4] |= uint32_t{b[i]} << (8 * (i % 4));
    return SetDefaultGCSP(words[0], words[1], words[2], uint16_t(b[12] | b[13] << 8));
}

// The default block is process-wide: a test that changes it holds one of these,
// which puts the built-in default back when the test ends, however it ends.
class RestoresBuiltInDefault {
public:
    RestoresBuiltInDefault() = default;
    RestoresBuiltInDefault(const RestoresBuiltInDefault&) = delete;
    RestoresBuiltInDefault& operator=(const RestoresBuiltInDefault&) = delete;
    ~RestoresBuiltInDefault() { installDefault(write::builtInDefaultBlock()); }
};

TEST_F(Exports, NullArgumentReturns17) {
    FileHeadInfo info;
    std::memset(&info, 0xAA, sizeof info);
    EXPECT_EQ(GetFileHeadInfo(nullptr, &info), 17u);
    EXPECT_EQ(info.HeaderLength, 0xAAAA);  // untouched
    const JQString missing = path("missing.jq");
    EXPECT_EQ(GetFileHeadInfo(missing.c_str(), nullptr), 17u);

    IndexList index{};
    ParseList parse{};
    PackageList packages{};
    GcspBlock block{};
    EXPECT_EQ(PreAnalyzeJQFile(nullptr, &index), 17u);
    EXPECT_EQ(PreAnalyzeJQFile(missing.c_str(), nullptr), 17u);
    EXPECT_EQ(AnalyzeJQFile(nullptr, &parse), 17u);
    EXPECT_EQ(AnalyzeJQFile(missing.c_str(), nullptr), 17u);
    EXPECT_EQ(DecryptJQFile(nullptr, &packages), 17u);
    EXPECT_EQ(DecryptJQFile(missing.c_str(), nullptr), 17u);
    EXPECT_EQ(AnalyzeJQFile1Pack(nullptr, 0, &parse), 17u);
    EXPECT_EQ(AnalyzeJQFile1Pack(missing.c_str(), 0, nullptr), 17u);
    EXPECT_EQ(GetGCSP(nullptr, &block), 17u);
    EXPECT_EQ(GetGCSP(missing.c_str(), nullptr), 17u);
    EXPECT_EQ(index.elements, nullptr);
    EXPECT_EQ(parse.elements, nullptr);
    EXPECT_EQ(packages.elements, nullptr);
}

TEST_F(Exports, MissingFileOrFolderReturns18) {
    const JQString missing = path("missing.jq");
    FileHeadInfo info{};
    IndexList index{};
    ParseList parse{};
    PackageList packages{};
    GcspBlock block{};
    EXPECT_EQ(GetFileHeadInfo(missing.c_str(), &info), 18u);
    EXPECT_EQ(PreAnalyzeJQFile(missing.c_str(), &index), 18u);
    EXPECT_EQ(AnalyzeJQFile(missing.c_str(), &parse), 18u);
    EXPECT_EQ(DecryptJQFile(missing.c_str(), &packages), 18u);
    EXPECT_EQ(AnalyzeJQFile1Pack(missing.c_str(), 0, &parse), 18u);
    EXPECT_EQ(GetGCSP(missing.c_str(), &block), 18u);
    // A folder is not a data file.
    EXPECT_EQ(DecryptJQFile(toJQ(folder_.path()).c_str(), &packages), 18u);
    EXPECT_EQ(index.elements, nullptr);
    EXPECT_EQ(parse.elements, nullptr);
    EXPECT_EQ(packages.elements, nullptr);
}

TEST_F(Exports, EmptyFileReturns19AndLeavesTheListsUntouched) {
    const JQString empty = file("empty.jq", {});
    FileHeadInfo info{};
    IndexList index{};
    ParseList parse{3, nullptr};
    PackageList packages{};
    GcspBlock block{};
    EXPECT_EQ(PreAnalyzeJQFile(empty.c_str(), &index), 19u);
    EXPECT_EQ(AnalyzeJQFile(empty.c_str(), &parse), 19u);
    EXPECT_EQ(DecryptJQFile(empty.c_str(), &packages), 19u);
    EXPECT_EQ(AnalyzeJQFile1Pack(empty.c_str(), 0, &parse), 19u);
    EXPECT_EQ(GetGCSP(empty.c_str(), &block), 19u);
    EXPECT_EQ(GetFileHeadInfo(empty.c_str(), &info), 19u);
    EXPECT_EQ(index.elements, nullptr);
    EXPECT_EQ(packages.elements, nullptr);
    EXPECT_EQ(parse.elements, nullptr);
    EXPECT_EQ(parse.count, 3u);
}

TEST_F(Exports, FreeingAListNeverFilledDoesNothing) {
    IndexList index{4, nullptr};
    ParseList parse{5, nullptr};
    PackageList packages{6, nullptr};
    FreeIndexList(&index);
    FreeParseList(&parse);
    FreePackageList(&packages);
    EXPECT_EQ(index.elements, nullptr);
    EXPECT_EQ(index.count, 4u);
    EXPECT_EQ(parse.elements, nullptr);
    EXPECT_EQ(parse.count, 5u);
    EXPECT_EQ(packages.elements, nullptr);
    EXPECT_EQ(packages.count, 6u);
}

TEST_F(Exports, CsvDumpWithANullArgumentWritesNothing) {
    BroadcastFile f;
    f.dataPackage(objectPackage(0x56, 0xA1, 0x1111, {9}));
    ParseList list{};
    ASSERT_EQ(AnalyzeJQFile(file("one.jq", f.bytes()).c_str(), &list), 0u);
    const JQString csv = path("out.csv");
    OutputCSVFile(nullptr, nullptr);
    OutputCSVFile(nullptr, &list.elements[0]);
    OutputCSVFile(csv.c_str(), nullptr);
    EXPECT_FALSE(fs::exists(folder_.path() / "out.csv"));
    // The same element with a path is dumped.
    OutputCSVFile(csv.c_str(), &list.elements[0]);
    EXPECT_NE(read("out.csv").find("TypeCode,0x56\n"), std::string::npos);
    FreeParseList(&list);
}

// A file header, a key package, an object package and a compressed mosaic.
struct ListedFile {
    BroadcastFile bytes;
    uint32_t first = 0;
    uint32_t second = 0;
    ListedFile() {
        bytes.fileHeader().keyPackage(write::builtInDefaultBlock());
        first = bytes.dataPackage(objectPackage(0x56, 0x01020304, 0xBEEF, {1, 2, 3}));
        DataPackage compressed = mosaicPackage(0x54, 0x4242, Bytes(5000, 7));
        compressed.compress = true;
        second = bytes.dataPackage(compressed);
    }
};

TEST_F(Exports, PackageListOwnsItsCopiesAndKeepsItsCountWhenFreed) {
    const ListedFile f;
    const JQString data = file("G001.jq", f.bytes.bytes());

    PackageList packages{};
    ASSERT_EQ(DecryptJQFile(data.c_str(), &packages), 0u);
    ASSERT_EQ(packages.count, 2u);
    EXPECT_EQ(packages.elements[0].offset, 28);
    EXPECT_EQ(uint32_t(packages.elements[0].offset), f.first);
    EXPECT_EQ(uint32_t(packages.elements[1].offset), f.second);
    EXPECT_EQ(JQString(packages.elements[1].path), data);
    EXPECT_EQ(packages.elements[1].dataLength, 5000u);
    EXPECT_EQ(packages.elements[1].UnCompressedDataLength, 5000);
    EXPECT_EQ(packages.elements[0].PacketHeaderLength, 6);
    EXPECT_EQ(packages.elements[0].packetHeader[5], 0xEF);
    EXPECT_EQ(packages.elements[0].data[2], 1);
    FreePackageList(&packages);
    EXPECT_EQ(packages.elements, nullptr);
    EXPECT_EQ(packages.count, 2u);  // the count stays
    FreePackageList(&packages);     // a second free does nothing
    EXPECT_EQ(packages.elements, nullptr);
    EXPECT_EQ(packages.count, 2u);
}

TEST_F(Exports, IndexListListsTheKeyPackageFirstAndOwnsItsCopies) {
    const JQString data = file("G001.jq", ListedFile().bytes.bytes());
    IndexList index{};
    ASSERT_EQ(PreAnalyzeJQFile(data.c_str(), &index), 0u);
    ASSERT_EQ(index.count, 3u);
    EXPECT_EQ(index.elements[0].typeCode, 0x7Fu);
    EXPECT_EQ(index.elements[0].packetHeader, nullptr);
    EXPECT_EQ(index.elements[2].packetHeaderLength, 3u);
    EXPECT_EQ(JQString(index.elements[2].path), data);
    FreeIndexList(&index);
    FreeIndexList(&index);
    EXPECT_EQ(index.elements, nullptr);
    EXPECT_EQ(index.count, 3u);
}

TEST_F(Exports, SinglePackageReaderTakesAnIndexEntrysOffset) {
    const JQString data = file("G001.jq", ListedFile().bytes.bytes());
    IndexList index{};
    ASSERT_EQ(PreAnalyzeJQFile(data.c_str(), &index), 0u);
    ASSERT_EQ(index.count, 3u);
    ParseList one{};
    ASSERT_EQ(AnalyzeJQFile1Pack(data.c_str(), index.elements[2].offset, &one), 0u);
    ASSERT_EQ(one.count, 1u);
    EXPECT_EQ(one.elements[0].recordType, 0x54u);
    ASSERT_NE(one.elements[0].mosaic54, nullptr);
    EXPECT_EQ(one.elements[0].mosaic54->MosaicCode, 0x4242);
    EXPECT_EQ(AnalyzeJQFile1Pack(data.c_str(), index.elements[0].offset, &one), 21u);
    FreeParseList(&one);
    FreeIndexList(&index);
}

TEST_F(Exports, SharedParsersFillTheirOwnSlots) {
    BroadcastFile f;
    f.dataPackage(objectPackage(0x56, 0xA1, 0x1111, {9}));
    f.dataPackage(objectPackage(0x57, 0xA2, 0x2222, {}));
    f.dataPackage(objectPackage(0xD7, 0xA3, 0x3333, {8, 8}));
    f.dataPackage(mosaicPackage(0x54, 1, {5}));
    f.dataPackage(mosaicPackage(0x58, 2, {5, 5}));
    f.dataPackage(mosaicPackage(0x5E, 3, {5, 5, 5}));
    ParseList list{};
    ASSERT_EQ(AnalyzeJQFile(file("objects.jq", f.bytes()).c_str(), &list), 0u);
    ASSERT_EQ(list.count, 6u);
    const ParseElement* e = list.elements;
    ASSERT_NE(e[0].object56, nullptr);
    EXPECT_EQ(e[0].object56->id, 0xA1u);
    EXPECT_EQ(e[0].object56->objectSize, 1);
    ASSERT_NE(e[1].object57, nullptr);
    EXPECT_EQ(e[1].object57->objectSize, 0);  // only the repeated CRM
    ASSERT_NE(e[2].objectD7, nullptr);
    EXPECT_EQ(e[2].objectD7->crm, 0x3333);
    EXPECT_EQ(e[3].mosaic54->DataSize, 1u);
    EXPECT_EQ(e[4].mosaic58->MosaicCode, 2);
    EXPECT_EQ(e[5].mosaic5E->block[2], 5);
    // Exactly one slot of each element is filled.
    for (uint32_t i = 0; i < list.count; ++i) {
        const void* const* slots = &e[i].reserved;
        int filled = 0;
        for (int s = 0; s < 26; ++s) filled += slots[s] != nullptr;
        EXPECT_EQ(filled, 1) << i;
        EXPECT_EQ(e[i].recordType, e[i].TypeCode);
    }
    FreeParseList(&list);
    FreeParseList(&list);
}

TEST_F(Exports, ParserFailureStillFillsTheList) {
    // Third of four packages has a type code without a parser.
    BroadcastFile f;
    f.dataPackage(objectPackage(0x56, 1, 0x0101, {1}));
    f.dataPackage(objectPackage(0x57, 2, 0x0202, {2}));
    DataPackage unknown = objectPackage(0x99, 3, 0x0303, {3});
    unknown.hostId = 77;
    f.dataPackage(unknown);
    f.dataPackage(objectPackage(0x56, 4, 0x0404, {4}));
    ParseList list{};
    ASSERT_EQ(AnalyzeJQFile(file("unknown.jq", f.bytes()).c_str(), &list), 21u);
    ASSERT_EQ(list.count, 4u);
    EXPECT_EQ(list.elements[1].recordType, 0x57u);
    EXPECT_EQ(list.elements[2].recordType, 0u);
    EXPECT_EQ(list.elements[2].TypeCode, 0x99);  // header fields copied all the same
    EXPECT_EQ(list.elements[2].HostID, 77);
    EXPECT_NE(list.elements[2].packetHeader, nullptr);
    EXPECT_EQ(list.elements[3].TypeCode, 0);  // after the failure: empty
    EXPECT_EQ(list.elements[3].object56, nullptr);
    FreeParseList(&list);
}

TEST_F(Exports, ContentErrorKeepsThePartlyFilledRecord) {
    // A content error keeps the partly filled record in its slot; the shared
    // parser reports 0xC0D7 for type 0x57.
    DataPackage mismatch = objectPackage(0x57, 0xCAFE, 0x1234, {1});
    mismatch.plain[0] = 0x99;
    BroadcastFile g;
    g.dataPackage(mismatch);
    ParseList list{};
    ASSERT_EQ(AnalyzeJQFile(file("mismatch.jq", g.bytes()).c_str(), &list), 0xC0D7u);
    ASSERT_NE(list.elements[0].object57, nullptr);
    EXPECT_EQ(list.elements[0].object57->id, 0xCAFEu);
    EXPECT_EQ(list.elements[0].object57->object, nullptr);
    FreeParseList(&list);
}

TEST_F(Exports, ReadingFailureLeavesTheListUntouched) {
    ParseList untouched{7, nullptr};
    BroadcastFile bad;
    DataPackage badSum = objectPackage(0x56, 1, 1, {});
    badSum.totalCheckSum = 0;
    bad.dataPackage(objectPackage(0x56, 1, 1, {}));
    bad.dataPackage(badSum);
    EXPECT_EQ(AnalyzeJQFile(file("badsum.jq", bad.bytes()).c_str(), &untouched), 0x8003u);
    EXPECT_EQ(untouched.count, 7u);
    EXPECT_EQ(untouched.elements, nullptr);
}

GcspBlock juneBlock() {
    GcspBlock june = write::builtInDefaultBlock();
    june.Month = 6;
    june.YearOffset = 37;
    june.OddKeyParameter = 0x3C;
    june.EvenKeyParameter = 0x05;
    return june;
}

TEST_F(Exports, GetGcspReadsTheFilesKeyPackageOrReturns16) {
    BroadcastFile withKeys;
    withKeys.keyPackage(juneBlock()).dataPackage(objectPackage(0x56, 1, 2, {3}));
    BroadcastFile plain;
    plain.encryptWith(juneBlock()).dataPackage(objectPackage(0x56, 1, 2, {3}));

    GcspBlock block{};
    EXPECT_EQ(GetGCSP(file("unkeyed.jq", plain.bytes()).c_str(), &block), 16u);
    ASSERT_EQ(GetGCSP(file("keyed.jq", withKeys.bytes()).c_str(), &block), 0u);
    EXPECT_EQ(block.Month, 6);
    EXPECT_EQ(block.TypeCode, 0x7F);
}

TEST_F(Exports, DefaultKeysServeOnlyFilesWithoutTheirOwn) {
    const RestoresBuiltInDefault restore;
    BroadcastFile withKeys;
    withKeys.keyPackage(juneBlock()).dataPackage(objectPackage(0x56, 1, 2, {3}));
    const JQString keyed = file("keyed.jq", withKeys.bytes());
    BroadcastFile plain;
    plain.encryptWith(juneBlock()).dataPackage(objectPackage(0x56, 1, 2, {3}));
    DataPackage even = objectPackage(0x56, 4, 5, {6});
    even.oddEvenFlag = 0;  // the even parameter, from the last word's low byte
    plain.dataPackage(even);
    const JQString unkeyed = file("unkeyed.jq", plain.bytes());

    PackageList list{};
    EXPECT_EQ(DecryptJQFile(unkeyed.c_str(), &list), 0x8003u);  // built-in default: wrong key
    // Install the file's block as the default, as a host does.
    GcspBlock block{};
    ASSERT_EQ(GetGCSP(keyed.c_str(), &block), 0u);
    EXPECT_EQ(installDefault(block), 0u);
    ASSERT_EQ(DecryptJQFile(unkeyed.c_str(), &list), 0u);
    EXPECT_EQ(list.count, 2u);
    FreePackageList(&list);
    ASSERT_EQ(DecryptJQFile(keyed.c_str(), &list), 0u);
    FreePackageList(&list);

    // Back to the built-in default: the file's own key package still wins.
    EXPECT_EQ(installDefault(write::builtInDefaultBlock()), 0u);
    ASSERT_EQ(DecryptJQFile(keyed.c_str(), &list), 0u);
    FreePackageList(&list);
    EXPECT_EQ(DecryptJQFile(unkeyed.c_str(), &list), 0x8003u);
}

TEST_F(Exports, SetDefaultGcspTakesAnyValuesAndDecodesWithThem) {
    const RestoresBuiltInDefault restore;
    // March 2000 with parameters 0x11 and 0x3F: odd word 0x44CA, even word
    // 0xFC8A (worked out by hand from the key-word rules).
    GcspBlock march2000 = write::builtInDefaultBlock();
    march2000.Month = 3;
    march2000.YearOffset = 10;
    march2000.OddKeyParameter = 0x11;
    march2000.EvenKeyParameter = 0x3F;
    BroadcastFile f;
    f.encryptWith(march2000);
    f.dataPackage(objectPackage(0x56, 1, 0x0101, {1}));
    DataPackage even = objectPackage(0x56, 2, 0x0202, {2});
    even.oddEvenFlag = 0;
    f.dataPackage(even);
    const JQString data = file("march.jq", f.bytes());
    BroadcastFile withKeys;
    withKeys.keyPackage(juneBlock()).dataPackage(objectPackage(0x56, 1, 2, {3}));
    const JQString keyed = file("keyed.jq", withKeys.bytes());
    PackageList list{};
    EXPECT_EQ(DecryptJQFile(data.c_str(), &list), 0x8003u);  // built-in default: wrong key

    // Bytes 0-4, 6 and 8-10 all 0xFF, terminator 0, month 3, year offset 110
    // (2100: year value 10), parameters 0x51 and 0xFF (0x11 and 0x3F once
    // shifted into a 16-bit word): accepted as given, and decoding with March
    // 2000's words.
    EXPECT_EQ(SetDefaultGCSP(0xFFFFFFFF, 0x6EFF03FF, 0x51FFFFFF, 0x00FF), 0u);
    ASSERT_EQ(DecryptJQFile(data.c_str(), &list), 0u);
    ASSERT_EQ(list.count, 2u);
    EXPECT_EQ(list.elements[0].data[2], 1);
    EXPECT_EQ(list.elements[1].data[2], 2);
    FreePackageList(&list);
    ASSERT_EQ(DecryptJQFile(keyed.c_str(), &list), 0u);  // a file's own block still wins
    FreePackageList(&list);

    // Month 0, year offset 0, odd parameter 0: the odd word is (0 - 1) * 64 cut
    // to 16 bits, 0xFFC0, which month 15 of 1990 with odd parameter 0x3F gives
    // too. The installed block replaces the one before.
    EXPECT_EQ(SetDefaultGCSP(0xFFFFFFFF, 0, 7, 0xFFFF), 0u);
    EXPECT_EQ(DecryptJQFile(data.c_str(), &list), 0x8003u);
    GcspBlock month15 = write::builtInDefaultBlock();
    month15.Month = 15;
    month15.YearOffset = 0;
    month15.OddKeyParameter = 0x3F;
    BroadcastFile odd;
    odd.encryptWith(month15).dataPackage(objectPackage(0x56, 3, 0x0303, {3}));
    ASSERT_EQ(DecryptJQFile(file("month15.jq", odd.bytes()).c_str(), &list), 0u);
    EXPECT_EQ(list.elements[0].data[2], 3);
    FreePackageList(&list);
}

const char kObjectHeaderLines[] =
    "StartCode,0x0D\nTypeCode,0x%s\nCountryCode,69\nHostID,0x083F\nUpdateNumber,0x05\n"
    "VersionNumber,0x02\nOddEvenFlag,0x01\nPacketHeaderLength,6\nCompressMethod,0x00\n"
    "PackageDataLength,1\nTotalCheckSum,0x%s\nPlainPackageDataLength,4\nUnCompressedDataLength,0\n\n";

std::string expectedHeader(const char* type, const char* checksum) {
    char text[600];
    std::snprintf(text, sizeof text, kObjectHeaderLines, type, checksum);
    return text;
}

// Objects of the three object types, then a mosaic block.
BroadcastFile dumpFile() {
    BroadcastFile f;
    for (uint8_t type : {0x56, 0x57, 0xD7}) {
        DataPackage p = objectPackage(type, 0x00ABCDEF, 0x0102, {0x55, 0x66});
        p.countryCode = 69;
        p.hostId = 2111;
        p.updateNumber = 5;
        p.versionNumber = 2;
        f.dataPackage(p);
    }
    f.dataPackage(mosaicPackage(0x5E, 0xBEEF, Bytes(300, 1)));
    return f;
}

TEST_F(Exports, CsvDumpOfObjectsAndMosaics) {
    ParseList list{};
    ASSERT_EQ(AnalyzeJQFile(file("dump.jq", dumpFile().bytes()).c_str(), &list), 0u);
    const JQString csv = path("out.csv");
    // Checksum: 0004 + 0102 + 5566.
    OutputCSVFile(csv.c_str(), &list.elements[0]);
    EXPECT_EQ(read("out.csv"), expectedHeader("56", "566C") + "PAID,CRM,ObjectSize\n0x00ABCDEF,0x0102,2\n");
    OutputCSVFile(csv.c_str(), &list.elements[1]);  // replaces, does not append
    EXPECT_EQ(read("out.csv"), expectedHeader("57", "566C") + "CAID,CRM,ObjectSize\n0x00ABCDEF,0x0102,2\n");
    OutputCSVFile(csv.c_str(), &list.elements[2]);
    EXPECT_EQ(read("out.csv"), expectedHeader("D7", "566C") + "PAID,CRM,ObjectSize\n0x00ABCDEF,0x0102,2\n");
    OutputCSVFile(csv.c_str(), &list.elements[3]);
    const std::string mosaic = read("out.csv");
    EXPECT_NE(mosaic.find("TypeCode,0x5E\n"), std::string::npos);
    EXPECT_NE(mosaic.find("PacketHeaderLength,3\n"), std::string::npos);
    const std::string mosaicLines = "\n\nMosaicCode,DataSize\n0xBEEF,300\n";
    EXPECT_EQ(mosaic.substr(mosaic.size() - mosaicLines.size()), mosaicLines);
    FreeParseList(&list);
}

TEST_F(Exports, CsvDumpOfAnEmptyElementIsTheHeaderLinesOnly) {
    // The thirteen header lines and the empty line.
    const JQString csv = path("out.csv");
    ParseElement empty{};
    OutputCSVFile(csv.c_str(), &empty);
    const std::string header = read("out.csv");
    EXPECT_EQ(header.rfind("UnCompressedDataLength,0\n\n"), header.size() - 26);
    EXPECT_EQ(std::count(header.begin(), header.end(), '\n'), 14);
    EXPECT_EQ(header.find('\r'), std::string::npos);
}

TEST_F(Exports, CsvDumpFollowsTheRecordTypeNotTheTypeCode) {
    ParseList list{};
    ASSERT_EQ(AnalyzeJQFile(file("dump.jq", dumpFile().bytes()).c_str(), &list), 0u);
    const JQString csv = path("out.csv");
    ParseElement relabelled = list.elements[1];
    relabelled.recordType = 0x56;
    relabelled.object56 = relabelled.object57;
    relabelled.object57 = nullptr;
    OutputCSVFile(csv.c_str(), &relabelled);
    EXPECT_NE(read("out.csv").find("TypeCode,0x57\n"), std::string::npos);
    EXPECT_NE(read("out.csv").find("PAID,CRM"), std::string::npos);
    FreeParseList(&list);
}

TEST_F(Exports, SchedulesFillTheirSlotsAndDump) {
    // One item without texts: start 0x0258, categories, feature, ShowID,
    // empty title and details, booking code "42", minor category 3.
    const Bytes item{15, 0x02, 0x58, 0x12, 0x00, 0x00, 0x00, 0x07, 0, 0, 0, 0, 0, 1, 0x42, 0x03};
    BroadcastFile f;
    for (const uint8_t type : {0x4C, 0x4D, 0x51}) {
        DataPackage p;
        p.typeCode = type;
        p.packetHeader = {0x01, 0x02, 0x2D, 0x4B, 0x00, 0x05};
        p.plain = item;
        p.compress = type == 0x4C;
        f.dataPackage(p);
    }
    ParseList list{};
    ASSERT_EQ(AnalyzeJQFile(file("schedule.jq", f.bytes()).c_str(), &list), 0u);
    ASSERT_EQ(list.count, 3u);
    ASSERT_NE(list.elements[0].scheduleL, nullptr);
    ASSERT_NE(list.elements[1].scheduleM, nullptr);
    ASSERT_NE(list.elements[2].scheduleQ, nullptr);
    EXPECT_EQ(list.elements[2].scheduleQ->SIEList[0].ShowID, 7u);

    const JQString csv = path("schedule.csv");
    OutputCSVFile(csv.c_str(), &list.elements[1]);
    const std::string lines =
        "\n\nGCN,JulianDay,JDYear,JDMonth,JDDay,SectorNumber,SIEListSize\n0x0102,11595,2023,9,29,5,1\n"
        "SIESize,StartMinute,MajorCategory,SpecialCategory,Feature,ShowID,TitleLength,Title,"
        "Lv1DetaileLength,Lv1Detail,Lv2DetaileLength,Lv2Detail,BookCodeLength,BookCode,"
        "MinorCategory,AuxListSize\n15,600,0x01,0x02,0,0x000007,0,,0,,0,,3," +
        std::string("42\0", 3) + ",0x03,0\n";
    const std::string dumped = read("schedule.csv");
    ASSERT_GE(dumped.size(), lines.size());
    EXPECT_EQ(dumped.substr(dumped.size() - lines.size()), lines);
    FreeParseList(&list);
}

}  // namespace
}  // namespace jq
