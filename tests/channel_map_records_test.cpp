// channel_map_records_test.cpp - the channel map parser and writer on
// hand-built groups: the four entry kinds, filler bytes, groups of mixed
// kinds, empty and short groups, every cut of a good map, and the CSV lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_run.h"
#include "records/channel_map_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

// A group: L counts the GCN and the entry bytes.
Bytes group(uint16_t gcn, const Bytes& entries) {
    Bytes out = {static_cast<uint8_t>(entries.size() + 2), static_cast<uint8_t>(gcn >> 8),
                 static_cast<uint8_t>(gcn)};
    for (uint8_t byte : entries) out.push_back(byte);
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        for (uint8_t byte : part) out.push_back(byte);
    }
    return out;
}

const Bytes kHeader = {0xCA, 0xFE, 0x77};  // CMID 0xCAFE, byte 2 unread

struct Parsed {
    ChannelMapRecord* record = new ChannelMapRecord();
    JQStatus status;
    Parsed(const Bytes& data, const Bytes& header = kHeader)
        : status(parseChannelMap({{header.data(), header.size()}, {data.data(), data.size()}, 0xF3},
                                 *record)) {}
    ~Parsed() { releaseChannelMap(record); }
    const ChannelMapGroup& at(uint32_t i) const { return record->groups[i]; }
};

// One group of every kind, each entry with LastFlag set on its last entry.
const Bytes kMixed = group(0x0101, {0x05, 0x40, 0x7F, 0xF1, 0x23, 0x45, 0x99,  // analogue, digital
                                    0x4C, 0x00, 0xD7, 0x89});  // analogue 2, filler, source

TEST(ChannelMapRecords, EachEntryNamesItsOwnKind) {
    Parsed p(kMixed);
    ASSERT_EQ(p.status, JQ_OK);
    EXPECT_EQ(p.record->CMID, 0xCAFE);
    ASSERT_EQ(p.record->count, 1u);
    const ChannelMapGroup& g = p.at(0);
    EXPECT_EQ(g.GCN, 0x0101);
    ASSERT_EQ(g.count, 4u);
    const ChannelMapEntry& analog = g.entries[0];
    EXPECT_EQ(analog.BandType, 1u);
    EXPECT_EQ(analog.AnalogCH, 5);
    EXPECT_EQ(analog.LastFlag, 0);
    const ChannelMapEntry& digital = g.entries[1];
    EXPECT_EQ(digital.BandType, 2u);
    EXPECT_EQ(digital.NID, 0x7FF1);
    EXPECT_EQ(digital.SID, 0x2345);
    EXPECT_EQ(digital.ServiceType, 0x99);
    EXPECT_EQ(digital.AnalogCH + digital.SourceType + digital.MultiCH, 0);
    EXPECT_EQ(g.entries[2].BandType, 3u);
    EXPECT_EQ(g.entries[2].AnalogCH, 0x0C);
    const ChannelMapEntry& source = g.entries[3];  // 0xD7: LastFlag, kind 0x57
    EXPECT_EQ(source.BandType, 4u);
    EXPECT_EQ(source.LastFlag, 1);
    EXPECT_EQ(source.SourceType, 0x05);
    EXPECT_EQ(source.MultiCH, 0x389);
    EXPECT_EQ(source.NID, 0);

    // A leading filler byte does not make the rest of the group filler.
    Parsed filler(group(7, {0x3F, 0x4F, 0x00, 0xBE}));
    ASSERT_EQ(filler.record->count, 1u);
    ASSERT_EQ(filler.at(0).count, 1u);
    EXPECT_EQ(filler.at(0).entries[0].AnalogCH, 0x3E);
    EXPECT_EQ(filler.at(0).entries[0].LastFlag, 1);
}

TEST(ChannelMapRecords, EmptyAndShortGroups) {
    // L = 2 and a group of filler only are not kept; L = 0 and L = 1 step by
    // L + 1 into their own GCN bytes.
    Parsed p(concat({group(1, {}), group(2, {0x3F}), group(3, {0x01}), {0x00, 0x01, 0x00},
                     group(4, {0x02})}));
    ASSERT_EQ(p.status, JQ_OK);
    ASSERT_EQ(p.record->count, 2u);
    EXPECT_EQ(p.at(0).GCN, 3);
    // {0x00} then {0x01, 0x00}: L 0 and L 1, reading GCNs across the next bytes.
    EXPECT_EQ(p.at(1).GCN, 4);

    Parsed none(group(9, {0x00}));
    EXPECT_EQ(none.status, JQ_OK);
    EXPECT_EQ(none.record->count, 0u);
    EXPECT_EQ(none.record->groups, nullptr);

    // A digital entry that runs past its group's bytes is not made, and the
    // next group is still found by L.
    Parsed overrun(concat({group(5, {0x01, 0x40, 0x11}), group(6, {0x02})}));
    ASSERT_EQ(overrun.record->count, 2u);
    EXPECT_EQ(overrun.at(0).count, 1u);
    EXPECT_EQ(overrun.at(1).GCN, 6);
}

TEST(ChannelMapRecords, StatusesAndEveryCut) {
    EXPECT_EQ(Parsed({}).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Parsed(kMixed, {}).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Parsed(kMixed, {0xCA}).status, JQ_ERR_FORMAT);

    // Entries wholly inside the cut data are kept: 1, 1, 6, 1, 1 (filler), 2
    // entry bytes after the 3-byte group header.
    const Bytes data = concat({kMixed, group(0x0202, {0x03})});
    const auto entriesAt = [](size_t cut) -> uint32_t {
        if (cut < 4) return 0;
        if (cut < 10) return 1;
        if (cut < 11) return 2;
        if (cut < 14) return 3;
        return 4;
    };
    for (size_t cut = 1; cut < data.size(); ++cut) {
        Parsed p(Bytes(data.begin(), data.begin() + cut));
        EXPECT_EQ(p.status, JQ_OK) << cut;
        const uint32_t expected = entriesAt(cut);
        ASSERT_EQ(p.record->count, expected ? 1u : 0u) << cut;
        if (expected) {
            EXPECT_EQ(p.at(0).count, expected) << cut;
        }
    }
    EXPECT_EQ(Parsed(data).record->count, 2u);
}

TEST(ChannelMapRecords, CsvLines) {
    Parsed p(concat({kMixed, group(0x0202, {0x83})}));
    test::TempFolder folder("channelmap");
    const auto path = folder.path() / "map.csv";
    {
        CsvFile out = CsvFile::create(test::toJQ(path).c_str());
        writeChannelMap(*p.record, out);
    }
    const std::string fields = "BandType,LastFlag,AnalogCH,NID,SID,ServiceType,SourceType,MultiCH\n";
    EXPECT_EQ(test::readFile(path), "CMID,0xCAFE\n"
                                    "GCN,0x0101\n" + fields +
                                        "1,0,5,0x0000,0x0000,0x00,0,0\n"
                                        "2,0,0,0x7FF1,0x2345,0x99,0,0\n"
                                        "3,0,12,0x0000,0x0000,0x00,0,0\n"
                                        "4,1,0,0x0000,0x0000,0x00,5,905\n"
                                        "\n"
                                        "GCN,0x0202\n" + fields +
                                        "1,1,3,0x0000,0x0000,0x00,0,0\n"
                                        "\n");
}

}  // namespace
}  // namespace jq::records
