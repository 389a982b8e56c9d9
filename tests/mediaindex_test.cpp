// mediaindex_test.cpp - the MICP index without its exports: the object
// decoder, the block table's passes, the name table and the three queries.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "micp_queries.h"
#include "micp_tables.h"
#include "micp_writer.h"

namespace jq::mediaindex {
namespace {

using Bytes = std::vector<uint8_t>;
using index::Pass;
using write::TypedElement;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

TypedElement element(uint16_t type, const Bytes& payload) { return {type, payload, {}}; }

TypedElement whole(const std::string& name, const Bytes& data) {
    write::MicpDatum datum;
    datum.name = bytesOf(name);
    datum.data = data;
    return write::micpDataElement(datum);
}

TypedElement part(const std::string& name, uint8_t number, uint32_t total, uint32_t offset,
                  const Bytes& data) {
    write::MicpDatum datum;
    datum.elementType = 0x11;
    datum.kind = 2;
    datum.name = bytesOf(name);
    datum.data = data;
    datum.totalSize = total;
    datum.offset = offset;
    datum.partNumber = number;
    return write::micpDataElement(datum);
}

TypedElement expiry(uint32_t seconds) { return write::micpExpiryElement(seconds); }

TypedElement info() { return write::micpInfoElement(0x01010101, 0x01010101, 0x0101, 0x0101); }

// An object of type 12 with these elements and the trailer.
Bytes object(std::vector<TypedElement> elements, uint16_t objectType = 12) {
    write::MicpObject o;
    o.objectType = objectType;
    o.elements = std::move(elements);
    return write::micpObjectBytes(o);
}

Bytes filled(size_t size, uint8_t value) { return Bytes(size, value); }

// Blocks whose bytes live as long as the test, like the kept parse lists.
class Blocks {
public:
    const MicpBlockRecord& add(uint32_t objectId, uint16_t total, uint16_t number, Bytes bytes) {
        Bytes& kept = bytes_.emplace_back(std::move(bytes));
        MicpBlockRecord& b = records_.emplace_back();
        b.ObjectID = objectId;
        b.TotalBlockNumber = total;
        b.BlockNumber = number;
        b.ObjectSize = static_cast<int32_t>(kept.size());
        b.Object = kept.data();
        return b;
    }

private:
    std::deque<Bytes> bytes_;
    std::deque<MicpBlockRecord> records_;
};

std::vector<uint64_t> keysOf(const MicpTables& tables) {
    std::vector<uint64_t> keys;
    for (const auto& [key, block] : tables.blocks()) keys.push_back(key);
    return keys;
}

uint64_t key(uint32_t id, uint16_t total, uint16_t number) {
    return uint64_t{id} << 32 | uint32_t{total} << 16 | number;
}

std::vector<std::string> namesOf(const MicpTables& tables) {
    std::vector<std::string> names;
    for (const auto& [name, object] : tables.names()) names.push_back(name);
    return names;
}

// ---- the object -------------------------------------------------------------------

TEST(MicpObject, ElementsOfEveryTypeDecode) {
    MicpObject o;
    const Bytes bare = object({});
    ASSERT_EQ(bare.size(), 5u);
    EXPECT_EQ(decodeMicpObject({bare.data(), bare.size()}, o), JQ_OK);
    EXPECT_TRUE(o.elements.empty());

    const Bytes full = object(
        {info(), expiry(86400), whole("LOGO", {1, 2, 3}), part("LOGO", 7, 3000, 1000, {9, 9})});
    ASSERT_EQ(decodeMicpObject({full.data(), full.size()}, o), JQ_OK);
    ASSERT_EQ(o.elements.size(), 4u);
    EXPECT_EQ(o.elements[0].kind, MicpElementKind::Info);
    EXPECT_EQ(o.elements[1].expiryTime, 86400u);
    EXPECT_EQ(micpKey(o.elements[2].data), "LOGO_000");
    EXPECT_EQ(o.elements[2].data.data.size, 3u);
    EXPECT_EQ(micpKey(o.elements[3].data), "LOGO_007");
    EXPECT_EQ(o.elements[3].data.totalSize, 3000u);
    EXPECT_EQ(o.elements[3].data.offset, 1000u);
    MicpData last;
    last.name = {reinterpret_cast<const uint8_t*>("A\0B"), 3};  // cut at the zero byte
    last.partNumber = 255;
    EXPECT_EQ(micpKey(last), "A_255");
}

TEST(MicpObject, MalformedObjectsAreUndecodable) {
    MicpObject o;
    const auto refused = [&o](const Bytes& bytes) {
        return decodeMicpObject({bytes.data(), bytes.size()}, o) == JQ_ERR_FORMAT &&
               o.elements.empty();
    };
    EXPECT_TRUE(refused(object({whole("X", {1})}, 11)));                        // object type 11
    EXPECT_TRUE(refused({0x00, 0x0C, 0x00, 0x00}));                             // below 5 bytes
    EXPECT_TRUE(refused(object({whole("X", {1}), element(0x10, {3, 0, 0})})));  // kind 3
    EXPECT_TRUE(refused(object({element(1, Bytes(11, 0))})));                   // short info
    EXPECT_TRUE(refused(object({element(2, {0, 0, 1})})));                      // short expiry
    EXPECT_TRUE(refused(object({element(0x10, {1, 0, 5, 'A'})})));  // name past the payload
    EXPECT_TRUE(refused(object({element(0x11, {2, 0, 0, 0})})));    // part below its fields
    TypedElement faulty = whole("X", {1});
    faulty.length = 0x40;  // L past the list
    EXPECT_TRUE(refused(object({faulty})));
    faulty.length = 1;  // L below 2
    EXPECT_TRUE(refused(object({faulty})));
}

// ---- the block table ---------------------------------------------------------------

TEST(MicpTables, FirstPassKeepsTheFirstBlockAndTheSecondRemovesByObject) {
    Blocks blocks;
    MicpTables tables;
    tables.fileBlock(Pass::First, blocks.add(300, 1, 1, object({whole("A", {1})})));
    tables.fileBlock(Pass::First, blocks.add(300, 1, 1, object({whole("A", {2})})));
    EXPECT_EQ(tables.blocks().at(key(300, 1, 1))->Object[3 + 4 + 3 + 1], 1);

    tables.clear();
    tables.fileBlock(Pass::First, blocks.add(300, 2, 1, object({})));
    tables.fileBlock(Pass::First, blocks.add(300, 2, 2, object({})));
    tables.fileBlock(Pass::First, blocks.add(301, 1, 1, object({})));
    tables.fileBlock(Pass::Second, blocks.add(300, 1, 1, object({})));
    EXPECT_EQ(keysOf(tables), (std::vector<uint64_t>{key(300, 1, 1), key(301, 1, 1)}));

    // Within the second pass each block removes its object's earlier ones.
    tables.clear();
    tables.fileBlock(Pass::Second, blocks.add(300, 2, 1, object({})));
    tables.fileBlock(Pass::Second, blocks.add(300, 2, 2, object({})));
    EXPECT_EQ(keysOf(tables), (std::vector<uint64_t>{key(300, 2, 2)}));
}

TEST(MicpTables, TheLastSecondPassFileDecidesTheLoad) {
    MicpTables tables;
    tables.fileDecoded(Pass::First, JQ_ERR_OPEN);
    EXPECT_EQ(tables.loadEnded(), JQ_OK);
    tables.clear();
    tables.fileDecoded(Pass::Second, JQ_ERR_CHECKSUM);
    tables.fileDecoded(Pass::Second, JQ_OK);
    EXPECT_EQ(tables.loadEnded(), JQ_OK);
    tables.clear();
    tables.fileDecoded(Pass::Second, JQ_OK);
    tables.fileDecoded(Pass::Second, JQ_ERR_CHECKSUM);
    EXPECT_EQ(tables.loadEnded(), JQ_ERR_CHECKSUM);
}

TEST(MicpTables, NamesComeFromDecodableBlocksInKeyOrder) {
    Blocks blocks;
    MicpTables tables;
    tables.fileBlock(Pass::First, blocks.add(9, 1, 1, object({whole("LOGO", {9})})));
    tables.fileBlock(Pass::First,
                     blocks.add(4, 1, 1, object({whole("LOGO", {4}), part("PIC", 2, 10, 0, {1})})));
    tables.fileBlock(Pass::First,
                     blocks.add(5, 1, 1, object({whole("BAD", {1}), element(0x10, {3, 0, 0})})));
    tables.fileBlock(Pass::First, blocks.add(6, 1, 1, object({info(), whole("", {1})})));
    tables.fileBlock(Pass::First, blocks.add(7, 1, 1, object({})));
    tables.buildNameTable();
    EXPECT_EQ(namesOf(tables), (std::vector<std::string>{"LOGO_000", "PIC_002"}));
    // The smaller ObjectID provides LOGO, and one object serves both its keys.
    const MicpObject* logo = tables.names().at("LOGO_000");
    EXPECT_EQ(logo->elements[0].data.data.data[0], 4);
    EXPECT_EQ(tables.names().at("PIC_002"), logo);
}

// ---- queries --------------------------------------------------------------------------

class MicpQueries : public ::testing::Test {
protected:
    void file(uint32_t id, Bytes bytes) {
        tables_.fileBlock(Pass::First, blocks_.add(id, 1, 1, std::move(bytes)));
    }
    void finish() { tables_.buildNameTable(); }

