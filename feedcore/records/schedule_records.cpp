// schedule_records.cpp - programme schedules (types 0x4C, 0x4D, 0x51).
#include "schedule_records.h"

namespace jq::records {

JQStatus parseSchedule(const RecordInput&, ScheduleRecord&) { return JQ_ERR_FORMAT; }
void releaseSchedule(ScheduleRecord* record) { delete record; }
void writeSchedule(const ScheduleRecord&, CsvFile&) {}

}  // namespace jq::records
