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
                                0x02,                                           // carousels
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
const Bytes kOtherSelector = Bytes{0x00, 0x09, 0x10, 0x02, 0xAA, 0xBB, 0x01, 0x30} + text("jpn") +
                             Bytes{0x00};

TEST(DataContents, SelectorLayouts) {
    Item item(25);
    ASSERT_EQ(item.decode(kBmlModules + kBmlPlain + kCaption + kOtherSelector), JQ_OK);
    const DataContentList& list = *item.info.dataContents;
    ASSERT_EQ(list.count, 4u);

    const DataContent& modules = list.entries[0];
    EXPECT_EQ(modules.CopmID, 7);
    EXPECT_EQ(modules.EntryComp, 0x40);
    EXPECT_EQ(modules.SelectorLength, 0x20);
    EXPECT_EQ(modules.caption, nullptr);
    ASSERT_NE(modules.bml, nullptr);
    const BmlInfo& bml = *modules.bml;
    EXPECT_EQ(bml.TF, 1);
    EXPECT_EQ(bml.ASTT, 1);
    EXPECT_EQ(bml.DRES, 5);
    EXPECT_EQ(bml.UXML, 1);
    EXPECT_EQ(bml.DVER, 0);
    EXPECT_EQ(bml.INDP, 1);
    EXPECT_EQ(bml.CTNT, 1);
    EXPECT_EQ(bml.ACTN, 0);
    EXPECT_EQ(bml.TVST, 1);
    EXPECT_EQ(bml.UPDF, 0);
    EXPECT_EQ(std::string(bml.LanguageCode, 3), "jpn");
    EXPECT_EQ(bml.ContentID, 0x12345678u);
    EXPECT_EQ(bml.ContentVer, 9);
    EXPECT_EQ(bml.BMLMajorVer, 1);
    EXPECT_EQ(bml.BMLMinorVer, 2);
    EXPECT_EQ(bml.BXMLMajorVer, 3);
    EXPECT_EQ(bml.BXMLMinorVer, 4);
    ASSERT_EQ(bml.CarouselCount, 2);
    EXPECT_EQ(bml.plain, nullptr);
    ASSERT_NE(bml.modules, nullptr);
    const ModuleCarousel& full = bml.modules[0];
    EXPECT_EQ(full.CompTag, 0x41);
    EXPECT_EQ(full.NDEV + full.NMOD + full.NRES + full.CCSZ + full.CSZF + full.DTID + full.DIIT +
                  full.DLKR,
              8);
    EXPECT_EQ(full.NDataEvent, 5);
    EXPECT_EQ(full.NModules, 6u);
    EXPECT_EQ(full.NResource, 7u);
    EXPECT_EQ(full.CompressCompSize, 0x100u);
    EXPECT_EQ(full.CompSize, 0x200u);
    EXPECT_EQ(full.TransactionID, 0x80000001u);
    EXPECT_EQ(full.DIITimeOut, 10u);
    EXPECT_EQ(full.LeakRate, 16575u);  // 01 02 FF: (1 x 256 + 2) x 64 + 63
    const ModuleCarousel& bare = bml.modules[1];
    EXPECT_EQ(bare.CompTag, 0x42);
    EXPECT_EQ(bare.NDEV | bare.DLKR, 0);
    EXPECT_EQ(bare.NDataEvent, 0);
    EXPECT_EQ(bare.LeakRate, 0u);
    EXPECT_EQ(bml.ONDR | bml.FLST, 0);  // no ordering byte after modules
    ASSERT_EQ(modules.CompRefCount, 2);
    EXPECT_EQ(modules.CompRefList[0], 0x41);
    EXPECT_EQ(modules.CompRefList[1], 0x42);
    EXPECT_EQ(std::string(modules.Country, 3), "jpn");
    EXPECT_EQ(modules.TitleLength, 0);
    EXPECT_EQ(modules.Title, nullptr);

    const DataContent& plainEntry = list.entries[1];
    EXPECT_EQ(plainEntry.CopmID, 12);
    ASSERT_NE(plainEntry.bml, nullptr);
    const BmlInfo& plainBml = *plainEntry.bml;
    EXPECT_EQ(plainBml.TF, 0);
    EXPECT_EQ(plainBml.DRES, 3);
    EXPECT_EQ(plainBml.UXML, 1);
    EXPECT_EQ(plainBml.DVER, 1);
    EXPECT_EQ(plainBml.BMLMajorVer | plainBml.BMLMinorVer | plainBml.BXMLMajorVer |
                  plainBml.BXMLMinorVer,
              0);
    EXPECT_EQ(std::string(plainBml.LanguageCode, 3), "eng");
    EXPECT_EQ(plainBml.modules, nullptr);
    ASSERT_EQ(plainBml.CarouselCount, 1);
    const PlainCarousel& plain = plainBml.plain[0];
    EXPECT_EQ(plain.CompTag, 0x60);
    EXPECT_EQ(plain.EVST, 1);
    EXPECT_EQ(plain.CSZF, 1);
    EXPECT_EQ(plain.DTID | plain.DIIT, 0);
    EXPECT_EQ(plain.DLKR, 1);
    EXPECT_EQ(plain.CompSize, 100u);
    EXPECT_EQ(plain.TransactionID, 0u);
    EXPECT_EQ(plain.LeakRate, 2u);  // 00 00 0B: the low two bits are dropped
    EXPECT_EQ(plainBml.ONDR, 1);
    EXPECT_EQ(plainBml.FLST, 0);
    EXPECT_EQ(plainEntry.CompRefCount, 0);
    EXPECT_EQ(plainEntry.CompRefList, nullptr);
    EXPECT_EQ(std::string(plainEntry.Country, 3), "jpn");

    const DataContent& caption = list.entries[2];
    EXPECT_EQ(caption.bml, nullptr);
    ASSERT_NE(caption.caption, nullptr);
    ASSERT_EQ(caption.caption->LangCount, 2);
    EXPECT_EQ(caption.caption->languages[0].LangTag, 3);
    EXPECT_EQ(caption.caption->languages[0].DMF, 5);
    EXPECT_EQ(std::string(caption.caption->languages[0].Language, 3), "jpn");
    EXPECT_EQ(caption.caption->languages[1].LangTag, 1);
    EXPECT_EQ(caption.caption->languages[1].DMF, 2);
    EXPECT_EQ(std::string(caption.caption->languages[1].Language, 3), "eng");
    ASSERT_EQ(caption.CompRefCount, 1);
    EXPECT_EQ(caption.CompRefList[0], 0x87);

    const DataContent& other = list.entries[3];
    EXPECT_EQ(other.CopmID, 9);
    EXPECT_EQ(other.SelectorLength, 2);
    EXPECT_EQ(other.bml, nullptr);
    EXPECT_EQ(other.caption, nullptr);
    ASSERT_EQ(other.CompRefCount, 1);
    EXPECT_EQ(other.CompRefList[0], 0x30);
    EXPECT_EQ(std::string(other.Country, 3), "jpn");

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
    EXPECT_EQ(item.csv(), "CopmID,EntryComp,SelectorLength,CompRefCount,Country,TitleLength,Title\n"
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
        const uint32_t count = type == 25 ? item.info.dataContents->count : item.info.eventGroups->count;
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
        {0x00, 0x09, 0x10, 0x05, 0x01, 0x02},                           // selector past the end
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

TEST(DataContents, CsvLines) {
    Item item(25);
    ASSERT_EQ(item.decode(kBmlModules + kBmlPlain + kCaption), JQ_OK);
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
                  "CompRefList\n135\n");
}

// --- event groups ---------------------------------------------------------------

const Bytes kSameNetwork = Bytes{0x07, 0x11, 0x04, 0x01, 0x05, 0x02} + text("PD");
const Bytes kOtherNetwork = {0x14, 0x41, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0xFF,
                             0xFF, 0x00, 0x05, 0x00, 0x06, 0x00, 0x07, 0x09, 0x09, 0x09};
const Bytes kNoEvents = {0x03, 0x20, 0xAA, 0xBB};
const Bytes kTwoEvents = {0x09, 0x22, 0x00, 0x10, 0x00, 0x11, 0x00, 0x12, 0x00, 0x13};

TEST(EventGroups, GroupLayouts) {
    Item item(27);
    ASSERT_EQ(item.decode(kSameNetwork + kOtherNetwork + kNoEvents + kTwoEvents), JQ_OK);
    const EventGroupList& list = *item.info.eventGroups;
    ASSERT_EQ(list.count, 4u);

    const EventGroup& same = list.groups[0];
    EXPECT_EQ(same.GroupLength, 7);
    EXPECT_EQ(same.GroupType, 1);
    ASSERT_EQ(same.EventCount, 1);
    EXPECT_EQ(same.events[0].ServiceID, 0x0401);
    EXPECT_EQ(same.events[0].EventID, 0x0502);
    EXPECT_EQ(same.otherEvents, nullptr);
    ASSERT_EQ(same.PrivateDataLength, 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(same.PrivateData), 2), "PD");

    // The entries fill the group whatever EventCount says; 3 odd bytes are left.
    const EventGroup& other = list.groups[1];
    EXPECT_EQ(other.GroupType, 4);
    EXPECT_EQ(other.EventCount, 1);
    EXPECT_EQ(other.events, nullptr);
    ASSERT_EQ(other.otherEventCount, 2);
    EXPECT_EQ(other.otherEvents[0].OriginalNID, 1);
    EXPECT_EQ(other.otherEvents[0].TSID, 2);
    EXPECT_EQ(other.otherEvents[0].ServiceID, 3);
    EXPECT_EQ(other.otherEvents[0].EventID, 4);
    EXPECT_EQ(other.otherEvents[1].OriginalNID, 0xFFFF);
    EXPECT_EQ(other.otherEvents[1].EventID, 7);
    EXPECT_EQ(other.PrivateDataLength, 0);
    EXPECT_EQ(other.PrivateData, nullptr);

    const EventGroup& none = list.groups[2];
    EXPECT_EQ(none.GroupType, 2);
    EXPECT_EQ(none.EventCount, 0);
    EXPECT_EQ(none.events, nullptr);
    EXPECT_EQ(none.otherEvents, nullptr);
    EXPECT_EQ(none.PrivateDataLength, 0);

    const EventGroup& two = list.groups[3];
    ASSERT_EQ(two.EventCount, 2);
    EXPECT_EQ(two.events[1].ServiceID, 0x12);
    EXPECT_EQ(two.events[1].EventID, 0x13);
    EXPECT_EQ(two.PrivateData, nullptr);

    // A relay group too short for one entry holds none.
    Item shortRelay(27);
    ASSERT_EQ(shortRelay.decode({0x05, 0x51, 1, 2, 3, 4}), JQ_OK);
    EXPECT_EQ(shortRelay.info.eventGroups->groups[0].otherEventCount, 0);
    EXPECT_EQ(shortRelay.info.eventGroups->groups[0].otherEvents, nullptr);
}

