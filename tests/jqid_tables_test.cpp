// jqid_tables_test.cpp - the JQID index's table builder and queries on
// packages built in memory, without the exports' states and lock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <new>
#include <random>
#include <vector>

#include "jqid_data.h"
#include "jqid_queries.h"
#include "jqid_tables.h"
#include "radix_sort.h"
#include "jqid_entries.h"

namespace {

// When set, array allocations fail: the result lists are arrays.
thread_local bool failArrayAllocations = false;

}  // namespace

void* operator new[](size_t size) {
    if (failArrayAllocations) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace jq::idindex {
namespace {

using write::JqidEntry;
using write::JqidTable;

constexpr uint64_t kPadGrt = 1100;
constexpr uint32_t kForever = 0xFFFFFFFF;

uint64_t jqidOf(uint64_t grtField, uint32_t lower) { return grtField << 32 | lower; }

JqidEntry idEntry(uint64_t jqid, uint32_t id, uint32_t effective = 0, uint32_t expiry = kForever) {
    JqidEntry e;
    e.jqid = jqid;
    e.id = id;
    e.effectiveDate = effective;
    e.expiryDate = expiry;
    return e;
}

JqidEntry linkEntry(uint64_t from, uint64_t to, uint32_t effective = 0,
                    uint32_t expiry = kForever) {
    JqidEntry e = idEntry(from, 0, effective, expiry);
    e.secondJqid = to;
    return e;
}

std::vector<uint64_t> itemsOf(const JQIDList& list) {
    return std::vector<uint64_t>(list.items, list.items + list.count);
}

class JqidTablesTest : public ::testing::Test {
protected:
    ~JqidTablesTest() override { tables.clear(); }

    // Merges a table package; its bytes live as long as the test.
    JQStatus add(uint16_t grt, const std::vector<JqidEntry>& entries) {
        JqidTable table;
        table.currentGrt = grt;
        table.entries = entries;
        return addRaw(write::jqidPacketHeader(table), write::jqidData(table));
    }

    JQStatus addRaw(const write::Bytes& header, const write::Bytes& data) {
        const write::Bytes& h = kept.emplace_back(header);
        const write::Bytes& d = kept.emplace_back(data);
        PackageRecord package{};
        package.TypeCode = 0xDF;
        package.PacketHeaderLength = static_cast<uint8_t>(h.size());
        package.packetHeader = h.empty() ? nullptr : const_cast<uint8_t*>(h.data());
        package.data = d.empty() ? nullptr : const_cast<uint8_t*>(d.data());
        package.dataLength = static_cast<uint32_t>(d.size());
        return tables.addPackage(package);
    }

    std::vector<uint64_t> linked(uint64_t jqid, const Filter& filter = {},
                                 const int32_t* grt = nullptr) {
        JQIDList list{};
        if (linkedJqids(tables, jqid, grt, filter, list) != JQ_OK) return {};
        std::vector<uint64_t> items = itemsOf(list);
        delete[] list.items;
        return items;
    }

    std::deque<write::Bytes> kept;
    JqidTables tables;
};

TEST_F(JqidTablesTest, BuilderStatuses) {
    const JqidTable table{0, 0, 0, 1001, 0, 0, 0, {idEntry(1, 1)}};
    const write::Bytes header = write::jqidPacketHeader(table);
    const write::Bytes data = write::jqidData(table);
    EXPECT_EQ(addRaw({}, data), JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(addRaw(header, {}), JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(addRaw({header.begin(), header.begin() + 5}, data), JQ_ERR_FORMAT);
    // A GRT that names no kind (1007 = 0x03EF).
    EXPECT_EQ(addRaw({0x03, 0xEF, 0, 0, 0, 0}, data), JQ_ERR_FORMAT);

    // A one-byte ID table whose third entry has length 14: the first two
    // stay. A cut entry stops the same way.
    std::vector<JqidEntry> entries = {idEntry(jqidOf(1001, 1), 1), idEntry(jqidOf(1001, 2), 2),
                                      idEntry(jqidOf(1001, 3), 3), idEntry(jqidOf(1001, 4), 4)};
    entries[2].entryLength = 14;
    EXPECT_EQ(add(1001, entries), 0xC0DFu);
    JqidTable cut{0, 0, 0, 1001, 0, 0, 0, {idEntry(jqidOf(1001, 5), 5)}};
    write::Bytes cutData = write::jqidData(cut);
    cutData.pop_back();
    EXPECT_EQ(addRaw(write::jqidPacketHeader(cut), cutData), 0xC0DFu);
    EXPECT_EQ(addRaw(write::jqidPacketHeader(cut), {0, 0, 0}), 0xC0DFu);  // TimeStamp cut
    tables.finish();
    EXPECT_NE(tables.find(jqidOf(1001, 1)), nullptr);
    EXPECT_NE(tables.find(jqidOf(1001, 2)), nullptr);
    EXPECT_EQ(tables.find(jqidOf(1001, 3)), nullptr);
    EXPECT_EQ(tables.find(jqidOf(1001, 5)), nullptr);
    EXPECT_EQ(tables.mainEntries().size(), 2u);
}

TEST_F(JqidTablesTest, LaterPackagesWinAndWithinOneTheFirstEntry) {
    const uint64_t a = jqidOf(1001, 1);
    const uint64_t b = jqidOf(1001, 2);
    ASSERT_EQ(add(1001, {idEntry(a, 10), idEntry(b, 20), idEntry(b, 21)}), JQ_OK);
    ASSERT_EQ(add(1001, {idEntry(a, 11)}), JQ_OK);
    tables.finish();
    ASSERT_NE(tables.find(a), nullptr);
    EXPECT_EQ(tables.find(a)->id, 11u);
    EXPECT_EQ(tables.find(b)->id, 20u);
    EXPECT_EQ(tables.mainEntries().size(), 2u);
}

// Packages whose JQIDs ascend and do not overlap are joined; any others are
// merged by sorting. Both keep the first entry of a JQID within a package.
TEST_F(JqidTablesTest, MergeRulesHoldWhetherPackagesOverlapOrNot) {
    const auto id = [](uint32_t lower) { return jqidOf(1001, lower); };
    ASSERT_EQ(add(1001, {idEntry(id(5), 50), idEntry(id(6), 60)}), JQ_OK);
    ASSERT_EQ(add(1001, {idEntry(id(1), 10), idEntry(id(2), 20), idEntry(id(2), 21)}), JQ_OK);
    tables.finish();
    ASSERT_EQ(tables.mainEntries().size(), 4u);
    EXPECT_EQ(tables.mainEntries()[0].jqid, id(1));
    EXPECT_EQ(tables.find(id(2))->id, 20u);
    EXPECT_EQ(tables.mainEntries()[3].jqid, id(6));

    tables.clear();
    ASSERT_EQ(add(1001, {idEntry(id(3), 30), idEntry(id(1), 10), idEntry(id(3), 31)}), JQ_OK);
    tables.finish();
    ASSERT_EQ(tables.mainEntries().size(), 2u);
    EXPECT_EQ(tables.find(id(3))->id, 30u);
    EXPECT_EQ(tables.mainEntries()[0].jqid, id(1));
}

TEST_F(JqidTablesTest, LinksAreKeptOnceInDeliveryOrder) {
    const uint64_t a = 0xA, b = 0xB, c = 0xC, d = 0xD;
    ASSERT_EQ(add(0x4000, {linkEntry(a, b, 0, 100), linkEntry(a, c)}), JQ_OK);
    ASSERT_EQ(add(0x4000, {linkEntry(d, a)}), JQ_OK);
    ASSERT_EQ(add(0x4000, {linkEntry(a, b, 0, 200)}), JQ_OK);  // delivered again
    ASSERT_EQ(add(0x4000, {linkEntry(c, c)}), JQ_OK);
    tables.finish();
    EXPECT_EQ(tables.links().size(), 4u);
    // (A, B) now counts as delivered after (A, C).
    EXPECT_EQ(linked(a), (std::vector<uint64_t>{c, b, d}));
    EXPECT_EQ(tables.linksFrom(a).back().validity.expiry, 200u);
    EXPECT_EQ(linked(b), (std::vector<uint64_t>{a}));
    EXPECT_EQ(linked(c), (std::vector<uint64_t>{c, a, c}));
    EXPECT_TRUE(isFound(tables, a, {}));
    EXPECT_FALSE(isFound(tables, b, {}));  // only a second JQID
    EXPECT_EQ(linked(0xE), std::vector<uint64_t>{});
}

// Within one package links merge in the order of their first JQID, so the
// links to one JQID come in that order too.
TEST_F(JqidTablesTest, LinksOfOnePackageMergeByFirstJqid) {
    ASSERT_EQ(add(0x4000, {linkEntry(0xC, 0xF), linkEntry(0xA, 0xF), linkEntry(0xA, 0xB)}), JQ_OK);
    tables.finish();
    EXPECT_EQ(linked(0xF), (std::vector<uint64_t>{0xA, 0xC}));
    EXPECT_EQ(linked(0xA), (std::vector<uint64_t>{0xF, 0xB}));
}

TEST_F(JqidTablesTest, LinkFilters) {
    const uint64_t a = jqidOf(1001, 1);
    const uint64_t b = jqidOf(1100, 2);
    const uint64_t c = jqidOf(1200, 3);
    const uint64_t flagged = jqidOf(0x8000 | 1100, 4);
    ASSERT_EQ(add(0x4000, {linkEntry(a, b), linkEntry(a, c, 0, 10), linkEntry(a, flagged)}), JQ_OK);
    tables.finish();
    const int32_t grt1100 = 1100, grt0 = 0, negative = 0x8000 | 1100;
    EXPECT_EQ(linked(a, {}, &grt1100), (std::vector<uint64_t>{b}));
    EXPECT_EQ(linked(a, {}, &grt0), (std::vector<uint64_t>{flagged}));
    EXPECT_EQ(linked(a, {}, &negative), std::vector<uint64_t>{});
    const Filter now{true, 100 * 10000000ll};
    EXPECT_EQ(linked(a, now), (std::vector<uint64_t>{b, flagged}));

    // Only expired links: 4099 and the host's list as it was.
    uint64_t earlier[] = {7};
    JQIDList list{earlier, 1};
    const JQIDList before = list;
    EXPECT_EQ(linkedJqids(tables, c, nullptr, now, list), JQ_ERR_NOT_FOUND);
    EXPECT_EQ(list.items, before.items);
    EXPECT_EQ(list.count, before.count);
}

TEST_F(JqidTablesTest, ListsLeaveTheHostsRecordAloneWhenMemoryRunsOut) {
    ASSERT_EQ(add(0x4000, {linkEntry(1, 2)}), JQ_OK);
    ASSERT_EQ(add(1100, {idEntry(jqidOf(kPadGrt, 1), 1)}), JQ_OK);
    tables.finish();
    uint64_t earlier[] = {7, 8};
    JQIDList list{earlier, 2};
    failArrayAllocations = true;
    EXPECT_THROW(linkedJqids(tables, 1, nullptr, {}, list), std::bad_alloc);
    EXPECT_THROW(jqidsOfGrt(tables, 1100, {}, list), std::bad_alloc);
    failArrayAllocations = false;
    EXPECT_EQ(list.items, earlier);
    EXPECT_EQ(list.count, 2u);
}

TEST_F(JqidTablesTest, DerivedTablesAndReverseLookups) {
    const uint64_t pad5 = jqidOf(kPadGrt, 5), pad9 = jqidOf(kPadGrt, 9);
    ASSERT_EQ(add(1100, {idEntry(pad9, 7), idEntry(pad5, 7), idEntry(jqidOf(1001, 1), 8)}), JQ_OK);
    ASSERT_EQ(add(1200, {idEntry(jqidOf(1200, 1), 0xFEDCBA98, 0, 10)}), JQ_OK);
    JqidEntry message = idEntry(jqidOf(1300, 3), 0x12);
    message.serviceId = 0x34;
    ASSERT_EQ(add(1300, {message}), JQ_OK);
    tables.finish();

    uint64_t jqid = 0;
    EXPECT_EQ(padToJqid(tables, 7, {}, jqid), JQ_OK);
    EXPECT_EQ(jqid, pad5);                                        // the lower JQID of the two
    EXPECT_EQ(padToJqid(tables, 8, {}, jqid), JQ_ERR_NOT_FOUND);  // filed under GRT 1001
    EXPECT_EQ(tadToJqid(tables, 0xFEDCBA98, {}, jqid), JQ_OK);
    EXPECT_EQ(tadToJqid(tables, 0xFEDCBA98, {true, 10 * 10000000ll}, jqid), JQ_ERR_NOT_FOUND);
    jqid = 0;
    EXPECT_EQ(messageToJqid(tables, 0x112, 0x34, {}, jqid), JQ_OK);
    EXPECT_EQ(jqid, jqidOf(1300, 3));

    JQIDList list{};
    EXPECT_EQ(jqidsOfGrt(tables, 1100, {}, list), JQ_OK);
    EXPECT_EQ(itemsOf(list), (std::vector<uint64_t>{pad5, pad9}));
    delete[] list.items;
    list = {};
    EXPECT_EQ(jqidsOfGrt(tables, 1000, {}, list), JQ_ERR_RANGE);
    EXPECT_EQ(jqidsOfGrt(tables, 16383, {}, list), JQ_ERR_RANGE);
    EXPECT_EQ(jqidsOfGrt(tables, 0x10000 + 1100, {}, list), JQ_OK);  // taken modulo 65536
    delete[] list.items;
    list = {};
    EXPECT_EQ(jqidsOfGrt(tables, 1001, {}, list), JQ_ERR_NOT_FOUND);  // a kind-1100 entry
    EXPECT_EQ(list.items, nullptr);
}

TEST_F(JqidTablesTest, EventsByChannelAndEvent) {
    const uint64_t event = 0xC001ull << 32 | (1u << 30 | 77);
    JqidEntry e = idEntry(event, 0);
    e.gcn = 5;
    e.eventId = 77;
    JqidEntry wrongGcn = idEntry(0xC001ull << 32 | (1u << 30 | 78), 0);
    wrongGcn.gcn = 6;
    wrongGcn.eventId = 78;
    ASSERT_EQ(add(500, {e, wrongGcn}), JQ_OK);
    tables.finish();
    uint64_t jqid = 0;
    EXPECT_EQ(eventToJqid(tables, 5, 77, {}, jqid), JQ_OK);
    EXPECT_EQ(jqid, event);
    EXPECT_EQ(eventToJqid(tables, 0x10005, 77, {}, jqid), JQ_OK);  // lower 16 bits
    EXPECT_EQ(eventToJqid(tables, 5, 78, {}, jqid), JQ_ERR_NOT_FOUND);

    JQIDEntry decoded{};
    ASSERT_EQ(decodeEntry(tables, event, decoded), JQ_OK);
    ASSERT_NE(decoded.event, nullptr);
    EXPECT_EQ(decoded.event->GCN, 5);
    EXPECT_EQ(decoded.event->EventID, 77);
    records::releaseJqidEntry(decoded);
    EXPECT_EQ(decodeEntry(tables, 0x1234, decoded), JQ_ERR_NOT_FOUND);
}

TEST_F(JqidTablesTest, DecodingTwiceIntoOneRecordIsRefusedForFixedSizes) {
    const uint64_t pad = jqidOf(kPadGrt, 1);
    ASSERT_EQ(add(1100, {idEntry(pad, 3)}), JQ_OK);
    tables.finish();
    JQIDEntry entry{};
    ASSERT_EQ(decodeEntry(tables, pad, entry), JQ_OK);
    EXPECT_EQ(entry.length, 18u);
    ASSERT_NE(entry.longId1100, nullptr);
    EXPECT_EQ(entry.longId1100->ID, 3u);
    EXPECT_EQ(decodeEntry(tables, pad, entry), 0xC0DFu);
    EXPECT_EQ(entry.longId1100, nullptr);  // released
    EXPECT_EQ(entry.length, 36u);

    const uint64_t uri = jqidOf(1006, 2);
    JqidEntry uriEntry = idEntry(uri, 0);
    uriEntry.mimeType = {'t', 'e', 'x', 't'};
    uriEntry.uri = {'h', 't', 't', 'p'};
    ASSERT_EQ(add(1006, {uriEntry}), JQ_OK);
    tables.finish();
    JQIDEntry decoded{};
    ASSERT_EQ(decodeEntry(tables, uri, decoded), JQ_OK);
    ASSERT_NE(decoded.uri1006, nullptr);
    EXPECT_EQ(decoded.uri1006->MimeTypeSize, 5);
    EXPECT_STREQ(reinterpret_cast<const char*>(decoded.uri1006->Uri), "http");
    records::releaseJqidEntry(decoded);
}

// The radix sort against std::stable_sort: keys that share bytes, keys of
// every width, and many equal keys whose order must stay.
TEST(RadixSort, MatchesAStableSort) {
    struct Item {
        uint64_t key;
        uint32_t serial;
        bool operator==(const Item&) const = default;
    };
    std::mt19937_64 random(3);
    for (const uint64_t mask : {0x0ull, 0xFFull, 0xFF00FF0000ull, 0xFFFFFFFFFFFFull}) {
        std::vector<Item> items(mask == 0xFFull ? 100 : 5000);  // few items: the short path
        for (uint32_t i = 0; i < items.size(); ++i) {
            items[i] = {(random() & mask) | 0x010000000000ull, i};
        }
        std::vector<Item> expected = items;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Item& a, const Item& b) { return a.key < b.key; });
        radixSort(
            items, [](const Item& item) { return item.key; }, 6);
        EXPECT_EQ(items, expected) << std::hex << mask;
    }
}

TEST(JqidValidity, BoundariesAndGrts) {
    constexpr int64_t second = 10000000;
    const Validity v{10, 20};
    EXPECT_FALSE(isValidAt(v, 10 * second - 1));
    EXPECT_TRUE(isValidAt(v, 10 * second));
    EXPECT_TRUE(isValidAt(v, 20 * second - 1));
    EXPECT_FALSE(isValidAt(v, 20 * second));
    EXPECT_FALSE(isValidAt({20, 20}, 20 * second));
    EXPECT_FALSE(isValidAt({30, 20}, 25 * second));
    const Validity always{0, kForever};
    EXPECT_TRUE(isValidAt(always, 0));
    EXPECT_TRUE(isValidAt(always, dayZeroTimeNow()));
    EXPECT_FALSE(isValidAt(always, int64_t{kForever} * second));
    EXPECT_FALSE(isValidAt(always, -1));

    EXPECT_EQ(grtOfJqid(0x044Cull << 32), 1100);
    EXPECT_EQ(grtOfJqid(0xC44Cull << 32), 0);
    EXPECT_EQ(grtOfJqid(0x7FFFull << 32 | 0xFFFFFFFF), 32767);
}

}  // namespace
}  // namespace jq::idindex
