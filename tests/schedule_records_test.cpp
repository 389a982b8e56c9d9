// schedule_records_test.cpp - the schedule parser and writer on hand-built
// record bytes: header fields, SIE framing, 'M' absence marks, auxiliary item
// framing, malformed items, the length limits of converted texts, and the
// CSV lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "child_run.h"
#include "records/schedule_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kL = 0x4C;
constexpr uint8_t kM = 0x4D;
constexpr uint8_t kQ = 0x51;
constexpr JQStatus kMalformed = 0xC051;

void append(Bytes& out, const Bytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

// A size as a run of 0xFF bytes ended by the remainder.
Bytes ffRun(size_t value) {
    Bytes out(value / 255, 0xFF);
    out.push_back(static_cast<uint8_t>(value % 255));
    return out;
}

// The fields of one SIE after its size.
struct SieFields {
    uint16_t start = 600;
    uint8_t categories = 0x12;
    uint8_t feature = 7;
    uint32_t showId = 0xABCDEF;
    Bytes title;          // length byte + raw text
    Bytes detail1{0, 0};  // be16 length + raw text
    Bytes detail2{0, 0};
    Bytes bookCode{0};    // length byte + packed digits
    uint8_t minor = 0xA5;
    Bytes aux;            // auxiliary items

    Bytes body() const {
        Bytes out{static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start), categories, feature,
                  static_cast<uint8_t>(showId >> 16), static_cast<uint8_t>(showId >> 8),
                  static_cast<uint8_t>(showId)};
        append(out, title.empty() ? Bytes{0} : title);
        append(out, detail1);
        append(out, detail2);
        append(out, bookCode);
        out.push_back(minor);
        append(out, aux);
        return out;
    }
    // The SIE with its size field; sizeDelta falsifies the size.
    Bytes sie(int sizeDelta = 0) const {
        const Bytes b = body();
        Bytes out = ffRun(b.size() + sizeDelta);
        append(out, b);
        return out;
    }
};

Bytes text8(const std::string& raw) {
    Bytes out{static_cast<uint8_t>(raw.size())};
    out.insert(out.end(), raw.begin(), raw.end());
    return out;
}

Bytes text16(const std::string& raw) {
    Bytes out{static_cast<uint8_t>(raw.size() >> 8), static_cast<uint8_t>(raw.size())};
    out.insert(out.end(), raw.begin(), raw.end());
    return out;
}

// ASCII in the alphanumeric set at middle size: one byte per character.
std::string narrow(const std::string& ascii) { return "\x0E\x89" + ascii; }

const Bytes kHeader{0x01, 0x23, 0x00, 0x02, 0x99, 0xF3};

// A parsed record, released at the end of the test.
struct Parsed {
    ScheduleRecord* record = new ScheduleRecord();
    JQStatus status = 0;
    Parsed(uint8_t type, const Bytes& data, const Bytes& header = kHeader) {
        status = parseSchedule({{header.data(), header.size()}, {data.data(), data.size()}, type},
                               *record);
    }
    ~Parsed() { releaseSchedule(record); }
    const SIE& sie(size_t i) const { return record->SIEList[i]; }
};

std::string textOf(const char* text, size_t size) {
    return text == nullptr ? std::string() : std::string(text, size);
}

