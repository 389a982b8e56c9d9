// object_records.cpp - object records (types 0x56, 0x57, 0xD7).
//
// Packet header: big-endian 32-bit PAID or CAID, big-endian 16-bit CRM, any
// further bytes unread. Plain data: the two CRM bytes again, then the object.
#include "object_records.h"

#include "list_records.h"

namespace jq::records {
namespace {

constexpr size_t kPacketHeaderSize = 6;

JQStatus parseObject(const RecordInput& input, ObjectRecord& record, JQStatus contentStatus) {
    if (input.data.empty() || input.packetHeader.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < kPacketHeaderSize) return JQ_ERR_FORMAT;
    ByteReader header(input.packetHeader);
    record.id = header.u32be();
    record.crm = header.u16be();

    // The data repeats the CRM byte for byte; a single byte cannot.
    ByteReader data(input.data);
    if (data.u16be() != record.crm || !data.ok()) return contentStatus;
    const ByteView object = data.rest();
    record.objectSize = static_cast<int32_t>(object.size);
    record.object = copyBytes(object.data, object.size);
    return JQ_OK;
}

void writeObject(const char* fieldLine, const ObjectRecord& record, CsvFile& out) {
    out.line(fieldLine);
    out.line("0x%08X,0x%04X,%d\n", record.id, record.crm, record.objectSize);
}

}  // namespace

JQStatus parseObject56(const RecordInput& input, ObjectRecord& record) {
    return parseObject(input, record, contentError(0x56));
}

JQStatus parseObjectShared(const RecordInput& input, ObjectRecord& record) {
    return parseObject(input, record, contentError(0xD7));
}

void releaseObject(ObjectRecord* record) {
    if (record == nullptr) return;
    delete[] record->object;
    delete record;
}

void writeObjectPaid(const ObjectRecord& record, CsvFile& out) {
    writeObject("PAID,CRM,ObjectSize\n", record, out);
}

void writeObjectCaid(const ObjectRecord& record, CsvFile& out) {
    writeObject("CAID,CRM,ObjectSize\n", record, out);
}

}  // namespace jq::records
