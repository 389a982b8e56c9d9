/*
 * feedcore_topics.h - topic messages (0x61, 0x6E) and topic lists (0x62, 0x6F).
 *
 * Included by feedcore.h after the forward declarations of the record types.
 */
#ifndef FEEDCORE_TOPICS_H
#define FEEDCORE_TOPICS_H

#include <stdint.h>

#endif /* FEEDCORE_TOPICS_H */
