/*
 * feedcore_areas.h - area code lists: time offset areas (0x7E), area codes (0x71), CMID areas (0x72).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_AREAS_H
#define FEEDCORE_AREAS_H

#include <stdint.h>

#endif /* FEEDCORE_AREAS_H */
