// area_records_test.cpp - the area code list parsers and writers on
// hand-built data: entry decoding, grouping, statuses, every cut of good
// data, the dispatch slots and the CSV lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_run.h"
#include "dispatch.h"
#include "records/area_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

RecordInput input(const Bytes& data, uint8_t type) {
    return {{}, {data.data(), data.size()}, type};
}

// A single code (3 bytes) or a range (6 bytes); noise sets the ignored bits.
Bytes code(uint32_t lower, bool end, uint8_t noise = 0) {
    return {static_cast<uint8_t>(noise | (end ? 0x20 : 0) | ((lower >> 16) & 1)),
            static_cast<uint8_t>(lower >> 8), static_cast<uint8_t>(lower)};
}
Bytes range(uint32_t lower, uint32_t upper, bool end) {
    return {static_cast<uint8_t>(0x10 | (end ? 0x20 : 0) | ((lower >> 16) & 1)),
            static_cast<uint8_t>(lower >> 8),
            static_cast<uint8_t>(lower),
            static_cast<uint8_t>(0xFE | ((upper >> 16) & 1)),
            static_cast<uint8_t>(upper >> 8),
            static_cast<uint8_t>(upper)};
}
Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

template <typename Record, JQStatus (*Parse)(const RecordInput&, Record&), void (*Release)(Record*),
          uint8_t Type>
struct Parsed {
    Record* record = new Record();
    JQStatus status;
    explicit Parsed(const Bytes& data) : status(Parse(input(data, Type), *record)) {}
    ~Parsed() { Release(record); }
};
using Codes = Parsed<AreaCodeList, parseAreaCodes, releaseAreaCodes, 0x71>;
using Cmids = Parsed<CmidAreaRecord, parseCmidAreas, releaseCmidAreas, 0x72>;
using Offsets = Parsed<TimeOffsetAreaRecord, parseTimeOffsetAreas, releaseTimeOffsetAreas, 0x7E>;

TEST(AreaRecords, EntryDecodingAndListEnd) {
    // Ignored bits set everywhere; the list ends at the end bit.
    Codes p(join({code(0x1ABCD, false, 0xCE), range(0x1FFFF, 0x00012, true), code(7, true)}));
    ASSERT_EQ(p.status, JQ_OK);
    ASSERT_EQ(p.record->count, 2u);
    const AreaCodeEntry& a = p.record->entries[0];
    EXPECT_EQ(a.EndIndicator, 0);
    EXPECT_EQ(a.Ranged, 0);
    EXPECT_EQ(a.LowerAreaCode, 0x1ABCDu);
    EXPECT_EQ(a.UpperAreaCode, 0x1ABCDu);
    const AreaCodeEntry& b = p.record->entries[1];
    EXPECT_EQ(b.EndIndicator, 1);
    EXPECT_EQ(b.Ranged, 1);
    EXPECT_EQ(b.LowerAreaCode, 131071u);
    EXPECT_EQ(b.UpperAreaCode, 0x12u);

    Codes noEnd(join({code(1, false), code(2, false)}));  // runs to the end of the data
    ASSERT_EQ(noEnd.record->count, 2u);
    EXPECT_EQ(noEnd.record->entries[1].LowerAreaCode, 2u);
}

TEST(AreaRecords, GroupsFollowTheirLists) {
    Cmids c(join({{0x12, 0x34}, code(5, true), {0xAB, 0xCD}, range(1, 9, false), code(3, false)}));
    ASSERT_EQ(c.status, JQ_OK);
    ASSERT_EQ(c.record->count, 2u);
    EXPECT_EQ(c.record->groups[0].CMID, 0x1234);
    EXPECT_EQ(c.record->groups[0].count, 1u);
    EXPECT_EQ(c.record->groups[1].CMID, 0xABCD);
    ASSERT_EQ(c.record->groups[1].count, 2u);
    EXPECT_EQ(c.record->groups[1].entries[0].UpperAreaCode, 9u);

    // Offset byte 0xDB: bit 7 ignored, half hour 1, DST 0, polarity 1, offset 11.
    Offsets o(join({{0xDB}, code(4, true), {0x25}}));  // the last group has no entries
    ASSERT_EQ(o.status, JQ_OK);
    ASSERT_EQ(o.record->count, 2u);
    const TimeOffsetAreaList& g = o.record->groups[0];
    EXPECT_EQ(g.HalfHourOffset, 1);
    EXPECT_EQ(g.DaylightSaving, 0);
    EXPECT_EQ(g.OffsetPolarity, 1);
    EXPECT_EQ(g.Offset, 11);
    EXPECT_EQ(g.count, 1u);
    EXPECT_EQ(o.record->groups[1].DaylightSaving, 1);
    EXPECT_EQ(o.record->groups[1].Offset, 5);
    EXPECT_EQ(o.record->groups[1].count, 0u);
    EXPECT_EQ(o.record->groups[1].entries, nullptr);
}

