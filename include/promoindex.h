/*
 * promoindex.h - binary interface of the advertisement object index.
 *
 * Each GetEnumOBJ9 call loads feedcore from beside the host executable,
 * reads the data folders of the host's list or of "AD.ini" there (section
 * "List": "Count" and the keys 0, 1, ...), decodes the files "A*" in those
 * folders (every file while a "Tolvo.ini" lies beside the host, asked at
 * each call) and returns the objects of their packages of types 0x56 and
 * 0xD7, one per PAID, in ascending PAID order; then it unloads feedcore
 * again. The library keeps nothing between calls and takes no lock:
 * concurrent calls each build their own list.
 *
 * Of two objects with one PAID the first found is kept, unless it came from
 * a package of this PC's HostID and the later one from a package of another
 * HostID: then the later one replaces it. This PC's HostID is the 4-byte
 * value "HostID" of the registry key HKEY_LOCAL_MACHINE
 * "SOFTWARE\Velmora\JQPLAN\Setting\BS" (on Linux the file
 * /etc/jqdecoder/machine.ini, see the README), 2143 without one.
 */
#ifndef PROMOINDEX_H
#define PROMOINDEX_H

#include "jq_interface.h"

/* One advertisement object. */
typedef struct OBJ9 {
    uint16_t HostID;    /* of the package the object came from */
    uint8_t RecordType; /* 0x56 or 0xD7 */
    uint32_t PAID;
    uint32_t ObjectSize; /* bytes at Object */
    uint8_t* Object;     /* a copy of the object bytes; null when ObjectSize is 0 */
} OBJ9;

/* The objects of one call, released with FreeOBJ9List. */
typedef struct OBJ9List {
    uint32_t count;
    OBJ9* elements;
} OBJ9List;

/* The host's folders for GetEnumOBJ9; each entry's length counts the
 * terminating null. The host keeps ownership. */
typedef struct OBJ9FolderList {
    uint32_t count;
    const PathEntry* entries;
} OBJ9FolderList;

/* Fills list with the objects of the host's folders, or of those listed in
 * "AD.ini" when folders is null: 0, 16 (out of memory), 17 (list null) or 23
 * (feedcore missing or incomplete). Files that cannot be decoded are
 * skipped. On any status but 0 the list record is left as it was. */
JQ_API JQStatus JQ_CALL GetEnumOBJ9(OBJ9List* list, const OBJ9FolderList* folders);
/* Releases the objects and the elements and nulls the elements; count stays.
 * Does nothing for a null list or null elements. */
JQ_API void JQ_CALL FreeOBJ9List(OBJ9List* list);

#if defined(_WIN32) && !defined(_WIN64)
JQ_STATIC_ASSERT(sizeof(OBJ9) == 16, "OBJ9 layout");
JQ_STATIC_ASSERT(offsetof(OBJ9, RecordType) == 2 && offsetof(OBJ9, PAID) == 4 &&
                     offsetof(OBJ9, ObjectSize) == 8 && offsetof(OBJ9, Object) == 12,
                 "OBJ9 layout");
JQ_STATIC_ASSERT(sizeof(OBJ9List) == 8, "OBJ9List layout");
JQ_STATIC_ASSERT(sizeof(OBJ9FolderList) == 8, "OBJ9FolderList layout");
#elif defined(_WIN64) || defined(__LP64__)
JQ_STATIC_ASSERT(sizeof(OBJ9) == 24, "OBJ9 layout");
JQ_STATIC_ASSERT(sizeof(OBJ9List) == 16, "OBJ9List layout");
JQ_STATIC_ASSERT(sizeof(OBJ9FolderList) == 16, "OBJ9FolderList layout");
#endif

#endif /* PROMOINDEX_H */
