// promo_objects.cpp - filing the advertisement objects by PAID, and the
// host's list.
#include "promo_objects.h"

#include <cstring>
#include <memory>

namespace jq::promoindex {
namespace {

constexpr uint32_t kObject56 = 0x56;
constexpr uint32_t kObjectD7 = 0xD7;

// Every file goes to the one pass; nothing is loaded in a second.
index::Pass onePass(const JQChar*, const IndexEntry&) { return index::Pass::First; }

const ObjectRecord* recordOf(const ParseElement& element) {
    return element.recordType == kObject56 ? element.object56 : element.objectD7;
}

}  // namespace

bool isPromoType(uint32_t typeCode) { return typeCode == kObject56 || typeCode == kObjectD7; }

void PromoTables::takeParsed(index::Pass, const ParseElement& element) { file(element); }

void PromoTables::file(const ParseElement& element) {
    if (!isPromoType(element.recordType)) return;
    const ObjectRecord* record = recordOf(element);
    if (record == nullptr || element.packetHeader == nullptr || element.PacketHeaderLength < 4) {
        return;
    }
    if (record->objectSize < 0 || (record->objectSize > 0 && record->object == nullptr)) return;
    const uint8_t* header = element.packetHeader;
    const uint32_t paid = static_cast<uint32_t>(header[0]) << 24 |
                          static_cast<uint32_t>(header[1]) << 16 |
                          static_cast<uint32_t>(header[2]) << 8 | header[3];
    const auto found = objects_.find(paid);
    // An object of this PC's own HostID gives way to a later one of another.
    if (found != objects_.end() &&
        (found->second.hostId != localHostId_ || element.HostID == localHostId_)) {
        return;
    }
    Entry entry;
    entry.hostId = element.HostID;
    entry.recordType = static_cast<uint8_t>(element.recordType);
    entry.paid = record->id;
    entry.size = static_cast<uint32_t>(record->objectSize);
    if (entry.size != 0) {
        entry.bytes.reset(new uint8_t[entry.size]);
        std::memcpy(entry.bytes.get(), record->object, entry.size);
    }
    if (found != objects_.end()) {
        found->second = std::move(entry);
    } else {
        objects_.emplace(paid, std::move(entry));
    }
}

void fillObjectList(PromoTables& tables, OBJ9List& list) {
    std::map<uint32_t, PromoTables::Entry>& objects = tables.objects();
    OBJ9* elements = objects.empty() ? nullptr : new OBJ9[objects.size()]();
    size_t i = 0;
    for (auto& [paid, entry] : objects) {
        OBJ9& out = elements[i++];
        out.HostID = entry.hostId;
        out.RecordType = entry.recordType;
        out.PAID = entry.paid;
        out.ObjectSize = entry.size;
        out.Object = entry.bytes.release();
    }
    list.count = static_cast<uint32_t>(objects.size());
    list.elements = elements;
}

void releaseObjectList(OBJ9List& list) {
    if (list.elements == nullptr) return;
    for (uint32_t i = 0; i < list.count; ++i) delete[] list.elements[i].Object;
    delete[] list.elements;
    list.elements = nullptr;
}

JQStatus enumerateObjects(OBJ9List& list, const std::vector<index::PathString>* folders,
                          uint32_t localHostId, const index::PathString& namePattern,
                          index::DecoderSource source) {
    const index::LibraryRule rule{
        JQ_PATH("AD.ini"), {namePattern, isPromoType, onePass}, index::LoadKind::ParsesPerFile};
    // The frame's destructor unloads feedcore.
    index::IndexFrame<PromoTables> frame(rule, source);
    frame.tables().setLocalHostId(localHostId);
    const JQStatus status = folders != nullptr ? frame.load(*folders) : frame.load();
    if (status != JQ_OK) return status;
    fillObjectList(frame.tables(), list);
    return JQ_OK;
}

}  // namespace jq::promoindex
