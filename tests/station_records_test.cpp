// station_records_test.cpp - the station name parser and writer on hand-built
// lists: fields, name sizes, entries cut by the end of the data, and the CSV
// lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_run.h"
#include "records/station_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes entry(uint8_t xcie, uint16_t gcnWord, uint16_t mosaic, const std::string& name) {
    Bytes out = {xcie,
                 static_cast<uint8_t>(gcnWord >> 8),
                 static_cast<uint8_t>(gcnWord),
                 static_cast<uint8_t>(mosaic >> 8),
                 static_cast<uint8_t>(mosaic),
                 static_cast<uint8_t>(name.size())};
    for (char c : name) out.push_back(static_cast<uint8_t>(c));
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        for (uint8_t byte : part) out.push_back(byte);
    }
    return out;
}

struct Parsed {
    StationNameRecord* record = new StationNameRecord();
    JQStatus status;
    explicit Parsed(const Bytes& data)
        : status(parseStations({{}, {data.data(), data.size()}, 0x70}, *record)) {}
    ~Parsed() { releaseStations(record); }
    const StationEntry& at(uint32_t i) const { return record->entries[i]; }
};

// XCIESize 9 does not size the entry; bits 7-6 of the GCN word are ignored.
const Bytes kTwoStations = concat({entry(9, 0xC123, 0xBEEF, "NHK1"), entry(0, 0x0005, 1, "")});

TEST(StationRecords, FieldsAndNames) {
    Parsed p(kTwoStations);
    ASSERT_EQ(p.status, JQ_OK);
    ASSERT_EQ(p.record->count, 2u);
    EXPECT_EQ(p.at(0).XCIESize, 9);
    EXPECT_EQ(p.at(0).GCN, 0x0123);
    EXPECT_EQ(p.at(0).MosaicCode, 0xBEEF);
    EXPECT_EQ(p.at(0).NameSize, 5);  // the NUL counts
    EXPECT_EQ(std::string(p.at(0).StationName, 5), std::string("NHK1", 5));
    EXPECT_EQ(p.at(1).GCN, 5);
    EXPECT_EQ(p.at(1).NameSize, 0);
    EXPECT_EQ(p.at(1).StationName, nullptr);

    // A 255-byte name keeps 254 bytes: its NameSize 255 still counts the NUL
    // instead of wrapping to 0.
    Parsed longName(concat({entry(0, 1, 2, std::string(255, 'x')), entry(0, 7, 0, "b")}));
    ASSERT_EQ(longName.record->count, 2u);
    EXPECT_EQ(longName.at(0).NameSize, 255);
    EXPECT_EQ(std::string(longName.at(0).StationName), std::string(254, 'x'));
    EXPECT_EQ(longName.at(1).GCN, 7);  // the next entry is found after all 255 bytes
}

TEST(StationRecords, StatusesAndCutEntries) {
    EXPECT_EQ(Parsed({}).status, JQ_ERR_NULL_ARGUMENT);
    // Every cut keeps the entries wholly inside the data and succeeds.
    const size_t firstSize = 6 + 4;
    for (size_t cut = 1; cut < kTwoStations.size(); ++cut) {
        Parsed p(Bytes(kTwoStations.begin(), kTwoStations.begin() + cut));
        EXPECT_EQ(p.status, JQ_OK) << cut;
        EXPECT_EQ(p.record->count, cut >= firstSize ? 1u : 0u) << cut;
        if (cut < firstSize) {
            EXPECT_EQ(p.record->entries, nullptr) << cut;
        }
    }
}

TEST(StationRecords, CsvLines) {
    Parsed p(kTwoStations);
    test::TempFolder folder("stations");
    const auto path = folder.path() / "stations.csv";
    {
        CsvFile out = CsvFile::create(test::toJQ(path).c_str());
        writeStations(*p.record, out);
    }
    const std::string expected = std::string("XCIESize,GCN,MosaicCode,NameSize,StationName\n") +
                                 "9,0x0123,0xBEEF,5,NHK1" + std::string(1, '\0') + "\n" +
                                 "0,0x0005,0x0001,0,\n";
    EXPECT_EQ(test::readFile(path), expected);
}

}  // namespace
}  // namespace jq::records
