// jqid_entries.cpp - the entries of JQID tables, one at a time.
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
#include "jqid_entries.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

#include "calendar.h"

namespace jq::records {
namespace {

constexpr JQStatus kContentError = JQ_ERR_RECORD_BASE + 0xDF;
constexpr uint16_t kLastEventGrt = 1000;
constexpr uint16_t kLinkBit = 0x4000;

// MimeTypeSize counts the stored zero byte in 8 bits, so of a 255-byte MIME
// type the first 254 bytes are kept.
constexpr size_t kMimeTypeMaxBytes = 0xFE;

// --- field decoding --------------------------------------------------------

// What a body read fills in: every field, or only the numbers as sent (the
// key values need neither calendar dates nor buffer copies).
enum class Fields { All, AsSent };

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
    record.EffectiveDate = jqidEpochTime(effective);
    record.ExpiryDate = jqidEpochTime(expiry);
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
};

struct EntryKind {
    uint32_t kind;
    uint32_t fixedSize;  // 0: stepped by its fields
    JQStatus (*decode)(ByteReader& r, JQIDEntry& entry);
    JQStatus (*keys)(ByteReader& r, JqidKeys& keys);
    void (*release)(JQIDEntry& entry);
    void (*copy)(const JQIDEntry& from, JQIDEntry& to);
};

template <auto Slot>
constexpr EntryKind entryKind(uint32_t kind) {
    using Ops = SlotOps<Slot>;
    return {kind,     kFixedSize<typename Ops::Record>, Ops::decode, Ops::keys, Ops::release,
            Ops::copy};
}

#define JQ_ENTRY_KIND(slot, kind) entryKind<&JQIDEntry::slot>(kind),
constexpr EntryKind kEntryKinds[] = {JQID_ENTRY_SLOTS(JQ_ENTRY_KIND)};
#undef JQ_ENTRY_KIND

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

}  // namespace

EpochTime jqidEpochTime(uint32_t seconds) {
    const CalendarTime time = timeFromDayZeroSeconds(seconds);
    return {seconds,   time.date.year, time.date.month, time.date.day,
            time.hour, time.minute,    time.second};
}

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

}  // namespace jq::records