TEST(AreaRecords, Statuses) {
    EXPECT_EQ(Codes({}).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Cmids({}).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Offsets({}).status, JQ_ERR_EXCEPTION);
    // A CMID with nothing after it fails the whole package, groups built so far released.
    EXPECT_EQ(Cmids(join({{0, 1}, code(1, true), {0, 2}})).status, JQ_ERR_NULL_ARGUMENT);
}

TEST(AreaRecords, CutEntriesEndTheList) {
    const Bytes list = join({code(1, false), range(2, 3, false), code(4, true)});
    const uint32_t wholeAt[] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 2, 2, 2, 3};
    for (size_t cut = 1; cut <= list.size(); ++cut) {
        Codes p(Bytes(list.begin(), list.begin() + cut));
        ASSERT_EQ(p.status, JQ_OK) << cut;
        EXPECT_EQ(p.record->count, wholeAt[cut]) << cut;
    }
    // Cut bytes after a list never start another group.
    const Bytes cmid = join({{0, 1}, code(1, true), {0, 2}, range(2, 3, false), code(4, true)});
    for (size_t cut = 1; cut <= cmid.size(); ++cut) {
        Cmids p(Bytes(cmid.begin(), cmid.begin() + cut));
        if (cut == 2 || cut == 7) {
            EXPECT_EQ(p.status, JQ_ERR_NULL_ARGUMENT) << cut;  // a CMID without a list
            continue;
        }
        ASSERT_EQ(p.status, JQ_OK) << cut;
        EXPECT_EQ(p.record->count, cut < 7 ? (cut < 2 ? 0u : 1u) : 2u) << cut;
    }
    const Bytes offsets = join({{1}, range(2, 3, true), {2}, code(4, true)});
    for (size_t cut = 1; cut <= offsets.size(); ++cut) {
        Offsets p(Bytes(offsets.begin(), offsets.begin() + cut));
        ASSERT_EQ(p.status, JQ_OK) << cut;
        EXPECT_EQ(p.record->count, cut < 8 ? 1u : 2u) << cut;
        EXPECT_EQ(p.record->groups[0].count, cut < 7 ? 0u : 1u) << cut;
    }
}

std::string dump(const Package& package) {
    ParseElement element{};
    EXPECT_EQ(dispatchPackage(package, element), JQ_OK);
    const void* record = nullptr;
    const CsvWriter writer = csvWriterFor(element, record);
    EXPECT_NE(writer, nullptr);
    test::TempFolder folder("areas");
    const auto path = folder.path() / "areas.csv";
    {
        CsvFile out = CsvFile::create(test::toJQ(path).c_str());
        if (writer != nullptr) writer(record, out);
    }
    releaseParseElement(element);
    return test::readFile(path);
}

Package package(uint8_t type, const Bytes& data) {
    Package p;
    p.header.TypeCode = type;
    p.data = data;
    return p;
}

TEST(AreaRecords, DispatchAndCsvLines) {
    const std::string fields = "EndIndicator,Ranged,LowerAreaCode,UpperAreaCode\n";
    EXPECT_EQ(dump(package(0x71, join({code(5, false), range(0x1FFFF, 6, true)}))),
              fields + "0,0,5,5\n\n" + fields + "1,1,131071,6\n\n");
    EXPECT_EQ(dump(package(0x72, join({{0x12, 0x34}, code(5, true), {0, 9}, code(6, false)}))),
              "CMID,4660\n" + fields + "1,0,5,5\n\nCMID,9\n" + fields + "0,0,6,6\n\n");
    EXPECT_EQ(dump(package(0x7E, join({{0x79}, code(5, false), code(6, true), {0}}))),
              "HalfHourOffset,DaylightSaving,OffsetPolarity,Offset\n1,1,1,9\n" + fields +
                  "0,0,5,5\n" + fields + "1,0,6,6\n\n" +
                  "HalfHourOffset,DaylightSaving,OffsetPolarity,Offset\n0,0,0,0\n\n");
}

}  // namespace
}  // namespace jq::records
