// Tests of the object and mosaic record parsers, including every prefix of
// valid input.
#include <gtest/gtest.h>

#include <vector>

#include "records/mosaic_records.h"
#include "records/object_records.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

RecordInput input(const Bytes& header, const Bytes& data, uint8_t type) {
    return {{header.data(), header.size()}, {data.data(), data.size()}, type};
}

struct ObjectHolder {
    ObjectRecord* record = new ObjectRecord();
    ~ObjectHolder() { releaseObject(record); }
};

TEST(ObjectRecords, FieldsAndStatuses) {
    const Bytes header = {0x12, 0x34, 0x56, 0x78, 0xAB, 0xCD, 0xEE, 0xFF};  // bytes 6-7 ignored
    {
        ObjectHolder h;
        ASSERT_EQ(parseObject56(input(header, {0xAB, 0xCD, 1, 2, 3}, 0x56), *h.record), JQ_OK);
        EXPECT_EQ(h.record->id, 0x12345678u);
        EXPECT_EQ(h.record->crm, 0xABCD);
        EXPECT_EQ(h.record->objectSize, 3);
        EXPECT_EQ(h.record->object[2], 3);
    }
    {
        ObjectHolder h;  // only the repeated CRM: an empty object
        ASSERT_EQ(parseObjectShared(input(header, {0xAB, 0xCD}, 0x57), *h.record), JQ_OK);
        EXPECT_EQ(h.record->objectSize, 0);
        EXPECT_EQ(h.record->object, nullptr);
    }
    struct Case {
        Bytes header;
        Bytes data;
        JQStatus for56;
        JQStatus forShared;
    };
    const Case cases[] = {
        {header, {}, 17, 17},                             // no data
        {{}, {0xAB, 0xCD}, 17, 17},                       // no packet header
        {{1, 2, 3, 4, 5}, {0xAB, 0xCD}, 21, 21},          // packet header too short
        {header, {0xAB}, 0xC056, 0xC0D7},                 // one byte cannot repeat the CRM
        {header, {0xAB, 0xCE, 9}, 0xC056, 0xC0D7},        // second CRM byte differs
        {header, {0xAC, 0xCD, 9}, 0xC056, 0xC0D7},        // first CRM byte differs
    };
    for (const Case& c : cases) {
        ObjectHolder a, b;
        EXPECT_EQ(parseObject56(input(c.header, c.data, 0x56), *a.record), c.for56);
        EXPECT_EQ(parseObjectShared(input(c.header, c.data, 0xD7), *b.record), c.forShared);
        if (c.for56 >= 0xC000) {
            EXPECT_EQ(a.record->id, 0x12345678u);  // kept on a content error
            EXPECT_EQ(a.record->crm, 0xABCD);
        }
    }
}

TEST(MosaicRecords, FieldsAndStatuses) {
    MosaicRecord* record = new MosaicRecord();
    ASSERT_EQ(parseMosaic(input({0xBE, 0xEF, 0x01}, {4, 5, 6}, 0x58), *record), JQ_OK);
    EXPECT_EQ(record->MosaicCode, 0xBEEF);
    EXPECT_EQ(record->DataSize, 3u);
    EXPECT_EQ(record->block[0], 4);
    releaseMosaic(record);
    releaseMosaic(nullptr);

    MosaicRecord empty{};
    EXPECT_EQ(parseMosaic(input({0xBE, 0xEF}, {}, 0x54), empty), JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(parseMosaic(input({}, {1}, 0x54), empty), JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(parseMosaic(input({0xBE}, {1}, 0x54), empty), JQ_ERR_FORMAT);
    EXPECT_EQ(empty.block, nullptr);
}

TEST(RecordParsers, EveryPrefixFailsCleanly) {
    const Bytes header = {0x12, 0x34, 0x56, 0x78, 0xAB, 0xCD};
    const Bytes data = {0xAB, 0xCD, 1, 2, 3, 4};
    for (size_t h = 0; h <= header.size(); ++h) {
        for (size_t d = 0; d <= data.size(); ++d) {
            const Bytes hp(header.begin(), header.begin() + h);
            const Bytes dp(data.begin(), data.begin() + d);
            ObjectHolder o;
            const JQStatus objectStatus = parseObject56(input(hp, dp, 0x56), *o.record);
            EXPECT_EQ(objectStatus == JQ_OK, h == header.size() && d >= 2) << h << "," << d;
            MosaicRecord* m = new MosaicRecord();
            const JQStatus mosaicStatus = parseMosaic(input(hp, dp, 0x54), *m);
            EXPECT_EQ(mosaicStatus == JQ_OK, h >= 2 && d >= 1) << h << "," << d;
            releaseMosaic(m);
        }
    }
}

}  // namespace
}  // namespace jq::records
