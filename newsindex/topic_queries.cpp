// topic_queries.cpp - category lists and message content for the host.
//
// Results are copies in buffers of this library's allocator, released by
// the matching release export. A query builds them in full before it stores
// them in the host's record, so that a failure leaves nothing to release.
#include "topic_queries.h"

#include <cstring>
#include <memory>

#include "counted_text.h"
#include "topic_message.h"

namespace jq::newsindex {
namespace {

using Buffer = std::unique_ptr<uint8_t[]>;

Buffer copyOf(ByteView bytes) {
    Buffer copy(new uint8_t[bytes.size]);
    std::memcpy(copy.get(), bytes.data, bytes.size);
    return copy;
}

// A text as the index stores it: its kept bytes and a zero byte; null with
// length 0 for no text.
uint8_t* copyStoredText(ByteView text, uint32_t& length) {
    length = records::countedTextSize(text);
    if (length == 0) return nullptr;
    uint8_t* copy = new uint8_t[length];
    std::memcpy(copy, text.data, length - 1);
    copy[length - 1] = 0;
    return copy;
}

void releaseEntries(MajorIDEntry* entries, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) delete[] entries[i].Title;
    delete[] entries;
}

void releaseEntries(MinorIDEntry* entries, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        delete[] entries[i].Title;
        delete[] entries[i].Details;
    }
    delete[] entries;
}

// Zero-filled entries, released with their texts unless handed over.
template <typename Entry>
class EntryArray {
public:
    explicit EntryArray(uint32_t count) : entries_(new Entry[count]()), count_(count) {}
    EntryArray(const EntryArray&) = delete;
    EntryArray& operator=(const EntryArray&) = delete;
    ~EntryArray() {
        if (entries_ != nullptr) releaseEntries(entries_, count_);
    }
    Entry& operator[](uint32_t i) { return entries_[i]; }
    template <typename List>
    void moveInto(List& list) {
        list.count = count_;
        list.entries = entries_;
        entries_ = nullptr;
    }

private:
    Entry* entries_;
    uint32_t count_;
};

void fillMajor(const TopicEntry& entry, MajorIDEntry& out) {
    out.HostID = entry.hostId;
    out.MajorCategoryID = entry.item.majorCategoryId;
    out.Title = copyStoredText(entry.item.title, out.TitleLength);
}

void fillMinor(const TopicEntry& entry, MinorIDEntry& out) {
    out.HostID = entry.hostId;
    out.MinorCategoryID = entry.item.minorCategoryId;
    out.Title = copyStoredText(entry.item.title, out.TitleLength);
    out.Details = copyStoredText(entry.item.details, out.DetailsLength);
    out.ServiceID = entry.item.serviceId;
    out.MessageID = entry.item.messageId;
}

// What one element type returns: the length of its last element, and its
// last non-empty payload (an empty one leaves the data field as it was).
struct ReturnedPayload {
    bool present = false;
    uint32_t length = 0;
    ByteView data;
};

// The host's fields of one returned element type.
struct PayloadFields {
    uint8_t** data;
    uint32_t* length;
};

// Element types 2, 6 and 8, in the order of TopicsData.
int returnedIndex(uint16_t type) {
    switch (type) {
        case kFirstData:
            return 0;
        case kSecondData:
            return 1;
        case kThirdData:
            return 2;
        default:
            return -1;
    }
}

}  // namespace

JQStatus majorCategories(const TopicTables& tables, MajorIDList& list) {
    const MajorView& view = tables.majors();
    if (view.empty()) return JQ_ERR_NOT_FOUND;
    EntryArray<MajorIDEntry> entries(static_cast<uint32_t>(view.size()));
    uint32_t i = 0;
    view.forEach([&](uint32_t, const TopicEntry* entry) { fillMajor(*entry, entries[i++]); });
    entries.moveInto(list);
    return JQ_OK;
}

JQStatus topicsOfCategory(const TopicTables& tables, uint8_t major, MinorIDList& list) {
    const MinorView& view = tables.minors();
    const uint32_t first = major * 256u;
    const uint32_t last = first + 255;
    if (view.empty() || !view.hasKeyFrom(first)) return JQ_ERR_NOT_FOUND;
    const uint32_t count = view.count(first, last);
    if (count == 0) {
        list.count = 0;
        return JQ_ERR_NOT_FOUND;
    }
    EntryArray<MinorIDEntry> entries(count);
    uint32_t i = 0;
    view.forEach(first, last,
                 [&](uint32_t, const TopicEntry* entry) { fillMinor(*entry, entries[i++]); });
    entries.moveInto(list);
    return JQ_OK;
}

JQStatus topicContent(const TopicTables& tables, uint8_t serviceId, uint8_t messageId,
                      bool checkExpiry, index::DayZeroTime now, TopicsData& data) {
    const TopicMessageEntry* const* found = tables.messages().find(serviceId * 256u + messageId);
    if (found == nullptr) return JQ_ERR_NOT_FOUND;
    TopicMessage message;
    if (decodeTopicMessage((*found)->object, message) != JQ_OK) return JQ_ERR_NOT_FOUND;

    ReturnedPayload payloads[3];
    bool expired = false;
    for (const TopicElement& element : message.elements) {
        if (const int index = returnedIndex(element.type); index >= 0) {
            payloads[index].present = true;
            payloads[index].length = static_cast<uint32_t>(element.payload.size);
            if (!element.payload.empty()) payloads[index].data = element.payload;
        } else if (element.type == kExpiry && checkExpiry) {
            expired = index::hasExpired(element.expiryTime, now);  // the last one decides
        }
    }

    const PayloadFields fields[3] = {{&data.Type2Data, &data.Type2Length},
                                     {&data.Type6Data, &data.Type6Length},
                                     {&data.Type8Data, &data.Type8Length}};
    Buffer copies[3];
    if (!expired) {
        for (int i = 0; i < 3; ++i) {
            if (!payloads[i].data.empty()) copies[i] = copyOf(payloads[i].data);
        }
    }
    // An expired message reports the lengths but no buffers: the host has
    // nothing to release.
    for (int i = 0; i < 3; ++i) {
        if (!payloads[i].present) continue;
        *fields[i].length = payloads[i].length;
        if (expired) {
            *fields[i].data = nullptr;
        } else if (copies[i] != nullptr) {
            *fields[i].data = copies[i].release();
        }
    }
    return expired ? JQ_ERR_NOT_FOUND : JQ_OK;
}

void releaseMajorList(MajorIDList& list) {
    if (list.entries == nullptr) return;
    releaseEntries(list.entries, list.count);
    list.entries = nullptr;
}

void releaseMinorList(MinorIDList& list) {
    if (list.entries == nullptr) return;
    releaseEntries(list.entries, list.count);
    list.entries = nullptr;
}

void releaseTopicsData(TopicsData& data) {
    for (uint8_t** buffer : {&data.Type2Data, &data.Type6Data, &data.Type8Data}) {
        delete[] *buffer;
        *buffer = nullptr;
    }
}

}  // namespace jq::newsindex
