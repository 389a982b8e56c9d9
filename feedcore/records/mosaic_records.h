// mosaic_records.h - mosaic data: one opaque block named by a MosaicCode
// (types 0x54, 0x58 and 0x5E share parser, record and writer).
#pragma once

#include "record_family.h"

namespace jq::records {

JQStatus parseMosaic(const RecordInput& input, MosaicRecord& record);
void releaseMosaic(MosaicRecord* record);
void writeMosaic(const MosaicRecord& record, CsvFile& out);

using MosaicFamily = TypedFamily<MosaicRecord, parseMosaic, releaseMosaic>;

}  // namespace jq::records
