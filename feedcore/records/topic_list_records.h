// topic_list_records.h - topic lists: the directory of the topics service,
// one entry per category or topic (0x6F with a MessageID per entry, 0x62
// with both category numbers in one byte).
#pragma once

#include "record_family.h"

namespace jq::records {

JQStatus parseTopicList6F(const RecordInput& input, TopicListRecord& record);
JQStatus parseTopicList62(const RecordInput& input, TopicListRecord& record);
// Frees every entry's buffers, the entries and the record; safe on a record
// left by a failed parse.
void releaseTopicList(TopicListRecord* record);
void writeTopicList6F(const TopicListRecord& record, CsvFile& out);
void writeTopicList62(const TopicListRecord& record, CsvFile& out);

using TopicList6FFamily = TypedFamily<TopicListRecord, parseTopicList6F, releaseTopicList>;
using TopicList62Family = TypedFamily<TopicListRecord, parseTopicList62, releaseTopicList>;

}  // namespace jq::records
