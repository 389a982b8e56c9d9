// component_items_test.cpp - the component and access-control items (video
// and audio components, copy control, conditional access, component groups):
// hand-written payloads checked through their CSV lines byte for byte, every
// truncation of them, and release of partly filled slots.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "arib_text.h"
#include "child_run.h"
#include "records/aux_items.h"
#include "test_files.h"

namespace jq::records {
namespace {

using namespace std::string_literals;
using Bytes = std::vector<uint8_t>;

// An item of one InfoType, handled through the kind table.
class Item {
public:
    explicit Item(uint8_t type) : kind_(*findAuxItemKind(type)) { info.InfoType = type; }
    ~Item() { kind_.release(info); }

    // Decodes a heap copy of exactly `size` payload bytes, so that
    // AddressSanitizer sees any read past them.
    JQStatus decode(const Bytes& payload, size_t size) {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
        std::copy_n(payload.begin(), size, copy.get());
        info.InfoSize = static_cast<uint32_t>(size);
        return kind_.decode({copy.get(), size}, info);
    }
    JQStatus decode(const Bytes& payload) { return decode(payload, payload.size()); }

    bool present() const { return kind_.present(info); }
    void release() { kind_.release(info); }

    std::string csv() const {
        test::TempFolder folder("component_items");
        const auto file = folder.path() / "item.csv";
        {
            CsvFile out = CsvFile::create(test::toJQ(file).c_str());
            kind_.write(info, out);
        }
        return test::readFile(file);
    }

