/*
 * feedcore.h - binary interface of the JQ file decoder.
 *
 * The decoder reads JQ files (broadcast or container layout), lists their
 * packages, decrypts and inflates their payloads, parses each package into a
 * typed record and dumps a parsed package as CSV text. Everything a list
 * carries is owned by the decoder and released only by the matching Free
 * export.
 *
 * The structures below are the 32-bit Windows layout: fields in this order,
 * natural alignment, 32-bit pointers. Usable from C and C++.
 */
#ifndef FEEDCORE_H
#define FEEDCORE_H

#include "jq_interface.h"
#include "feedcore_schedule.h"

/* The 14-byte key-parameter block. */
typedef struct GcspBlock {
    uint8_t StartCode;        /* 0x0D when read from a file */
    uint8_t TypeCode;         /* 0x7F when read from a file */
    uint8_t Param2;           /* 6 bits, carried */
    uint8_t Param3;           /* 5 bits, carried */
    uint8_t Param4;           /* 5 bits, carried */
    uint8_t Month;            /* 1 to 12 */
    uint8_t Param6;           /* 3 bits, carried */
    uint8_t YearOffset;       /* year - 1990 */
    uint8_t Flag8;            /* one-bit flags, carried */
    uint8_t Flag9;
    uint8_t Flag10;
    uint8_t OddKeyParameter;  /* 6 bits */
    uint8_t EvenKeyParameter; /* 6 bits */
    uint8_t Terminator;       /* 0x8F when read from a file */
} GcspBlock;

/* Output of GetFileHeadInfo: the 16-byte broadcast file header. */
typedef struct FileHeadInfo {
    uint16_t HeaderLength;   /* big-endian bytes 0-1; 14 for a valid header */
    uint16_t HeaderValue;    /* 12-bit value of bytes 2-3 */
    uint8_t Bytes4To7[4];
    uint8_t Bytes8To11[4];
    uint8_t NotFilled1;      /* left as the caller had it */
    uint8_t Bytes12To13[2];
    uint8_t Byte14;
    uint8_t NotFilled2;      /* left as the caller had it */
    uint8_t Byte15;
} FileHeadInfo;

/* Element of the index list (PreAnalyzeJQFile). */
typedef struct IndexEntry {
    JQChar* path;                /* copy of the data file path */
    int32_t offset;              /* byte offset of the package in the file */
    uint32_t typeCode;           /* record type code; 0x7F for key parameters */
    uint32_t packetHeaderLength;
    uint8_t* packetHeader;       /* null when packetHeaderLength is 0 */
} IndexEntry;

/* Element of the package list (DecryptJQFile). */
typedef struct PackageRecord {
    uint8_t StartCode;
    uint8_t TypeCode;
    uint16_t CountryCode;
    uint16_t HostID;
    uint8_t UpdateNumber;
    uint8_t VersionNumber;
    uint8_t OddEvenFlag;
    uint8_t PacketHeaderLength;
    uint8_t* packetHeader;
    uint8_t CompressMethod;
    uint16_t PackageDataLength;  /* in 8-byte blocks */
    uint16_t TotalCheckSum;
    uint16_t PlainPackageDataLength;
    uint16_t UnCompressedDataLength;
    uint8_t* data;               /* the package's plain data */
    uint32_t dataLength;
    JQChar* path;
    int32_t offset;
} PackageRecord;

/* Record families, one per ParseElement slot. */
typedef struct ObjectRecord {
    uint32_t id;        /* PAID (0x56, 0xD7) or CAID (0x57) */
    uint16_t crm;
    int32_t objectSize;
    uint8_t* object;
} ObjectRecord;

typedef struct MosaicRecord {
    uint16_t MosaicCode;
    uint32_t DataSize;
    uint8_t* block;
} MosaicRecord;

typedef struct TimeOffsetAreaRecord TimeOffsetAreaRecord; /* 0x7E */
typedef struct AreaCodeList AreaCodeList;                 /* 0x71 */
typedef struct CmidAreaRecord CmidAreaRecord;             /* 0x72 */
typedef struct ChannelMapRecord ChannelMapRecord;         /* 0xF3 */
typedef struct ReceptionRecord ReceptionRecord;           /* 0x75, 0x85 */
typedef struct DictionaryRecord DictionaryRecord;         /* 0x5D, 0xE2 */
typedef struct JQIDTable JQIDTable;                       /* 0xDF */
typedef struct TopicMessageRecord TopicMessageRecord;     /* 0x61, 0x6E */
typedef struct TopicListRecord TopicListRecord;           /* 0x62, 0x6F */
typedef struct MicpBlockRecord MicpBlockRecord;           /* 0xF5 */
typedef struct StationNameRecord StationNameRecord;       /* 0x70 */
typedef struct CodeDownloadRecord CodeDownloadRecord;     /* 0x5B */

