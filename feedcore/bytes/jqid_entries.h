// jqid_entries.h - the entries of JQID tables (type 0xDF), one at a time:
// decoding into a JQIDEntry, its copy and release, and the key values an
// index keeps of an entry. Used by the table parser and by the JQID index.
#pragma once

#include <cstdint>

#include "byte_reader.h"
#include "feedcore_jqid.h"
#include "jq_interface.h"

namespace jq::records {

// The slots of JQIDEntry with the entry kind each holds, in slot order:
// X(slot, kind).
#define JQID_ENTRY_SLOTS(X)  \
    X(event, kJqidEventKind) \
    X(byteId1001, 1001)      \
    X(actor1002, 1002)       \
    X(byteId1003, 1003)      \
    X(wordId1004, 1004)      \
    X(byteId1005, 1005)      \
    X(uri1006, 1006)         \
    X(uri1008, 1008)         \
    X(uri1009, 1009)         \
    X(uri1010, 1010)         \
    X(longId1100, 1100)      \
    X(uri1101, 1101)         \
    X(uri1102, 1102)         \
    X(wordId1103, 1103)      \
    X(uri1104, 1104)         \
    X(longId1200, 1200)      \
    X(uri1201, 1201)         \
    X(uri1202, 1202)         \
    X(message1300, 1300)     \
    X(uri1301, 1301)         \
    X(uri1302, 1302)         \
    X(byteId1400, 1400)      \
    X(byteId1500, 1500)      \
    X(sponsor1600, 1600)     \
    X(link, kJqidLinkKind)

// Entry kinds that are not a table's CurrentGRT.
constexpr uint32_t kJqidEventKind = 0;
constexpr uint32_t kJqidLinkKind = 0x4000;
// Returned by jqidKindOfTable for a CurrentGRT that names no table kind.
constexpr uint32_t kJqidNoKind = 0xFFFFFFFF;

// The kind of the entries of a table with this CurrentGRT: 0 up to 1000, the
// link kind when bit 14 is set, the CurrentGRT itself for the other known
// tables, else kJqidNoKind.
uint32_t jqidKindOfTable(uint16_t currentGrt);

// Decodes one entry of the given kind at the reader's position: its
// 0xFF-extended entry length, then the body; the reader moves past the last
// field read. Adds the entry length to entry.length (a fixed-size kind checks
// the sum, so a host's entry must start at 0), sets entry.kind and stores the
// record in the kind's slot; the entry must have all slots null. Returns 0, 21 for a kind
// that has no entry layout, or 0xC0DF when a fixed-size kind has another
// entry length or the entry does not end within the reader's bytes. After a
// failure the entry may hold a partly filled record: release it.
JQStatus decodeJqidEntry(ByteReader& reader, uint32_t kind, JQIDEntry& entry);

// What the JQID index keeps of an entry to search and compare.
struct JqidKeys {
    uint32_t length = 0;  // the entry length: body bytes
    uint64_t jqid = 0;    // JQID1 for a link
    uint64_t jqid2 = 0;   // links only
    uint32_t effective = 0;
    uint32_t expiry = 0;
    // Four-, two- and one-byte IDs: the ID; message: MessageID * 256 +
    // ServiceID; event: EventID.
    uint32_t id = 0;
    uint16_t gcn = 0;  // events only
};

// Reads one entry like decodeJqidEntry, keeping only its key values; nothing
// stays allocated. Same statuses.
JQStatus readJqidKeys(ByteReader& reader, uint32_t kind, JqidKeys& keys);

// readJqidKeys for many entries of one kind, with the kind looked up once.
class JqidKeyReader {
public:
    explicit JqidKeyReader(uint32_t kind);
    JQStatus read(ByteReader& reader, JqidKeys& keys) const;

private:
    const void* kind_;  // the kind's layout, null for none
};

// Releases the record of every non-null slot with its buffers and nulls the
// slot; length and kind stay. Releasing twice does nothing more.
void releaseJqidEntry(JQIDEntry& entry);

// Makes `to` a deep copy of `from`, releasing what `to` held first.
void copyJqidEntry(const JQIDEntry& from, JQIDEntry& to);

// A time in seconds since 1991-12-31 00:00:00 with its calendar fields.
EpochTime jqidEpochTime(uint32_t seconds);

}  // namespace jq::records