    AuxInfo info{};

private:
    const AuxItemKind& kind_;
};

Bytes cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A text field: its length byte and its broadcast bytes.
Bytes text(const std::string& shiftJis) {
    return cat({static_cast<uint8_t>(write::encodeAribText(shiftJis).size())},
               write::encodeAribText(shiftJis));
}

const std::string kFeeName = "PPV\x97\xbf\x8b\xe0";  // "PPV" and two Kanji
const std::string kGroupText = "\x89\x66\x91\x9c";   // two Kanji

const Bytes kVideo = {0x10, 0x20, 0x03, 0x41, 0x42, 0x43, 0x11, 0x21, 0x00};
// Seven bytes and an empty text; ESML: ten bytes and a text. Bit 0 of byte 3
// is not part of the sampling rate.
const Bytes kAudio = cat({0x02, 0x10, 0x01, 0x5F, 'j', 'p', 'n', 0x00},
                         {0x03, 0x11, 0x02, 0xA3, 'j', 'p', 'n', 'e', 'n', 'g', 0x02, 'x', 'y'});
const Bytes kCopyControl = {0x1C, 0x05, 0x05, 0x00, 0x06, 0x20, 0x40};
const Bytes kCopyControlRate = {0xE9, 0x7F, 0xAA};  // the last byte is not read
// Contract bytes are copied as they are, a comma and a line feed included.
const Bytes kContracts =
    cat(cat({0x80, 0x00, 0x05, 0x12, 0x30, 0x31, 0x03, 0x01, ',', '\n'}, text(kFeeName)),
        {0x00, 0x06, 0x20, 0x00, 0x00});
const size_t kFirstContractEnd = 10 + text(kFeeName).size();
const Bytes kGroups =
    cat(cat({0x52, 0x12, 0x32, 0x40, 0x41, 0x40, 0x20}, text(kGroupText)), {0x20, 0x30, 0x00});

const std::string kCopyControlHeader =
    "CCF,MBRF,DRecordCtrlData,CopyCtrlType,APSCtrlData,MaxBitRate,ComponentCtrlSize\n";
const std::string kCopyEntryHeader =
    "CCF,MBRF,DRecordCtrlData,CopyCtrlType,APSCtrlData,MaxBitRate\n";
const std::string kContractHeader =
    "CASystemID,UnitID,ComponentCount,ContractCount,Contract,FeeNameLength,FeeName\n";
const std::string kGroupHeader = "GroupID,UnitCount,TotalBitRate,DescTextLength,DescText\n";

TEST(ComponentItems, FieldsAsWritten) {
    struct Case {
        uint8_t type;
        Bytes payload;
        std::string csv;
    };
    const Case cases[] = {
        {20, kVideo,
         "ComponentType,ComponentTag,DescTextLength,DescText\n0x10,0x20,0,\n0x11,0x21,0,\n"},
        {21, kAudio,
         "ComponentType,ComponentTag,SimulcastGroupTag,ESML,MCOM,Quality,SamplingRate,"
         "MainChLanguage,SubChLanguage,DescTextLength,DescText\n"
         "0x02,0x10,1,0,1,1,7,jpn,\0\0\0,0,\n"
         "0x03,0x11,2,1,0,2,1,jpn,eng,0,\n"s},
        {22, kCopyControl,
         kCopyControlHeader + "1,0,0,3,0,0,2\n" + kCopyEntryHeader + "5,0,0,0,0,0\n6,1,0,0,0,64\n"},
        {22, kCopyControlRate, kCopyControlHeader + "0,1,3,2,1,127,0\n" + kCopyEntryHeader},
        // The record's own rate, then entries with and without one.
        {22,
         {0x30, 0x64, 0x05, 0x07, 0xE5, 0x10, 0x08, 0x00},
         kCopyControlHeader + "1,1,0,0,0,100,2\n" + kCopyEntryHeader +
             "7,1,3,1,1,16\n8,0,0,0,0,0\n"},
        {22, {0x10, 0x00}, kCopyControlHeader + "1,0,0,0,0,0,0\n" + kCopyEntryHeader},
        {23, {0x7F, 0x00, 0x05, 0x1F}, "PayFlag,CAListSize\n0,0\n"},  // no contracts read
        {23, {0x80}, "PayFlag,CAListSize\n1,0\n" + kContractHeader},
        {23, kContracts,
         "PayFlag,CAListSize\n1,2\n" + kContractHeader + "0x0005,0x01,2,3,\x01,\n," +
             std::to_string(kFeeName.size() + 1) + "," + kFeeName +
             "\0\nComponentList\n0x30\n0x31\n0x0006,0x02,0,0,,0,\n"s},
        {24, cat(kGroups, {0xEE}),  // a byte after the groups is not read
         "TotalBitRateFlag,GroupType,GroupCount\n1,2,2\n" + kGroupHeader + "1,2,32,5," +
             kGroupText +
             "\0\nUnitID,CompCount\n3,2\nComponentTag\n64\n65\n"
             "UnitID,CompCount\n4,0\nComponentTag\n"s +
             kGroupHeader + "2,0,48,0,\n"},
        {24,
         {0x01, 0x70, 0x00},  // no rate byte without the flag
         "TotalBitRateFlag,GroupType,GroupCount\n0,0,1\n" + kGroupHeader + "7,0,0,0,\n"},
        {24, {0xE0}, "TotalBitRateFlag,GroupType,GroupCount\n0,7,0\n"},
    };
    for (const Case& c : cases) {
        Item item(c.type);
        ASSERT_EQ(item.decode(c.payload), JQ_OK) << int(c.type);
        EXPECT_EQ(item.csv(), c.csv) << int(c.type);
    }
}

TEST(ComponentItems, EmptyListsAndTextsAreNull) {
    Item video(20), audio(21), copy(22), access(23), groups(24), noGroups(24);
    ASSERT_EQ(video.decode(kVideo), JQ_OK);
    EXPECT_EQ(video.info.videoComponents->entries[1].DescText, nullptr);
    ASSERT_EQ(audio.decode(kAudio), JQ_OK);
    EXPECT_EQ(audio.info.audioComponents->entries[1].DescText, nullptr);
    ASSERT_EQ(copy.decode({0x10, 0x00}), JQ_OK);
    EXPECT_EQ(copy.info.copyControl->components, nullptr);
    ASSERT_EQ(access.decode(kContracts), JQ_OK);
    const CAContract& second = access.info.conditionalAccess->contracts[1];
    EXPECT_EQ(second.ComponentList, nullptr);
    EXPECT_EQ(second.Contract, nullptr);
    EXPECT_EQ(second.FeeName, nullptr);
    ASSERT_EQ(groups.decode(kGroups), JQ_OK);
    EXPECT_EQ(groups.info.componentGroups->groups[0].units[1].ComponentTag, nullptr);
    EXPECT_EQ(groups.info.componentGroups->groups[1].units, nullptr);
    EXPECT_EQ(groups.info.componentGroups->groups[1].DescText, nullptr);
    ASSERT_EQ(noGroups.decode({0x00}), JQ_OK);
    EXPECT_EQ(noGroups.info.componentGroups->groups, nullptr);
}

TEST(ComponentItems, FeeNameIsCutToItsLengthField) {
    // 255 spaces become two-byte ideographic spaces: 127 of them and the NUL.
    Item item(23);
    ASSERT_EQ(item.decode(cat({0x80, 0x00, 0x01, 0x00, 0x00, 0xFF}, Bytes(255, 0x20))), JQ_OK);
    const CAContract& contract = item.info.conditionalAccess->contracts[0];
    ASSERT_EQ(contract.FeeNameLength, 255);
    std::string spaces;
    for (int i = 0; i < 127; ++i) spaces += "\x81\x40";
    EXPECT_EQ(std::string(contract.FeeName, 255), spaces + '\0');
}

TEST(ComponentItems, MalformedPayloads) {
    for (uint8_t type = 20; type <= 24; ++type) {
        Item item(type);
        item.release();  // an empty slot
        EXPECT_EQ(item.decode({}), kAuxItemError) << int(type);
        EXPECT_FALSE(item.present());
    }
    // Copy-control entries end within their byte size, although the payload
    // holds more; an entry area larger than the payload.
    for (const Bytes& bad : {Bytes{0x10, 0x03, 0x05, 0x00, 0x06, 0x20, 0x40},
                             Bytes{0x10, 0x01, 0x05, 0x00}, Bytes{0x10, 0x09, 0x05, 0x00}}) {
        EXPECT_EQ(Item(22).decode(bad), kAuxItemError);
    }

    // Every truncation fails, but for those that end on an entry boundary of
    // a list that runs to the end of the payload. A failed decode may leave a
    // partly filled slot: releasing it frees everything (LeakSanitizer).
    struct Case {
        uint8_t type;
        Bytes payload;
        std::vector<size_t> goodPrefixes;
    };
    const Case cases[] = {
        {20, kVideo, {6}},
        {21, kAudio, {8}},
        {22, kCopyControl, {}},
        {22, kCopyControlRate, {2}},
        {23, kContracts, {1, kFirstContractEnd}},
        {24, kGroups, {}},
    };
    for (const Case& c : cases) {
        for (size_t size = 0; size < c.payload.size(); ++size) {
            Item item(c.type);
            const bool good = std::count(c.goodPrefixes.begin(), c.goodPrefixes.end(), size) != 0;
            EXPECT_EQ(item.decode(c.payload, size), good ? JQStatus{JQ_OK} : kAuxItemError)
                << "type " << int(c.type) << ", " << size << " bytes";
            item.release();
            EXPECT_FALSE(item.present());
        }
    }
}

}  // namespace
}  // namespace jq::records
