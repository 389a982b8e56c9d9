// promo_objects.cpp - filing the advertisement objects by PAID, and the
// host's list.
#include "promo_objects.h"

#include <algorithm>
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

void PromoTables::clear() {
    entries_.clear();
    slots_.clear();
}

PromoTables::Slot& PromoTables::slotOf(uint32_t key) {
    // MurmurHash3's finaliser spreads PAIDs that differ in a few bits (runs,
    // multiples) over the whole table; the slot count is a power of two.
    uint32_t h = key;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    const size_t mask = slots_.size() - 1;
    for (size_t i = h & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.entry == 0 || slot.key == key) return slot;
    }
}

void PromoTables::growSlots() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
    for (const Slot& slot : old) {
        if (slot.entry != 0) slotOf(slot.key) = slot;
    }
}

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
    // At most three slots in four in use, so that a probe ends soon.
    if (4 * (entries_.size() + 1) > 3 * slots_.size()) growSlots();
    Slot& slot = slotOf(paid);
    // An object of this PC's own HostID gives way to a later one of another.
    if (slot.entry != 0 &&
        (entries_[slot.entry - 1].hostId != localHostId_ || element.HostID == localHostId_)) {
        return;
    }
    Entry entry;
    entry.key = paid;
    entry.hostId = element.HostID;
    entry.recordType = static_cast<uint8_t>(element.recordType);
    entry.paid = record->id;
    entry.size = static_cast<uint32_t>(record->objectSize);
    if (entry.size != 0) {
        entry.bytes.reset(new uint8_t[entry.size]);
        std::memcpy(entry.bytes.get(), record->object, entry.size);
    }
    if (slot.entry != 0) {
        entries_[slot.entry - 1] = std::move(entry);
    } else {
        entries_.push_back(std::move(entry));
        slot = {paid, static_cast<uint32_t>(entries_.size())};
    }
}

void PromoTables::moveInKeyOrder(OBJ9* elements) {
    // The slots hold every key with its entry: sorting those small pairs is
    // far cheaper than sorting the entries themselves.
    std::vector<Slot> order;
    order.reserve(entries_.size());
    for (const Slot& slot : slots_) {
        if (slot.entry != 0) order.push_back(slot);
    }
    std::sort(order.begin(), order.end(),
              [](const Slot& a, const Slot& b) { return a.key < b.key; });
    for (const Slot& slot : order) {
        Entry& entry = entries_[slot.entry - 1];
        OBJ9& out = *elements++;
        out.HostID = entry.hostId;
        out.RecordType = entry.recordType;
        out.PAID = entry.paid;
        out.ObjectSize = entry.size;
        out.Object = entry.bytes.release();
    }
    clear();
}

void fillObjectList(PromoTables& tables, OBJ9List& list) {
    const size_t count = tables.size();
    std::unique_ptr<OBJ9[]> elements(count == 0 ? nullptr : new OBJ9[count]);
    if (count != 0) tables.moveInKeyOrder(elements.get());
    list.count = static_cast<uint32_t>(count);
    list.elements = elements.release();
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
