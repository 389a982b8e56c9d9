/*
 * idindex.h - binary interface of the JQID index.
 *
 * The library loads feedcore from beside the host executable, reads the data
 * folders listed in "JQID.ini" there (section "List": "Count" and the keys 0,
 * 1, ...), keeps every JQID table of the files "G*" in those folders and
 * answers the queries below from memory. Every export takes one library
 * lock. JQIDs are 48-bit values passed by value in 64 bits.
 *
 * effectiveOnly counts only when it is exactly 1: the query then takes only
 * entries valid now (from EffectiveDate, inclusive, to ExpiryDate, exclusive,
 * in UTC).
 */
#ifndef IDINDEX_H
#define IDINDEX_H

#include "feedcore.h"

/* A list of JQIDs, owned by the host's record and filled by the library;
 * release it with FreeJQIDList. */
typedef struct JQIDList {
    uint64_t* items;
    uint32_t count;
} JQIDList;

/* Loads or reloads everything: 0, 16, 23 (feedcore missing or incomplete),
 * or the status of the last step of the load. */
JQ_API JQStatus JQ_CALL InitializeJQID(void);
/* 0; 4097 when not initialised. */
JQ_API JQStatus JQ_CALL UnInitializeJQID(void);

/* The GRT field of a JQID; 0 when its flag bit is set. */
JQ_API uint16_t JQ_CALL GetGRT(uint64_t jqid);
/* 1 when the JQID (or a link from it) is known, and valid if asked. */
JQ_API uint32_t JQ_CALL IsFindJQID(uint64_t jqid, uint32_t effectiveOnly);
/* 1 when the JQID (or a link from it) is known and valid now. */
JQ_API uint32_t JQ_CALL IsEffective(uint64_t jqid);

/* Decodes the JQID's entry into a zero-filled record: 0, 17, 21, 4097, 4099,
 * 0xC0DF or 16. The last argument is ignored. */
JQ_API JQStatus JQ_CALL GetJQIDData(uint64_t jqid, JQIDEntry* entry, uint32_t reserved);
/* Releases what GetJQIDData stored in the record's slots. */
JQ_API void JQ_CALL FreeJQIDData(JQIDEntry* entry);

/* The JQIDs linked to jqid (all, or those of one GRT), and all JQIDs of one
 * GRT (1001 to 16382): 0, 17, 22, 4097, 4099 or 16. Nothing found leaves the
 * list as it was. */
JQ_API JQStatus JQ_CALL GetJQIDLinkList(uint64_t jqid, JQIDList* list, uint32_t effectiveOnly);
JQ_API JQStatus JQ_CALL GetGRT2JQIDLinkList(uint64_t jqid, uint32_t grt, JQIDList* list,
                                            uint32_t effectiveOnly);
JQ_API JQStatus JQ_CALL GetGRT2JQIDList(uint32_t grt, JQIDList* list, uint32_t effectiveOnly);
/* Releases the list's items and nulls them; count stays. */
JQ_API void JQ_CALL FreeJQIDList(JQIDList* list);

/* The JQID of a programme event, a PAD, a TAD or a message and service:
 * 0 with the JQID written, 17, 4097 or 4099. */
JQ_API JQStatus JQ_CALL GetShowEvent2JQID(uint32_t gcn, uint32_t eventId, uint64_t* jqid,
                                          uint32_t effectiveOnly);
JQ_API JQStatus JQ_CALL GetPAD2JQID(uint32_t pad, uint64_t* jqid, uint32_t effectiveOnly);
JQ_API JQStatus JQ_CALL GetTAD2JQID(uint32_t tad, uint64_t* jqid, uint32_t effectiveOnly);
JQ_API JQStatus JQ_CALL GetMSID2JQID(uint32_t messageId, uint32_t serviceId, uint64_t* jqid,
                                     uint32_t effectiveOnly);

#if defined(_WIN32) && !defined(_WIN64)
JQ_STATIC_ASSERT(sizeof(JQIDList) == 8, "JQIDList layout");
#elif defined(_WIN64) || defined(__LP64__)
JQ_STATIC_ASSERT(sizeof(JQIDList) == 16, "JQIDList layout");
#endif

#endif /* IDINDEX_H */
