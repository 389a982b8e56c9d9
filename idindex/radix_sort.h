// radix_sort.h - a stable sort by unsigned integer keys in linear time, for
// the large tables built once per load.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace jq::idindex {

// Sorts items stably by key(item), whose values fit in keyBytes bytes: one
// counting pass per byte, least significant first, skipping the bytes that
// every key shares.
template <typename Item, typename Key>
void radixSort(std::vector<Item>& items, Key key, unsigned keyBytes) {
    std::vector<Item> sorted(items.size());
    for (unsigned byte = 0; byte < keyBytes; ++byte) {
        const unsigned shift = 8 * byte;
        std::array<size_t, 256> starts{};
        for (const Item& item : items) ++starts[(key(item) >> shift) & 0xFF];
        bool shared = false;
        size_t start = 0;
        for (size_t& count : starts) {
            shared = shared || count == items.size();
            const size_t n = count;
            count = start;
            start += n;
        }
        if (shared) continue;
        for (const Item& item : items) sorted[starts[(key(item) >> shift) & 0xFF]++] = item;
        items.swap(sorted);
    }
}

}  // namespace jq::idindex
