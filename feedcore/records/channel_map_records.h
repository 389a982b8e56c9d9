// channel_map_records.h - channel maps: the services that carry each guide
// channel number of one channel map (type 0xF3).
#pragma once

#include "record_family.h"

namespace jq::records {

JQStatus parseChannelMap(const RecordInput& input, ChannelMapRecord& record);
void releaseChannelMap(ChannelMapRecord* record);
void writeChannelMap(const ChannelMapRecord& record, CsvFile& out);

using ChannelMapFamily = TypedFamily<ChannelMapRecord, parseChannelMap, releaseChannelMap>;

}  // namespace jq::records
