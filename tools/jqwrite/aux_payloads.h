// aux_payloads.h - the payloads of the auxiliary items of a schedule item,
// built from readable fields.
//
// One struct per InfoType, named after what it holds, with its InfoType as
// kInfoType; payload() gives its bytes and item() a whole AuxItem. Flags that
// only say whether a field follows are not fields here: an optional field
// that holds a value sets its flag. Texts are raw ARIB 8-unit bytes
// (encodeAribText). Every value is checked against its field's width;
// std::invalid_argument names the one that does not fit. Multi-byte numbers
// are written big-endian, decimal time fields as BCD.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "schedule_data.h"

namespace jq::write::aux {

// ---- Programme description ---------------------------------------------------

struct Series {
    static constexpr uint8_t kInfoType = 1;
    // 15 bits each: one byte below 128, else two (bit 7 of the first set).
    uint16_t episode = 0;
    uint16_t totalEpisode = 0;
    bool wideEpisode = false;  // two bytes also below 128
    bool wideTotalEpisode = false;
    struct Control {
        uint8_t repeat = 0;          // 4 bits
        uint8_t programFlag = 0;     // 1 bit
        uint8_t programPattern = 0;  // 3 bits
    };
    std::optional<Control> control;  // SeriesCtrlFlag
    struct Identity {
        uint16_t seriesId = 0;
        std::optional<uint16_t> expireDate;  // Modified Julian Date; ExpireFlag
    };
    std::optional<Identity> identity;  // SeriesInfoFlag
    Bytes seriesName;                  // at most 63 bytes
};

struct KeywordCodes {
    static constexpr uint8_t kInfoType = 3;
    std::vector<uint16_t> codes;
};

struct PackageIds {
    static constexpr uint8_t kInfoType = 4;
    std::vector<uint32_t> ids;
};

struct CategoryPairs {
    static constexpr uint8_t kInfoType = 5;
    struct Pair {
        uint8_t majorCategory = 0;  // 4 bits
        uint8_t minorCategory = 0;  // 4 bits
    };
    std::vector<Pair> pairs;
};

struct Parental {
    static constexpr uint8_t kInfoType = 6;
    std::string countryCode = "JPN";  // 3 characters
    uint8_t parentalRating = 0;
};

struct ContentNibbles {
    static constexpr uint8_t kInfoType = 7;
    struct Pair {
        uint8_t contentNibble = 0;
        uint8_t userNibble = 0;
    };
    std::vector<Pair> pairs;
};

struct ActorIds {
    static constexpr uint8_t kInfoType = 8;
    std::vector<uint16_t> ids;
};

// Decimal values, written as two BCD digits each (0-99).
struct TimeShift {
    static constexpr uint8_t kInfoType = 18;
    uint16_t originalNid = 0;
    uint8_t startSecond = 0;
    uint8_t hours = 0;
    uint8_t minutes = 0;
    uint8_t seconds = 0;
};

struct AdditionalTexts {
    static constexpr uint8_t kInfoType = 29;
    Bytes title;    // at most 255 bytes
    Bytes detail1;  // at most 65,535 bytes
    Bytes detail2;
};

struct Icons {
    static constexpr uint8_t kInfoType = 30;
    Bytes codes;
};

// ---- Components and access control --------------------------------------------

struct VideoComponents {
    static constexpr uint8_t kInfoType = 20;
    struct Entry {
        uint8_t componentType = 0;
        uint8_t componentTag = 0;
        Bytes text;  // at most 255 bytes
    };
    std::vector<Entry> entries;
};

struct AudioComponents {
    static constexpr uint8_t kInfoType = 21;
    struct Entry {
        uint8_t componentType = 0;
        uint8_t componentTag = 0;
        uint8_t simulcastGroupTag = 0;
        uint8_t mcom = 0;                        // 1 bit
        uint8_t quality = 0;                     // 2 bits
        uint8_t samplingRate = 0;                // 3 bits
        std::string mainLanguage = "jpn";        // 3 characters
        std::optional<std::string> subLanguage;  // ESML
        Bytes text;                              // at most 255 bytes
    };
    std::vector<Entry> entries;
};

struct CopyControl {
    static constexpr uint8_t kInfoType = 22;
    uint8_t dRecordCtrlData = 0;        // 2 bits
    uint8_t copyCtrlType = 0;           // 2 bits
    uint8_t apsCtrlData = 0;            // 2 bits
    std::optional<uint8_t> maxBitRate;  // MBRF
    struct Component {
        uint8_t componentTag = 0;
        uint8_t dRecordCtrlData = 0;        // 2 bits
        uint8_t copyCtrlType = 0;           // 2 bits
        uint8_t apsCtrlData = 0;            // 2 bits
        std::optional<uint8_t> maxBitRate;  // MBRF
    };
    std::optional<std::vector<Component>> components;  // CCF
};

struct ConditionalAccess {
    static constexpr uint8_t kInfoType = 23;
    bool payFlag = true;  // without it, no contracts are sent
    struct Contract {
        uint16_t caSystemId = 0;
        uint8_t unitId = 0;                  // 4 bits
        std::vector<uint8_t> componentTags;  // at most 15
        Bytes contract;                      // at most 255 bytes
        Bytes feeName;                       // at most 255 bytes
    };
    std::vector<Contract> contracts;
};

struct ComponentGroups {
    static constexpr uint8_t kInfoType = 24;
    uint8_t groupType = 0;          // 3 bits
    bool totalBitRateFlag = false;  // each group then sends its totalBitRate
    struct Unit {
        uint8_t unitId = 0;                  // 4 bits
        std::vector<uint8_t> componentTags;  // at most 15
    };
    struct Group {
        uint8_t groupId = 0;      // 4 bits
        std::vector<Unit> units;  // at most 15
        uint8_t totalBitRate = 0;
        Bytes text;  // at most 255 bytes
    };
    std::vector<Group> groups;  // at most 15
};

// ---- Data broadcasting and event relations --------------------------------------

// LeakRate is 22 bits, sent as three bytes with the low two bits 0.
struct ModuleCarousel {
    uint8_t compTag = 0;
    std::optional<uint16_t> nDataEvent;        // each sets its flag: NDEV
    std::optional<uint32_t> nModules;          // NMOD
    std::optional<uint32_t> nResource;         // NRES
    std::optional<uint32_t> compressCompSize;  // CCSZ
    std::optional<uint32_t> compSize;          // CSZF
    std::optional<uint32_t> transactionId;     // DTID
    std::optional<uint32_t> diiTimeOut;        // DIIT
    std::optional<uint32_t> leakRate;          // DLKR
};

struct PlainCarousel {
    uint8_t compTag = 0;
    bool evst = false;
    std::optional<uint32_t> compSize;       // CSZF
    std::optional<uint32_t> transactionId;  // DTID
    std::optional<uint32_t> diiTimeOut;     // DIIT
    std::optional<uint32_t> leakRate;       // DLKR
};

// The selector of data component 7, 11 or 12 (BML). TF 0 sends plain
// carousel entries and the ONDR/FLST byte after them, any other TF module
// entries only.
struct BmlSelector {
    uint8_t tf = 0;  // 2 bits
    bool astt = false;
    uint8_t dres = 0;  // 4 bits
    bool uxml = false;
    bool indp = false;
    bool actn = false;
    bool tvst = false;
    bool updf = false;
    std::string languageCode = "jpn";
    struct Content {
        uint32_t contentId = 0;
        uint16_t contentVer = 0;
    };
    std::optional<Content> content;  // CTNT
    // The BML versions (DVER 0), and the BXML versions with them when UXML.
    struct Versions {
        uint16_t bmlMajorVer = 0;
        uint16_t bmlMinorVer = 0;
        uint16_t bxmlMajorVer = 0;
        uint16_t bxmlMinorVer = 0;
    };
    std::optional<Versions> versions;
    std::vector<ModuleCarousel> modules;  // TF not 0
    std::vector<PlainCarousel> plain;     // TF 0
    bool ondr = false;                    // TF 0
    bool flst = false;
};

// The selector of data component 8 (captions).
struct CaptionSelector {
    struct Language {
        uint8_t langTag = 0;  // 2 bits
        uint8_t dmf = 0;      // 4 bits
        std::string language = "jpn";
    };
    std::vector<Language> languages;
};

struct DataContents {
    static constexpr uint8_t kInfoType = 25;
    struct Entry {
        uint16_t copmId = 0;
        uint8_t entryComp = 0;
        std::optional<BmlSelector> bml;          // copmId 7, 11, 12
        std::optional<CaptionSelector> caption;  // copmId 8
        std::optional<uint8_t> selectorLength;   // fault: instead of the selector's size
        std::vector<uint8_t> compRefs;           // at most 255
        std::string country = "jpn";
        Bytes title;  // at most 255 bytes
    };
    std::vector<Entry> entries;
};

// Group types 4 and 5 relate events on other networks; the others events on
// this network, followed by private data.
struct EventGroups {
    static constexpr uint8_t kInfoType = 27;
    struct Event {
        uint16_t serviceId = 0;
        uint16_t eventId = 0;
    };
    struct OtherNetworkEvent {
        uint16_t originalNid = 0;
        uint16_t tsid = 0;
        uint16_t serviceId = 0;
        uint16_t eventId = 0;
    };
    struct Group {
        uint8_t groupType = 0;                       // 4 bits
        std::vector<Event> events;                   // at most 15
        std::vector<OtherNetworkEvent> otherEvents;  // group types 4 and 5
        Bytes privateData;                           // not for group types 4 and 5
        // EventCount instead of the number of entries (4 bits). Types 4 and
        // 5 carry their entries whatever it says, provided it is not 0.
        std::optional<uint8_t> eventCount;
    };
    std::vector<Group> groups;
};

struct EitVersion {
    static constexpr uint8_t kInfoType = 28;
    struct Stamp {
        uint8_t eitVer = 0;
        uint32_t crc = 0;
        uint16_t mjd = 0;  // Modified Julian Date
        uint8_t hour = 0;  // decimal, written as BCD
        uint8_t min = 0;
        uint8_t sec = 0;
    };
    Stamp basic;
    Stamp ext;
    uint8_t siEventNameLength = 0;
    uint16_t siEventNameCrc = 0;
    uint8_t siEventTextLength = 0;
    uint16_t siEventTextCrc = 0;
    uint16_t siEventExtLength = 0;
    uint16_t siEventExtCrc = 0;
};

Bytes payload(const Series& fields);
Bytes payload(const KeywordCodes& fields);
Bytes payload(const PackageIds& fields);
Bytes payload(const CategoryPairs& fields);
Bytes payload(const Parental& fields);
Bytes payload(const ContentNibbles& fields);
Bytes payload(const ActorIds& fields);
Bytes payload(const TimeShift& fields);
Bytes payload(const AdditionalTexts& fields);
Bytes payload(const Icons& fields);
Bytes payload(const VideoComponents& fields);
Bytes payload(const AudioComponents& fields);
Bytes payload(const CopyControl& fields);
Bytes payload(const ConditionalAccess& fields);
Bytes payload(const ComponentGroups& fields);
Bytes payload(const DataContents& fields);
Bytes payload(const EventGroups& fields);
Bytes payload(const EitVersion& fields);

// The item of a payload struct.
template <typename Fields>
AuxItem item(const Fields& fields, ItemForm form = ItemForm::Automatic) {
    return AuxItem(Fields::kInfoType, payload(fields), form);
}

}  // namespace jq::write::aux
