/*
 * feedcore_areas.h - area code lists: time offset areas (0x7E), area codes (0x71), CMID areas (0x72).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_AREAS_H
#define FEEDCORE_AREAS_H

#include <stdint.h>

/* One area code or range of codes; a single code has Upper == Lower. */
struct AreaCodeEntry {
    uint8_t EndIndicator;
    uint8_t Ranged;
    uint32_t LowerAreaCode; /* 17-bit */
    uint32_t UpperAreaCode; /* 17-bit */
};
typedef struct AreaCodeEntry AreaCodeEntry;

/* 0x71: one list of area codes. */
struct AreaCodeList {
    AreaCodeEntry* entries;
    uint32_t count;
};

/* 0x72: lists of area codes, each named by a CMID. */
struct CmidAreaList {
    uint16_t CMID;
    AreaCodeEntry* entries;
    uint32_t count;
};
typedef struct CmidAreaList CmidAreaList;

struct CmidAreaRecord {
    CmidAreaList* groups;
    uint32_t count;
};

/* 0x7E: lists of area codes, each headed by a time offset. */
struct TimeOffsetAreaList {
    uint8_t HalfHourOffset;
    uint8_t DaylightSaving;
    uint8_t OffsetPolarity;
    uint8_t Offset;
    AreaCodeEntry* entries;
    uint32_t count;
};
typedef struct TimeOffsetAreaList TimeOffsetAreaList;

struct TimeOffsetAreaRecord {
    TimeOffsetAreaList* groups;
    uint32_t count;
};

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(AreaCodeEntry) == 12, "AreaCodeEntry layout");
static_assert(sizeof(AreaCodeList) == 8, "AreaCodeList layout");
static_assert(sizeof(CmidAreaList) == 12, "CmidAreaList layout");
static_assert(sizeof(CmidAreaRecord) == 8, "CmidAreaRecord layout");
static_assert(sizeof(TimeOffsetAreaList) == 12, "TimeOffsetAreaList layout");
static_assert(sizeof(TimeOffsetAreaRecord) == 8, "TimeOffsetAreaRecord layout");
#endif

#endif /* FEEDCORE_AREAS_H */
