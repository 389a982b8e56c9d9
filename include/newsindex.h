/*
 * newsindex.h - binary interface of the topics index.
 *
 * The library loads feedcore from beside the host executable, reads the data
 * folders of the host's list or of "topics.ini" there (section "List":
 * "Count" and the keys 0, 1, ...), keeps the topic lists and messages of the
 * files "T*" in those folders (every file when a "Tolvo.ini" lay beside the
 * host when the library first initialised) and answers the queries below
 * from memory. Files whose name holds "TPU" in any letter case load last and
 * replace entries of the same key. The queries take one library lock; the
 * release exports take none, as they touch only the host's records.
 *
 * Texts are the broadcast's bytes, unconverted, with the terminating zero
 * byte that their lengths count.
 */
#ifndef NEWSINDEX_H
#define NEWSINDEX_H

#include "jq_interface.h"

/* The host's folders for InitializeTpc; each entry's length counts the
 * terminating null. The host keeps ownership. */
typedef struct TopicFolderList {
    uint32_t count;
    const PathEntry* entries;
} TopicFolderList;

/* One major category. */
typedef struct MajorIDEntry {
    uint16_t HostID;
    uint8_t MajorCategoryID;
    uint8_t* Title; /* TitleLength bytes; null when TitleLength is 0 */
    uint32_t TitleLength;
} MajorIDEntry;

typedef struct MajorIDList {
    uint32_t count;
    MajorIDEntry* entries;
} MajorIDList;

/* One topic of a major category; ServiceID and MessageID name its message. */
typedef struct MinorIDEntry {
    uint16_t HostID;
    uint8_t MinorCategoryID;
    uint8_t* Title;
    uint32_t TitleLength;
    uint8_t* Details;
    uint32_t DetailsLength;
    uint8_t ServiceID;
    uint8_t MessageID;
} MinorIDEntry;

typedef struct MinorIDList {
    uint32_t count;
    MinorIDEntry* entries;
} MinorIDList;

/* The content of a topic: the payloads of the message's elements of types 2,
 * 6 and 8. The host passes it zero-filled; a type the message lacks leaves
 * its fields as they were. */
typedef struct TopicsData {
    uint8_t* Type2Data;
    uint32_t Type2Length;
    uint8_t* Type6Data;
    uint32_t Type6Length;
    uint8_t* Type8Data;
    uint32_t Type8Length;
} TopicsData;

/* Loads or reloads everything from the host's folders, or from "topics.ini"
 * when folders is null: 0, 23 (feedcore missing or incomplete) or 16. */
JQ_API JQStatus JQ_CALL InitializeTpc(const TopicFolderList* folders);
/* 0; 4097 when not initialised. */
JQ_API JQStatus JQ_CALL UnInitializeTpc(void);

/* Every major category, ascending: 0, 16, 17, 4097, 4099. */
JQ_API JQStatus JQ_CALL GetMajorIDList(MajorIDList* list);
/* Releases the entries and their titles and nulls the entries; count stays. */
JQ_API void JQ_CALL FreeMajorIDList(MajorIDList* list);

/* The topics of one major category (low 8 bits), ascending: 0, 16, 17, 4097,
 * 4099. */
JQ_API JQStatus JQ_CALL GetMinorIDList(uint32_t majorCategory, MinorIDList* list);
JQ_API void JQ_CALL FreeMinorIDList(MinorIDList* list);

/* The content of the message of a service and message number (low 8 bits
 * each). With checkExpiry 1 an expired message answers 4099. 0, 16, 17,
 * 4097, 4099. */
JQ_API JQStatus JQ_CALL GetTopicsData(uint32_t serviceId, uint32_t messageId,
                                      uint32_t checkExpiry, TopicsData* data);
/* Releases the three buffers and nulls them; lengths stay. */
JQ_API void JQ_CALL FreeTopicsData(TopicsData* data);

#if defined(_WIN32) && !defined(_WIN64)
JQ_STATIC_ASSERT(sizeof(TopicFolderList) == 8, "TopicFolderList layout");
JQ_STATIC_ASSERT(sizeof(MajorIDEntry) == 12, "MajorIDEntry layout");
JQ_STATIC_ASSERT(sizeof(MajorIDList) == 8, "MajorIDList layout");
JQ_STATIC_ASSERT(sizeof(MinorIDEntry) == 24, "MinorIDEntry layout");
JQ_STATIC_ASSERT(sizeof(MinorIDList) == 8, "MinorIDList layout");
JQ_STATIC_ASSERT(sizeof(TopicsData) == 24, "TopicsData layout");
#elif defined(_WIN64) || defined(__LP64__)
JQ_STATIC_ASSERT(sizeof(TopicFolderList) == 16, "TopicFolderList layout");
JQ_STATIC_ASSERT(sizeof(MajorIDEntry) == 24, "MajorIDEntry layout");
JQ_STATIC_ASSERT(sizeof(MajorIDList) == 16, "MajorIDList layout");
JQ_STATIC_ASSERT(sizeof(MinorIDEntry) == 40, "MinorIDEntry layout");
JQ_STATIC_ASSERT(sizeof(MinorIDList) == 16, "MinorIDList layout");
JQ_STATIC_ASSERT(sizeof(TopicsData) == 48, "TopicsData layout");
#endif

#endif /* NEWSINDEX_H */
