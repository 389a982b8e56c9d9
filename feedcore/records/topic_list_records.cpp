// topic_list_records.cpp - topic lists (types 0x62, 0x6F).
//
// Packet header: byte 1 bits 7..3 name the list's major category. Plain
// data: entries up to its end (topic_list_items.h).
#include "topic_list_records.h"

#include "collected.h"
#include "list_records.h"
#include "topic_list_items.h"

namespace jq::records {
namespace {

constexpr size_t kHeaderSize = 2;

void releaseEntry(TopicListEntry& entry) {
    delete[] entry.Title;
    delete[] entry.Details;
    delete[] entry.Object;
    entry = TopicListEntry{};
}

// Reads one whole entry; false, with nothing allocated, when the entry runs
// past the data or its object reference is too short for its identifiers.
bool readEntry(ByteReader& data, TopicListLayout layout, TopicListEntry& entry) {
    TopicListItem item;
    if (!readTopicListItem(data, layout, item)) return false;
    entry.LeadingValue = static_cast<int32_t>(item.leadingValue);
    entry.MajorCategoryID = item.majorCategoryId;
    entry.MinorCategoryID = item.minorCategoryId;
    entry.ObjectID = item.objectId;
    entry.ServiceID = item.serviceId;
    entry.MessageID = item.messageId;
    // Each buffer is stored at once, so a failed allocation leaves an entry
    // that releaseEntry frees.
    try {
        entry.Title = copyCountedText<uint8_t>(item.title, entry.TitleLength);
        entry.Details = copyCountedText<uint8_t>(item.details, entry.DetailsLength);
        entry.Object = copyBytes(item.object.data, item.object.size);
    } catch (...) {
        releaseEntry(entry);
        throw;
    }
    entry.ObjectLength = static_cast<uint8_t>(item.object.size);
    return true;
}

// An entry that runs past the end of the data, or whose object reference is
// shorter than its three identifier bytes, ends the list with 21; the
// entries read before it are kept.
JQStatus parseTopicList(const RecordInput& input, TopicListLayout layout, TopicListRecord& record) {
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
    return parseTopicList(input, TopicListLayout::Split6F, record);
}

JQStatus parseTopicList62(const RecordInput& input, TopicListRecord& record) {
    return parseTopicList(input, TopicListLayout::Packed62, record);
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