    Blocks blocks_;
    MicpTables tables_;
};

TEST_F(MicpQueries, PartsAssembleInTheHostsBufferAndAnAllocatedOne) {
    // Parts 0, 1, 2 at offsets 0, 1000, 2000, each in a block of its own.
    Bytes map = filled(1000, 'a');
    for (const uint8_t c : {'b', 'c'}) map.insert(map.end(), 1000, c);
    const std::vector<write::MicpDatum> parts = write::micpParts(bytesOf("MAP"), map, 3);
    for (uint32_t i = 0; i < 3; ++i) file(1 + i, object({write::micpDataElement(parts[i])}));
    file(4, object({whole("TEXT", filled(500, 't'))}));
    finish();
    EXPECT_EQ(datumSize(tables_, "MAP", 0), 3000u);
    EXPECT_EQ(datumSize(tables_, "TEXT", 0), 500u);
    EXPECT_EQ(datumSize(tables_, "NONE", 0), 0u);

    Bytes buffer(3001, 0xEE);
    ASSERT_EQ(datumInto(tables_, "MAP", buffer.data(), 3000, 0), JQ_OK);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_EQ(buffer[1999], 'b');
    EXPECT_EQ(buffer[2999], 'c');
    EXPECT_EQ(buffer[3000], 0xEE);
    EXPECT_EQ(datumInto(tables_, "MAP", buffer.data(), 2999, 0), JQ_ERR_RANGE);
    EXPECT_EQ(datumInto(tables_, "NONE", buffer.data(), 3000, 0), JQ_ERR_NOT_FOUND);

    uint8_t* data = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(datumAllocated(tables_, "TEXT", data, length, 0), JQ_OK);
    EXPECT_EQ(length, 500u);
    EXPECT_EQ(data[499], 't');
    releaseDatum(data);
    uint8_t* untouched = reinterpret_cast<uint8_t*>(&length);
    EXPECT_EQ(datumAllocated(tables_, "NONE", untouched, length, 0), JQ_ERR_NOT_FOUND);
    EXPECT_EQ(untouched, reinterpret_cast<uint8_t*>(&length));
}

TEST_F(MicpQueries, AMissingPartZeroHidesTheSizeButNotTheData) {
    file(1, object({part("P", 1, 6, 2, {'b', 'b'})}));
    file(2, object({part("P", 2, 6, 4, {'c', 'c'})}));
    // ABC_1 lies in the key range of ABC.
    file(3, object({whole("ABC_1", {'x'})}));
    finish();
    EXPECT_EQ(datumSize(tables_, "P", 0), 0u);
    Bytes buffer(6, '-');
    ASSERT_EQ(datumInto(tables_, "P", buffer.data(), 6, 0), JQ_OK);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "--bbcc");
    // Uncovered bytes of an allocated datum are zero.
    uint8_t* data = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(datumAllocated(tables_, "P", data, length, 0), JQ_OK);
    ASSERT_EQ(length, 6u);
    EXPECT_EQ(std::string(data, data + 6), std::string("\0\0bbcc", 6));
    releaseDatum(data);
    Bytes abc(1, 0);
    EXPECT_EQ(datumInto(tables_, "ABC", abc.data(), 1, 0), JQ_OK);
    EXPECT_EQ(abc[0], 'x');
}

TEST_F(MicpQueries, PartsPastTheirDatumAreClippedAndExpiredDataIsWithdrawn) {
    // A part of 4 bytes at offset 4 of a 6-byte datum; a second whole datum
    // takes the place of the first.
    file(1, object({part("CUT", 0, 6, 0, {'a', 'a', 'a', 'a'}),
                    part("CUT", 1, 6, 4, {'b', 'b', 'b', 'b'})}));
    file(2, object({whole("TWICE", {'1', '1'}), whole("TWICE", {'2'})}));
    file(3, object({whole("OLD", {'o'}), expiry(100)}));
    finish();
    Bytes buffer(8, '-');
    ASSERT_EQ(datumInto(tables_, "CUT", buffer.data(), 6, 0), JQ_OK);
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "aaaabb--");
    uint8_t* data = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(datumAllocated(tables_, "CUT", data, length, 0), JQ_OK);
    EXPECT_EQ(std::string(data, data + length), "aaaabb");
    releaseDatum(data);
    ASSERT_EQ(datumAllocated(tables_, "TWICE", data, length, 0), JQ_OK);
    EXPECT_EQ(std::string(data, data + length), "2");
    releaseDatum(data);

    const index::DayZeroTime later = index::dayZeroTime(101);
    EXPECT_EQ(datumSize(tables_, "OLD", index::dayZeroTime(100)), 1u);
    EXPECT_EQ(datumSize(tables_, "OLD", later), 0u);
    EXPECT_EQ(datumInto(tables_, "OLD", buffer.data(), 8, later), JQ_ERR_NOT_FOUND);
    data = buffer.data();
    EXPECT_EQ(datumAllocated(tables_, "OLD", data, length, later), JQ_ERR_NOT_FOUND);
    EXPECT_EQ(data, nullptr);
}

}  // namespace
}  // namespace jq::mediaindex
