// jqid_records.cpp - JQID tables (type 0xDF).
//
// Packet header: three 16-bit words, each a flag in bit 15 and a 15-bit GRT:
// UpdatFlagCur/CurrentGRT, UpdatFlagStart/StartGRT, UpdatFlagEnd/EndGRT.
// CurrentGRT picks the entry layout of the whole table (bit 14 set: links).
// Plain data: a 32-bit TimeStamp, then entries back to back to the end, each
// a 0xFF-extended entry length and a body:
//
//   event      JQID(6) GCN(2) flags(1), then by IDType (flags bit 7):
//              0: EventID(2) dates      1: MJD(2) minute(1) second(1) duration(3) dates
//   byte ID    JQID(6) ID(1) dates      two-byte ID  JQID(6) ID(2) dates
//   four-byte  JQID(6) ID(4) dates      message      JQID(6) MessageID(1) ServiceID(1) dates
//   link       JQID(6) JQID(6) dates
//   actor      JQID(6) ActorID(2) mime type(1 + n) DocRef(0xFF-extended m + m) dates
//   URI        JQID(6) mime type(1 + n) Uri(0xFF-extended m + m) dates
//   sponsor    JQID(6) SponsorID(4) mime type(1 + n) Uri(0xFF-extended m + m) dates
//
// where dates are EffectiveDate(4) and ExpiryDate(4), seconds since
// 1991-12-31. The fixed-size layouts must carry exactly their size as entry
// length; the others are stepped over by their fields, whatever their entry
// length says.
//
// An entry that does not end within the data (or a TimeStamp cut short) is
// treated like a fixed-size entry with the wrong length: the whole package is
// refused with 0xC0DF and the table keeps its header fields and TimeStamp but
// no entries.
#include "jqid_records.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

#include "calendar.h"
#include "collected.h"

