// programme_items_test.cpp - the programme description items: decoded fields,
// malformed and truncated payloads, release of partly filled slots and the
// CSV lines of every InfoType.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "arib_text.h"
#include "child_run.h"
#include "records/aux_items.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::string_literals;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes prefix(const Bytes& bytes, size_t n) { return Bytes(bytes.begin(), bytes.begin() + n); }

// An item of one InfoType; its slot is released with it.
struct Item {
    AuxInfo info{};
    explicit Item(uint8_t type) { info.InfoType = type; }
    ~Item() { kind().release(info); }
    const AuxItemKind& kind() const { return *findAuxItemKind(info.InfoType); }

    // The payload is copied into a vector of its exact size, so that a read
    // past it is caught by AddressSanitizer.
    JQStatus decode(const Bytes& payload) {
        info.InfoSize = static_cast<uint32_t>(payload.size());
        return kind().decode({payload.data(), payload.size()}, info);
    }
    std::string csv() const {
        test::TempFolder folder("programme_items");
        const auto path = folder.path() / "items.csv";
        {
            CsvFile out = CsvFile::create(test::toJQ(path).c_str());
            kind().write(info, out);
        }
        return test::readFile(path);
    }
};

JQStatus decodeOnce(uint8_t type, const Bytes& payload) { return Item(type).decode(payload); }

TEST(ProgrammeItems, EveryTypeHasItsKind) {
    for (uint8_t type : {1, 3, 4, 5, 6, 7, 8, 18, 29, 30}) {
        const AuxItemKind* kind = findAuxItemKind(type);
        ASSERT_NE(kind, nullptr) << int{type};
        AuxInfo empty{};
        empty.InfoType = type;
        EXPECT_FALSE(kind->present(empty));
        kind->release(empty);  // an empty slot
        EXPECT_EQ(decodeOnce(type, {}), kAuxItemError) << int{type};
    }
    EXPECT_EQ(findAuxItemKind(2), nullptr);
}

TEST(ProgrammeItems, Series) {
    const std::string header =
        "Episode,TotalEpisode,SeriesCtrlFlag,SeriesInfoFlag,Repeat,ProgramFlag,"
        "ProgramPattern,SeriesID,ExpireFlag,ExpireDate,EDYear,EDMonth,EDDay,"
        "SeriesNameLength,SeriesName\n";
    const std::string name = "\x94\xD4\x91\x67 News 7";
    const Bytes rawName = write::encodeAribText(name);
    ASSERT_LT(rawName.size(), 64u);
    // Two-byte episode, both flag parts, expiry MJD 0xC55C.
    const Bytes payload =
        Bytes{0x81, 0x02, 0x05, static_cast<uint8_t>(0xC0 | rawName.size()), 0x3D, 0x12, 0x34,
              0x01, 0xC5, 0x5C} +
        rawName;
    Item item(1);
    ASSERT_EQ(item.decode(payload), JQ_OK);
    EXPECT_EQ(item.csv(), header + "258,5,1,1,3,1,5,0x1234,1,50524,1997,3,17," +
                              std::to_string(name.size() + 1) + "," + name + '\0' + "\n");

    // Every field is needed: each shorter payload is malformed, and its
    // partly filled slot is released without a leak.
    for (size_t n = 0; n < payload.size(); ++n)
        EXPECT_EQ(decodeOnce(1, prefix(payload, n)), kAuxItemError) << n;
    EXPECT_EQ(decodeOnce(1, payload + Bytes{0xEE}), JQ_OK);  // a trailing byte is ignored
    EXPECT_EQ(decodeOnce(1, {0x01, 0x02, 0x03, 'A', 'B'}), kAuxItemError);  // name runs past

    // Series info without expiry: no date; 15-bit episode; no name.
    Item plain(1);
    ASSERT_EQ(plain.decode({0xFF, 0xFF, 0x7F, 0x40, 0xAB, 0xCD, 0xFE, 0x99}), JQ_OK);
    EXPECT_EQ(plain.info.series->SeriesName, nullptr);
    EXPECT_EQ(plain.csv(), header + "32767,127,0,1,0,0,0,0xABCD,0,0,0,0,0,0,\n");
}

