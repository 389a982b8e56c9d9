// topic_message_records.cpp - topic messages (types 0x61, 0x6E).
//
// Packet header: MessageID, ServiceID, 16-bit SerialNumber and SMK, further
// bytes unread. Plain data: SMK again, then the message object.
#include "topic_message_records.h"

#include "list_records.h"

namespace jq::records {
namespace {

constexpr size_t kHeaderSize = 6;
// Both type codes report a mismatched SMK as the content error of 0x6E.
constexpr JQStatus kSmkMismatch = contentError(0x6E);

}  // namespace

JQStatus parseTopicMessage(const RecordInput& input, TopicMessageRecord& record) {
    if (input.data.empty() || input.packetHeader.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < kHeaderSize) return JQ_ERR_FORMAT;
    ByteReader header(input.packetHeader);
    record.MessageID = header.u8();
    record.ServiceID = header.u8();
    record.SerialNumber = header.u16be();
    record.SMK = header.u16be();

    // A single data byte cannot hold the repeated SMK word: the data is
    // malformed rather than inconsistent.
    ByteReader data(input.data);
    const uint16_t repeatedSmk = data.u16be();
    if (!data.ok()) return JQ_ERR_FORMAT;
    if (repeatedSmk != record.SMK) return kSmkMismatch;
    const ByteView object = data.rest();
    record.ObjectSize = static_cast<int32_t>(object.size);
    record.Object = copyBytes(object.data, object.size);
    return JQ_OK;
}

void releaseTopicMessage(TopicMessageRecord* record) {
    if (record == nullptr) return;
    delete[] record->Object;
    delete record;
}

void writeTopicMessage(const TopicMessageRecord& record, CsvFile& out) {
    out.line("MessageID,ServiceID,SerialNumber,SMK,ObjectSize\n");
    out.line("0x%02X,0x%02X,0x%04X,0x%04X,%d\n", record.MessageID, record.ServiceID,
             record.SerialNumber, record.SMK, record.ObjectSize);
}

}  // namespace jq::records