#include "feedcore_areas.h"
#include "feedcore_channel_map.h"
#include "feedcore_code_download.h"
#include "feedcore_dictionary.h"
#include "feedcore_jqid.h"
#include "feedcore_micp.h"
#include "feedcore_reception.h"
#include "feedcore_stations.h"
#include "feedcore_topics.h"

/* Element of the parse list (AnalyzeJQFile, AnalyzeJQFile1Pack). Exactly the
 * slot of recordType is filled; recordType is 0 for an empty element. */
typedef struct ParseElement {
    uint8_t StartCode;
    uint8_t TypeCode;
    uint16_t CountryCode;
    uint16_t HostID;
    uint8_t UpdateNumber;
    uint8_t VersionNumber;
    uint8_t OddEvenFlag;
    uint8_t PacketHeaderLength;
    uint8_t* packetHeader;
    uint8_t CompressMethod;
    uint16_t PackageDataLength;
    uint16_t TotalCheckSum;
    uint16_t PlainPackageDataLength;
    uint16_t UnCompressedDataLength;
    uint32_t recordType;
    void* reserved;                           /* slot 1, always null */
    TimeOffsetAreaRecord* timeOffsetAreas;    /* slot 2, 0x7E */
    AreaCodeList* areaCodes;                  /* slot 3, 0x71 */
    CmidAreaRecord* cmidAreas;                /* slot 4, 0x72 */
    ChannelMapRecord* channelMap;             /* slot 5, 0xF3 */
    ReceptionRecord* reception85;             /* slot 6, 0x85 */
    ScheduleRecord* scheduleQ;                /* slot 7, 0x51 */
    DictionaryRecord* dictionaryE2;           /* slot 8, 0xE2 */
    ObjectRecord* object56;                   /* slot 9, 0x56 */
    ObjectRecord* objectD7;                   /* slot 10, 0xD7 */
    JQIDTable* jqidTable;                     /* slot 11, 0xDF */
    ScheduleRecord* scheduleM;                /* slot 12, 0x4D */
    ScheduleRecord* scheduleL;                /* slot 13, 0x4C */
    TopicMessageRecord* topicMessage6E;       /* slot 14, 0x6E */
    TopicListRecord* topicList6F;             /* slot 15, 0x6F */
    MicpBlockRecord* micpBlock;               /* slot 16, 0xF5 */
    StationNameRecord* stationNames;          /* slot 17, 0x70 */
    ReceptionRecord* reception75;             /* slot 18, 0x75 */
    DictionaryRecord* dictionary5D;           /* slot 19, 0x5D */
    MosaicRecord* mosaic54;                   /* slot 20, 0x54 */
    MosaicRecord* mosaic58;                   /* slot 21, 0x58 */
    MosaicRecord* mosaic5E;                   /* slot 22, 0x5E */
    ObjectRecord* object57;                   /* slot 23, 0x57 */
    CodeDownloadRecord* codeDownload;         /* slot 24, 0x5B */
    TopicMessageRecord* topicMessage61;       /* slot 25, 0x61 */
    TopicListRecord* topicList62;             /* slot 26, 0x62 */
} ParseElement;

/* List records: filled by the decoder, released by the matching Free export,
 * which nulls elements and leaves count. */
typedef struct IndexList {
    uint32_t count;
    IndexEntry* elements;
} IndexList;

typedef struct PackageList {
    uint32_t count;
    PackageRecord* elements;
} PackageList;

typedef struct ParseList {
    uint32_t count;
    ParseElement* elements;
} ParseList;

/* Lists where each package of the file starts, without decrypting. */
JQ_API JQStatus JQ_CALL PreAnalyzeJQFile(const JQChar* path, IndexList* list);
/* Reads, decrypts and parses every data package of the file. */
JQ_API JQStatus JQ_CALL AnalyzeJQFile(const JQChar* path, ParseList* list);
/* Copies the file's first key-parameter package, unpacked, into block. */
JQ_API JQStatus JQ_CALL GetGCSP(const JQChar* path, GcspBlock* block);
/* Replaces the process-wide default key parameters; always 0. Bytes 0-3 are
 * w0, 4-7 w1, 8-11 w2 (least significant byte first), 12-13 h3. */
