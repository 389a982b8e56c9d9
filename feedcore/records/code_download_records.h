// code_download_records.h - code download: one piece of a file delivered in
// several packages (type 0x5B).
#pragma once

#include "record_family.h"

namespace jq::records {

JQStatus parseCodeDownload(const RecordInput& input, CodeDownloadRecord& record);
void releaseCodeDownload(CodeDownloadRecord* record);
void writeCodeDownload(const CodeDownloadRecord& record, CsvFile& out);

using CodeDownloadFamily = TypedFamily<CodeDownloadRecord, parseCodeDownload, releaseCodeDownload>;

}  // namespace jq::records
