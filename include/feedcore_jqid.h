/*
 * feedcore_jqid.h - JQID tables (0xDF) and their entry records.
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_JQID_H
#define FEEDCORE_JQID_H

#include <stdint.h>

#endif /* FEEDCORE_JQID_H */