namespace jq::records {
namespace {

constexpr uint8_t kType = 0xDF;
constexpr JQStatus kContentError = contentError(kType);
constexpr size_t kPacketHeaderSize = 6;
constexpr uint16_t kLastEventGrt = 1000;
constexpr uint16_t kLinkBit = 0x4000;

// MimeTypeSize counts the stored zero byte in 8 bits, so of a 255-byte MIME
// type the first 254 bytes are kept.
constexpr size_t kMimeTypeMaxBytes = 0xFE;

// --- field decoding --------------------------------------------------------

// What a body read fills in: every field, or only the numbers as sent (the
// key values need neither calendar dates nor buffer copies).
enum class Fields { All, AsSent };

EpochTime epochTime(uint32_t seconds) {
    const CalendarTime time = timeFromDayZeroSeconds(seconds);
    return {seconds,   time.date.year, time.date.month, time.date.day,
            time.hour, time.minute,    time.second};
}

// Six bytes: the upper 16 bits, then the lower 32.
uint64_t readJqid(ByteReader& r) {
    const uint64_t upper = r.u16be();
    const uint64_t lower = r.u32be();
    return (upper << 32) | lower;
}

template <typename Record>
void readDates(ByteReader& r, Record& record, Fields fields) {
    const uint32_t effective = r.u32be();
    const uint32_t expiry = r.u32be();
    if (fields == Fields::AsSent) {
        record.EffectiveDate.seconds = effective;
        record.ExpiryDate.seconds = expiry;
        return;
    }
    record.EffectiveDate = epochTime(effective);
    record.ExpiryDate = epochTime(expiry);
}

// The bytes followed by one zero byte; null for none.
uint8_t* storedCopy(const uint8_t* bytes, size_t count) {
    if (count == 0 || bytes == nullptr) return nullptr;
    uint8_t* buffer = new uint8_t[count + 1];
    std::memcpy(buffer, bytes, count);
    buffer[count] = 0;
    return buffer;
}

void readMimeType(ByteReader& r, uint8_t& size, uint8_t*& buffer, Fields fields) {
    const uint8_t wireSize = r.u8();
    const ByteView wire = r.bytes(wireSize);
    if (fields == Fields::AsSent) return;
    const size_t kept = std::min(wire.size, kMimeTypeMaxBytes);
    buffer = storedCopy(wire.data, kept);
    size = static_cast<uint8_t>(kept == 0 ? 0 : kept + 1);
}

// DocRef and Uri: a 0xFF-extended size and that many bytes.
void readLongBuffer(ByteReader& r, uint32_t& size, uint8_t*& buffer, Fields fields) {
    const uint32_t wireSize = r.ffExtended();
    const ByteView wire = r.bytes(wireSize);
    if (fields == Fields::AsSent) return;
    buffer = storedCopy(wire.data, wire.size);
    size = static_cast<uint32_t>(wire.size == 0 ? 0 : wire.size + 1);
}

void readBody(ByteReader& r, EventRecord& e, Fields fields) {
    e.JQID = readJqid(r);
    e.GCN = r.u16be();
    const uint8_t flags = r.u8();
    e.IDType = flags >> 7;
    if (e.IDType == 0) {
        e.EventID = r.u16be();
        readDates(r, e, fields);
        return;
    }
    e.MJD = r.u16be();
    if (fields == Fields::All) {
        const CalendarDate date = dateFromMjd(e.MJD);
        e.MJDYear = date.year;
        e.MJDMonth = date.month;
        e.MJDDay = date.day;
    }
    e.StartMinute = static_cast<uint16_t>(((flags & 0x07) << 8) | r.u8());
    e.StartHour = static_cast<uint8_t>(e.StartMinute / 60);
    e.StartMin = static_cast<uint8_t>(e.StartMinute % 60);
    e.StartSecond = r.u8() & 0x3F;
    const uint32_t durationHigh = r.u8();
    const uint32_t duration = (durationHigh << 16) | r.u16be();
    e.DureMinute = duration >> 6;
    e.DureSecond = duration & 0x3F;
    readDates(r, e, fields);
}

void readBody(ByteReader& r, ByteIdRecord& e, Fields fields) {
    e.JQID = readJqid(r);
    e.ID = r.u8();
    readDates(r, e, fields);
}

void readBody(ByteReader& r, WordIdRecord& e, Fields fields) {
    e.JQID = readJqid(r);
    e.ID = r.u16be();
    readDates(r, e, fields);
}

void readBody(ByteReader& r, LongIdRecord& e, Fields fields) {
    e.JQID = readJqid(r);
    e.ID = r.u32be();
    readDates(r, e, fields);
}

void readBody(ByteReader& r, MessageRecord& e, Fields fields) {
    e.JQID = readJqid(r);
    e.MessageID = r.u8();
    e.ServiceID = r.u8();
    readDates(r, e, fields);
}

void readBody(ByteReader& r, LinkRecord& e, Fields fields) {
    e.JQID1 = readJqid(r);
    e.JQID2 = readJqid(r);
    readDates(r, e, fields);
}

void readBody(ByteReader& r, ActorRecord& e, Fields fields) {
    e.JQID = readJqid(r);
    e.ActorID = r.u16be();
    readMimeType(r, e.MimeTypeSize, e.MimeType, fields);
    readLongBuffer(r, e.DocRefSize, e.DocRef, fields);
    readDates(r, e, fields);
}

void readBody(ByteReader& r, UriRecord& e, Fields fields) {
    e.JQID = readJqid(r);
    readMimeType(r, e.MimeTypeSize, e.MimeType, fields);
    readLongBuffer(r, e.UriSize, e.Uri, fields);
    readDates(r, e, fields);
}

void readBody(ByteReader& r, SponsorRecord& e, Fields fields) {
    e.JQID = readJqid(r);
    e.SponsorID = r.u32be();
    readMimeType(r, e.MimeTypeSize, e.MimeType, fields);
    readLongBuffer(r, e.UriSize, e.Uri, fields);
    readDates(r, e, fields);
}

// Body size of the fixed-size layouts; 0 for the layouts stepped by their
// fields.
template <typename Record>
constexpr uint32_t kFixedSize = 0;
template <>
constexpr uint32_t kFixedSize<ByteIdRecord> = 15;
template <>
constexpr uint32_t kFixedSize<WordIdRecord> = 16;
template <>
constexpr uint32_t kFixedSize<LongIdRecord> = 18;
template <>
constexpr uint32_t kFixedSize<MessageRecord> = 16;
template <>
constexpr uint32_t kFixedSize<LinkRecord> = 20;

// --- owned buffers ---------------------------------------------------------

template <typename Record>
void releaseBuffers(Record&) {}

void releaseBuffers(ActorRecord& e) {
    delete[] e.MimeType;
    delete[] e.DocRef;
}

template <typename Record>  // UriRecord, SponsorRecord
void releaseUriBuffers(Record& e) {
    delete[] e.MimeType;
    delete[] e.Uri;
}
void releaseBuffers(UriRecord& e) { releaseUriBuffers(e); }
void releaseBuffers(SponsorRecord& e) { releaseUriBuffers(e); }

// A buffer copied with its stored size (which counts the zero byte).
uint8_t* copyStored(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr || size == 0) return nullptr;
    uint8_t* buffer = new uint8_t[size];
    std::memcpy(buffer, bytes, size);
    return buffer;
}

// `to` starts as a member-wise copy of `from`: its borrowed pointers are
// nulled before anything is allocated, so a failed copy can be released.
template <typename Record>
void copyBuffers(const Record&, Record&) {}

void copyBuffers(const ActorRecord& from, ActorRecord& to) {
    to.MimeType = nullptr;
    to.DocRef = nullptr;
    to.MimeType = copyStored(from.MimeType, from.MimeTypeSize);
    to.DocRef = copyStored(from.DocRef, from.DocRefSize);
}

template <typename Record>  // UriRecord, SponsorRecord
void copyUriBuffers(const Record& from, Record& to) {
    to.MimeType = nullptr;
    to.Uri = nullptr;
    to.MimeType = copyStored(from.MimeType, from.MimeTypeSize);
    to.Uri = copyStored(from.Uri, from.UriSize);
}
void copyBuffers(const UriRecord& from, UriRecord& to) { copyUriBuffers(from, to); }
void copyBuffers(const SponsorRecord& from, SponsorRecord& to) { copyUriBuffers(from, to); }

// --- key values ------------------------------------------------------------

template <typename Record>
void commonKeys(const Record& e, JqidKeys& keys) {
    keys.jqid = e.JQID;
    keys.effective = e.EffectiveDate.seconds;
    keys.expiry = e.ExpiryDate.seconds;
}

template <typename Record>  // the records with no further key values
void keyValues(const Record& e, JqidKeys& keys) {
    commonKeys(e, keys);
}
void keyValues(const EventRecord& e, JqidKeys& keys) {
    commonKeys(e, keys);
    keys.gcn = e.GCN;
    keys.id = e.EventID;
}
void keyValues(const ByteIdRecord& e, JqidKeys& keys) {
    commonKeys(e, keys);
    keys.id = e.ID;
}
void keyValues(const WordIdRecord& e, JqidKeys& keys) {
    commonKeys(e, keys);
    keys.id = e.ID;
}
void keyValues(const LongIdRecord& e, JqidKeys& keys) {
    commonKeys(e, keys);
    keys.id = e.ID;
}
void keyValues(const MessageRecord& e, JqidKeys& keys) {
    commonKeys(e, keys);
    keys.id = uint32_t{e.MessageID} << 8 | e.ServiceID;
}
void keyValues(const LinkRecord& e, JqidKeys& keys) {
    keys.jqid = e.JQID1;
    keys.jqid2 = e.JQID2;
    keys.effective = e.EffectiveDate.seconds;
    keys.expiry = e.ExpiryDate.seconds;
}

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

// --- entry kinds -----------------------------------------------------------

// The operations on one slot of JQIDEntry.
template <auto Slot>
struct SlotOps {
    using Record =
        std::remove_pointer_t<std::remove_reference_t<decltype(std::declval<JQIDEntry&>().*Slot)>>;

