// mosaic_records.cpp - mosaic data (types 0x54, 0x58, 0x5E).
//
// Packet header: big-endian 16-bit MosaicCode, further bytes unread. Plain
// data: the block, all of it.
#include "mosaic_records.h"

#include "list_records.h"

namespace jq::records {

JQStatus parseMosaic(const RecordInput& input, MosaicRecord& record) {
    if (input.data.empty() || input.packetHeader.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < 2) return JQ_ERR_FORMAT;
    record.MosaicCode = ByteReader(input.packetHeader).u16be();
    record.DataSize = static_cast<uint32_t>(input.data.size);
    record.block = copyBytes(input.data.data, input.data.size);
    return JQ_OK;
}

void releaseMosaic(MosaicRecord* record) {
    if (record == nullptr) return;
    delete[] record->block;
    delete record;
}

void writeMosaic(const MosaicRecord& record, CsvFile& out) {
    out.line("MosaicCode,DataSize\n");
    out.line("0x%04X,%d\n", record.MosaicCode, record.DataSize);
}

}  // namespace jq::records
