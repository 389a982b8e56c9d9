// promo_objects_test.cpp - the table of one enumeration and the host's list
// made from it, fed parse elements directly: thousands of PAIDs in scrambled
// order, repeated from this PC's HostID and others, against a plain model of
// the rule (the first object of a PAID wins unless it came from this PC's
// HostID and a later one from another).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "promo_objects.h"

namespace jq::promoindex {
namespace {

constexpr uint16_t kLocal = 2143;

// One parse element of type 0x56 or 0xD7 over storage it owns.
struct Element {
    ParseElement get() {
        header = {uint8_t(key >> 24), uint8_t(key >> 16), uint8_t(key >> 8), uint8_t(key), 0x12};
        record.id = recordPaid;
        record.objectSize = static_cast<int32_t>(bytes.size());
        record.object = bytes.empty() ? nullptr : reinterpret_cast<uint8_t*>(bytes.data());
        ParseElement e{};
        e.recordType = type;
        e.HostID = host;
        e.PacketHeaderLength = static_cast<uint8_t>(header.size());
        e.packetHeader = header.data();
        (type == 0x56 ? e.object56 : e.objectD7) = &record;
        return e;
    }

    uint32_t key = 0;  // the packet header's PAID
    uint8_t type = 0x56;
    uint16_t host = kLocal;
    uint32_t recordPaid = 0;
    std::string bytes;
    std::array<uint8_t, 5> header{};
    ObjectRecord record{};
};

struct Expected {
    uint16_t host;
    uint8_t type;
    uint32_t recordPaid;
    std::string bytes;
};

TEST(PromoTable, ManyPaidsInAnyOrderFollowTheHostIdRule) {
    std::mt19937 random(11);
    // Keys that a weak hash would pile up: runs, multiples of a power of two,
    // the extremes.
    std::vector<uint32_t> keys;
    for (uint32_t i = 0; i < 3000; ++i) keys.push_back(i);
    for (uint32_t i = 1; i <= 3000; ++i) keys.push_back(i << 16);
    for (uint32_t i = 0; i < 1000; ++i) keys.push_back(0xFFFFFFFFu - i);
    // Each key seen one to three times from this PC or another host, the
    // sightings shuffled.
    std::vector<Element> elements;
    elements.reserve(keys.size() * 3);
    for (uint32_t key : keys) {
        const unsigned times = 1 + random() % 3;
        for (unsigned t = 0; t < times; ++t) {
            Element e;
            e.key = key;
            e.type = random() % 2 ? 0x56 : 0xD7;
            e.host = random() % 2 ? kLocal : static_cast<uint16_t>(300 + t);
            e.recordPaid = key ^ 0x5A5A5A5Au;  // not the key: the list shows the record's
            e.bytes = random() % 8 == 0 ? "" : std::to_string(key) + "/" + std::to_string(t);
            elements.push_back(std::move(e));
        }
    }
    std::shuffle(elements.begin(), elements.end(), random);

    PromoTables table(kLocal);
    std::map<uint32_t, Expected> model;
    for (Element& e : elements) {
        table.file(e.get());
        const auto found = model.find(e.key);
        if (found == model.end()) {
            model.emplace(e.key, Expected{e.host, e.type, e.recordPaid, e.bytes});
        } else if (found->second.host == kLocal && e.host != kLocal) {
            found->second = {e.host, e.type, e.recordPaid, e.bytes};
        }
    }

    OBJ9List list{};
    fillObjectList(table, list);
    ASSERT_EQ(list.count, model.size());
    size_t i = 0;
    size_t mismatches = 0;
    for (const auto& [key, expected] : model) {
        const OBJ9& o = list.elements[i++];
        const std::string bytes =
            o.Object == nullptr ? "" : std::string(o.Object, o.Object + o.ObjectSize);
        if (o.PAID != expected.recordPaid || o.HostID != expected.host ||
            o.RecordType != expected.type || bytes != expected.bytes ||
            (o.Object == nullptr) != (o.ObjectSize == 0)) {
            ADD_FAILURE() << "PAID " << key << ": got " << o.PAID << "/" << o.HostID << "/"
                          << bytes;
            if (++mismatches == 5) break;
        }
    }
    releaseObjectList(list);
    EXPECT_EQ(list.elements, nullptr);

    // The table is left empty, and files anew after a clear.
    OBJ9List again{};
    fillObjectList(table, again);
    EXPECT_EQ(again.count, 0u);
    EXPECT_EQ(again.elements, nullptr);
    table.file(elements.front().get());
    table.clear();
    table.file(elements.back().get());
    fillObjectList(table, again);
    ASSERT_EQ(again.count, 1u);
    EXPECT_EQ(again.elements[0].PAID, elements.back().recordPaid);
    releaseObjectList(again);
}

}  // namespace
}  // namespace jq::promoindex
