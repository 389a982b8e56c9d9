// station_records.cpp - station names (type 0x70).
//
// Plain data: entries back to back up to its end, each 6 + NameSize bytes:
//
//   XCIESize u8 | 2 ignored bits, GCN 14 bits | MosaicCode be16 |
//   NameSize u8 | NameSize bytes of name
//
// XCIESize is kept but does not size the entry. A stored name is a
// NUL-terminated copy of the raw bytes, and its NameSize counts the NUL.
#include "station_records.h"

#include "collected.h"

namespace jq::records {
namespace {

constexpr uint16_t kGcnMask = 0x3FFF;

void releaseEntry(StationEntry& entry) {
    delete[] entry.StationName;
    entry = StationEntry{};
}

// Reads one whole entry; false, with nothing allocated, when the entry runs
// past the data.
bool readEntry(ByteReader& data, StationEntry& entry) {
    entry.XCIESize = data.u8();
    entry.GCN = data.u16be() & kGcnMask;
    entry.MosaicCode = data.u16be();
    const uint8_t wireNameSize = data.u8();
    const ByteView name = data.bytes(wireNameSize);
    if (!data.ok()) return false;
    entry.StationName = copyCountedText<char>(name, entry.NameSize);
    return true;
}

}  // namespace

// An entry that would run past the end of the data ends the list before it:
// the entries wholly inside the data are kept and the parse succeeds.
JQStatus parseStations(const RecordInput& input, StationNameRecord& record) {
    if (input.data.empty()) return JQ_ERR_NULL_ARGUMENT;
    Collected<StationEntry, releaseEntry> entries;
    ByteReader data(input.data);
    while (!data.atEnd()) {
        StationEntry entry{};
        if (!readEntry(data, entry)) break;
        entries.add(entry);
    }
    entries.moveInto(record.entries, record.count);
    return JQ_OK;
}

void releaseStations(StationNameRecord* record) {
    if (record == nullptr) return;
    releaseArray<StationEntry, releaseEntry>(record->entries, record->count);
    delete record;
}

void writeStations(const StationNameRecord& record, CsvFile& out) {
    out.line("XCIESize,GCN,MosaicCode,NameSize,StationName\n");
    for (uint32_t i = 0; record.entries != nullptr && i < record.count; ++i) {
        const StationEntry& entry = record.entries[i];
        out.line("%d,0x%04X,0x%04X,%d,", entry.XCIESize, entry.GCN, entry.MosaicCode,
                 entry.NameSize);
        out.stored(entry.StationName, entry.NameSize);
        out.line("\n");
    }
}

}  // namespace jq::records
