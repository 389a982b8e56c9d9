// keyed_table.h - a table of entries under unique 8- or 16-bit keys, in
// ascending key order.
//
// The keys are small, so each table is a slot per key pointing into a pool
// of entries: filing and lookup cost two array accesses, and walking the keys
// in order one pass over the slots. The slots come in pages of 256 keys, each
// made when a key of it is first filed, so that a sparse table stays small
// and an empty one holds no memory.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
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
        const uint32_t slot = slotAt(key);
        return slot == kNone ? nullptr : &entries_[slot];
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
        for (uint32_t key = first; key <= last && key < kKeys; ++key) {
            const Page* page = pageAt(key);
            if (page == nullptr) {
                key |= kPageSize - 1;  // on to the next page
                continue;
            }
            const uint32_t slot = (*page)[key % kPageSize];
            if (slot != kNone) visit(key, entries_[slot]);
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
        bool found = false;
        forEach(first, kKeys - 1, [&found](uint32_t, const Entry&) { found = true; });
        return found;
    }

    void clear() {
        pages_.clear();
        pages_.shrink_to_fit();
        entries_.clear();
        entries_.shrink_to_fit();
    }

private:
    static constexpr uint32_t kNone = UINT32_MAX;
    static constexpr uint32_t kPageSize = 256;
    static constexpr uint32_t kPages = (kKeys + kPageSize - 1) / kPageSize;
    using Page = std::array<uint32_t, kPageSize>;  // per key: the entry's position, or kNone

    const Page* pageAt(uint32_t key) const {
        return pages_.empty() ? nullptr : pages_[key / kPageSize].get();
    }

    uint32_t slotAt(uint32_t key) const {
        if (key >= kKeys) return kNone;
        const Page* page = pageAt(key);
        return page == nullptr ? kNone : (*page)[key % kPageSize];
    }

    uint32_t& slotOf(uint32_t key) {
        key &= kKeys - 1;
        if (pages_.empty()) pages_.resize(kPages);
        std::unique_ptr<Page>& page = pages_[key / kPageSize];
        if (page == nullptr) {
            page = std::make_unique<Page>();
            page->fill(kNone);
        }
        return (*page)[key % kPageSize];
    }

    std::vector<std::unique_ptr<Page>> pages_;
    std::vector<Entry> entries_;
};

}  // namespace jq::newsindex
