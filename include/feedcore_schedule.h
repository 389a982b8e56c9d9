/*
 * feedcore_schedule.h - programme schedule records (types 'L', 'M', 'Q').
 *
 * Included by feedcore.h. One ScheduleRecord per package: a channel's day as
 * a list of schedule items (SIE), each with its texts, booking code and a
 * list of auxiliary items (AuxInfo). Texts are NUL-terminated Shift-JIS
 * (code page 932) held as char arrays; every Length field counts the bytes
 * of its array, NUL included. Multi-field records are owned by the record
 * that points to them.
 */
#ifndef FEEDCORE_SCHEDULE_H
#define FEEDCORE_SCHEDULE_H

#include <stdint.h>

/* --- auxiliary item payloads: programme description ---------------------- */

/* InfoType 1. */
typedef struct SeriesInfo {
    uint16_t Episode;
    uint16_t TotalEpisode;
    uint8_t SeriesCtrlFlag;
    uint8_t SeriesInfoFlag;
    uint8_t Repeat;
    uint8_t ProgramFlag;
    uint8_t ProgramPattern;
    uint16_t SeriesID;
    uint8_t ExpireFlag;
    uint16_t ExpireDate;     /* Modified Julian Date */
    uint16_t EDYear;
    uint8_t EDMonth;
    uint8_t EDDay;
    uint8_t SeriesNameLength;
    char* SeriesName;
} SeriesInfo;

/* InfoType 3. */
typedef struct KeywordCodeList {
    uint32_t count;
    uint16_t* KeywordCode;
} KeywordCodeList;

/* InfoType 4. */
typedef struct PackageIDList {
    uint32_t count;
    uint32_t* PackageID;
} PackageIDList;

typedef struct CategoryPair {
    uint8_t MajorCategory;
    uint8_t MinorCategory;
} CategoryPair;

/* InfoType 5. */
typedef struct CategoryPairList {
    uint32_t count;
    CategoryPair* pairs;
} CategoryPairList;

/* InfoType 6. */
typedef struct ParentalInfo {
    char CountryCode[3];
    uint8_t ParentalRating;
} ParentalInfo;

typedef struct ContentNibblePair {
    uint8_t ContentNibble;
    uint8_t UserNibble;
} ContentNibblePair;

/* InfoType 7. */
typedef struct ContentNibbleList {
    uint32_t count;
    ContentNibblePair* pairs;
} ContentNibbleList;

/* InfoType 8. */
typedef struct ActorIDList {
    uint32_t count;
    uint16_t* ActorID;
} ActorIDList;

/* InfoType 18. */
typedef struct TimeShiftInfo {
    uint16_t OriginalNID;
    uint8_t SIStartSecond;
    uint32_t SIDureSecond;   /* the decimal number hhmmss */
    uint8_t SIDureHour;
    uint8_t SIDureMin;
    uint8_t SIDureSec;
} TimeShiftInfo;

/* InfoType 29. */
typedef struct AdditionalTextInfo {
    uint8_t TitleLength;
    char* Title;
    uint16_t Lv1Length;
    char* Lv1Details;
    uint16_t Lv2Length;
    char* Lv2Details;
} AdditionalTextInfo;

/* InfoType 30. */
typedef struct IconList {
    uint32_t length;
    uint8_t* IconCode;
} IconList;

/* --- auxiliary item payloads: components and access control -------------- */

typedef struct VideoComponent {
    uint8_t ComponentType;
    uint8_t ComponentTag;
    uint8_t DescTextLength;  /* always 0 */
    char* DescText;          /* always null */
} VideoComponent;

/* InfoType 20. */
typedef struct VideoComponentList {
    uint32_t count;
    VideoComponent* entries;
} VideoComponentList;

typedef struct AudioComponent {
    uint8_t ComponentType;
    uint8_t ComponentTag;
    uint8_t SimulcastGroupTag;
    uint8_t ESML;
    uint8_t MCOM;
    uint8_t Quality;
    uint8_t SamplingRate;
    char MainChLanguage[3];
    char SubChLanguage[3];   /* zero unless ESML */
    uint8_t DescTextLength;  /* always 0 */
    char* DescText;          /* always null */
} AudioComponent;

/* InfoType 21. */
typedef struct AudioComponentList {
    uint32_t count;
    AudioComponent* entries;
} AudioComponentList;

typedef struct CopyControlComponent {
    uint8_t ComponentTag;
    uint8_t MBRF;
    uint8_t DRecordCtrlData;
    uint8_t CopyCtrlType;
    uint8_t APSCtrlData;
    uint8_t MaxBitRate;
} CopyControlComponent;

