// code_download_records_test.cpp - the code download parser and writer on
// hand-built packages: fields, statuses, every cut of a good package, the
// dispatch slot and the CSV lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_run.h"
#include "dispatch.h"
#include "records/code_download_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kType = 0x5B;

RecordInput input(const Bytes& header, const Bytes& data) {
    return {{header.data(), header.size()}, {data.data(), data.size()}, kType};
}

// CodeID 0x1234, version 2.7, piece 3 of 9; bytes 6-7 are not read.
const Bytes kHeader = {0x12, 0x34, 2, 7, 9, 3, 0xEE, 0xFF};

// The descriptor and the piece; unread descriptor bytes are 0xAA.
Bytes codeData(const Bytes& piece, uint16_t dataSize) {
    Bytes out = {0x01, 0x02, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xBE, 0xEF, 0xFE, 0xDC, 0xBA, 0x98,
                 static_cast<uint8_t>(dataSize >> 8), static_cast<uint8_t>(dataSize)};
    out.reserve(out.size() + piece.size());
    for (uint8_t byte : piece) out.push_back(byte);
    return out;
}

struct Parsed {
    CodeDownloadRecord* record = new CodeDownloadRecord();
    JQStatus status;
    Parsed(const Bytes& header, const Bytes& data)
        : status(parseCodeDownload(input(header, data), *record)) {}
    ~Parsed() { releaseCodeDownload(record); }
};

TEST(CodeDownloadRecords, FieldsAndPiece) {
    Parsed p(kHeader, codeData({7, 8, 9, 0x55, 0x66}, 3));  // two bytes after the piece
    ASSERT_EQ(p.status, JQ_OK);
    const CodeDownloadRecord& r = *p.record;
    EXPECT_EQ(r.CodeID, 0x1234);
    EXPECT_EQ(r.MajorVer, 2);
    EXPECT_EQ(r.MinorVer, 7);
    EXPECT_EQ(r.TotalFileNum, 9);
    EXPECT_EQ(r.FileNum, 3);
    EXPECT_EQ(r.FileInfoSize, 0x0102);
    EXPECT_EQ(r.CRC, 0xBEEF);
    EXPECT_EQ(r.CodeOffset, 0xFEDCBA98u);
    EXPECT_EQ(r.DataSize, 3);
    ASSERT_NE(r.CodeData, nullptr);
    EXPECT_EQ(Bytes(r.CodeData, r.CodeData + 3), (Bytes{7, 8, 9}));

    Parsed empty(Bytes(kHeader.begin(), kHeader.begin() + 6), codeData({}, 0));
    ASSERT_EQ(empty.status, JQ_OK);
    EXPECT_EQ(empty.record->DataSize, 0);
    EXPECT_EQ(empty.record->CodeData, nullptr);
}

TEST(CodeDownloadRecords, StatusesAndEveryCut) {
    EXPECT_EQ(Parsed(kHeader, {}).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Parsed({}, codeData({1}, 1)).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Parsed({1, 2, 3, 4, 5}, codeData({1}, 1)).status, JQ_ERR_FORMAT);

    // A descriptor or piece cut anywhere is refused, and no piece is kept.
    const Bytes good = codeData({1, 2, 3, 4}, 4);
    for (size_t cut = 1; cut < good.size(); ++cut) {
        Parsed p(kHeader, Bytes(good.begin(), good.begin() + cut));
        EXPECT_EQ(p.status, JQ_ERR_FORMAT) << cut;
        EXPECT_EQ(p.record->CodeData, nullptr) << cut;
    }
    EXPECT_EQ(Parsed(kHeader, good).status, JQ_OK);
    // The largest DataSize with the data one byte short.
    EXPECT_EQ(Parsed(kHeader, codeData(Bytes(0xFFFE, 1), 0xFFFF)).status, JQ_ERR_FORMAT);
    EXPECT_EQ(Parsed(kHeader, codeData(Bytes(0xFFFF, 1), 0xFFFF)).status, JQ_OK);
}

TEST(CodeDownloadRecords, DispatchAndCsvLines) {
    Package package;
    package.header.TypeCode = kType;
    package.packetHeader = kHeader;
    package.data = codeData({7, 8, 9}, 3);
    ParseElement element{};
    ASSERT_EQ(dispatchPackage(package, element), JQ_OK);
    ASSERT_NE(element.codeDownload, nullptr);
    const void* record = nullptr;
    const CsvWriter writer = csvWriterFor(element, record);
    ASSERT_NE(writer, nullptr);

    test::TempFolder folder("codedownload");
    const auto path = folder.path() / "code.csv";
    {
        CsvFile out = CsvFile::create(test::toJQ(path).c_str());
        writer(record, out);
        Parsed empty(kHeader, codeData({}, 0));
        writeCodeDownload(*empty.record, out);
    }
    releaseParseElement(element);
    const std::string fields =
        "CodeID,MajorVer,MinorVer,TotalFileNum,FileNum,FileInfoSize,CRC,CodeOffset,DataSize\n";
    EXPECT_EQ(test::readFile(path), fields + "0x1234,2,7,9,3,258,0xBEEF,0xFEDCBA98,3\n" + fields +
                                        "0x1234,2,7,9,3,258,0xBEEF,0xFEDCBA98,0\n");
}

}  // namespace
}  // namespace jq::records