    static JQStatus decode(ByteReader& r, JQIDEntry& entry) {
        Record* record = new Record();
        entry.*Slot = record;
        readBody(r, *record, Fields::All);
        return r.ok() ? JQStatus{JQ_OK} : kContentError;
    }

    static JQStatus keys(ByteReader& r, JqidKeys& keys) {
        Record record{};  // holds no buffers
        readBody(r, record, Fields::AsSent);
        if (!r.ok()) return kContentError;
        keyValues(record, keys);
        return JQ_OK;
    }

    static void release(JQIDEntry& entry) {
        Record* record = entry.*Slot;
        if (record == nullptr) return;
        releaseBuffers(*record);
        delete record;
        entry.*Slot = nullptr;
    }

    static void copy(const JQIDEntry& from, JQIDEntry& to) {
        const Record* source = from.*Slot;
        if (source == nullptr) return;
        Record* record = new Record(*source);
        copyBuffers(*source, *record);  // nulls the borrowed pointers first
        to.*Slot = record;
    }

    static void header(CsvFile& out) { writeHeader(static_cast<const Record*>(nullptr), out); }

    static void row(const JQIDEntry& entry, CsvFile& out) {
        if (entry.*Slot != nullptr) writeRow(*(entry.*Slot), out);
    }
};

struct EntryKind {
    uint32_t kind;
    uint32_t fixedSize;  // 0: stepped by its fields
    JQStatus (*decode)(ByteReader& r, JQIDEntry& entry);
    JQStatus (*keys)(ByteReader& r, JqidKeys& keys);
    void (*release)(JQIDEntry& entry);
    void (*copy)(const JQIDEntry& from, JQIDEntry& to);
    void (*header)(CsvFile& out);
    void (*row)(const JQIDEntry& entry, CsvFile& out);
};

template <auto Slot>
constexpr EntryKind entryKind(uint32_t kind) {
    using Ops = SlotOps<Slot>;
    return {kind,         kFixedSize<typename Ops::Record>,
            Ops::decode,  Ops::keys,
            Ops::release, Ops::copy,
            Ops::header,  Ops::row};
}

// In slot order.
constexpr EntryKind kEntryKinds[] = {
    entryKind<&JQIDEntry::event>(kJqidEventKind), entryKind<&JQIDEntry::byteId1001>(1001),
    entryKind<&JQIDEntry::actor1002>(1002),       entryKind<&JQIDEntry::byteId1003>(1003),
    entryKind<&JQIDEntry::wordId1004>(1004),      entryKind<&JQIDEntry::byteId1005>(1005),
    entryKind<&JQIDEntry::uri1006>(1006),         entryKind<&JQIDEntry::uri1008>(1008),
    entryKind<&JQIDEntry::uri1009>(1009),         entryKind<&JQIDEntry::uri1010>(1010),
    entryKind<&JQIDEntry::longId1100>(1100),      entryKind<&JQIDEntry::uri1101>(1101),
    entryKind<&JQIDEntry::uri1102>(1102),         entryKind<&JQIDEntry::wordId1103>(1103),
    entryKind<&JQIDEntry::uri1104>(1104),         entryKind<&JQIDEntry::longId1200>(1200),
    entryKind<&JQIDEntry::uri1201>(1201),         entryKind<&JQIDEntry::uri1202>(1202),
    entryKind<&JQIDEntry::message1300>(1300),     entryKind<&JQIDEntry::uri1301>(1301),
    entryKind<&JQIDEntry::uri1302>(1302),         entryKind<&JQIDEntry::byteId1400>(1400),
    entryKind<&JQIDEntry::byteId1500>(1500),      entryKind<&JQIDEntry::sponsor1600>(1600),
    entryKind<&JQIDEntry::link>(kJqidLinkKind),
};

const EntryKind* findEntryKind(uint32_t kind) {
    for (const EntryKind& k : kEntryKinds) {
        if (k.kind == kind) return &k;
    }
    return nullptr;
}

// Adds the 0xFF-extended entry length at the reader to length; a fixed-size
// kind must then have exactly its size.
JQStatus addEntryLength(ByteReader& reader, const EntryKind& kind, uint32_t& length) {
    length += reader.ffExtended();
    if (!reader.ok()) return kContentError;
    if (kind.fixedSize != 0 && length != kind.fixedSize) return kContentError;
    return JQ_OK;
}

void readGrtWord(ByteReader& r, uint8_t& flag, uint16_t& grt) {
    const uint16_t word = r.u16be();
    flag = static_cast<uint8_t>(word >> 15);
    grt = word & 0x7FFF;
}

}  // namespace

