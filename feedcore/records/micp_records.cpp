// micp_records.cpp - MICP blocks (type 0xF5).
//
// Packet header (8 bytes, further bytes unread): ObjectID be32,
// TotalBlockNumber be16, BlockNumber be16. Plain data: the block, copied
// whole without looking inside; its length is the block's size, so nothing
// in the block can point past the data. The relation of BlockNumber to
// TotalBlockNumber is left to the MICP index.
#include "micp_records.h"

#include "list_records.h"

namespace jq::records {
namespace {

constexpr size_t kPacketHeaderSize = 8;

}  // namespace

JQStatus parseMicpBlock(const RecordInput& input, MicpBlockRecord& record) {
    if (input.data.empty() || input.packetHeader.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < kPacketHeaderSize) return JQ_ERR_FORMAT;
    ByteReader header(input.packetHeader);
    record.ObjectID = header.u32be();
    record.TotalBlockNumber = header.u16be();
    record.BlockNumber = header.u16be();
    record.ObjectSize = static_cast<int32_t>(input.data.size);
    record.Object = copyBytes(input.data.data, input.data.size);
    return JQ_OK;
}

void releaseMicpBlock(MicpBlockRecord* record) {
    if (record == nullptr) return;
    delete[] record->Object;
    delete record;
}

void writeMicpBlock(const MicpBlockRecord& record, CsvFile& out) {
    out.line("ObjectID,TotalBlockNumber,BlockNumber,ObjectSize\n");
    out.line("0x%08X,%d,%d,%d\n", record.ObjectID, record.TotalBlockNumber, record.BlockNumber,
             record.ObjectSize);
}

}  // namespace jq::records
