// data_event_items_test.cpp - data contents, event groups and EIT versions:
// decoded fields, malformed and truncated payloads, release of partly filled
// slots and the CSV lines of every InfoType.
#include <gtest/gtest.h>

#include <cstring>
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

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// An item of one InfoType whose slot is released with it.
struct Item {
    AuxInfo info{};
    explicit Item(uint8_t type) { info.InfoType = type; }
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;
    ~Item() { kind().release(info); }
    const AuxItemKind& kind() const { return *findAuxItemKind(info.InfoType); }

    // The payload is copied into a buffer of exactly its size, so that a read
    // past it is caught by AddressSanitizer.
    JQStatus decode(const Bytes& payload, size_t size) {
        info.InfoSize = static_cast<uint32_t>(size);
        const Bytes exact(payload.begin(), payload.begin() + static_cast<ptrdiff_t>(size));
        return kind().decode({exact.data(), exact.size()}, info);
    }
    JQStatus decode(const Bytes& payload) { return decode(payload, payload.size()); }

    std::string csv() const {
        test::TempFolder folder{"data_event"};
        const auto file = folder.path() / "out.csv";
        {
            CsvFile out = CsvFile::create(test::toJQ(file).c_str());
            kind().write(info, out);
        }
        return test::readFile(file);
    }
};

// --- data contents ------------------------------------------------------------

// A BML entry with module carousels: every version field, every optional field
// of the first module, none of the second; the list is followed directly by
// the reference count.
const Bytes kBmlModules = Bytes{0x00, 0x07, 0x40, 0x20,
                                0x55,  // TF 1, bit 5 unused, ASTT 1, DRES 5
                                0xB6}  // UXML, INDP, CTNT, TVST, unused bit 2
                          + text("jpn") +
                          Bytes{0x12, 0x34, 0x56, 0x78, 0x00, 0x09,  // content ID and version
                                0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04,  // versions
                                0x02,                                            // carousels
                                0x41, 0xFF, 0x00, 0x05, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,
                                0x07, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x80, 0x00,
                                0x00, 0x01, 0x00, 0x00, 0x00, 0x0A, 0x01, 0x02, 0xFF,  //
                                0x42, 0x00,                                            //
                                0x02, 0x41, 0x42} +
                          text("jpn") + Bytes{0x00};

// A BML entry with plain carousels and DVER set: no version fields even with
// UXML; the plain list is closed by the ordering byte.
const Bytes kBmlPlain = Bytes{0x00, 0x0C, 0x50, 0x08, 0x03, 0xC0} + text("eng") +
                        Bytes{0x01, 0x60, 0x89, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00, 0x0B,  //
                              0x80, 0x00} +
                        text("jpn") + Bytes{0x00};

// Caption languages: 5 + 8 bytes before the reference count.
const Bytes kCaption = Bytes{0x00, 0x08, 0x30, 0x09, 0x02, 0xC5} + text("jpn") + Bytes{0x42} +
                       text("eng") + Bytes{0x01, 0x87} + text("jpn") + Bytes{0x00};

// An identifier without a known selector: its two selector bytes are passed over.
const Bytes kOtherSelector =
    Bytes{0x00, 0x09, 0x10, 0x02, 0xAA, 0xBB, 0x01, 0x30} + text("jpn") + Bytes{0x00};

