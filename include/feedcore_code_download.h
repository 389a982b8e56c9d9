/*
 * feedcore_code_download.h - code download (0x5B).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 * One record per package: one piece of a file delivered in several packages,
 * with its descriptor and an owned copy of the piece's bytes.
 */
#ifndef FEEDCORE_CODE_DOWNLOAD_H
#define FEEDCORE_CODE_DOWNLOAD_H

#include <stdint.h>

struct CodeDownloadRecord {
    uint16_t CodeID;
    uint8_t MajorVer;
    uint8_t MinorVer;
    uint8_t TotalFileNum;
    uint8_t FileNum;
    uint16_t FileInfoSize;
    uint16_t CRC;
    uint32_t CodeOffset;
    uint16_t DataSize;
    uint8_t* CodeData; /* DataSize bytes; null when DataSize is 0 */
};

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(CodeDownloadRecord) == 24, "CodeDownloadRecord layout");
#endif

#endif /* FEEDCORE_CODE_DOWNLOAD_H */