TEST(ProgrammeItems, FixedRecords) {
    const Bytes shift = {0x00, 0x04, 0x30, 0x01, 0x25, 0x00};
    Item item(18);
    ASSERT_EQ(item.decode(shift), JQ_OK);
    const std::string header =
        "OriginalNID,SIStartSecond,SIDureSecond,SIDureHour,SIDureMin,SIDureSec\n";
    EXPECT_EQ(item.csv(), header + "0x0004,30,12500,1,25,0\n");
    Item bcd(18);  // a BCD digit above 9 counts 0
    ASSERT_EQ(bcd.decode({0xAB, 0xCD, 0xA5, 0x23, 0x5F, 0xF9, 0x00}), JQ_OK);
    EXPECT_EQ(bcd.csv(), header + "0xABCD,5,235009,23,50,9\n");

    const Bytes parental = {'J', 'P', 0x00, 0xFF};
    Item rating(6);
    ASSERT_EQ(rating.decode(parental + Bytes{0x77}), JQ_OK);
    EXPECT_EQ(rating.csv(), "CountryCode,ParentalRating\nJP\0,255\n"s);

    for (size_t n = 0; n < shift.size(); ++n)
        EXPECT_EQ(decodeOnce(18, prefix(shift, n)), kAuxItemError);
    for (size_t n = 0; n < parental.size(); ++n)
        EXPECT_EQ(decodeOnce(6, prefix(parental, n)), kAuxItemError);
}

TEST(ProgrammeItems, ListsAndTheirLines) {
    struct Case {
        uint8_t type;
        Bytes payload;
        std::string lines;  // one row per entry: the count shows too
        size_t width;
    };
    const Case cases[] = {
        {3, {0x12, 0x34, 0x00, 0x0A}, "KeywordCode\n0x1234\n0x000A\n", 2},
        {4,
         {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00},
         "PackageID\n0xFFFFFFFF\n0x00000100\n",
         4},
        {5,
         {0x12, 0xF0, 0x0E},
         "MajorCategory,MinorCategory\n0x01,0x02\n0x0F,0x00\n0x00,0x0E\n",
         1},
        {7, {0x12, 0x34, 0xF0, 0x0F}, "ContentNibble,UserNibble\n0x12,0x34\n0xF0,0x0F\n", 2},
        {8, {0xBE, 0xEF}, "ActorID\n0xBEEF\n", 2},
        {30, {0x00, 0x7F, 0xFF}, "IconCode\n0\n127\n255\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.type});
        Item item(c.type);
        ASSERT_EQ(item.decode(c.payload), JQ_OK);
        EXPECT_TRUE(item.kind().present(item.info));
        EXPECT_EQ(item.csv(), c.lines);
        for (size_t n = 0; n < c.payload.size(); ++n) {
            // Whole entries decode, a trailing partial entry is malformed.
            const JQStatus expected = n == 0 || n % c.width != 0 ? kAuxItemError : JQStatus{JQ_OK};
            EXPECT_EQ(decodeOnce(c.type, prefix(c.payload, n)), expected) << n;
        }
        item.kind().release(item.info);
        EXPECT_FALSE(item.kind().present(item.info));
    }
}

TEST(ProgrammeItems, AdditionalTexts) {
    const std::string title = "\x83\x5E\x83\x43\x83\x67\x83\x8B";
    const std::string lv1 = "\x82\xA0\x82\xE7\x82\xB7\x82\xB6";
    const Bytes rawTitle = write::encodeAribText(title);
    const Bytes rawLv1 = write::encodeAribText(lv1);
    const Bytes payload = Bytes{static_cast<uint8_t>(rawTitle.size())} + rawTitle +
                          Bytes{0x00, static_cast<uint8_t>(rawLv1.size())} + rawLv1 +
                          Bytes{0x00, 0x00};
    Item item(29);
    ASSERT_EQ(item.decode(payload), JQ_OK);
    EXPECT_EQ(item.info.additionalText->Lv2Details, nullptr);
    EXPECT_EQ(item.csv(), "TitleLength,Title,Lv1Length,Lv1Details,Lv2Length,Lv2Details\n" +
                              std::to_string(title.size() + 1) + "," + title + '\0' + "," +
                              std::to_string(lv1.size() + 1) + "," + lv1 + '\0' + ",0,\n");

    for (size_t n = 0; n < payload.size(); ++n)
        EXPECT_EQ(decodeOnce(29, prefix(payload, n)), kAuxItemError) << n;
    EXPECT_EQ(decodeOnce(29, {0x00, 0x00, 0x00, 0x00, 0x00}), JQ_OK);
    EXPECT_EQ(decodeOnce(29, {0x00, 0x00, 0x01, 0x00, 0x00}), kAuxItemError);  // Lv1 runs past

    // 200 one-byte hiragana become 400 Shift-JIS bytes: the title is cut to
    // what its 8-bit length holds, at a character boundary.
    std::string longTitle;
    for (int i = 0; i < 200; ++i) longTitle += "\x82\xA0";
    const Bytes rawLong = write::encodeAribText(longTitle);
    ASSERT_EQ(rawLong.size(), 200u);
    Item cut(29);
    ASSERT_EQ(cut.decode(Bytes{200} + rawLong + Bytes{0, 0, 0, 0}), JQ_OK);
    EXPECT_EQ(cut.info.additionalText->TitleLength, 255);
    if (cut.info.additionalText->Title) {
        EXPECT_EQ(std::string(cut.info.additionalText->Title, 255),
                  longTitle.substr(0, 254) + '\0');
    }
}

}  // namespace
}  // namespace jq::records
