// jqid_records.h - JQID tables (type 0xDF): the table parser, its CSV lines
// and release. Single entries are jqid_entries.h's.
#pragma once

#include "jqid_entries.h"
#include "record_family.h"

namespace jq::records {

JQStatus parseJqidTable(const RecordInput& input, JQIDTable& table);
void releaseJqidTable(JQIDTable* table);
void writeJqidTable(const JQIDTable& table, CsvFile& out);

using JqidTableFamily = TypedFamily<JQIDTable, parseJqidTable, releaseJqidTable>;

}  // namespace jq::records