TEST(DataContents, SelectorLayoutsAndCsv) {
    Item item(25);
    ASSERT_EQ(item.decode(kBmlModules + kBmlPlain + kCaption + kOtherSelector), JQ_OK);
    const DataContentList& list = *item.info.dataContents;
    ASSERT_EQ(list.count, 4u);
    ASSERT_NE(list.entries[0].bml, nullptr);
    EXPECT_EQ(list.entries[0].bml->plain, nullptr);
    EXPECT_EQ(list.entries[0].caption, nullptr);
    ASSERT_NE(list.entries[1].bml, nullptr);
    EXPECT_EQ(list.entries[1].bml->modules, nullptr);
    EXPECT_EQ(list.entries[1].CompRefList, nullptr);
    EXPECT_EQ(list.entries[2].bml, nullptr);
    EXPECT_EQ(list.entries[3].bml, nullptr);
    EXPECT_EQ(list.entries[3].caption, nullptr);
    EXPECT_EQ(list.entries[3].Title, nullptr);

    // Every field shows in the lines: the module with all its optional fields
    // (LeakRate 01 02 FF is 16575, TransactionID 0x80000001 prints signed), the
    // bare module, no ordering byte after modules; no versions with DVER set,
    // the ordering byte after the plain list; the two caption languages.
    const std::string entryHeader =
        "CopmID,EntryComp,SelectorLength,CompRefCount,Country,TitleLength,Title\n";
    const std::string bmlHeader =
        "TF,ASTT,DRES,UXML,DVER,INDP,CTNT,ACTN,TVST,UPDF,LanguageCode,ContentID,ContentVer,"
        "BMLMajorVer,BMLMinorVer,BXMLMajorVer,BXMLMinorVer,CarouselCount,ONDR,FLST\n";
    EXPECT_EQ(item.csv(),
              entryHeader + "0x0007,64,32,2,jpn,0,\n" + bmlHeader +
                  "1,1,5,1,0,1,1,0,1,0,jpn,0x12345678,9,1,2,3,4,2,0,0\n"
                  "CompTag,NDEV,NMOD,NRES,CCSZ,CSZF,DTID,DIIT,DLKR,NDataEvent,NModules,NResource,"
                  "CompressCompSize,CompSize,TransactionID,DIITimeOut,LeakRate\n"
                  "65,1,1,1,1,1,1,1,1,5,6,7,256,512,-2147483647,10,16575\n"
                  "66,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n"
                  "CompRefList\n65\n66\n" +
                  entryHeader + "0x000C,80,8,0,jpn,0,\n" + bmlHeader +
                  "0,0,3,1,1,0,0,0,0,0,eng,0x00000000,0,0,0,0,0,1,1,0\n"
                  "CompTag,EVST,CSZF,DTID,DIIT,DLKR,CompSize,TransactionID,DIITimeOut,LeakRate\n"
                  "96,1,1,0,0,1,100,0,0,2\n"
                  "CompRefList\n" +
                  entryHeader + "0x0008,48,9,1,jpn,0,\n" +
                  "LangCount\n2\nLangTag,DMF,Language\n3,5,jpn\n1,2,eng\n"
                  "CompRefList\n135\n" +
                  entryHeader + "0x0009,16,2,1,jpn,0,\nCompRefList\n48\n");

    // A plain list of no carousels still ends with its ordering byte.
    Item empty(25);
    ASSERT_EQ(empty.decode(Bytes{0x00, 0x0B, 0, 0, 0x00, 0x40} + text("jpn") +
                           Bytes{0x00, 0x40, 0x00} + text("jpn") + Bytes{0x00}),
              JQ_OK);
    const BmlInfo& emptyBml = *empty.info.dataContents->entries[0].bml;
    EXPECT_EQ(emptyBml.CarouselCount, 0);
    EXPECT_EQ(emptyBml.plain, nullptr);
    EXPECT_EQ(emptyBml.FLST, 1);
}

TEST(DataContents, TitlesAreConvertedAndCut) {
    const std::string title = "\x94\xd4\x91\x67 News"s;  // two Kanji, a space, ASCII
    const Bytes raw = write::encodeAribText(title);
    Item item(25);
    ASSERT_EQ(item.decode(Bytes{0x00, 0x09, 0x10, 0x00, 0x00} + text("jpn") +
                          Bytes{static_cast<uint8_t>(raw.size())} + raw),
              JQ_OK);
    const DataContent& entry = item.info.dataContents->entries[0];
    EXPECT_EQ(entry.TitleLength, title.size() + 1);
    ASSERT_NE(entry.Title, nullptr);
    EXPECT_EQ(std::string(entry.Title, entry.TitleLength), title + '\0');
    EXPECT_EQ(item.csv(),
              "CopmID,EntryComp,SelectorLength,CompRefCount,Country,TitleLength,Title\n"
              "0x0009,16,0,0,jpn,10,"s +
                  title + "\0\nCompRefList\n"s);

    // 200 hiragana are 200 bytes sent and 400 converted: cut to what the
    // length byte holds.
    std::string kana;
    for (int i = 0; i < 200; ++i) kana += "\x82\xa0";
    const Bytes rawKana = write::encodeAribText(kana);
    ASSERT_LE(rawKana.size(), 255u);
    Item longer(25);
    ASSERT_EQ(longer.decode(Bytes{0x00, 0x09, 0x10, 0x00, 0x00} + text("jpn") +
                            Bytes{static_cast<uint8_t>(rawKana.size())} + rawKana),
              JQ_OK);
    const DataContent& cut = longer.info.dataContents->entries[0];
    EXPECT_EQ(cut.TitleLength, 255);
    ASSERT_NE(cut.Title, nullptr);
    EXPECT_EQ(std::strlen(cut.Title), 254u);
}

