// schedule_records.h - programme schedules: types 'L' (0x4C), 'M' (0x4D)
// and 'Q' (0x51) share parser, record and writer.
#pragma once

#include "record_family.h"

namespace jq::records {

JQStatus parseSchedule(const RecordInput& input, ScheduleRecord& record);
void releaseSchedule(ScheduleRecord* record);
void writeSchedule(const ScheduleRecord& record, CsvFile& out);

using ScheduleFamily = TypedFamily<ScheduleRecord, parseSchedule, releaseSchedule>;

}  // namespace jq::records
