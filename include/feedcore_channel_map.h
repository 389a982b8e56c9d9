/*
 * feedcore_channel_map.h - channel maps (0xF3).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_CHANNEL_MAP_H
#define FEEDCORE_CHANNEL_MAP_H

#include <stdint.h>

#endif /* FEEDCORE_CHANNEL_MAP_H */