TEST(ScheduleRecord, HeaderFieldsAndStatuses) {
    const Bytes one = SieFields{}.sie();
    {
        Parsed p(kL, one);
        ASSERT_EQ(p.status, 0u);
        EXPECT_EQ(p.record->GCN, 0x0123);
        EXPECT_EQ(p.record->JulianDay, 2);
        EXPECT_EQ(p.record->JDYear, 1992);
        EXPECT_EQ(p.record->JDMonth, 1);
        EXPECT_EQ(p.record->JDDay, 2);
        EXPECT_EQ(p.record->SectorNumber, 3);
        EXPECT_EQ(p.record->SIEListSize, 1u);
    }
    {
        Parsed p(kQ, one, {0, 0, 0, 0, 0, 0});  // day 0 is the last day of 1991
        ASSERT_EQ(p.status, 0u);
        EXPECT_EQ(p.record->JDYear, 1991);
        EXPECT_EQ(p.record->JDMonth, 12);
        EXPECT_EQ(p.record->JDDay, 31);
    }
    {
        Parsed p(kL, one, {0xFF, 0xFF, 0x2D, 0x4B, 0, 0});  // day 11595
        ASSERT_EQ(p.status, 0u);
        EXPECT_EQ(p.record->GCN, 0xFFFF);
        EXPECT_EQ(p.record->JDYear, 2023);
        EXPECT_EQ(p.record->JDMonth, 9);
        EXPECT_EQ(p.record->JDDay, 29);
        EXPECT_EQ(p.record->SectorNumber, 0);
    }
    {
        Parsed p(kL, one, {0, 0, 0xFF, 0xFF, 0, 0});  // the last day number
        ASSERT_EQ(p.status, 0u);
        EXPECT_EQ(p.record->JDYear, 2171);
        EXPECT_EQ(p.record->JDMonth, 6);
        EXPECT_EQ(p.record->JDDay, 5);
    }
    EXPECT_EQ(Parsed(kL, one, {1, 2, 3, 4, 5}).status, 21u);
    EXPECT_EQ(Parsed(kL, one, {}).status, 17u);
    EXPECT_EQ(Parsed(kL, {}).status, 17u);
}

TEST(ScheduleRecord, ItemFieldsAndBookingCodes) {
    SieFields odd;
    odd.title = text8(narrow("News"));
    odd.detail1 = text16(narrow("Headlines"));
    odd.bookCode = {2, 0xF1, 0x23};
    SieFields even;
    even.start = 0x0102;
    even.categories = 0xF0;
    even.bookCode = {2, 0x01, 0x23};
    Bytes data = odd.sie();
    append(data, even.sie());

    Parsed p(kL, data);
    ASSERT_EQ(p.status, 0u);
    ASSERT_EQ(p.record->SIEListSize, 2u);
    const SIE& a = p.sie(0);
    EXPECT_EQ(a.SIESize, odd.body().size());
    EXPECT_EQ(a.StartMinute, 600);
    EXPECT_EQ(a.MajorCategory, 1);
    EXPECT_EQ(a.SpecialCategory, 2);
    EXPECT_EQ(a.Feature, 7);
    EXPECT_EQ(a.ShowID, 0xABCDEFu);
    EXPECT_EQ(a.MinorCategory, 5);
    EXPECT_EQ(textOf(a.Title, a.TitleLength), std::string("News", 5));
    EXPECT_EQ(textOf(a.Lv1Detail, a.Lv1DetaileLength), std::string("Headlines", 10));
    EXPECT_EQ(a.Lv2DetaileLength, 0);
    EXPECT_EQ(a.Lv2Detail, nullptr);
    EXPECT_EQ(textOf(a.BookCode, a.BookCodeLength), std::string("123", 4));
    EXPECT_EQ(a.AuxListSize, 0u);
    EXPECT_EQ(a.AuxList, nullptr);

    const SIE& b = p.sie(1);
    EXPECT_EQ(b.StartMinute, 0x0102);
    EXPECT_EQ(b.MajorCategory, 15);
    EXPECT_EQ(b.TitleLength, 0);
    EXPECT_EQ(b.Title, nullptr);
    EXPECT_EQ(textOf(b.BookCode, b.BookCodeLength), std::string("0123", 5));
}

TEST(ScheduleRecord, SizeRunsAndUnknownItemsAreSkipped) {
    // Unknown items pad the SIE to 526 bytes, written FF FF 10: InfoType 127
    // in the long form with a 508-byte payload (size FF FD), then InfoType 15
    // in the short form without payload.
    SieFields f;
    f.aux = {0xFF, 0xFF, 0xFD};
    f.aux.resize(f.aux.size() + 508, 0x55);
    f.aux.push_back(0x78);
    ASSERT_EQ(f.body().size(), 526u);
    const Bytes data = f.sie();
    ASSERT_EQ(Bytes(data.begin(), data.begin() + 3), (Bytes{0xFF, 0xFF, 0x10}));

    Parsed p(kL, data);
    ASSERT_EQ(p.status, 0u);
    EXPECT_EQ(p.sie(0).SIESize, 526u);
    EXPECT_EQ(p.sie(0).AuxListSize, 0u);
    EXPECT_NE(p.sie(0).AuxList, nullptr);  // items were there, all skipped
}

