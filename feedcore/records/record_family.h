// record_family.h - what every record family provides to the dispatch and
// the CSV dump: create, parse and release its record, and write it as CSV.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "byte_reader.h"
#include "counted_text.h"
#include "csv.h"
#include "feedcore.h"

namespace jq::records {

// A parser's input: the package's packet header and plain data.
struct RecordInput {
    ByteView packetHeader;
    ByteView data;
    uint8_t typeCode = 0;
};

// A family's operations on its record, seen through void pointers by the
// type table. A parser fills a new zero-initialised record and returns 0,
// 17 (input missing), 21 (packet header too short) or 0xC000 + type.
struct RecordFamily {
    void* (*create)();
    JQStatus (*parse)(const RecordInput& input, void* record);
    void (*release)(void* record);
};

// Appends a record's CSV lines after the common header lines.
using CsvWriter = void (*)(const void* record, CsvFile& out);

// The family operations of a record type, from its typed functions.
template <typename Record, JQStatus (*Parse)(const RecordInput&, Record&), void (*Release)(Record*)>
struct TypedFamily {
    static void* create() { return new Record(); }
    static JQStatus parse(const RecordInput& input, void* record) {
        return Parse(input, *static_cast<Record*>(record));
    }
    static void release(void* record) { Release(static_cast<Record*>(record)); }
    static constexpr RecordFamily family{create, parse, release};
};

template <typename Record, void (*Write)(const Record&, CsvFile&)>
void typedWriter(const void* record, CsvFile& out) {
    Write(*static_cast<const Record*>(record), out);
}

// The status of inconsistent record content for a type code.
constexpr JQStatus contentError(uint8_t typeCode) { return JQ_ERR_RECORD_BASE + typeCode; }

// A new NUL-terminated copy of up to kCountedTextMaxBytes of text, with size
// set to the bytes kept and the NUL; null, and size untouched, for no bytes.
template <typename Char>
Char* copyCountedText(ByteView text, uint8_t& size) {
    if (text.empty()) return nullptr;
    const size_t kept = countedTextBytes(text);
    Char* copy = new Char[kept + 1]();
    std::memcpy(copy, text.data, kept);
    size = countedTextSize(text);
    return copy;
}

}  // namespace jq::records
