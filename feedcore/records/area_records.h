// area_records.h - area code lists: one bare list (0x71), lists named by a
// CMID (0x72) and lists headed by a time offset (0x7E).
#pragma once

#include "record_family.h"

namespace jq::records {

JQStatus parseAreaCodes(const RecordInput& input, AreaCodeList& record);
void releaseAreaCodes(AreaCodeList* record);
void writeAreaCodes(const AreaCodeList& record, CsvFile& out);

JQStatus parseCmidAreas(const RecordInput& input, CmidAreaRecord& record);
void releaseCmidAreas(CmidAreaRecord* record);
void writeCmidAreas(const CmidAreaRecord& record, CsvFile& out);

JQStatus parseTimeOffsetAreas(const RecordInput& input, TimeOffsetAreaRecord& record);
void releaseTimeOffsetAreas(TimeOffsetAreaRecord* record);
void writeTimeOffsetAreas(const TimeOffsetAreaRecord& record, CsvFile& out);

using AreaCodeFamily = TypedFamily<AreaCodeList, parseAreaCodes, releaseAreaCodes>;
using CmidAreaFamily = TypedFamily<CmidAreaRecord, parseCmidAreas, releaseCmidAreas>;
using TimeOffsetAreaFamily =
    TypedFamily<TimeOffsetAreaRecord, parseTimeOffsetAreas, releaseTimeOffsetAreas>;

}  // namespace jq::records