TEST(ScheduleRecord, AllOnesLengthsMarkAbsentFieldsOnlyInM) {
    // 'M': title 255, details FFFF, booking code 255; nothing follows them.
    SieFields absent;
    absent.title = {0xFF};
    absent.detail1 = {0xFF, 0xFF};
    absent.detail2 = {0xFF, 0xFF};
    absent.bookCode = {0xFF};
    Parsed m(kM, absent.sie());
    ASSERT_EQ(m.status, 0u);
    const SIE& s = m.sie(0);
    EXPECT_EQ(s.TitleLength, 255);
    EXPECT_EQ(s.Title, nullptr);
    EXPECT_EQ(s.Lv1DetaileLength, 0xFFFF);
    EXPECT_EQ(s.Lv2DetaileLength, 0xFFFF);
    EXPECT_EQ(s.BookCodeLength, 255);
    EXPECT_EQ(s.BookCode, nullptr);
    EXPECT_EQ(s.MinorCategory, 5);

    // In 'L' the same bytes announce a 255-byte title, which here runs past
    // the item: malformed.
    EXPECT_EQ(Parsed(kL, absent.sie()).status, kMalformed);

    // And a real 255-byte title in 'L'.
    SieFields longTitle;
    longTitle.title = text8(narrow(std::string(253, 'x')));
    Parsed l(kL, longTitle.sie());
    ASSERT_EQ(l.status, 0u);
    EXPECT_EQ(l.sie(0).TitleLength, 254);  // 253 characters + NUL
}

TEST(ScheduleRecord, ConvertedTextsFitTheirLengthFields) {
    // Full-width letters take two bytes each: 127 letters would be 255 bytes
    // with the NUL and 200 letters 401. Both are cut at a character boundary
    // below the all-ones mark, and the length always matches the text.
    for (const size_t letters : {126u, 127u, 200u, 253u}) {
        SieFields f;
        f.title = text8("\x0E" + std::string(letters, 'A'));
        f.detail1 = text16("\x0E" + std::string(40000, 'B'));
        for (const uint8_t type : {kL, kM, kQ}) {
            Parsed p(type, f.sie());
            ASSERT_EQ(p.status, 0u) << letters;
            const SIE& s = p.sie(0);
            const size_t expected = std::min<size_t>(2 * letters + 1, 253);
            EXPECT_EQ(s.TitleLength, expected) << letters;
            ASSERT_NE(s.Title, nullptr);
            EXPECT_EQ(std::strlen(s.Title) + 1, s.TitleLength);
            EXPECT_EQ(s.Lv1DetaileLength, 65533);
            EXPECT_EQ(std::strlen(s.Lv1Detail) + 1, s.Lv1DetaileLength);
        }
    }
}

TEST(ScheduleRecord, MalformedItemsFailTheRecord) {
    SieFields good;
    good.title = text8(narrow("Title"));
    good.bookCode = {1, 0x42};
    good.aux = {0x7A, 1, 2};

    // Size smaller than the fields, size past the data, an item past the SIE.
    Bytes twoItems = SieFields{}.sie();
    append(twoItems, good.sie(-4));
    for (const Bytes& data : {good.sie(-4), good.sie(+1), twoItems}) {
        Parsed p(kL, data);
        EXPECT_EQ(p.status, kMalformed);
        EXPECT_EQ(p.record->SIEListSize, 0u);
        EXPECT_EQ(p.record->SIEList, nullptr);
        EXPECT_EQ(p.record->GCN, 0x0123);  // header fields stay
    }
    SieFields itemPastEnd = good;
    itemPastEnd.aux = {0x80 | 0x7F, 10, 1, 2};
    EXPECT_EQ(Parsed(kL, itemPastEnd.sie()).status, kMalformed);

    // Every cut of a good record parses or is malformed; nothing is read past
    // the data (the sanitizer builds check).
    const Bytes one = good.sie();
    Bytes data = one;
    append(data, one);
    for (size_t cut = 1; cut < data.size(); ++cut) {
        Parsed p(kM, Bytes(data.begin(), data.begin() + cut));
        EXPECT_EQ(p.status, cut == one.size() ? 0u : kMalformed) << cut;
        EXPECT_EQ(p.record->SIEListSize, cut == one.size() ? 1u : 0u) << cut;
    }
}