/* InfoType 22. */
typedef struct CopyControlInfo {
    uint8_t CCF;
    uint8_t MBRF;
    uint8_t DRecordCtrlData;
    uint8_t CopyCtrlType;
    uint8_t APSCtrlData;
    uint8_t MaxBitRate;
    uint8_t ComponentCtrlSize;          /* number of components */
    CopyControlComponent* components;   /* null when there are none */
} CopyControlInfo;

typedef struct CAContract {
    uint16_t CASystemID;
    uint8_t UnitID;
    uint8_t ComponentCount;
    uint8_t* ComponentList;
    uint8_t ContractCount;
    uint8_t* Contract;
    uint8_t FeeNameLength;
    char* FeeName;
} CAContract;

/* InfoType 23. */
typedef struct ConditionalAccessInfo {
    uint8_t PayFlag;
    uint32_t CAListSize;
    CAContract* contracts;
} ConditionalAccessInfo;

typedef struct ComponentGroupUnit {
    uint8_t UnitID;
    uint8_t CompCount;
    uint8_t* ComponentTag;
} ComponentGroupUnit;

typedef struct ComponentGroup {
    uint8_t GroupID;
    uint8_t UnitCount;
    ComponentGroupUnit* units;
    uint8_t TotalBitRate;
    uint8_t DescTextLength;
    char* DescText;
} ComponentGroup;

/* InfoType 24. */
typedef struct ComponentGroupInfo {
    uint8_t TotalBitRateFlag;
    uint8_t GroupType;
    uint8_t GroupCount;
    ComponentGroup* groups;
} ComponentGroupInfo;

/* --- auxiliary item payloads: data broadcasting and event relations ------- */

typedef struct ModuleCarousel {
    uint8_t CompTag;
    uint8_t NDEV;
    uint8_t NMOD;
    uint8_t NRES;
    uint8_t CCSZ;
    uint8_t CSZF;
    uint8_t DTID;
    uint8_t DIIT;
    uint8_t DLKR;
    uint16_t NDataEvent;
    uint32_t NModules;
    uint32_t NResource;
    uint32_t CompressCompSize;
    uint32_t CompSize;
    uint32_t TransactionID;
    uint32_t DIITimeOut;
    uint32_t LeakRate;
} ModuleCarousel;

typedef struct PlainCarousel {
    uint8_t CompTag;
    uint8_t EVST;
    uint8_t CSZF;
    uint8_t DTID;
    uint8_t DIIT;
    uint8_t DLKR;
    uint32_t CompSize;
    uint32_t TransactionID;
    uint32_t DIITimeOut;
    uint32_t LeakRate;
} PlainCarousel;

typedef struct BmlInfo {
    uint8_t TF;
    uint8_t ASTT;
    uint8_t DRES;
    uint8_t UXML;
    uint8_t DVER;
    uint8_t INDP;
    uint8_t CTNT;
    uint8_t ACTN;
    uint8_t TVST;
    uint8_t UPDF;
    char LanguageCode[3];
    uint32_t ContentID;
    uint16_t ContentVer;
    uint16_t BMLMajorVer;
    uint16_t BMLMinorVer;
    uint16_t BXMLMajorVer;
    uint16_t BXMLMinorVer;
    uint8_t CarouselCount;
    ModuleCarousel* modules;   /* TF not 0 */
    PlainCarousel* plain;      /* TF 0 */
    uint8_t ONDR;
    uint8_t FLST;
} BmlInfo;

typedef struct CaptionLanguage {
    uint8_t LangTag;
    uint8_t DMF;
    char Language[3];
} CaptionLanguage;

typedef struct CaptionInfo {
    uint8_t LangCount;
    CaptionLanguage* languages;
} CaptionInfo;

typedef struct DataContent {
    uint16_t CopmID;
    uint8_t EntryComp;
    uint8_t SelectorLength;
    BmlInfo* bml;              /* CopmID 7, 11, 12 */
    CaptionInfo* caption;      /* CopmID 8 */
    uint8_t CompRefCount;
    uint8_t* CompRefList;
    char Country[3];
    uint8_t TitleLength;
    char* Title;
} DataContent;

/* InfoType 25. */
typedef struct DataContentList {
    uint32_t count;
    DataContent* entries;
} DataContentList;

typedef struct EventRef {
    uint16_t ServiceID;
    uint16_t EventID;
} EventRef;

typedef struct OtherNetworkEvent {
    uint16_t OriginalNID;
    uint16_t TSID;
    uint16_t ServiceID;
    uint16_t EventID;
} OtherNetworkEvent;

typedef struct EventGroup {
    uint8_t GroupLength;
    uint8_t GroupType;
    uint8_t EventCount;
    EventRef* events;                 /* EventCount entries, or null */
    OtherNetworkEvent* otherEvents;   /* otherEventCount entries, or null */
    uint8_t otherEventCount;
    uint8_t PrivateDataLength;
    uint8_t* PrivateData;
} EventGroup;

