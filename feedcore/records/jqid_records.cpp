// jqid_records.cpp - JQID tables (type 0xDF): the table parser and its CSV
// lines; the entries themselves are read by jqid_entries.
//
// Packet header: three 16-bit words, each a flag in bit 15 and a 15-bit GRT:
// UpdatFlagCur/CurrentGRT, UpdatFlagStart/StartGRT, UpdatFlagEnd/EndGRT.
// CurrentGRT picks the entry layout of the whole table (bit 14 set: links).
// Plain data: a 32-bit TimeStamp, then entries back to back to the end.
//
// An entry that does not end within the data (or a TimeStamp cut short) is
// treated like a fixed-size entry with the wrong length: the whole package is
// refused with 0xC0DF and the table keeps its header fields and TimeStamp but
// no entries.
#include "jqid_records.h"

#include <type_traits>
#include <utility>

#include "collected.h"

namespace jq::records {
namespace {

constexpr uint8_t kType = 0xDF;
constexpr JQStatus kContentError = contentError(kType);
constexpr size_t kPacketHeaderSize = 6;
constexpr uint16_t kLinkBit = 0x4000;

// --- CSV rows --------------------------------------------------------------

constexpr const char* kDateHeader =
    "EffectiveDate,EffYear,EffMonth,EffDay,EffHour,EffMin,EffSec,"
    "ExpiryDate,ExpYear,ExpMonth,ExpDay,ExpHour,ExpMin,ExpSec\n";

template <typename Record>
void writeDates(const Record& e, CsvFile& out) {
    const EpochTime& f = e.EffectiveDate;
    const EpochTime& x = e.ExpiryDate;
    out.line(",%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d\n", f.seconds, f.year, f.month, f.day,
             f.hour, f.minute, f.second, x.seconds, x.year, x.month, x.day, x.hour, x.minute,
             x.second);
}

void writeHeader(const EventRecord*, CsvFile& out) {
    out.line(
        "JQID,GCN,IDType,EffectiveDate,EffYear,EffMonth,EffDay,EffHour,EffMin,EffSec,"
        "ExpiryDate,ExpYear,ExpMonth,");
    out.line(
        "ExpDay,ExpHour,ExpMin,ExpSec,EventID,MJD,MJDYear,MJDMonth,MJDDay,StartMinute,"
        "StartHour,StartMin,StartSecond,DureMinute,DureSecond\n");
}

template <typename Record>  // the ID layouts
void writeHeader(const Record*, CsvFile& out) {
    out.line("JQID,ID,");
    out.line(kDateHeader);
}

void writeHeader(const MessageRecord*, CsvFile& out) {
    out.line("JQID,MessageID,ServiceID,");
    out.line(kDateHeader);
}

void writeHeader(const LinkRecord*, CsvFile& out) {
    out.line("JQID1,JQID2,");
    out.line(kDateHeader);
}

void writeHeader(const ActorRecord*, CsvFile& out) {
    out.line("JQID,ActorID,MimeTypeSize,MimeType,DocRefSize,DocRef,");
    out.line(kDateHeader);
}

void writeHeader(const SponsorRecord*, CsvFile& out) {
    out.line("JQID,SponsorID,MimeTypeSize,MimeType,UriSize,Uri,");
    out.line(kDateHeader);
}

void writeHeader(const UriRecord*, CsvFile& out) {
    out.line("JQID,MimeTypeSize,MimeType,UriSize,Uri,");
    out.line(kDateHeader);
}

void writeRow(const EventRecord& e, CsvFile& out) {
    const EpochTime& f = e.EffectiveDate;
    const EpochTime& x = e.ExpiryDate;
    out.line("0x%I64X,0x%04X,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,", e.JQID, e.GCN,
             e.IDType, f.seconds, f.year, f.month, f.day, f.hour, f.minute, f.second, x.seconds,
             x.year, x.month, x.day, x.hour, x.minute, x.second);
    out.line("%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d\n", e.EventID, e.MJD, e.MJDYear, e.MJDMonth,
             e.MJDDay, e.StartMinute, e.StartHour, e.StartMin, e.StartSecond, e.DureMinute,
             e.DureSecond);
}

void writeRow(const ByteIdRecord& e, CsvFile& out) {
    out.line("0x%I64X,0x%02X", e.JQID, e.ID);
    writeDates(e, out);
}

void writeRow(const WordIdRecord& e, CsvFile& out) {
    out.line("0x%I64X,0x%04X", e.JQID, e.ID);
    writeDates(e, out);
}

void writeRow(const LongIdRecord& e, CsvFile& out) {
    out.line("0x%I64X,0x%08X", e.JQID, e.ID);
    writeDates(e, out);
}

void writeRow(const MessageRecord& e, CsvFile& out) {
    out.line("0x%I64X,0x%0X,0x%02X", e.JQID, e.MessageID, e.ServiceID);
    writeDates(e, out);
}

void writeRow(const LinkRecord& e, CsvFile& out) {
    out.line("0x%I64X,0x%I64X", e.JQID1, e.JQID2);
    writeDates(e, out);
}

void writeRow(const ActorRecord& e, CsvFile& out) {
    out.line("0x%I64X,0x%04X,%d,", e.JQID, e.ActorID, e.MimeTypeSize);
    out.stored(e.MimeType, e.MimeTypeSize);
    out.line(",%d,", e.DocRefSize);
    out.stored(e.DocRef, e.DocRefSize);
    writeDates(e, out);
}

void writeRow(const SponsorRecord& e, CsvFile& out) {
    out.line("0x%I64X,0x%08X,%d,", e.JQID, e.SponsorID, e.MimeTypeSize);
    out.stored(e.MimeType, e.MimeTypeSize);
    out.line(",%d,", e.UriSize);
    out.stored(e.Uri, e.UriSize);
    writeDates(e, out);
}

void writeRow(const UriRecord& e, CsvFile& out) {
    out.line("0x%I64X,%d,", e.JQID, e.MimeTypeSize);
    out.stored(e.MimeType, e.MimeTypeSize);
    out.line(",%d,", e.UriSize);
    out.stored(e.Uri, e.UriSize);
    writeDates(e, out);
}

// --- the CSV lines of each entry kind ----------------------------------------

struct EntryLines {
    uint32_t kind;
    void (*header)(CsvFile& out);
    void (*row)(const JQIDEntry& entry, CsvFile& out);
};

template <auto Slot>
struct SlotLines {
    using Record =
        std::remove_pointer_t<std::remove_reference_t<decltype(std::declval<JQIDEntry&>().*Slot)>>;
    static void header(CsvFile& out) { writeHeader(static_cast<const Record*>(nullptr), out); }
    static void row(const JQIDEntry& entry, CsvFile& out) {
        if (entry.*Slot != nullptr) writeRow(*(entry.*Slot), out);
    }
};

#define JQ_ENTRY_LINES(slot, kind) \
    EntryLines{kind, SlotLines<&JQIDEntry::slot>::header, SlotLines<&JQIDEntry::slot>::row},
constexpr EntryLines kEntryLines[] = {JQID_ENTRY_SLOTS(JQ_ENTRY_LINES)};
#undef JQ_ENTRY_LINES

const EntryLines* findEntryLines(uint32_t kind) {
    for (const EntryLines& lines : kEntryLines) {
        if (lines.kind == kind) return &lines;
    }
    return nullptr;
}

void readGrtWord(ByteReader& r, uint8_t& flag, uint16_t& grt) {
    const uint16_t word = r.u16be();
    flag = static_cast<uint8_t>(word >> 15);
    grt = word & 0x7FFF;
}

}  // namespace

JQStatus parseJqidTable(const RecordInput& input, JQIDTable& table) {
    if (input.data.empty() || input.packetHeader.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < kPacketHeaderSize) return JQ_ERR_FORMAT;
    ByteReader header(input.packetHeader);
    readGrtWord(header, table.UpdatFlagCur, table.CurrentGRT);
    readGrtWord(header, table.UpdatFlagStart, table.StartGRT);
    readGrtWord(header, table.UpdatFlagEnd, table.EndGRT);
    const uint32_t kind = jqidKindOfTable(table.CurrentGRT);
    if (kind == kJqidNoKind) return JQ_ERR_FORMAT;

    ByteReader data(input.data);
    const uint32_t timeStamp = data.u32be();
    if (!data.ok()) return kContentError;
    table.TimeStamp = jqidEpochTime(timeStamp);

    Collected<JQIDEntry, releaseJqidEntry> entries;
    while (!data.atEnd()) {
        const JQStatus status = decodeJqidEntry(data, kind, entries.addEmpty());
        if (status != JQ_OK) return status;
    }
    const uint32_t count = entries.size();
    table.entries = entries.take();
    table.entryCount = count;
    return JQ_OK;
}

void releaseJqidTable(JQIDTable* table) {
    if (table == nullptr) return;
    releaseArray<JQIDEntry, releaseJqidEntry>(table->entries, table->entryCount);
    delete table;
}

void writeJqidTable(const JQIDTable& table, CsvFile& out) {
    out.line("UpdatFlagCur,%d\n", table.UpdatFlagCur);
    out.line("CurrentGRT,%d\n", table.CurrentGRT);
    out.line("UpdatFlagStart,%d\n", table.UpdatFlagStart);
    out.line("StartGRT,%d\n", table.StartGRT);
    out.line("UpdatFlagEnd,%d\n", table.UpdatFlagEnd);
    out.line("EndGRT,%d\n", table.EndGRT);
    const EpochTime& ts = table.TimeStamp;
    out.line("TimeStamp,%d\n", ts.seconds);
    out.line("TSYear,TSMonth,TSDay,TSHour,TSMin,TSSec\n");
    out.line("%d,%d,%d,%d,%d,%d\n", ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second);

    const uint32_t kind =
        table.CurrentGRT >= kLinkBit ? kJqidLinkKind : jqidKindOfTable(table.CurrentGRT);
    const EntryLines* tableLines = findEntryLines(kind);
    if (tableLines == nullptr) return;
    tableLines->header(out);
    for (uint32_t i = 0; table.entries != nullptr && i < table.entryCount; ++i) {
        const JQIDEntry& entry = table.entries[i];
        if (const EntryLines* lines = findEntryLines(entry.kind)) lines->row(entry, out);
    }
}

}  // namespace jq::records
