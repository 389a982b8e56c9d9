/*
 * feedcore_micp.h - MICP blocks (0xF5).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 * One MicpBlockRecord per package: the block's place in its object, from the
 * packet header, and a copy of the block's bytes, owned by the record.
 */
#ifndef FEEDCORE_MICP_H
#define FEEDCORE_MICP_H

#include <stdint.h>

struct MicpBlockRecord {
    uint32_t ObjectID;
    uint16_t TotalBlockNumber;
    uint16_t BlockNumber;
    int32_t ObjectSize;
    uint8_t* Object;     /* ObjectSize bytes */
};

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(MicpBlockRecord) == 16, "MicpBlockRecord layout");
#endif

#endif /* FEEDCORE_MICP_H */
