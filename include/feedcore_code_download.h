/*
 * feedcore_code_download.h - code download (0x5B).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_CODE_DOWNLOAD_H
#define FEEDCORE_CODE_DOWNLOAD_H

#include <stdint.h>

#endif /* FEEDCORE_CODE_DOWNLOAD_H */
