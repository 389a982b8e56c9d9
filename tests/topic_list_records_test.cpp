// topic_list_records_test.cpp - the topic list parsers and writers on
// hand-built entries: both category layouts, leading numbers, empty and
// over-long texts, entries that run past the data, every cut of a good list,
// and the CSV lines with their zero bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_run.h"
#include "records/topic_list_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kHeader = {0x00, 0x38};  // major category 7
const Bytes kEntry62 = {0x05, 0x0A, 0x02, 0x41, 0x42, 0x00, 0x03, 0x12, 0x34, 0x07};
const Bytes kEntry6F = {0x05, 0x08, 0x02, 0x02, 0x41, 0x42, 0x00, 0x03, 0x12, 0x34, 0x07, 0x09};
const Bytes kEmpty6F = {0xFF, 0xFF, 0x03, 0xF8, 0x00, 0x00, 0x00, 0x00, 0x01};

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

struct Parsed {
    TopicListRecord* record = new TopicListRecord();
    JQStatus status;
    Parsed(uint8_t type, const Bytes& data, const Bytes& header = kHeader)
        : status((type == 0x62 ? parseTopicList62 : parseTopicList6F)(
              {{header.data(), header.size()}, {data.data(), data.size()}, type}, *record)) {}
    ~Parsed() { releaseTopicList(record); }
    const TopicListEntry& at(int32_t i) const { return record->Entries[i]; }
    std::string title(int32_t i) const {
        return std::string(reinterpret_cast<const char*>(at(i).Title), at(i).TitleLength);
    }
};

TEST(TopicListRecords, FieldsOfBothLayouts) {
    Parsed packed(0x62, kEntry62);
    ASSERT_EQ(packed.status, JQ_OK);
    EXPECT_EQ(packed.record->MajorCategoryID, 7);  // from the header, not the entries
    ASSERT_EQ(packed.record->EntryCount, 1);
    EXPECT_EQ(packed.at(0).LeadingValue, 5);
    EXPECT_EQ(packed.at(0).MajorCategoryID, 1);
    EXPECT_EQ(packed.at(0).MinorCategoryID, 2);
    EXPECT_EQ(packed.title(0), std::string("AB\0", 3));
    EXPECT_EQ(packed.at(0).Details, nullptr);
    EXPECT_EQ(packed.at(0).ObjectLength, 3);
    EXPECT_EQ(packed.at(0).ObjectID, 0x1234);
    EXPECT_EQ(packed.at(0).ServiceID, 7);
    EXPECT_EQ(packed.at(0).MessageID, 0);

    Parsed split(0x6F, concat({kEntry6F, kEmpty6F}));
    ASSERT_EQ(split.status, JQ_OK);
    ASSERT_EQ(split.record->EntryCount, 2);
    EXPECT_EQ(split.at(0).MajorCategoryID, 1);
    EXPECT_EQ(split.at(0).MinorCategoryID, 2);
    EXPECT_EQ(split.at(0).MessageID, 9);
    EXPECT_EQ(split.at(0).Object[2], 7);
    const TopicListEntry& empty = split.at(1);
    EXPECT_EQ(empty.LeadingValue, 513);
    EXPECT_EQ(empty.MajorCategoryID, 31);  // low three bits ignored
    EXPECT_EQ(empty.MinorCategoryID, 0);
    EXPECT_EQ(empty.TitleLength + empty.DetailsLength + empty.ObjectLength, 0);
    EXPECT_EQ(empty.Title, nullptr);
    EXPECT_EQ(empty.Details, nullptr);
    EXPECT_EQ(empty.Object, nullptr);
    EXPECT_EQ(empty.ObjectID, 0);
    EXPECT_EQ(empty.MessageID, 1);
    EXPECT_EQ(Parsed(0x62, {0xFE, 0x00, 0x00, 0x00, 0x00}).at(0).LeadingValue, 254);
}

