// topic_message_records.h - topic messages: the identifiers of a topic's
// content and its message object as opaque bytes (types 0x61 and 0x6E share
// parser, record and writer).
#pragma once

#include "record_family.h"

namespace jq::records {

JQStatus parseTopicMessage(const RecordInput& input, TopicMessageRecord& record);
void releaseTopicMessage(TopicMessageRecord* record);
void writeTopicMessage(const TopicMessageRecord& record, CsvFile& out);

using TopicMessageFamily =
    TypedFamily<TopicMessageRecord, parseTopicMessage, releaseTopicMessage>;

}  // namespace jq::records
