// radix_sort.h - a stable sort by unsigned integer keys in linear time, for
// the large tables built once per load.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace jq::idindex {

// Sorts items stably by key(item), whose values fit in keyBytes bytes: for
// many items one counting pass per 12-bit digit, least significant first, after one pass
// that counts every digit; digits that every key shares are skipped.
template <typename Item, typename Key>
void radixSort(std::vector<Item>& items, Key key, unsigned keyBytes) {
    // Below this a comparison sort is cheaper than the digit counts.
    constexpr size_t kFewItems = 512;
    if (items.size() < kFewItems) {
        std::stable_sort(items.begin(), items.end(),
                         [&](const Item& a, const Item& b) { return key(a) < key(b); });
        return;
    }
    constexpr unsigned kDigitBits = 12;
    constexpr size_t kBuckets = size_t{1} << kDigitBits;
    const unsigned digits = (8 * keyBytes + kDigitBits - 1) / kDigitBits;
    std::vector<size_t> starts(digits * kBuckets);
    for (const Item& item : items) {
        const uint64_t k = key(item);
        for (unsigned d = 0; d < digits; ++d) {
            ++starts[d * kBuckets + (k >> (d * kDigitBits) & (kBuckets - 1))];
        }
    }
    std::vector<Item> sorted(items.size());
    for (unsigned d = 0; d < digits; ++d) {
        size_t* const start = starts.data() + d * kBuckets;
        bool shared = false;
        size_t next = 0;
        for (size_t b = 0; b < kBuckets; ++b) {
            shared = shared || start[b] == items.size();
            const size_t count = start[b];
            start[b] = next;
            next += count;
        }
        if (shared) continue;
        const unsigned shift = d * kDigitBits;
        for (const Item& item : items) sorted[start[key(item) >> shift & (kBuckets - 1)]++] = item;
        items.swap(sorted);
    }
}

}  // namespace jq::idindex
