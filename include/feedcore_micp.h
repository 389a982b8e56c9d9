/*
 * feedcore_micp.h - MICP blocks (0xF5).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_MICP_H
#define FEEDCORE_MICP_H

#include <stdint.h>

#endif /* FEEDCORE_MICP_H */