/* InfoType 27. */
typedef struct EventGroupList {
    uint32_t count;
    EventGroup* groups;
} EventGroupList;

/* InfoType 28. */
typedef struct EitVersionInfo {
    uint8_t BasicEITVer;
    uint32_t BasicCRC;
    uint16_t BasicTimeStampMJD;
    uint16_t BasicTimeStampYear;
    uint8_t BasicTimeStampMonth;
    uint8_t BasicTimeStampDay;
    uint8_t BasicTimeStampHour;
    uint8_t BasicTimeStampMin;
    uint8_t BasicTimeStampSec;
    uint8_t ExtEITVer;
    uint32_t ExtCRC;
    uint16_t ExtTimeStampMJD;
    uint16_t ExtTimeStampYear;
    uint8_t ExtTimeStampMonth;
    uint8_t ExtTimeStampDay;
    uint8_t ExtTimeStampHour;
    uint8_t ExtTimeStampMin;
    uint8_t ExtTimeStampSec;
    uint8_t SIEventNameLength;
    uint16_t SIEventNameCRC;
    uint8_t SIEventTextLength;
    uint16_t SIEventTextCRC;
    uint16_t SIEventExtLength;
    uint16_t SIEventExtCRC;
} EitVersionInfo;

/* --- schedule items ------------------------------------------------------- */

/* An auxiliary item: its header and the payload slot of its InfoType; the
 * other slots are null, and so is its own slot in an 'M' item kept without
 * payload. */
typedef struct AuxInfo {
    uint8_t ITF;        /* 1: long header form */
    uint8_t InfoType;
    uint32_t InfoSize;  /* payload bytes */
    SeriesInfo* series;                     /* 1 */
    KeywordCodeList* keywordCodes;          /* 3 */
    PackageIDList* packageIDs;              /* 4 */
    CategoryPairList* categoryPairs;        /* 5 */
    ParentalInfo* parental;                 /* 6 */
    ContentNibbleList* contentNibbles;      /* 7 */
    ActorIDList* actorIDs;                  /* 8 */
    TimeShiftInfo* timeShift;               /* 18 */
    VideoComponentList* videoComponents;    /* 20 */
    AudioComponentList* audioComponents;    /* 21 */
    CopyControlInfo* copyControl;           /* 22 */
    ConditionalAccessInfo* conditionalAccess; /* 23 */
    ComponentGroupInfo* componentGroups;    /* 24 */
    DataContentList* dataContents;          /* 25 */
    EventGroupList* eventGroups;            /* 27 */
    EitVersionInfo* eitVersion;             /* 28 */
    AdditionalTextInfo* additionalText;     /* 29 */
    IconList* icons;                        /* 30 */
} AuxInfo;

/* A schedule item entry: one programme. A length of 255 (0xFFFF for the
 * details) marks a field as not present; only 'M' records use it. */
typedef struct SIE {
    uint32_t SIESize;
    uint16_t StartMinute;
    uint8_t MajorCategory;
    uint8_t SpecialCategory;
    uint8_t Feature;
    uint32_t ShowID;
    uint8_t TitleLength;
    char* Title;
    uint16_t Lv1DetaileLength;
    char* Lv1Detail;
    uint16_t Lv2DetaileLength;
    char* Lv2Detail;
    uint8_t BookCodeLength;   /* digits + 1 */
    char* BookCode;           /* ASCII digits */
    uint8_t MinorCategory;
    uint32_t AuxListSize;
    AuxInfo* AuxList;         /* null without auxiliary bytes */
} SIE;

/* Types 0x4C ('L'), 0x4D ('M') and 0x51 ('Q'). */
typedef struct ScheduleRecord {
    uint16_t GCN;
    uint16_t JulianDay;   /* day 1 is 1 January 1992 */
    uint16_t JDYear;
    uint8_t JDMonth;
    uint8_t JDDay;
    uint8_t SectorNumber;
    uint32_t SIEListSize;
    SIE* SIEList;         /* null when empty */
} ScheduleRecord;

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(AuxInfo) == 80, "AuxInfo layout");
static_assert(sizeof(SIE) == 60, "SIE layout");
static_assert(sizeof(ScheduleRecord) == 20, "ScheduleRecord layout");
#endif
#if (defined(_WIN64) || defined(__LP64__)) && defined(__cplusplus)
static_assert(sizeof(AuxInfo) == 152, "AuxInfo layout");
static_assert(sizeof(SIE) == 96, "SIE layout");
static_assert(sizeof(ScheduleRecord) == 24, "ScheduleRecord layout");
#endif

#endif /* FEEDCORE_SCHEDULE_H */
