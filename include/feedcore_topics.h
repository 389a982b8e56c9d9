/*
 * feedcore_topics.h - topic messages (0x61, 0x6E) and topic lists (0x62, 0x6F).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_TOPICS_H
#define FEEDCORE_TOPICS_H

#include <stdint.h>

/* One topic message (types 0x61 and 0x6E): the identifiers of the message
 * and its object, the plain data after the repeated SMK word. */
struct TopicMessageRecord {
    uint8_t MessageID;
    uint8_t ServiceID;
    uint16_t SerialNumber;
    uint16_t SMK;
    int32_t ObjectSize;
    uint8_t* Object; /* ObjectSize bytes; null when empty */
};

/* One entry of a topic list. Title and Details end in a zero byte that
 * their lengths count; a length of 0 goes with a null pointer. */
typedef struct TopicListEntry {
    int32_t LeadingValue;
    uint8_t MajorCategoryID; /* 0..31 */
    uint8_t MinorCategoryID; /* 0..255 (0x6F), 0..7 (0x62) */
    uint8_t TitleLength;
    uint8_t* Title;
    uint8_t DetailsLength;
    uint8_t* Details;
    uint8_t ObjectLength;
    uint8_t* Object;   /* ObjectLength bytes, no terminator; null when empty */
    uint16_t ObjectID; /* object bytes 0-1, big-endian */
    uint8_t ServiceID; /* object byte 2 */
    uint8_t MessageID; /* 0x6F only; 0 for 0x62 */
} TopicListEntry;

/* The directory of the topics service (types 0x62 and 0x6F). */
struct TopicListRecord {
    uint8_t MajorCategoryID; /* from the packet header, 0..31 */
    int32_t EntryCount;
    TopicListEntry* Entries; /* null when empty */
};

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(TopicMessageRecord) == 16, "TopicMessageRecord layout");
static_assert(sizeof(TopicListEntry) == 32, "TopicListEntry layout");
static_assert(sizeof(TopicListRecord) == 12, "TopicListRecord layout");
#endif

#endif /* FEEDCORE_TOPICS_H */