// Every prefix of a payload either decodes the entries or groups that end
// before it, or is malformed; ends lists the offsets where one ends.
void checkPrefixes(uint8_t type, const Bytes& payload, const std::vector<size_t>& ends) {
    for (size_t n = 0; n < payload.size(); ++n) {
        Item item(type);
        const JQStatus status = item.decode(payload, n);
        uint32_t whole = 0;
        while (whole < ends.size() && ends[whole] <= n) ++whole;
        const bool atEnd = whole > 0 && ends[whole - 1] == n;
        if (!atEnd) {
            EXPECT_EQ(status, kAuxItemError) << "prefix " << n;
            continue;
        }
        ASSERT_EQ(status, JQ_OK) << "prefix " << n;
        const uint32_t count =
            type == 25 ? item.info.dataContents->count : item.info.eventGroups->count;
        EXPECT_EQ(count, whole) << "prefix " << n;
    }
}

TEST(DataContents, MalformedPayloads) {
    const Bytes payload = kBmlModules + kBmlPlain + kCaption + kOtherSelector;
    size_t end = 0;
    std::vector<size_t> ends;
    for (const Bytes* entry : {&kBmlModules, &kBmlPlain, &kCaption, &kOtherSelector}) {
        ends.push_back(end += entry->size());
    }
    checkPrefixes(25, payload, ends);

    const Bytes malformed[] = {
        {0x00, 0x09, 0x10, 0x05, 0x01, 0x02},  // selector past the end
        Bytes{0x00, 0x09, 0x10, 0x00, 0x03, 0x01} + text("jpn") + Bytes{0x00},  // references
        Bytes{0x00, 0x09, 0x10, 0x00, 0x00} + text("jpn") + Bytes{0x02, 0x41},  // title
        Bytes{0x00, 0x08, 0x30, 0x00, 0x03, 0xC5} + text("jpn") + Bytes{0x00} + text("jpn") +
            Bytes{0x00},  // three languages announced, one sent
    };
    for (const Bytes& bytes : malformed) {
        Item item(25);
        EXPECT_EQ(item.decode(bytes), kAuxItemError);
    }
}

// --- event groups ---------------------------------------------------------------

const Bytes kSameNetwork = Bytes{0x07, 0x11, 0x04, 0x01, 0x05, 0x02} + text("PD");
const Bytes kOtherNetwork = {0x14, 0x41, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0xFF,
                             0xFF, 0x00, 0x05, 0x00, 0x06, 0x00, 0x07, 0x09, 0x09, 0x09};
const Bytes kNoEvents = {0x03, 0x20, 0xAA, 0xBB};
const Bytes kTwoEvents = {0x09, 0x22, 0x00, 0x10, 0x00, 0x11, 0x00, 0x12, 0x00, 0x13};

TEST(EventGroups, GroupLayoutsAndCsv) {
    Item item(27);
    ASSERT_EQ(item.decode(kSameNetwork + kOtherNetwork + kNoEvents + kTwoEvents), JQ_OK);
    const EventGroupList& list = *item.info.eventGroups;
    ASSERT_EQ(list.count, 4u);
    EXPECT_EQ(list.groups[0].otherEvents, nullptr);
    EXPECT_EQ(list.groups[1].events, nullptr);
    EXPECT_EQ(list.groups[1].otherEventCount, 2);
    EXPECT_EQ(list.groups[1].PrivateData, nullptr);
    EXPECT_EQ(list.groups[2].events, nullptr);
    EXPECT_EQ(list.groups[2].otherEvents, nullptr);
    EXPECT_EQ(list.groups[3].PrivateData, nullptr);

    // One event and 2 bytes of private data; two other-network entries filling
    // the group whatever EventCount says, 3 odd bytes left; no events (the
    // other-network header without rows); two events and no private data.
    const std::string header = "GroupLength,GroupType,EventCount,PrivateDataLength,PrivateData\n";
    EXPECT_EQ(item.csv(),
              header + "7,1,1,2,PD\nServiceID,EventID\n1025,1282\n" + header +
                  "20,4,1,0,\nOriginalNID,TSID,ServiceID,EventID\n1,2,3,4\n65535,5,6,7\n" + header +
                  "3,2,0,0,\nOriginalNID,TSID,ServiceID,EventID\n" + header +
                  "9,2,2,0,\nServiceID,EventID\n16,17\n18,19\n");

    // A relay group too short for one entry holds none.
    Item shortRelay(27);
    ASSERT_EQ(shortRelay.decode({0x05, 0x51, 1, 2, 3, 4}), JQ_OK);
    EXPECT_EQ(shortRelay.info.eventGroups->groups[0].otherEventCount, 0);
    EXPECT_EQ(shortRelay.info.eventGroups->groups[0].otherEvents, nullptr);
}

