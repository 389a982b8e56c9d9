/*
 * feedcore_dictionary.h - code dictionaries (0x5D, 0xE2).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_DICTIONARY_H
#define FEEDCORE_DICTIONARY_H

#include <stdint.h>

#endif /* FEEDCORE_DICTIONARY_H */
