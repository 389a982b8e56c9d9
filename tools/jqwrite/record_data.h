// record_data.h - writes the record families other than objects, mosaics and
// schedules: the packet header and record data of a package from readable
// fields.
//
// Every count, length and size field is computed from the data given;
// values that do not fit their fields are refused with std::invalid_argument.
// Texts are bytes as they go on the wire (shiftJisFromUtf8 makes them from
// UTF-8); these families carry them as sent. A few deliberate faults
// (a wrong entry length, a wrong SMK echo) replace only the value they name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jqwrite.h"

namespace jq::write {

// A package of typeCode with the given header and data; every other field
// keeps the DataPackage default.
DataPackage recordPackage(uint8_t typeCode, Bytes packetHeader, Bytes plain);

// ---- Area codes: 0x71 one list, 0x72 lists by CMID, 0x7E lists by offset ----

struct AreaCode {
    uint32_t lower = 0;                 // 17 bits
    std::optional<uint32_t> upper;      // a range when given (17 bits)
};

struct AreaList {
    uint16_t cmid = 0;           // 0x72
    uint8_t halfHourOffset = 0;  // 0x7E: 1 bit each, then 4 bits
    uint8_t daylightSaving = 0;
    uint8_t offsetPolarity = 0;
    uint8_t offset = 0;
    std::vector<AreaCode> codes;
    bool terminated = true;  // EndIndicator on the last code
};

inline constexpr uint8_t kAreaList = 0x71;
inline constexpr uint8_t kCmidAreaLists = 0x72;
inline constexpr uint8_t kOffsetAreaLists = 0x7E;

// The record data of an area package; 0x71 takes exactly one list.
Bytes areaData(uint8_t typeCode, const std::vector<AreaList>& lists);

// ---- Reception rules: 0x75 and 0x85 ----------------------------------------------

struct ReceptionSchedule {
    uint8_t updateFlag = 0;     // 1 bit
    uint8_t dayOfWeek = 0;      // 3 bits
    uint16_t scheduleTime = 0;  // minutes, 11 bits
    uint8_t duration = 0;
};

struct ReceptionService {
    uint16_t nid = 0;
    uint16_t sid = 0;
    uint8_t componentTag = 0;
    std::vector<ReceptionSchedule> schedules;
};

struct ReceptionDescription {
    uint16_t gcn = 0;
    uint16_t nid = 0;
    uint16_t sid = 0;
    Bytes text;                      // at most 255 bytes
    std::vector<uint16_t> graphics;  // at most 255 references
};

inline constexpr uint8_t kInfoServices = 'R';
inline constexpr uint8_t kInfoDescription = 'u';

// The two header bytes: ReceptRule, InfoType.
Bytes receptionPacketHeader(uint8_t receptRule, uint8_t infoType);
Bytes receptionServicesData(const std::vector<ReceptionService>& services);
Bytes receptionDescriptionData(const ReceptionDescription& description);

// ---- Code download: 0x5B ------------------------------------------------------------

struct CodeDownload {
    uint16_t codeId = 0;
    uint8_t majorVer = 0;
    uint8_t minorVer = 0;
    uint8_t totalFileNum = 0;
    uint8_t fileNum = 0;
    uint16_t fileInfoSize = 0;
    uint16_t crc = 0;
    uint32_t codeOffset = 0;
    Bytes code;  // at most 65,535 bytes
};

Bytes codeDownloadPacketHeader(const CodeDownload& piece);
Bytes codeDownloadData(const CodeDownload& piece);

// ---- Station names: 0x70 -----------------------------------------------------------

struct Station {
    uint16_t gcn = 0;  // 14 bits
    uint16_t mosaicCode = 0;
    Bytes name;                       // at most 255 bytes
    std::optional<uint8_t> xcieSize;  // default: the bytes after it (5 + name)
};

Bytes stationData(const std::vector<Station>& stations);

// ---- Channel maps: 0xF3 ------------------------------------------------------------

// One service entry. kind: 1 analogue (AnalogCH 1-62), 2 digital, 3 second
// analogue form (AnalogCH 1-14), 4 source, 0 a skipped byte (value 0x00,
// 0x3F or 0x4F in skipByte).
struct ChannelEntry {
    uint8_t bandType = 1;
    uint8_t lastFlag = 0;
    uint8_t analogCh = 0;
    uint16_t nid = 0;
    uint16_t sid = 0;
    uint8_t serviceType = 0;
    uint8_t sourceType = 4;  // 4-15, so that the kind byte is 0x50-0x7F
    uint16_t multiCh = 0;    // 10 bits
    uint8_t skipByte = 0x00;
};

struct ChannelGroup {
    uint16_t gcn = 0;
    std::vector<ChannelEntry> entries;
};

Bytes channelEntryBytes(const ChannelEntry& entry);
Bytes channelMapData(const std::vector<ChannelGroup>& groups);

// ---- Code dictionaries: 0x5D and 0xE2 ---------------------------------------------

inline constexpr uint8_t kDictionary = 0x5D;
inline constexpr uint8_t kHostDictionary = 0xE2;

enum class Sct : uint8_t {
    Categories = 0,
    Keywords = 1,
    KeywordCategories = 2,
    Actors = 3,
    ActorCategories = 4,
    Icons = 5,  // 0xE2 only
};

struct CategoryEntry {
    uint8_t majorCode = 0;  // 4 bits
    uint8_t minorCode = 0;  // 4 bits
    Bytes text;
    Bytes desc;
    std::vector<std::pair<uint8_t, uint8_t>> contents;  // ContentNibble, UserNibble
};

struct KeywordEntry {
    uint16_t hostId = 0;  // 0xE2 only
    uint16_t code = 0;
    uint8_t category = 0;
    Bytes text;
};

// A keyword category or an actor category.
struct DictCategoryEntry {
    uint16_t hostId = 0;  // 0xE2 only
    uint8_t category = 0;
    Bytes text;
};

struct ActorEntry {
    uint16_t hostId = 0;  // 0xE2 only
    uint16_t birthYear = 0;
    uint8_t birthMonth = 0;
    uint8_t birthDay = 0;
    uint8_t gender = 0;
    Bytes stageName, pronunce, realName, origin, comment;
    std::vector<uint8_t> categories;
    uint16_t actorId = 0;
};

struct IconEntry {
    uint8_t displayFlag = 0;  // 1 bit
    uint8_t iconCode = 0;     // 5 bits
    Bytes desc;
};

// One sub-table; only the vector of sct is written.
struct Dictionary {
    uint8_t typeCode = kDictionary;
    Sct sct = Sct::Categories;
    std::vector<CategoryEntry> categories;
    std::vector<KeywordEntry> keywords;
    std::vector<DictCategoryEntry> keywordCategories;
    std::vector<ActorEntry> actors;
    std::vector<DictCategoryEntry> actorCategories;
    std::vector<IconEntry> icons;
};

// The header: SCT, then a zero byte (the decoder needs two).
Bytes dictionaryPacketHeader(const Dictionary& dictionary);
Bytes dictionaryData(const Dictionary& dictionary);

// ---- Topic messages: 0x61 and 0x6E -----------------------------------------------

struct TopicMessage {
    uint8_t messageId = 0;
    uint8_t serviceId = 0;
    uint16_t serialNumber = 0;
    uint16_t smk = 0;
    Bytes object;
    std::optional<uint16_t> dataSmk;  // fault: this leading value instead of SMK
};

Bytes topicMessagePacketHeader(const TopicMessage& message);
Bytes topicMessageData(const TopicMessage& message);

// ---- Topic lists: 0x6F and 0x62 ---------------------------------------------------

inline constexpr uint8_t kTopicList = 0x6F;        // full minor byte, MessageID
inline constexpr uint8_t kPackedTopicList = 0x62;  // packed categories

struct TopicEntry {
    uint32_t leadingValue = 0;
    uint8_t majorCategory = 0;  // 5 bits
    uint8_t minorCategory = 0;  // 3 bits in 0x62
    Bytes title;                // at most 255 bytes
    Bytes details;
    // The object reference: ObjectID and ServiceID, or exact bytes.
    std::optional<uint16_t> objectId;
    uint8_t serviceId = 0;
    std::optional<Bytes> reference;
    uint8_t messageId = 0;  // 0x6F only
};

// The two header bytes: 00, then the major category in bits 7-3.
Bytes topicListPacketHeader(uint8_t majorCategory);
Bytes topicEntryBytes(uint8_t typeCode, const TopicEntry& entry);
Bytes topicListData(uint8_t typeCode, const std::vector<TopicEntry>& entries);

// ---- MICP blocks: 0xF5 (container files) -------------------------------------------

// The eight header bytes: ObjectID, TotalBlockNumber, BlockNumber.
Bytes micpPacketHeader(uint32_t objectId, uint16_t totalBlocks, uint16_t blockNumber);

}  // namespace jq::write
