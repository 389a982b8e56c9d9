// topic_queries.h - the questions a host asks the topics index, answered
// from finished tables into the host's records. The exports add the lock
// and the library's states.
#pragma once

#include <cstdint>

#include "day_zero_time.h"
#include "newsindex.h"
#include "topic_tables.h"

namespace jq::newsindex {

// Every major category, ascending: 0, or 4099 with the list untouched when
// there is none.
JQStatus majorCategories(const TopicTables& tables, MajorIDList& list);

// The topics of a major category, ascending: 0; 4099 with the list
// untouched when no topic of this category or a later one exists, or with
// count 0 when only later ones do.
JQStatus topicsOfCategory(const TopicTables& tables, uint8_t major, MinorIDList& list);

// The content of a message: 0, or 4099 when it is not there, cannot be
// decoded or (with checkExpiry) has expired, and nothing of it is left in
// data.
JQStatus topicContent(const TopicTables& tables, uint8_t serviceId, uint8_t messageId,
                      bool checkExpiry, index::DayZeroTime now, TopicsData& data);

void releaseMajorList(MajorIDList& list);
void releaseMinorList(MinorIDList& list);
void releaseTopicsData(TopicsData& data);

}  // namespace jq::newsindex
