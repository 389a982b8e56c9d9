/*
 * hostident.h - binary interface of host identity: the PC's manufacturer and
 * model name.
 *
 * Each call starts the probe program (hostprobe.exe; hostprobe on POSIX) and
 * waits for it to end; the probe asks the system for the computer's maker and
 * model and leaves the names in two named shared memory objects, which the
 * library creates before the start and reads afterwards. Nothing is kept
 * between calls and no lock is taken: two calls of the same export at once
 * share one object and may read each other's answer.
 *
 * Names are 8-bit text in the system's ANSI code page (code page 932,
 * Shift-JIS, on POSIX, which has none), at most 31 bytes, cut before a
 * character that would not fit whole.
 */
#ifndef HOSTIDENT_H
#define HOSTIDENT_H

#include "jq_interface.h"

/* The shared memory objects, ANSI names of Windows file mappings; on POSIX
 * shared memory objects of the same names after a leading slash. */
#define HOSTIDENT_MODEL_MAPPING "HostIdent3 File Mapping Object"
#define HOSTIDENT_MANUFACTURER_MAPPING "HostIdent3 File Mapping Object for Manufacturer"

/* Each object is created by the library with HOSTIDENT_MAPPING_BYTES bytes;
 * the probe writes a field of HOSTIDENT_NAME_FIELD_BYTES bytes at its start:
 * the name, NUL-terminated, the rest zero. */
#define HOSTIDENT_MAPPING_BYTES 1024
#define HOSTIDENT_NAME_FIELD_BYTES 32

/* The buffer the host passes holds at least this many bytes. */
#define HOSTIDENT_BUFFER_BYTES 260

/* Results: a name was returned; no name (the buffer holds an empty string);
 * the buffer pointer is null. */
enum { HOSTIDENT_OK = 0, HOSTIDENT_NO_NAME = -1, HOSTIDENT_NULL_BUFFER = 87 };

/* The model name. The first two arguments are ignored. buffer, of at least
 * HOSTIDENT_BUFFER_BYTES bytes, names the probe program on entry (an empty
 * string for ".\hostprobe.exe", "./hostprobe" on POSIX, relative to the
 * current folder) and holds the name on return: HOSTIDENT_OK with a
 * non-empty name, else HOSTIDENT_NO_NAME with an empty string (also when the
 * probe does not exist or cannot be started), or HOSTIDENT_NULL_BUFFER. */
JQ_API int32_t JQ_CALL GetModelName(uint32_t unused1, uint32_t unused2, char* buffer);
/* The manufacturer's name, as GetModelName. */
JQ_API int32_t JQ_CALL GetManufacturerName(uint32_t unused1, uint32_t unused2, char* buffer);

#endif /* HOSTIDENT_H */
