/*
 * feedcore_stations.h - station names (0x70).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_STATIONS_H
#define FEEDCORE_STATIONS_H

#include <stdint.h>

#endif /* FEEDCORE_STATIONS_H */