TEST(EventGroups, MalformedPayloads) {
    checkPrefixes(27, kSameNetwork + kOtherNetwork + kNoEvents + kTwoEvents,
                  {kSameNetwork.size(), kSameNetwork.size() + kOtherNetwork.size(),
                   kSameNetwork.size() + kOtherNetwork.size() + kNoEvents.size(),
                   kSameNetwork.size() + kOtherNetwork.size() + kNoEvents.size() + kTwoEvents.size()});
    const Bytes malformed[] = {
        {0x00},                                  // no room for the type byte
        {0x00, 0x02, 0x00, 0x00},                // length 0: the type byte is not the group's
        {0x03, 0x11, 0x00, 0x01, 0x01, 0x00},    // the event runs past its group
        {0x05, 0x12, 0x00, 0x01, 0x00, 0x02},    // the second event is missing
        kTwoEvents + Bytes{0x05, 0x11, 0x00},    // the last group runs past the payload
    };
    for (const Bytes& bytes : malformed) {
        Item item(27);
        EXPECT_EQ(item.decode(bytes), kAuxItemError);
    }
}

TEST(EventGroups, CsvLines) {
    Item item(27);
    ASSERT_EQ(item.decode(kSameNetwork + kOtherNetwork + kNoEvents + kTwoEvents), JQ_OK);
    const std::string header = "GroupLength,GroupType,EventCount,PrivateDataLength,PrivateData\n";
    EXPECT_EQ(item.csv(), header + "7,1,1,2,PD\nServiceID,EventID\n1025,1282\n" + header +
                              "20,4,1,0,\nOriginalNID,TSID,ServiceID,EventID\n1,2,3,4\n65535,5,6,7\n" +
                              header + "3,2,0,0,\nOriginalNID,TSID,ServiceID,EventID\n" + header +
                              "9,2,2,0,\nServiceID,EventID\n16,17\n18,19\n");
}

