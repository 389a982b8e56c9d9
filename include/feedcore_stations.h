/*
 * feedcore_stations.h - station names (0x70).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 * One record per package: the list of stations, each with its guide channel
 * number, the MosaicCode of its picture block and its name.
 */
#ifndef FEEDCORE_STATIONS_H
#define FEEDCORE_STATIONS_H

#include <stdint.h>

typedef struct StationEntry {
    uint8_t XCIESize;
    uint16_t GCN;        /* 14 bits */
    uint16_t MosaicCode;
    uint8_t NameSize;    /* bytes of StationName, NUL included; 0 when empty */
    char* StationName;   /* NUL-terminated; null when the name is empty */
} StationEntry;

struct StationNameRecord {
    uint32_t count;
    StationEntry* entries;
};

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(StationEntry) == 12, "StationEntry layout");
static_assert(sizeof(StationNameRecord) == 8, "StationNameRecord layout");
#endif

#endif /* FEEDCORE_STATIONS_H */
