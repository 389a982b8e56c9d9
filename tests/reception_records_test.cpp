// reception_records_test.cpp - the reception rule parser and writer on
// hand-built packages: services and descriptions, statuses, every cut of a
// good package, both type codes and the CSV lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_run.h"
#include "dispatch.h"
#include "records/reception_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kServicesHeader = {0x07, 'R', 0xEE};
const Bytes kDescriptionHeader = {0x08, 'u'};

// NID 0x0102, SID 0x0304, tag 0x05, two schedules: update, day 6, 0x5A5
// minutes, 30; day 1, 90 minutes (bit 6 set, ignored), 255.
const Bytes kServices = {0x01, 0x02, 0x03, 0x04, 0x05, 2, 0xB5, 0xA5, 30, 0x48, 90, 255,
                         0xAA, 0xBB, 0xCC, 0xDD, 0x10, 0};
// GCN 0x1111, NID 0x2222, SID 0x3333, text "ab", two graphics references.
const Bytes kDescription = {0x11, 0x11, 0x22, 0x22, 0x33, 0x33, 2, 'a', 'b', 2, 1, 2, 3, 4};

struct Parsed {
    ReceptionRecord* record = new ReceptionRecord();
    JQStatus status;
    Parsed(const Bytes& header, const Bytes& data, uint8_t type = 0x75)
        : status(parseReception(
              {{header.data(), header.size()}, {data.data(), data.size()}, type}, *record)) {}
    ~Parsed() { releaseReception(record); }
};

TEST(ReceptionRecords, ServicesAndSchedules) {
    Parsed p(kServicesHeader, kServices);
    ASSERT_EQ(p.status, JQ_OK);
    EXPECT_EQ(p.record->ReceptRule, 7);
    EXPECT_EQ(p.record->InfoType, 'R');
    EXPECT_EQ(p.record->description, nullptr);
    ASSERT_EQ(p.record->serviceCount, 2u);
    const ReceptionService& s = p.record->services[0];
    EXPECT_EQ(s.NID, 0x0102);
    EXPECT_EQ(s.SID, 0x0304);
    EXPECT_EQ(s.ComponentTag, 5);
    ASSERT_EQ(s.SCCount, 2);
    const ReceptionSchedule& a = s.schedules[0];
    EXPECT_EQ(a.UpdateFlag, 1);
    EXPECT_EQ(a.DayOfWeek, 6u);
    EXPECT_EQ(a.ScheduleTime, 0x5A5);
    EXPECT_EQ(a.ScheduleTimeHour, 24);
    EXPECT_EQ(a.ScheduleTimeMin, 5);
    EXPECT_EQ(a.ScheduleDuration, 30);
    const ReceptionSchedule& b = s.schedules[1];
    EXPECT_EQ(b.UpdateFlag, 0);
    EXPECT_EQ(b.DayOfWeek, 1u);
    EXPECT_EQ(b.ScheduleTime, 90);
    EXPECT_EQ(b.ScheduleTimeHour, 1);
    EXPECT_EQ(b.ScheduleTimeMin, 30);
    EXPECT_EQ(p.record->services[1].SCCount, 0);
    EXPECT_EQ(p.record->services[1].schedules, nullptr);
}

TEST(ReceptionRecords, Description) {
    Parsed p(kDescriptionHeader, kDescription, 0x85);
    ASSERT_EQ(p.status, JQ_OK);
    ASSERT_NE(p.record->description, nullptr);
    const ReceptionDescription& d = *p.record->description;
    EXPECT_EQ(d.GCN, 0x1111);
    EXPECT_EQ(d.NID, 0x2222);
    EXPECT_EQ(d.SID, 0x3333);
    EXPECT_EQ(d.DescTextSize, 3);  // with the null
    EXPECT_EQ(std::string(reinterpret_cast<char*>(d.DescText), 3), std::string("ab", 3));
    EXPECT_EQ(d.DescGraphicsSize, 2);
    EXPECT_EQ(Bytes(d.DescGraphics, d.DescGraphics + 4), (Bytes{1, 2, 3, 4}));

    Parsed empty(kDescriptionHeader, {0, 1, 0, 2, 0, 3, 0, 0});
    ASSERT_EQ(empty.status, JQ_OK);
    EXPECT_EQ(empty.record->description->DescTextSize, 0);
    EXPECT_EQ(empty.record->description->DescText, nullptr);
    EXPECT_EQ(empty.record->description->DescGraphics, nullptr);

    // The stored size stays within its byte: 255 text bytes count as 255.
    Bytes longText = {0, 1, 0, 2, 0, 3, 255};
    longText.insert(longText.end(), 255, 'x');
    longText.push_back(0);
    Parsed full(kDescriptionHeader, longText);
    ASSERT_EQ(full.status, JQ_OK);
    EXPECT_EQ(full.record->description->DescTextSize, 255);
    EXPECT_EQ(full.record->description->DescText[254], 'x');
    EXPECT_EQ(full.record->description->DescText[255], 0);
}

