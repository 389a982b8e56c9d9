// topic_list_records.cpp - topic lists (types 0x62, 0x6F).
//
// Packet header: byte 1 bits 7..3 name the list's major category. Plain
// data: entries up to its end, each a 0xFF-extended leading number, the
// category byte(s), title, details and object reference (each with a length
// byte), and for 0x6F a trailing MessageID.
#include "topic_list_records.h"

#include "collected.h"
#include "list_records.h"

namespace jq::records {
namespace {

constexpr size_t kHeaderSize = 2;
constexpr size_t kObjectIdsSize = 3;  // ObjectID and ServiceID

enum class Layout { Split6F, Packed62 };

void releaseEntry(TopicListEntry& entry) {
    delete[] entry.Title;
    delete[] entry.Details;
    delete[] entry.Object;
    entry = TopicListEntry{};
}

// Reads one whole entry; false, with nothing allocated, when the entry runs
// past the data or its object reference is too short for its identifiers.
bool readEntry(ByteReader& data, Layout layout, TopicListEntry& entry) {
    entry.LeadingValue = static_cast<int32_t>(data.ffExtended());
    const uint8_t category = data.u8();
    entry.MajorCategoryID = category >> 3;
    entry.MinorCategoryID = layout == Layout::Split6F ? data.u8() : category & 0x07;
    const ByteView title = data.bytes(data.u8());
    const ByteView details = data.bytes(data.u8());
    const ByteView object = data.bytes(data.u8());
    if (layout == Layout::Split6F) entry.MessageID = data.u8();
    if (!data.ok() || (!object.empty() && object.size < kObjectIdsSize)) return false;

    if (!object.empty()) {
        ByteReader ids(object);
        entry.ObjectID = ids.u16be();
        entry.ServiceID = ids.u8();
    }
    // Each buffer is stored at once, so a failed allocation leaves an entry
    // that releaseEntry frees.
    try {
        entry.Title = copyCountedText<uint8_t>(title, entry.TitleLength);
        entry.Details = copyCountedText<uint8_t>(details, entry.DetailsLength);
        entry.Object = copyBytes(object.data, object.size);
    } catch (...) {
        releaseEntry(entry);
        throw;
    }
    entry.ObjectLength = static_cast<uint8_t>(object.size);
    return true;
}

// An entry that runs past the end of the data, or whose object reference is
// shorter than its three identifier bytes, ends the list with 21; the
// entries read before it are kept.
JQStatus parseTopicList(const RecordInput& input, Layout layout, TopicListRecord& record) {
    if (input.data.empty() || input.packetHeader.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < kHeaderSize) return JQ_ERR_FORMAT;
    ByteReader header(input.packetHeader);
    header.skip(1);
    record.MajorCategoryID = header.u8() >> 3;

    ByteReader data(input.data);
    Collected<TopicListEntry, releaseEntry> entries;
    JQStatus status = JQ_OK;
    while (!data.atEnd()) {
        TopicListEntry entry{};
        if (!readEntry(data, layout, entry)) {
            status = JQ_ERR_FORMAT;
            break;
        }
        entries.add(entry);
    }
    entries.moveInto(record.Entries, record.EntryCount);
    return status;
}

void writeEntryStart(const TopicListEntry& entry, CsvFile& out) {
    out.line("0x%02X,0x%02X,%d,", entry.MajorCategoryID, entry.MinorCategoryID, entry.TitleLength);
    out.stored(entry.Title, entry.TitleLength);
    out.line(",%d,", entry.DetailsLength);
    out.stored(entry.Details, entry.DetailsLength);
}

constexpr const char* kColumns62 =
    "MajorCategoryID,MinorCategoryID,TitleLength,Title,DetailsLength,Details,ObjectLength,"
    "ObjectID,ServiceID";

}  // namespace

JQStatus parseTopicList6F(const RecordInput& input, TopicListRecord& record) {
    return parseTopicList(input, Layout::Split6F, record);
}

JQStatus parseTopicList62(const RecordInput& input, TopicListRecord& record) {
    return parseTopicList(input, Layout::Packed62, record);
}

void releaseTopicList(TopicListRecord* record) {
    if (record == nullptr) return;
    releaseArray<TopicListEntry, releaseEntry>(record->Entries, record->EntryCount);
    delete record;
}

void writeTopicList6F(const TopicListRecord& record, CsvFile& out) {
    out.line("MajorCategoryID,0x%02X\n", record.MajorCategoryID);
    out.line("%s,MessageID\n", kColumns62);
    for (int32_t i = 0; i < record.EntryCount; ++i) {
        const TopicListEntry& entry = record.Entries[i];
        writeEntryStart(entry, out);
        out.line(",%d,0x%04X,0x%02X,0x%02X\n", entry.ObjectLength, entry.ObjectID, entry.ServiceID,
                 entry.MessageID);
    }
}

void writeTopicList62(const TopicListRecord& record, CsvFile& out) {
    out.line("MajorCategoryID,0x%02X\n", record.MajorCategoryID);
    out.line("%s\n", kColumns62);
    for (int32_t i = 0; i < record.EntryCount; ++i) {
        const TopicListEntry& entry = record.Entries[i];
        writeEntryStart(entry, out);
        out.line(",%d,0x%04X,0x%02X\n", entry.ObjectLength, entry.ObjectID, entry.ServiceID);
    }
}

}  // namespace jq::records
