/*
 * feedcore_dictionary.h - code dictionaries (0x5D, 0xE2).
 *
 * Included by feedcore.h after the forward declarations of the record types
 * and after feedcore_schedule.h (ContentNibblePair). One DictionaryRecord per
 * package holds one sub-table, chosen by SCT; only the array of that
 * sub-table is filled. Both types share this layout: HostID is 0 in the
 * entries of a 0x5D record, and 0x5D records have no icons. Texts are copied
 * as sent with a NUL appended; each text size counts the NUL and is 0 (text
 * null) for an empty text. Every array and text is owned by the record.
 */
#ifndef FEEDCORE_DICTIONARY_H
#define FEEDCORE_DICTIONARY_H

#include <stdint.h>

/* SCT 0. */
typedef struct DictionaryCategory {
    uint8_t MajorCode;   /* 4 bits */
    uint8_t MinorCode;   /* 4 bits */
    uint8_t CategoryTextLength;
    char* CategoryText;
    uint8_t CategoryDescLength;
    char* CategoryDesc;
    uint8_t ContentCount;
    ContentNibblePair* contents; /* ContentCount pairs, null when 0 */
} DictionaryCategory;

/* SCT 1. */
typedef struct DictionaryKeyword {
    uint16_t HostID;     /* 0xE2 only */
    uint16_t KeywordCode;
    uint8_t KeywordCategory;
    char* KeywordText;
    uint8_t KeywordTextSize;
} DictionaryKeyword;

/* SCT 2. */
typedef struct DictionaryKeywordCategory {
    uint16_t HostID;     /* 0xE2 only */
    uint8_t KeywordCategory;
    char* CategoryText;
    uint8_t CategoryTextSize;
} DictionaryKeywordCategory;

/* SCT 3. */
typedef struct DictionaryActor {
    uint16_t HostID;     /* 0xE2 only */
    uint16_t BirthYear;
    uint8_t BirthMonth;
    uint8_t BirthDay;
    uint8_t Gender;
    uint8_t StageNameLength;
    char* StageName;
    uint8_t PronunceLength;
    char* Pronunce;
    uint8_t RealNameLength;
    char* RealName;
    uint8_t OriginLength;
    char* Origin;
    uint8_t CommentLength;
    char* Comment;
    uint8_t ActorCategoryCount;
    uint8_t* ActorCategory; /* ActorCategoryCount bytes, null when 0 */
    uint16_t ActorID;
} DictionaryActor;

/* SCT 4. */
typedef struct DictionaryActorCategory {
    uint16_t HostID;     /* 0xE2 only */
    uint8_t ActorCategory;
    char* CategoryText;
    uint8_t CategoryTextSize;
} DictionaryActorCategory;

/* SCT 5, 0xE2 only. */
typedef struct DictionaryIcon {
    uint8_t DisplayFlag; /* 1 bit */
    uint8_t IconCode;    /* 5 bits */
    uint8_t IconDescSize;
    char* IconDesc;
} DictionaryIcon;

/* Types 0x5D (']') and 0xE2. */
struct DictionaryRecord {
    uint8_t SCT;
    DictionaryCategory* categories;
    uint32_t categoryCount;
    DictionaryKeyword* keywords;
    uint32_t keywordCount;
    DictionaryKeywordCategory* keywordCategories;
    uint32_t keywordCategoryCount;
    DictionaryActor* actors;
    uint32_t actorCount;
    DictionaryActorCategory* actorCategories;
    uint32_t actorCategoryCount;
    DictionaryIcon* icons;
    uint32_t iconCount;
};

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(DictionaryCategory) == 24, "DictionaryCategory layout");
static_assert(sizeof(DictionaryKeyword) == 16, "DictionaryKeyword layout");
static_assert(sizeof(DictionaryKeywordCategory) == 12, "DictionaryKeywordCategory layout");
static_assert(sizeof(DictionaryActor) == 56, "DictionaryActor layout");
static_assert(sizeof(DictionaryActorCategory) == 12, "DictionaryActorCategory layout");
static_assert(sizeof(DictionaryIcon) == 8, "DictionaryIcon layout");
static_assert(sizeof(DictionaryRecord) == 52, "DictionaryRecord layout");
#endif

#endif /* FEEDCORE_DICTIONARY_H */