TEST(ScheduleRecord, EmptyItemsFailLAndQButStayInM) {
    // Known item types with InfoSize 0 in both header forms: 6 (parental
    // rating) short, 30 (icons) long.
    for (const Bytes& aux : {Bytes{0x30}, Bytes{0x9E, 0x00}}) {
        SieFields f;
        f.aux = aux;
        EXPECT_EQ(Parsed(kL, f.sie()).status, kMalformed);
        EXPECT_EQ(Parsed(kQ, f.sie()).status, kMalformed);
        Parsed m(kM, f.sie());
        ASSERT_EQ(m.status, 0u);
        ASSERT_EQ(m.sie(0).AuxListSize, 1u);
        const AuxInfo& item = m.sie(0).AuxList[0];
        EXPECT_EQ(item.ITF, aux.size() - 1);
        EXPECT_EQ(item.InfoType, aux.size() == 1 ? 6 : 30);
        EXPECT_EQ(item.InfoSize, 0u);
        EXPECT_EQ(item.parental, nullptr);
        EXPECT_EQ(item.icons, nullptr);
    }
    // An item with a payload that its decoder refuses fails 'M' too: an
    // 18-byte time shift needs 6 bytes.
    SieFields shortShift;
    shortShift.aux = {0x92, 0x02, 0x00, 0x04};
    EXPECT_EQ(Parsed(kM, shortShift.sie()).status, kMalformed);
}

class ScheduleCsv : public ::testing::Test {
protected:
    std::string dump(const ScheduleRecord& record) {
        const auto path = folder_.path() / "schedule.csv";
        {
            CsvFile out = CsvFile::create(test::toJQ(path).c_str());
            writeSchedule(record, out);
        }
        return test::readFile(path);
    }
    test::TempFolder folder_{"schedule"};
};

TEST_F(ScheduleCsv, LinesAreByteExact) {
    SieFields present;
    present.title = text8(narrow("Go"));
    present.bookCode = {2, 0xF9, 0x87};
    present.aux = {0x9E, 3, 1, 2, 3, 0x7A, 9, 9};  // icons 1 2 3, then an unknown item
    SieFields absent;
    absent.start = 1439;
    absent.title = {0xFF};
    absent.detail1 = {0xFF, 0xFF};
    absent.detail2 = text16(narrow("d"));
    absent.bookCode = {0xFF};
    absent.aux = {0x9E, 0};  // icons, kept without payload
    Bytes data = present.sie();
    append(data, absent.sie());
    Parsed p(kM, data);
    ASSERT_EQ(p.status, 0u);

    const std::string sieHeader =
        "SIESize,StartMinute,MajorCategory,SpecialCategory,Feature,ShowID,TitleLength,Title,"
        "Lv1DetaileLength,Lv1Detail,Lv2DetaileLength,Lv2Detail,BookCodeLength,BookCode,"
        "MinorCategory,AuxListSize\n";
    const std::string expected =
        "GCN,JulianDay,JDYear,JDMonth,JDDay,SectorNumber,SIEListSize\n"
        "0x0123,2,1992,1,2,3,2\n" +
        sieHeader + std::to_string(present.body().size()) + ",600,0x01,0x02,7,0xABCDEF,3," + std::string("Go\0", 3) + ",0,,0,,4," +
        std::string("987\0", 4) + ",0x05,1\n" +
        "ITF,InfoType,InfoSize\n1,30,3\nIconCode\n1\n2\n3\n" + sieHeader +
        std::to_string(absent.body().size()) + ",1439,0x01,0x02,7,0xABCDEF,255,,65535,,2," + std::string("d\0", 2) + ",255,,0x05,1\n" +
        "ITF,InfoType,InfoSize\n1,30,0\n";
    EXPECT_EQ(dump(*p.record), expected);
}

}  // namespace
}  // namespace jq::records
