// topic_message_records_test.cpp - the topic message parser and writer: the
// header fields, the repeated SMK check, short inputs, every cut of a good
// message, and the CSV lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_run.h"
#include "records/topic_message_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kHeader = {0x00, 0x05, 0x12, 0x34, 0x00, 0x02};
const Bytes kData = {0x00, 0x02, 1, 2, 3, 4, 5, 6, 7, 8};

struct Parsed {
    TopicMessageRecord* record = new TopicMessageRecord();
    JQStatus status;
    Parsed(const Bytes& header, const Bytes& data, uint8_t type = 0x6E)
        : status(parseTopicMessage({{header.data(), header.size()}, {data.data(), data.size()}, type},
                                   *record)) {}
    ~Parsed() { releaseTopicMessage(record); }
};

TEST(TopicMessageRecords, Fields) {
    Parsed p(kHeader, kData);
    ASSERT_EQ(p.status, JQ_OK);
    EXPECT_EQ(p.record->MessageID, 0);
    EXPECT_EQ(p.record->ServiceID, 5);
    EXPECT_EQ(p.record->SerialNumber, 0x1234);
    EXPECT_EQ(p.record->SMK, 0x0002);
    ASSERT_EQ(p.record->ObjectSize, 8);
    EXPECT_EQ(Bytes(p.record->Object, p.record->Object + 8), Bytes(kData.begin() + 2, kData.end()));

    Bytes longHeader = kHeader;
    longHeader.insert(longHeader.end(), {0xEE, 0xFF});  // bytes past 6 are ignored
    Parsed onlySmk(longHeader, {0x00, 0x02}, 0x61);
    ASSERT_EQ(onlySmk.status, JQ_OK);
    EXPECT_EQ(onlySmk.record->ObjectSize, 0);
    EXPECT_EQ(onlySmk.record->Object, nullptr);
}

TEST(TopicMessageRecords, Statuses) {
    EXPECT_EQ(Parsed(kHeader, {}).status, 17);
    EXPECT_EQ(Parsed({}, kData).status, 17);
    EXPECT_EQ(Parsed({0, 5, 0x12, 0x34, 0}, kData).status, 21);
    EXPECT_EQ(Parsed(kHeader, {0x00}).status, 21);  // too short for the SMK word
    for (uint8_t type : {0x61, 0x6E}) {
        Parsed p(kHeader, {0x00, 0x03, 9}, type);
        EXPECT_EQ(p.status, 0xC06E);
        EXPECT_EQ(p.record->SerialNumber, 0x1234);  // header fields kept
        EXPECT_EQ(p.record->Object, nullptr);
    }
    EXPECT_EQ(Parsed(kHeader, {0x01, 0x02}).status, 0xC06E);
}

TEST(TopicMessageRecords, EveryCut) {
    for (size_t cut = 0; cut < kHeader.size(); ++cut) {
        EXPECT_EQ(Parsed(Bytes(kHeader.begin(), kHeader.begin() + cut), kData).status,
                  cut == 0 ? 17 : 21);
    }
    for (size_t cut = 0; cut <= kData.size(); ++cut) {
        Parsed p(kHeader, Bytes(kData.begin(), kData.begin() + cut));
        EXPECT_EQ(p.status, cut == 0 ? 17 : cut == 1 ? 21 : 0) << cut;
        if (cut >= 2) {
            EXPECT_EQ(p.record->ObjectSize, static_cast<int32_t>(cut - 2));
        }
    }
}

TEST(TopicMessageRecords, CsvLines) {
    Parsed p(kHeader, kData);
    test::TempFolder folder("topicmessage");
    const auto path = folder.path() / "message.csv";
    {
        CsvFile out = CsvFile::create(test::toJQ(path).c_str());
        writeTopicMessage(*p.record, out);
    }
    EXPECT_EQ(test::readFile(path),
              "MessageID,ServiceID,SerialNumber,SMK,ObjectSize\n0x00,0x05,0x1234,0x0002,8\n");
}

}  // namespace
}  // namespace jq::records
