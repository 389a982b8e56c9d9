/*
 * feedcore_jqid.h - JQID tables (0xDF) and their entry records.
 *
 * Included by feedcore.h after the forward declarations of the record types.
 * A JQIDTable holds one package's entries; each JQIDEntry owns the one record
 * in the slot of its kind. JQIDs are 48-bit values held in 64 bits. Byte
 * buffers (MimeType, DocRef, Uri) hold the wire bytes and one zero byte; their
 * Size fields count that zero byte, and are 0 with a null buffer when the wire
 * held no bytes. idindex hands out the same JQIDEntry layout.
 */
#ifndef FEEDCORE_JQID_H
#define FEEDCORE_JQID_H

#include <stddef.h>
#include <stdint.h>

/* Seconds since 1991-12-31 00:00:00 and the calendar date and time they name
 * (Gregorian, no time zone, no leap seconds). */
typedef struct EpochTime {
    uint32_t seconds;
    uint16_t year;
    uint8_t month;
    uint8_t day;
    uint8_t hour;
    uint8_t minute;
    uint8_t second;
} EpochTime;

/* Kind 0: a programme identified by its event or by its time slot. */
typedef struct EventRecord {
    uint64_t JQID;
    uint16_t GCN;
    uint8_t IDType;          /* 0: by EventID; 1: by start date and time */
    EpochTime EffectiveDate;
    EpochTime ExpiryDate;
    uint16_t EventID;        /* IDType 0 only */
    uint16_t MJD;            /* IDType 1 only, like the fields below */
    uint16_t MJDYear;
    uint8_t MJDMonth;
    uint8_t MJDDay;
    uint16_t StartMinute;    /* 11 bits: minute of the day as sent */
    uint8_t StartHour;
    uint8_t StartMin;
    uint8_t StartSecond;     /* 6 bits */
    uint32_t DureMinute;     /* 18 bits */
    uint8_t DureSecond;      /* 6 bits */
} EventRecord;

/* Kinds 1001, 1003, 1005, 1400, 1500. */
typedef struct ByteIdRecord {
    uint64_t JQID;
    uint8_t ID;
    EpochTime EffectiveDate;
    EpochTime ExpiryDate;
} ByteIdRecord;

/* Kinds 1004, 1103. */
typedef struct WordIdRecord {
    uint64_t JQID;
    uint16_t ID;
    EpochTime EffectiveDate;
    EpochTime ExpiryDate;
} WordIdRecord;

/* Kinds 1100 (a PAD) and 1200 (a TAD). */
typedef struct LongIdRecord {
    uint64_t JQID;
    uint32_t ID;
    EpochTime EffectiveDate;
    EpochTime ExpiryDate;
} LongIdRecord;

/* Kind 1300. */
typedef struct MessageRecord {
    uint64_t JQID;
    uint8_t MessageID;
    uint8_t ServiceID;
    EpochTime EffectiveDate;
    EpochTime ExpiryDate;
} MessageRecord;

/* Kind 1002. */
typedef struct ActorRecord {
    uint64_t JQID;
    uint16_t ActorID;
    uint8_t MimeTypeSize;
    uint8_t* MimeType;
    uint32_t DocRefSize;
    uint8_t* DocRef;
    EpochTime EffectiveDate;
    EpochTime ExpiryDate;
} ActorRecord;

/* Kinds 1006, 1008, 1009, 1010, 1101, 1102, 1104, 1201, 1202, 1301, 1302. */
typedef struct UriRecord {
    uint64_t JQID;
    uint8_t MimeTypeSize;
    uint8_t* MimeType;
    uint32_t UriSize;
    uint8_t* Uri;
    EpochTime EffectiveDate;
    EpochTime ExpiryDate;
} UriRecord;

/* Kind 1600. */
typedef struct SponsorRecord {
    uint64_t JQID;
    uint32_t SponsorID;
    uint8_t MimeTypeSize;
    uint8_t* MimeType;
    uint32_t UriSize;
    uint8_t* Uri;
    EpochTime EffectiveDate;
    EpochTime ExpiryDate;
} SponsorRecord;

/* Kind 16384 (0x4000): a link from JQID1 to JQID2. */
typedef struct LinkRecord {
    uint64_t JQID1;
    uint64_t JQID2;
    EpochTime EffectiveDate;
    EpochTime ExpiryDate;
} LinkRecord;

/* One table entry: the slot of its kind holds its record, every other slot
 * is null. */
typedef struct JQIDEntry {
    uint32_t length;         /* entry length as sent: body bytes */
    uint32_t kind;           /* 0 event, 16384 link, else the table's CurrentGRT */
    EventRecord* event;
    ByteIdRecord* byteId1001;
    ActorRecord* actor1002;
    ByteIdRecord* byteId1003;
    WordIdRecord* wordId1004;
    ByteIdRecord* byteId1005;
    UriRecord* uri1006;
    UriRecord* uri1008;
    UriRecord* uri1009;
    UriRecord* uri1010;
    LongIdRecord* longId1100;
    UriRecord* uri1101;
    UriRecord* uri1102;
    WordIdRecord* wordId1103;
    UriRecord* uri1104;
    LongIdRecord* longId1200;
    UriRecord* uri1201;
    UriRecord* uri1202;
    MessageRecord* message1300;
    UriRecord* uri1301;
    UriRecord* uri1302;
    ByteIdRecord* byteId1400;
    ByteIdRecord* byteId1500;
    SponsorRecord* sponsor1600;
    LinkRecord* link;
} JQIDEntry;

/* One type-0xDF package. */
struct JQIDTable {
    uint8_t UpdatFlagCur;
    uint16_t CurrentGRT;     /* 15 bits; selects the kind of the entries */
    uint8_t UpdatFlagStart;
    uint16_t StartGRT;       /* 15 bits */
    uint8_t UpdatFlagEnd;
    uint16_t EndGRT;         /* 15 bits */
    EpochTime TimeStamp;
    JQIDEntry* entries;      /* null when the parse stopped before the entries */
    uint32_t entryCount;
};

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(EpochTime) == 12, "EpochTime layout");
static_assert(sizeof(EventRecord) == 64, "EventRecord layout");
static_assert(offsetof(EventRecord, DureMinute) == 52, "EventRecord layout");
static_assert(sizeof(ByteIdRecord) == 40, "ByteIdRecord layout");
static_assert(sizeof(WordIdRecord) == 40, "WordIdRecord layout");
static_assert(sizeof(LongIdRecord) == 40, "LongIdRecord layout");
static_assert(sizeof(MessageRecord) == 40, "MessageRecord layout");
static_assert(sizeof(ActorRecord) == 48, "ActorRecord layout");
static_assert(sizeof(UriRecord) == 48, "UriRecord layout");
static_assert(sizeof(SponsorRecord) == 56, "SponsorRecord layout");
static_assert(offsetof(SponsorRecord, EffectiveDate) == 28, "SponsorRecord layout");
static_assert(sizeof(LinkRecord) == 40, "LinkRecord layout");
static_assert(sizeof(JQIDEntry) == 108, "JQIDEntry layout");
static_assert(sizeof(JQIDTable) == 32, "JQIDTable layout");
#endif
#if (defined(_WIN64) || defined(__LP64__)) && defined(__cplusplus)
static_assert(sizeof(EventRecord) == 64, "EventRecord layout");
static_assert(sizeof(JQIDEntry) == 208, "JQIDEntry layout");
static_assert(sizeof(JQIDTable) == 40, "JQIDTable layout");
#endif

#endif /* FEEDCORE_JQID_H */
