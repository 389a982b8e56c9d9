// keyed_table.h - a table of entries under unique 8- or 16-bit keys, in
// ascending key order.
//
// The keys are small, so each table is a slot per key pointing into a pool
// of entries: filing and lookup cost one array access, and walking the keys
// in order one pass over the slots. The slots are made on the first filing;
// an empty table holds no memory.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace jq::newsindex {

template <typename Entry, unsigned KeyBits>
class KeyedTable {
public:
    static constexpr uint32_t kKeys = 1u << KeyBits;

    bool empty() const { return entries_.empty(); }
    size_t size() const { return entries_.size(); }

    const Entry* find(uint32_t key) const {
        if (slots_.empty() || key >= kKeys || slots_[key] == kNone) return nullptr;
        return &entries_[slots_[key]];
    }

    // Files entry under key unless the key is taken; whether it was filed.
    bool fileFirst(uint32_t key, const Entry& entry) {
        uint32_t& slot = slotOf(key);
        if (slot != kNone) return false;
        entries_.push_back(entry);
        slot = static_cast<uint32_t>(entries_.size() - 1);
        return true;
    }

    // Files entry under key, in place of the entry the key had.
    void replace(uint32_t key, const Entry& entry) {
        uint32_t& slot = slotOf(key);
        if (slot != kNone) {
            entries_[slot] = entry;
            return;
        }
        entries_.push_back(entry);
        slot = static_cast<uint32_t>(entries_.size() - 1);
    }

    // Calls visit(key, entry) for each key from first to last, ascending.
    template <typename Visit>
    void forEach(uint32_t first, uint32_t last, Visit&& visit) const {
        if (slots_.empty()) return;
        for (uint32_t key = first; key <= last && key < kKeys; ++key) {
            if (slots_[key] != kNone) visit(key, entries_[slots_[key]]);
        }
    }
    template <typename Visit>
    void forEach(Visit&& visit) const {
        forEach(0, kKeys - 1, std::forward<Visit>(visit));
    }

    // The number of keys from first to last.
    uint32_t count(uint32_t first, uint32_t last) const {
        uint32_t n = 0;
        forEach(first, last, [&n](uint32_t, const Entry&) { ++n; });
        return n;
    }

    // Whether a key at or above first is filed.
    bool hasKeyFrom(uint32_t first) const {
        if (slots_.empty()) return false;
        for (uint32_t key = first; key < kKeys; ++key) {
            if (slots_[key] != kNone) return true;
        }
        return false;
    }

    void clear() {
        slots_.clear();
        slots_.shrink_to_fit();
        entries_.clear();
        entries_.shrink_to_fit();
    }

private:
    static constexpr uint32_t kNone = UINT32_MAX;

    uint32_t& slotOf(uint32_t key) {
        if (slots_.empty()) slots_.assign(kKeys, kNone);
        return slots_[key & (kKeys - 1)];
    }

    std::vector<uint32_t> slots_;  // per key: the entry's position, or kNone
    std::vector<Entry> entries_;
};

}  // namespace jq::newsindex