JQ_API JQStatus JQ_CALL SetDefaultGCSP(uint32_t w0, uint32_t w1, uint32_t w2, uint16_t h3);
/* Reads and decrypts every data package of the file. */
JQ_API JQStatus JQ_CALL DecryptJQFile(const JQChar* path, PackageList* list);
JQ_API void JQ_CALL FreeIndexList(IndexList* list);
JQ_API void JQ_CALL FreeParseList(ParseList* list);
JQ_API void JQ_CALL FreePackageList(PackageList* list);
/* Writes one parsed package as CSV text to csvPath, replacing the file. */
JQ_API void JQ_CALL OutputCSVFile(const JQChar* csvPath, const ParseElement* element);
/* Reads and parses the one package that starts at offset. */
JQ_API JQStatus JQ_CALL AnalyzeJQFile1Pack(const JQChar* path, int32_t offset, ParseList* list);
/* Reads the 16-byte broadcast file header. */
JQ_API JQStatus JQ_CALL GetFileHeadInfo(const JQChar* path, FileHeadInfo* info);

/* The binary interface: 32-bit Windows. */
#if defined(_WIN32) && !defined(_WIN64)
JQ_STATIC_ASSERT(sizeof(GcspBlock) == 14, "GcspBlock layout");
JQ_STATIC_ASSERT(sizeof(FileHeadInfo) == 18, "FileHeadInfo layout");
JQ_STATIC_ASSERT(offsetof(FileHeadInfo, Byte15) == 17, "FileHeadInfo layout");
JQ_STATIC_ASSERT(sizeof(IndexEntry) == 20, "IndexEntry layout");
JQ_STATIC_ASSERT(offsetof(IndexEntry, packetHeader) == 16, "IndexEntry layout");
JQ_STATIC_ASSERT(sizeof(PackageRecord) == 44, "PackageRecord layout");
JQ_STATIC_ASSERT(offsetof(PackageRecord, packetHeader) == 12, "PackageRecord layout");
JQ_STATIC_ASSERT(offsetof(PackageRecord, PackageDataLength) == 18, "PackageRecord layout");
JQ_STATIC_ASSERT(offsetof(PackageRecord, data) == 28, "PackageRecord layout");
JQ_STATIC_ASSERT(offsetof(PackageRecord, offset) == 40, "PackageRecord layout");
JQ_STATIC_ASSERT(sizeof(ParseElement) == 136, "ParseElement layout");
JQ_STATIC_ASSERT(offsetof(ParseElement, recordType) == 28, "ParseElement layout");
JQ_STATIC_ASSERT(offsetof(ParseElement, reserved) == 32, "ParseElement layout");
JQ_STATIC_ASSERT(offsetof(ParseElement, topicList62) == 132, "ParseElement layout");
JQ_STATIC_ASSERT(sizeof(ObjectRecord) == 16, "ObjectRecord layout");
JQ_STATIC_ASSERT(sizeof(MosaicRecord) == 12, "MosaicRecord layout");
JQ_STATIC_ASSERT(sizeof(IndexList) == 8 && sizeof(PackageList) == 8 && sizeof(ParseList) == 8,
                 "list record layout");
#endif

/* 64-bit pointers with natural alignment, the layout that the 64-bit Windows
 * and Linux builds share; a field whose size differs between them (long,
 * wchar_t) breaks one of the two. */
#if defined(_WIN64) || defined(__LP64__)
JQ_STATIC_ASSERT(sizeof(IndexEntry) == 32, "IndexEntry layout");
JQ_STATIC_ASSERT(sizeof(PackageRecord) == 72, "PackageRecord layout");
JQ_STATIC_ASSERT(offsetof(PackageRecord, data) == 40, "PackageRecord layout");
JQ_STATIC_ASSERT(offsetof(PackageRecord, offset) == 64, "PackageRecord layout");
JQ_STATIC_ASSERT(sizeof(ParseElement) == 248, "ParseElement layout");
JQ_STATIC_ASSERT(offsetof(ParseElement, recordType) == 36, "ParseElement layout");
JQ_STATIC_ASSERT(offsetof(ParseElement, topicList62) == 240, "ParseElement layout");
JQ_STATIC_ASSERT(sizeof(ObjectRecord) == 24 && sizeof(MosaicRecord) == 16, "record layout");
JQ_STATIC_ASSERT(sizeof(IndexList) == 16 && sizeof(PackageList) == 16 && sizeof(ParseList) == 16,
                 "list record layout");
#endif

#endif /* FEEDCORE_H */