TEST(ReceptionRecords, Statuses) {
    EXPECT_EQ(Parsed(kServicesHeader, {}).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Parsed({'R'}, kServices).status, JQ_ERR_FORMAT);
    EXPECT_EQ(Parsed({1, 'X'}, kServices).status, JQ_ERR_FORMAT);
    Parsed none({}, kServices);
    EXPECT_EQ(none.status, JQ_ERR_NULL_ARGUMENT);
}

TEST(ReceptionRecords, EveryCutIsRefusedOrWhole) {
    // Services end at 6, 12 and 18: cuts there parse; every other cut is refused.
    for (size_t cut = 1; cut < kServices.size(); ++cut) {
        for (uint8_t type : {0x75, 0x85}) {
            Parsed p(kServicesHeader, Bytes(kServices.begin(), kServices.begin() + cut), type);
            if (cut == 12) {
                EXPECT_EQ(p.status, JQ_OK) << cut;
                EXPECT_EQ(p.record->serviceCount, 1u);
            } else {
                EXPECT_EQ(p.status, 0xC085) << cut;
                EXPECT_EQ(p.record->services, nullptr);
            }
        }
    }
    for (size_t cut = 1; cut < kDescription.size(); ++cut) {
        Parsed p(kDescriptionHeader, Bytes(kDescription.begin(), kDescription.begin() + cut));
        EXPECT_EQ(p.status, 0xC085) << cut;
        EXPECT_EQ(p.record->description, nullptr);
    }
}

std::string dump(uint8_t type, const Bytes& header, const Bytes& data) {
    Package package;
    package.header.TypeCode = type;
    package.packetHeader = header;
    package.data = data;
    ParseElement element{};
    EXPECT_EQ(dispatchPackage(package, element), JQ_OK);
    EXPECT_NE(type == 0x75 ? element.reception75 : element.reception85, nullptr);
    const void* record = nullptr;
    const CsvWriter writer = csvWriterFor(element, record);
    EXPECT_NE(writer, nullptr);
    test::TempFolder folder("reception");
    const auto path = folder.path() / "reception.csv";
    {
        CsvFile out = CsvFile::create(test::toJQ(path).c_str());
        if (writer != nullptr) writer(record, out);
    }
    releaseParseElement(element);
    return test::readFile(path);
}

TEST(ReceptionRecords, DispatchAndCsvLines) {
    const std::string schedules =
        "UpdateFlag,ScheduleTime,ScheduleTimeHour,ScheduleTimeMin,DayOfWeek,ScheduleDuration\n";
    const std::string services = "ReceptRule,0x07\nInfoType,0x52\nNID,SID,ComponentTag,SCCount\n"
                                 "0x0102,0x0304,0x05,2\n" + schedules +
                                 "1,1445,24,5,6,30\n0,90,1,30,1,255\n"
                                 "NID,SID,ComponentTag,SCCount\n0xAABB,0xCCDD,0x10,0\n" +
                                 schedules;
    EXPECT_EQ(dump(0x75, kServicesHeader, kServices), services);
    EXPECT_EQ(dump(0x85, kServicesHeader, kServices), services);
    const char description[] =
        "ReceptRule,0x08\nInfoType,0x75\n"
        "GCN, NID,SID,DescTextSize,DescText,DescGraphicsSize,DescGraphics\n"
        "0x1111,0x2222,0x3333,3,ab\0,2,\x01\x02";
    EXPECT_EQ(dump(0x85, kDescriptionHeader, kDescription),
              std::string(description, sizeof description - 1));
}

}  // namespace
}  // namespace jq::records
