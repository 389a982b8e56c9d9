/*
 * mediaindex.h - binary interface of the MICP index.
 *
 * The library loads feedcore from beside the host executable, reads the data
 * folders listed in "MICP.ini" there (section "List": "Count" and the keys 0,
 * 1, ...), keeps the MICP blocks of the files "M*" in those folders (files
 * whose name holds "MU" in any letter case load last and replace the blocks
 * of their objects) and answers for named data: whole, or assembled from
 * parts spread over several blocks. Without InitializeMICP each query builds
 * a temporary index for its one call. Every export but FreeMICPData takes one
 * library lock.
 *
 * Names are UTF-16; they are compared in the system's ANSI code page, or in
 * code page 932 (Shift-JIS) where the system has none.
 */
#ifndef MEDIAINDEX_H
#define MEDIAINDEX_H

#include "jq_interface.h"

/* Loads or reloads everything: 0, 23 (feedcore missing or incomplete), 16
 * (out of memory), or the status of decoding the last file of the update
 * pass, which then discards the load. */
JQ_API JQStatus JQ_CALL InitializeMICP(void);
/* 0; 4097 when not initialised. */
JQ_API JQStatus JQ_CALL UnInitializeMICP(void);

/* The size of the named datum; 0 when it is unknown or has expired. */
JQ_API uint32_t JQ_CALL GetMICPDataSize(const JQChar* name);
/* The named datum into the host's buffer: 0, 17, 22 (buffer too small),
 * 4099 (unknown or expired) or 16. */
JQ_API JQStatus JQ_CALL GetMICPData(const JQChar* name, uint8_t* buffer, uint32_t bufferSize);
/* The named datum into a buffer of the library's, released with
 * FreeMICPData: 0, 16, 17, 4099. */
JQ_API JQStatus JQ_CALL GetMICPData2(const JQChar* name, uint8_t** data, uint32_t* length);
/* Releases the buffer and nulls the pointer. */
JQ_API void JQ_CALL FreeMICPData(uint8_t** data);

#endif /* MEDIAINDEX_H */