TEST(TopicListRecords, LongTextsKeepTheirTerminator) {
    Bytes data = {0x01, 0x08, 0x00, 0xFF};
    data.insert(data.end(), 255, 'T');
    data.push_back(0xFE);
    data.insert(data.end(), 254, 'D');
    data.insert(data.end(), {0x00, 0x00});
    Parsed p(0x6F, data);
    ASSERT_EQ(p.status, JQ_OK);
    EXPECT_EQ(p.at(0).TitleLength, 255);  // 254 bytes kept and the zero byte
    EXPECT_EQ(p.title(0), std::string(254, 'T') + '\0');
    EXPECT_EQ(p.at(0).DetailsLength, 255);
    EXPECT_EQ(p.at(0).Details[253], 'D');
    EXPECT_EQ(p.at(0).Details[254], 0);
}

TEST(TopicListRecords, Statuses) {
    EXPECT_EQ(Parsed(0x62, {}).status, 17);
    EXPECT_EQ(Parsed(0x6F, kEntry6F, {}).status, 17);
    EXPECT_EQ(Parsed(0x6F, kEntry6F, {0x38}).status, 21);
    // Object references of one or two bytes cannot hold the identifiers.
    EXPECT_EQ(Parsed(0x62, {0x01, 0x00, 0x00, 0x00, 0x02, 0x12, 0x34}).status, 21);
    EXPECT_EQ(Parsed(0x62, {0x01, 0x00, 0x00, 0x00, 0x01, 0x12}).status, 21);
    // A broken entry after a good one: the good one is kept.
    Parsed p(0x62, concat({kEntry62, {0x01, 0x00, 0x05, 0x41}}));
    EXPECT_EQ(p.status, 21);
    ASSERT_EQ(p.record->EntryCount, 1);
    EXPECT_EQ(p.title(0), std::string("AB\0", 3));
}

TEST(TopicListRecords, EveryCutOfAGoodList) {
    for (uint8_t type : {0x62, 0x6F}) {
        const Bytes& entry = type == 0x62 ? kEntry62 : kEntry6F;
        const Bytes data = concat({entry, type == 0x62 ? Bytes{0xFF, 0x00, 0x38, 0, 0, 0} : kEmpty6F});
        for (size_t cut = 0; cut <= data.size(); ++cut) {
            Parsed p(type, Bytes(data.begin(), data.begin() + cut));
            const bool whole = cut == entry.size() || cut == data.size();
            EXPECT_EQ(p.status, cut == 0 ? 17 : whole ? 0 : 21) << int{type} << " " << cut;
            EXPECT_EQ(p.record->EntryCount, cut < entry.size() ? 0 : cut == data.size() ? 2 : 1);
        }
    }
}

std::string csv(const TopicListRecord& record, bool split) {
    test::TempFolder folder("topiclist");
    const auto path = folder.path() / "list.csv";
    {
        CsvFile out = CsvFile::create(test::toJQ(path).c_str());
        (split ? writeTopicList6F : writeTopicList62)(record, out);
    }
    return test::readFile(path);
}

TEST(TopicListRecords, CsvLines) {
    const std::string columns =
        "MajorCategoryID,MinorCategoryID,TitleLength,Title,DetailsLength,Details,ObjectLength,"
        "ObjectID,ServiceID";
    Parsed split(0x6F, concat({kEntry6F, kEmpty6F}));
    EXPECT_EQ(csv(*split.record, true), "MajorCategoryID,0x07\n" + columns + ",MessageID\n" +
                                            std::string("0x01,0x02,3,AB\0,0,,3,0x1234,0x07,0x09\n", 38) +
                                            "0x1F,0x00,0,,0,,0,0x0000,0x00,0x01\n");
    Parsed packed(0x62, kEntry62);
    EXPECT_EQ(csv(*packed.record, false), "MajorCategoryID,0x07\n" + columns + "\n" +
                                              std::string("0x01,0x02,3,AB\0,0,,3,0x1234,0x07\n", 33));
}

}  // namespace
}  // namespace jq::records
