/*
 * jq_interface.h - what every library of the system shares at its binary
 * interface: the calling convention and export declaration, the path
 * character type, the status codes of all libraries, and the folder list
 * entry that hosts pass to the index libraries. Usable from C and C++.
 */
#ifndef JQ_INTERFACE_H
#define JQ_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

/* Exports use stdcall on 32-bit Windows (x86-64 has one convention). */
#ifdef _WIN32
#define JQ_CALL __stdcall
#else
#define JQ_CALL
#endif

#ifdef __cplusplus
#define JQ_EXTERN_C extern "C"
#else
#define JQ_EXTERN_C extern
#endif

#if defined(_WIN32)
#define JQ_EXPORT_VISIBILITY
#else
#define JQ_EXPORT_VISIBILITY __attribute__((visibility("default")))
#endif

/* Declares an export of one of the system's libraries. */
#define JQ_API JQ_EXTERN_C JQ_EXPORT_VISIBILITY

#ifdef __cplusplus
#define JQ_STATIC_ASSERT static_assert
#else
#define JQ_STATIC_ASSERT _Static_assert
#endif

/* Paths are null-terminated UTF-16 strings. */
#ifdef _WIN32
typedef wchar_t JQChar;
#elif defined(__cplusplus)
typedef char16_t JQChar;
#else
#include <uchar.h>
typedef char16_t JQChar;
#endif

/* A 32-bit status: 0 for success, one numbering for the whole system. */
typedef uint32_t JQStatus;

enum {
    JQ_OK = 0,
    JQ_ERR_EXCEPTION = 16,         /* exception caught; GetGCSP: no key-parameter package */
    JQ_ERR_NULL_ARGUMENT = 17,     /* required argument null; payload missing for a parser */
    JQ_ERR_OPEN = 18,              /* the data file cannot be opened */
    JQ_ERR_READ = 19,              /* empty file, failed or short read, bad header or size */
    JQ_ERR_FORMAT = 21,            /* wrong format, short packet header, type without parser */
    JQ_ERR_RANGE = 22,             /* argument out of range, buffer too small */
    JQ_ERR_NO_DECODER = 23,        /* index libraries: feedcore missing or incomplete */
    JQ_ERR_DECRYPT = 0x8001,       /* decryption refused: chunk length or no key parameters */
    JQ_ERR_INFLATE = 0x8002,       /* decompression failed or wrong inflated size */
    JQ_ERR_CHECKSUM = 0x8003,      /* package checksum mismatch */
    JQ_ERR_RECORD_BASE = 0xC000,   /* plus the record type code: inconsistent record content */
    JQ_ERR_NOT_INITIALIZED = 4097, /* index libraries: not initialised, or feedcore not loaded */
    JQ_ERR_NOT_FOUND = 4099        /* index libraries: nothing found */
};

/* One folder of a list that a host passes to an index library in place of
 * its settings file: the path's length in UTF-16 units, its terminating null
 * included, and the path. The host keeps ownership. */
typedef struct PathEntry {
    uint32_t length;
    const JQChar* text;
} PathEntry;

#if defined(_WIN32) && !defined(_WIN64)
JQ_STATIC_ASSERT(sizeof(PathEntry) == 8, "PathEntry layout");
#elif defined(_WIN64) || defined(__LP64__)
JQ_STATIC_ASSERT(sizeof(PathEntry) == 16, "PathEntry layout");
#endif

#endif /* JQ_INTERFACE_H */
