// topic_list_records.cpp - topic lists (types 0x62, 0x6F).
//
// Packet header: byte 1 bits 7..3 name the list's major category. Plain
// data: entries up to its end, each a 0xFF-extended leading number, the
// category byte(s), title, details and object reference (each with a length
// byte), and for 0x6F a trailing MessageID.
#include "topic_list_records.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "list_records.h"

namespace jq::records {
namespace {

constexpr size_t kHeaderSize = 2;
constexpr size_t kObjectIdsSize = 3;  // ObjectID and ServiceID
// The stored length is 8 bits and counts the zero byte, so a text keeps at
// most 254 bytes: a 255-byte text would otherwise be stored with length 0.
constexpr size_t kTextMaxBytes = 0xFF - 1;

enum class Layout { Split6F, Packed62 };

void releaseEntry(TopicListEntry& entry) {
    delete[] entry.Title;
    delete[] entry.Details;
    delete[] entry.Object;
    entry = TopicListEntry{};
}

// Entries read so far; released unless moved into the record.
class CollectedEntries {
public:
    CollectedEntries() = default;
    CollectedEntries(const CollectedEntries&) = delete;
    CollectedEntries& operator=(const CollectedEntries&) = delete;
    ~CollectedEntries() {
        for (TopicListEntry& entry : entries_) releaseEntry(entry);
    }

    void add(TopicListEntry& entry) {
        try {
            entries_.push_back(entry);
        } catch (...) {
            releaseEntry(entry);
            throw;
        }
    }

    void moveInto(TopicListRecord& record) {
        if (entries_.empty()) return;
        record.Entries = new TopicListEntry[entries_.size()]();
        std::copy(entries_.begin(), entries_.end(), record.Entries);
        record.EntryCount = static_cast<int32_t>(entries_.size());
        entries_.clear();
    }

private:
    std::vector<TopicListEntry> entries_;
};

// A text with its zero byte appended, or null when empty.
uint8_t* storedText(ByteView text, uint8_t& storedLength) {
    if (text.empty()) return nullptr;
    const size_t kept = std::min(text.size, kTextMaxBytes);
    auto* copy = new uint8_t[kept + 1]();
    std::memcpy(copy, text.data, kept);
    storedLength = static_cast<uint8_t>(kept + 1);
    return copy;
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
        entry.Title = storedText(title, entry.TitleLength);
        entry.Details = storedText(details, entry.DetailsLength);
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
    record.MajorCategoryID = input.packetHeader.data[1] >> 3;

    ByteReader data(input.data);
    CollectedEntries entries;
    JQStatus status = JQ_OK;
    while (!data.atEnd()) {
        TopicListEntry entry{};
        if (!readEntry(data, layout, entry)) {
            status = JQ_ERR_FORMAT;
            break;
        }
        entries.add(entry);
    }
    entries.moveInto(record);
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
    if (record->Entries != nullptr) {
        for (int32_t i = 0; i < record->EntryCount; ++i) releaseEntry(record->Entries[i]);
        delete[] record->Entries;
    }
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
