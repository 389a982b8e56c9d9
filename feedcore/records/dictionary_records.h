// dictionary_records.h - code dictionaries: the texts of category, keyword,
// actor and icon codes (types 0x5D and 0xE2 share parser and record; each
// has its own writer, since 0xE2 adds HostID columns and icons).
#pragma once

#include "record_family.h"

namespace jq::records {

// Reports content errors as 0xC0E2 for both types.
JQStatus parseDictionary(const RecordInput& input, DictionaryRecord& record);
void releaseDictionary(DictionaryRecord* record);
void writeDictionary5D(const DictionaryRecord& record, CsvFile& out);
void writeDictionaryE2(const DictionaryRecord& record, CsvFile& out);

using DictionaryFamily = TypedFamily<DictionaryRecord, parseDictionary, releaseDictionary>;

}  // namespace jq::records
