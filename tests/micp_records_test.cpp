// micp_records_test.cpp - the MICP block parser and writer: header fields,
// the copied block, statuses and the CSV lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_run.h"
#include "records/micp_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

struct Parsed {
    MicpBlockRecord* record = new MicpBlockRecord();
    JQStatus status;
    Parsed(const Bytes& header, const Bytes& data)
        : status(parseMicpBlock({{header.data(), header.size()}, {data.data(), data.size()}, 0xF5},
                                *record)) {}
    ~Parsed() { releaseMicpBlock(record); }
};

const Bytes kHeader = {0x00, 0x00, 0x01, 0x2C, 0x00, 0x03, 0x00, 0x02, 0xEE};

Bytes block(size_t size) {
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(i * 7);
    return out;
}

TEST(MicpRecords, FieldsAndBlock) {
    const Bytes data = block(100);
    Parsed p(kHeader, data);
    ASSERT_EQ(p.status, JQ_OK);
    EXPECT_EQ(p.record->ObjectID, 300u);
    EXPECT_EQ(p.record->TotalBlockNumber, 3);
    EXPECT_EQ(p.record->BlockNumber, 2);
    ASSERT_EQ(p.record->ObjectSize, 100);
    EXPECT_EQ(Bytes(p.record->Object, p.record->Object + 100), data);
}

TEST(MicpRecords, Statuses) {
    EXPECT_EQ(Parsed(kHeader, {}).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Parsed({}, block(4)).status, JQ_ERR_NULL_ARGUMENT);
    // Every header cut below 8 bytes is refused and leaves the record empty.
    for (size_t cut = 1; cut < 8; ++cut) {
        Parsed p(Bytes(kHeader.begin(), kHeader.begin() + cut), block(4));
        EXPECT_EQ(p.status, JQ_ERR_FORMAT) << cut;
        EXPECT_EQ(p.record->ObjectID, 0u);
        EXPECT_EQ(p.record->Object, nullptr);
    }
    Parsed one(Bytes(kHeader.begin(), kHeader.begin() + 8), block(1));
    EXPECT_EQ(one.status, JQ_OK);
    EXPECT_EQ(one.record->ObjectSize, 1);
}

TEST(MicpRecords, CsvLines) {
    Parsed p({0x80, 0x00, 0x01, 0x2C, 0xFF, 0xFF, 0xFF, 0xFE}, block(100));
    test::TempFolder folder("micp");
    const auto path = folder.path() / "micp.csv";
    {
        CsvFile out = CsvFile::create(test::toJQ(path).c_str());
        writeMicpBlock(*p.record, out);
    }
    // Block numbers print unsigned; the block bytes are not written.
    EXPECT_EQ(test::readFile(path),
              "ObjectID,TotalBlockNumber,BlockNumber,ObjectSize\n"
              "0x8000012C,65535,65534,100\n");
}

}  // namespace
}  // namespace jq::records
