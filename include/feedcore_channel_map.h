/*
 * feedcore_channel_map.h - channel maps (0xF3).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 * One record per package: for one channel map (CMID), the groups of services
 * that carry each guide channel number (GCN).
 */
#ifndef FEEDCORE_CHANNEL_MAP_H
#define FEEDCORE_CHANNEL_MAP_H

#include <stdint.h>

/* One service; the fields its BandType does not set are 0. */
typedef struct ChannelMapEntry {
    uint32_t BandType;   /* 1 to 4 */
    uint8_t LastFlag;
    uint8_t AnalogCH;    /* BandType 1 (6 bits) and 3 (4 bits) */
    uint16_t NID;        /* BandType 2 */
    uint16_t SID;        /* BandType 2 */
    uint8_t ServiceType; /* BandType 2 */
    uint8_t SourceType;  /* BandType 4, 4 bits */
    uint16_t MultiCH;    /* BandType 4, 10 bits */
} ChannelMapEntry;

typedef struct ChannelMapGroup {
    uint16_t GCN;
    ChannelMapEntry* entries;
    uint32_t count;
} ChannelMapGroup;

struct ChannelMapRecord {
    uint16_t CMID;
    ChannelMapGroup* groups;
    uint32_t count;
};

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(ChannelMapEntry) == 16, "ChannelMapEntry layout");
static_assert(sizeof(ChannelMapGroup) == 12, "ChannelMapGroup layout");
static_assert(sizeof(ChannelMapRecord) == 12, "ChannelMapRecord layout");
#endif

#endif /* FEEDCORE_CHANNEL_MAP_H */