uint32_t jqidKindOfTable(uint16_t currentGrt) {
    if (currentGrt <= kLastEventGrt) return kJqidEventKind;
    if ((currentGrt & kLinkBit) != 0) return kJqidLinkKind;
    return findEntryKind(currentGrt) != nullptr ? currentGrt : kJqidNoKind;
}

JQStatus decodeJqidEntry(ByteReader& reader, uint32_t kind, JQIDEntry& entry) {
    const EntryKind* entryKind = findEntryKind(kind);
    if (entryKind == nullptr) return JQ_ERR_FORMAT;
    entry.kind = kind;
    const JQStatus status = addEntryLength(reader, *entryKind, entry.length);
    return status != JQ_OK ? status : entryKind->decode(reader, entry);
}

JqidKeyReader::JqidKeyReader(uint32_t kind) : kind_(findEntryKind(kind)) {}

JQStatus JqidKeyReader::read(ByteReader& reader, JqidKeys& keys) const {
    const auto* entryKind = static_cast<const EntryKind*>(kind_);
    if (entryKind == nullptr) return JQ_ERR_FORMAT;
    keys = {};
    const JQStatus status = addEntryLength(reader, *entryKind, keys.length);
    return status != JQ_OK ? status : entryKind->keys(reader, keys);
}

JQStatus readJqidKeys(ByteReader& reader, uint32_t kind, JqidKeys& keys) {
    return JqidKeyReader(kind).read(reader, keys);
}

void releaseJqidEntry(JQIDEntry& entry) {
    for (const EntryKind& k : kEntryKinds) k.release(entry);
}

void copyJqidEntry(const JQIDEntry& from, JQIDEntry& to) {
    if (&from == &to) return;
    releaseJqidEntry(to);
    to.length = from.length;
    to.kind = from.kind;
    for (const EntryKind& k : kEntryKinds) k.copy(from, to);
}

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
    table.TimeStamp = epochTime(timeStamp);

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
    const EntryKind* tableKind = findEntryKind(kind);
    if (tableKind == nullptr) return;
    tableKind->header(out);
    for (uint32_t i = 0; table.entries != nullptr && i < table.entryCount; ++i) {
        const JQIDEntry& entry = table.entries[i];
        if (const EntryKind* entryKind = findEntryKind(entry.kind)) entryKind->row(entry, out);
    }
}

}  // namespace jq::records
