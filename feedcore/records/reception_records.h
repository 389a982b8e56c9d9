// reception_records.h - reception rules (types 0x75 and 0x85 share parser,
// record and writer): services with reception schedules, or one description.
#pragma once

#include "record_family.h"

namespace jq::records {

JQStatus parseReception(const RecordInput& input, ReceptionRecord& record);
void releaseReception(ReceptionRecord* record);
void writeReception(const ReceptionRecord& record, CsvFile& out);

using ReceptionFamily = TypedFamily<ReceptionRecord, parseReception, releaseReception>;

}  // namespace jq::records
