// station_records.h - station names: guide channel number, picture block
// and name of each station (type 0x70).
#pragma once

#include "record_family.h"

namespace jq::records {

// Reads the plain data alone; the packet header is not used.
JQStatus parseStations(const RecordInput& input, StationNameRecord& record);
void releaseStations(StationNameRecord* record);
void writeStations(const StationNameRecord& record, CsvFile& out);

using StationFamily = TypedFamily<StationNameRecord, parseStations, releaseStations>;

}  // namespace jq::records
