/*
 * feedcore_reception.h - reception rules (0x75, 0x85).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_RECEPTION_H
#define FEEDCORE_RECEPTION_H

#include <stdint.h>

#endif /* FEEDCORE_RECEPTION_H */
