// collected.h - owning collections of decoded items before they move into the
// plain arrays of the public records.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace jq::records {

// Items decoded so far, each released by Release unless moved out. Release
// must accept a value-initialised item.
template <typename Item, void (*Release)(Item&)>
class Collected {
public:
    Collected() = default;
    Collected(const Collected&) = delete;
    Collected& operator=(const Collected&) = delete;
    ~Collected() {
        for (Item& item : items_) Release(item);
    }

    // Takes ownership of item and leaves it empty; releases it if it cannot
    // be stored.
    void add(Item& item) {
        try {
            items_.push_back(item);
        } catch (...) {
            Release(item);
            item = Item{};
            throw;
        }
        item = Item{};
    }

    // A new empty item, owned here and valid until the next call.
    Item& addEmpty() { return items_.emplace_back(); }

    uint32_t size() const { return static_cast<uint32_t>(items_.size()); }

    // A new array holding the items (an empty one when there are none),
    // which this no longer owns.
    Item* take() {
        Item* array = new Item[items_.size()]();
        std::copy(items_.begin(), items_.end(), array);
        items_.clear();
        return array;
    }

    // Moves the items into array and count; leaves both untouched when there
    // are none.
    template <typename Count>
    void moveInto(Item*& array, Count& count) {
        if (items_.empty()) return;
        const auto size = static_cast<Count>(items_.size());
        array = take();
        count = size;
    }

private:
    std::vector<Item> items_;
};

// Releases every item of an array made by Collected, then the array.
template <typename Item, void (*Release)(Item&), typename Count>
void releaseArray(Item*& items, Count& count) {
    for (Count i = 0; items != nullptr && i < count; ++i) Release(items[i]);
    delete[] items;
    items = nullptr;
    count = 0;
}

}  // namespace jq::records
