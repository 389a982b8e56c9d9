// micp_records.h - MICP blocks: one block of an MICP object, kept whole for
// the MICP index (type 0xF5).
#pragma once

#include "record_family.h"

namespace jq::records {

JQStatus parseMicpBlock(const RecordInput& input, MicpBlockRecord& record);
void releaseMicpBlock(MicpBlockRecord* record);
void writeMicpBlock(const MicpBlockRecord& record, CsvFile& out);

using MicpBlockFamily = TypedFamily<MicpBlockRecord, parseMicpBlock, releaseMicpBlock>;

}  // namespace jq::records