// --- EIT versions -----------------------------------------------------------------

const Bytes kEitVersion = {0x05, 0xFE, 0xDC, 0xBA, 0x98, 0xC3, 0x50, 0x23, 0x5A, 0x59,
                           0x1F, 0x00, 0x00, 0x00, 0x10, 0xEA, 0x5F, 0x0A, 0xA0, 0x99,
                           0x20, 0x80, 0x01, 0x40, 0x12, 0x34, 0x03, 0x00, 0xFF, 0xFF};

TEST(EitVersions, FieldsAndSizes) {
    Item item(28);
    ASSERT_EQ(item.decode(kEitVersion + Bytes{0xEE}), JQ_OK);  // a byte beyond the 30 is not read
    const EitVersionInfo& v = *item.info.eitVersion;
    EXPECT_EQ(v.BasicEITVer, 5);
    EXPECT_EQ(v.BasicCRC, 0xFEDCBA98u);
    EXPECT_EQ(v.BasicTimeStampMJD, 50000);
    EXPECT_EQ(v.BasicTimeStampYear, 1995);
    EXPECT_EQ(v.BasicTimeStampMonth, 10);
    EXPECT_EQ(v.BasicTimeStampDay, 10);
    EXPECT_EQ(v.BasicTimeStampHour, 23);
    EXPECT_EQ(v.BasicTimeStampMin, 50);  // 0x5A: the digit A counts 0
    EXPECT_EQ(v.BasicTimeStampSec, 59);
    EXPECT_EQ(v.ExtEITVer, 0x1F);
    EXPECT_EQ(v.ExtCRC, 16u);
    EXPECT_EQ(v.ExtTimeStampMJD, 59999);
    EXPECT_EQ(v.ExtTimeStampYear, 2023);
    EXPECT_EQ(v.ExtTimeStampMonth, 2);
    EXPECT_EQ(v.ExtTimeStampDay, 24);
    EXPECT_EQ(v.ExtTimeStampHour, 0);
    EXPECT_EQ(v.ExtTimeStampMin, 0);
    EXPECT_EQ(v.ExtTimeStampSec, 99);
    EXPECT_EQ(v.SIEventNameLength, 0x20);
    EXPECT_EQ(v.SIEventNameCRC, 0x8001);
    EXPECT_EQ(v.SIEventTextLength, 0x40);
    EXPECT_EQ(v.SIEventTextCRC, 0x1234);
    EXPECT_EQ(v.SIEventExtLength, 0x0300);
    EXPECT_EQ(v.SIEventExtCRC, 0xFFFF);

    for (size_t n = 0; n < kEitVersion.size(); ++n) {
        Item shorter(28);
        EXPECT_EQ(shorter.decode(kEitVersion, n), kAuxItemError) << n;
        EXPECT_EQ(shorter.info.eitVersion, nullptr);
    }
}

TEST(EitVersions, CsvLines) {
    Item item(28);
    ASSERT_EQ(item.decode(kEitVersion), JQ_OK);
    EXPECT_EQ(item.csv(),
              "BasicEITVer,BasicCRC,BasicTimeStampMJD,BasicTimeStampYear,BasicTimeStampMonth,"
              "BasicTimeStampDay,BasicTimeStampHour,BasicTimeStampMin,BasicTimeStampSec,ExtEITVer,"
              "ExtCRC,ExtTimeStampMJD,ExtTimeStampYear,ExtTimeStampMonth,ExtTimeStampDay,"
              "ExtTimeStampHour,ExtTimeStampMin,ExtTimeStampSec,SIEventNameLength,SIEventNameCRC,"
              "SIEventTextLength,SIEventTextCRC,SIEventExtLength,SIEventExtCRC\n"
              "5,-19088744,50000,1995,10,10,23,50,59,31,"
              "16,59999,2023,2,24,0,0,99,32,32769,64,4660,768,65535\n");
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