TEST(EventGroups, MalformedPayloads) {
    checkPrefixes(
        27, kSameNetwork + kOtherNetwork + kNoEvents + kTwoEvents,
        {kSameNetwork.size(), kSameNetwork.size() + kOtherNetwork.size(),
         kSameNetwork.size() + kOtherNetwork.size() + kNoEvents.size(),
         kSameNetwork.size() + kOtherNetwork.size() + kNoEvents.size() + kTwoEvents.size()});
    const Bytes malformed[] = {
        {0x00},                                // no room for the type byte
        {0x00, 0x02, 0x00, 0x00},              // length 0: the type byte is not the group's
        {0x03, 0x11, 0x00, 0x01, 0x01, 0x00},  // the event runs past its group
        {0x05, 0x12, 0x00, 0x01, 0x00, 0x02},  // the second event is missing
        kTwoEvents + Bytes{0x05, 0x11, 0x00},  // the last group runs past the payload
    };
    for (const Bytes& bytes : malformed) {
        Item item(27);
        EXPECT_EQ(item.decode(bytes), kAuxItemError);
    }
}

// --- EIT versions -----------------------------------------------------------------

const Bytes kEitVersion = {0x05, 0xFE, 0xDC, 0xBA, 0x98, 0xC3, 0x50, 0x23, 0x5A, 0x59,
                           0x1F, 0x00, 0x00, 0x00, 0x10, 0xEA, 0x5F, 0x0A, 0xA0, 0x99,
                           0x20, 0x80, 0x01, 0x40, 0x12, 0x34, 0x03, 0x00, 0xFF, 0xFF};

// The CRCs print signed; 0x5A counts 50 and 0x0A, 0xA0 count 0 (digits above
// 9 are 0); MJD 50000 is 1995-10-10 and 59999 is 2023-02-24.
TEST(EitVersions, FieldsSizesAndCsv) {
    Item item(28);
    ASSERT_EQ(item.decode(kEitVersion + Bytes{0xEE}), JQ_OK);  // a byte beyond the 30 is not read
    EXPECT_EQ(item.info.eitVersion->BasicCRC, 0xFEDCBA98u);
    EXPECT_EQ(item.csv(),
              "BasicEITVer,BasicCRC,BasicTimeStampMJD,BasicTimeStampYear,BasicTimeStampMonth,"
              "BasicTimeStampDay,BasicTimeStampHour,BasicTimeStampMin,BasicTimeStampSec,ExtEITVer,"
              "ExtCRC,ExtTimeStampMJD,ExtTimeStampYear,ExtTimeStampMonth,ExtTimeStampDay,"
              "ExtTimeStampHour,ExtTimeStampMin,ExtTimeStampSec,SIEventNameLength,SIEventNameCRC,"
              "SIEventTextLength,SIEventTextCRC,SIEventExtLength,SIEventExtCRC\n"
              "5,-19088744,50000,1995,10,10,23,50,59,31,"
              "16,59999,2023,2,24,0,0,99,32,32769,64,4660,768,65535\n");

    for (size_t n = 0; n < kEitVersion.size(); ++n) {
        Item shorter(28);
        EXPECT_EQ(shorter.decode(kEitVersion, n), kAuxItemError) << n;
        EXPECT_EQ(shorter.info.eitVersion, nullptr);
    }
}

// --- the kinds ------------------------------------------------------------------

TEST(DataEventKinds, EmptyAndPresentSlots) {
    for (uint8_t type : {25, 27, 28}) {
        Item item(type);
        ASSERT_EQ(item.kind().infoType, type);
        EXPECT_EQ(item.decode({}), kAuxItemError);
        EXPECT_FALSE(item.kind().present(item.info));
        item.kind().release(item.info);  // an empty slot
        const Bytes good = type == 25 ? kOtherSelector : type == 27 ? kNoEvents : kEitVersion;
        ASSERT_EQ(item.decode(good), JQ_OK);
        EXPECT_TRUE(item.kind().present(item.info));
        item.kind().release(item.info);
        EXPECT_FALSE(item.kind().present(item.info));
        item.kind().release(item.info);  // twice
    }
}

}  // namespace
}  // namespace jq::records
