// schedule_records.cpp - programme schedules (types 0x4C, 0x4D, 0x51).
//
// Packet header: GCN (be16), day number (be16), one unused byte, the sector
// number in the low nibble of byte 5. Plain data: schedule items (SIE), each
// a 0xFF-run size and that many bytes:
//
//   StartMinute be16 | categories u8 | Feature u8 | ShowID be24 |
//   title length u8, text | detail 1 length be16, text |
//   detail 2 length be16, text | booking code length u8, packed digits |
//   minor category u8 | auxiliary items up to the item's size
//
// An auxiliary item starts with one byte: bit 7 set, the long form with a
// 7-bit InfoType and a 0xFF-run InfoSize; clear, the short form with a 4-bit
// InfoType and a 3-bit InfoSize.
//
// 'M' records may mark a text or the booking code as not present with an
// all-ones length, and keep a known item that has no payload as its header.
//
// An item whose fields do not fit its size, or whose size runs past the
// data, makes the record malformed: the parse fails with 0xC051 and the
// record keeps its header fields and no items.
#include "schedule_records.h"

#include <algorithm>
#include <vector>

#include "aux_items.h"
#include "broadcast_text.h"
#include "calendar.h"
#include "collected.h"

namespace jq::records {
namespace {

constexpr uint8_t kTypeM = 0x4D;
constexpr size_t kPacketHeaderSize = 6;

// All-ones lengths: not present in 'M' records; to the CSV writer in every
// record.
constexpr uint8_t kAbsent8 = 0xFF;
constexpr uint16_t kAbsent16 = 0xFFFF;

// A converted text can grow past its length field (full-width alphanumerics
// take two bytes for one), so texts are cut at a character boundary to the
// largest size that is not the all-ones mark.
constexpr size_t kTitleMaxSize = kAbsent8 - 1;
constexpr size_t kDetailMaxSize = kAbsent16 - 1;
// Likewise the booking code: digits plus NUL fit below the mark.
constexpr size_t kBookCodeMaxDigits = kAbsent8 - 2;

void releaseSie(SIE& sie) {
    delete[] sie.Title;
    delete[] sie.Lv1Detail;
    delete[] sie.Lv2Detail;
    delete[] sie.BookCode;
    for (uint32_t i = 0; sie.AuxList != nullptr && i < sie.AuxListSize; ++i) {
        releaseAuxPayload(sie.AuxList[i]);
    }
    delete[] sie.AuxList;
    sie = SIE{};
}

using CollectedAuxItems = Collected<AuxInfo, releaseAuxPayload>;
using CollectedSies = Collected<SIE, releaseSie>;

// The auxiliary items of one SIE. Unknown InfoTypes are skipped by their
// size.
JQStatus parseAuxList(ByteReader aux, bool isM, SIE& sie) {
    CollectedAuxItems items;
    while (!aux.atEnd()) {
        AuxInfo item{};
        const uint8_t first = aux.u8();
        item.ITF = first >> 7;
        if (item.ITF == 1) {
            item.InfoType = first & 0x7F;
            item.InfoSize = aux.ffExtended();
        } else {
            item.InfoType = (first >> 3) & 0x0F;
            item.InfoSize = first & 0x07;
        }
        const ByteView payload = aux.bytes(item.InfoSize);
        if (!aux.ok()) return kAuxItemError;

        const AuxItemKind* kind = findAuxItemKind(item.InfoType);
        if (kind == nullptr) continue;
        const JQStatus status = kind->decode(payload, item);
        if (status != JQ_OK) {
            kind->release(item);
            if (!(isM && item.InfoSize == 0)) return status;
        }
        items.add(item);
    }
    sie.AuxListSize = items.size();
    sie.AuxList = items.take();
    return JQ_OK;
}

// A text with an 8- or 16-bit length; 'M' records mark an absent one with
// the all-ones length and no text bytes.
template <typename Length>
JQStatus readText(ByteReader& body, bool isM, size_t maxSize, Length& length, char*& text) {
    constexpr Length kAbsent = static_cast<Length>(~Length{0});
    Length rawLength = 0;
    if constexpr (sizeof(Length) == 1) {
        rawLength = body.u8();
    } else {
        rawLength = body.u16be();
    }
    if (isM && rawLength == kAbsent) {
        length = kAbsent;
        return JQ_OK;
    }
    return decodeTextField(body.bytes(rawLength), text, length, maxSize);
}

// Packed decimal digits, two per byte, high nibble first; a first high
// nibble of 0xF is a filler in front of an odd number of digits.
void readBookCode(ByteReader& body, bool isM, SIE& sie) {
    const uint8_t length = body.u8();
    if (isM && length == kAbsent8) {
        sie.BookCodeLength = kAbsent8;
        return;
    }
    const ByteView packed = body.bytes(length);
    if (packed.size == 0) return;
    const size_t filler = (packed.data[0] >> 4) == 0xF ? 1 : 0;
    const size_t digits = std::min(2 * packed.size - filler, kBookCodeMaxDigits);
    char* code = new char[digits + 1]();
    sie.BookCode = code;
    for (size_t i = 0; i < digits; ++i) {
        const size_t nibble = i + filler;
        const uint8_t byte = packed.data[nibble / 2];
        code[i] = static_cast<char>('0' + (nibble % 2 == 0 ? byte >> 4 : byte & 0x0F));
    }
    sie.BookCodeLength = static_cast<uint8_t>(digits + 1);
}

// One SIE; its fields must lie inside its declared size.
JQStatus parseSie(ByteReader& data, bool isM, SIE& sie) {
    sie.SIESize = data.ffExtended();
    ByteReader body = data.sub(sie.SIESize);
    if (!data.ok()) return kAuxItemError;

    sie.StartMinute = body.u16be();
    const uint8_t categories = body.u8();
    sie.MajorCategory = categories >> 4;
    sie.SpecialCategory = categories & 0x0F;
    sie.Feature = body.u8();
    sie.ShowID = (uint32_t{body.u8()} << 16) | body.u16be();

    JQStatus status = readText(body, isM, kTitleMaxSize, sie.TitleLength, sie.Title);
    if (status == JQ_OK) {
        status = readText(body, isM, kDetailMaxSize, sie.Lv1DetaileLength, sie.Lv1Detail);
    }
    if (status == JQ_OK) {
        status = readText(body, isM, kDetailMaxSize, sie.Lv2DetaileLength, sie.Lv2Detail);
    }
    if (status != JQ_OK) return status;
    readBookCode(body, isM, sie);
    sie.MinorCategory = body.u8() & 0x0F;
    if (!body.ok()) return kAuxItemError;

    if (body.atEnd()) return JQ_OK;
    return parseAuxList(body, isM, sie);
}

void writeAuxItem(const AuxInfo& item, CsvFile& out) {
    out.line("ITF,InfoType,InfoSize\n");
    out.line("%d,%d,%d\n", item.ITF, item.InfoType, item.InfoSize);
    const AuxItemKind* kind = findAuxItemKind(item.InfoType);
    if (kind != nullptr && kind->present(item)) kind->write(item, out);
}

// A text column: the stored bytes, NUL included, unless marked absent.
template <typename Length>
void writeTextColumn(Length length, const char* text, CsvFile& out) {
    if (length != static_cast<Length>(~Length{0})) out.stored(text, length);
}

void writeSie(const SIE& sie, CsvFile& out) {
    out.line(
        "SIESize,StartMinute,MajorCategory,SpecialCategory,Feature,ShowID,TitleLength,Title,"
        "Lv1DetaileLength,Lv1Detail,Lv2DetaileLength,Lv2Detail,BookCodeLength,BookCode,"
        "MinorCategory,AuxListSize\n");
    out.line("%d,%d,0x%02X,0x%02X,%d,0x%06X,%d,", sie.SIESize, sie.StartMinute, sie.MajorCategory,
             sie.SpecialCategory, sie.Feature, sie.ShowID, sie.TitleLength);
    writeTextColumn(sie.TitleLength, sie.Title, out);
    out.line(",%d,", sie.Lv1DetaileLength);
    writeTextColumn(sie.Lv1DetaileLength, sie.Lv1Detail, out);
    out.line(",%d,", sie.Lv2DetaileLength);
    writeTextColumn(sie.Lv2DetaileLength, sie.Lv2Detail, out);
    out.line(",%d,", sie.BookCodeLength);
    writeTextColumn(sie.BookCodeLength, sie.BookCode, out);
    out.line(",0x%02X,%d\n", sie.MinorCategory, sie.AuxListSize);
    for (uint32_t i = 0; sie.AuxList != nullptr && i < sie.AuxListSize; ++i) {
        writeAuxItem(sie.AuxList[i], out);
    }
}

}  // namespace

JQStatus parseSchedule(const RecordInput& input, ScheduleRecord& record) {
    if (input.data.empty() || input.packetHeader.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < kPacketHeaderSize) return JQ_ERR_FORMAT;
    ByteReader header(input.packetHeader);
    record.GCN = header.u16be();
    record.JulianDay = header.u16be();
    header.skip(1);
    record.SectorNumber = header.u8() & 0x0F;
    const CalendarDate date = dateFromScheduleDay(record.JulianDay);
    record.JDYear = date.year;
    record.JDMonth = date.month;
    record.JDDay = date.day;

    const bool isM = input.typeCode == kTypeM;
    CollectedSies sies;
    ByteReader data(input.data);
    while (!data.atEnd()) {
        SIE sie{};
        const JQStatus status = parseSie(data, isM, sie);
        if (status != JQ_OK) {
            releaseSie(sie);
            return status;
        }
        sies.add(sie);
    }
    record.SIEListSize = sies.size();
    record.SIEList = sies.take();
    return JQ_OK;
}

void releaseSchedule(ScheduleRecord* record) {
    if (record == nullptr) return;
    for (uint32_t i = 0; record->SIEList != nullptr && i < record->SIEListSize; ++i) {
        releaseSie(record->SIEList[i]);
    }
    delete[] record->SIEList;
    delete record;
}

void writeSchedule(const ScheduleRecord& record, CsvFile& out) {
    out.line("GCN,JulianDay,JDYear,JDMonth,JDDay,SectorNumber,SIEListSize\n");
    out.line("0x%04X,%d,%d,%d,%d,%d,%d\n", record.GCN, record.JulianDay, record.JDYear,
             record.JDMonth, record.JDDay, record.SectorNumber, record.SIEListSize);
    for (uint32_t i = 0; record.SIEList != nullptr && i < record.SIEListSize; ++i) {
        writeSie(record.SIEList[i], out);
    }
}

}  // namespace jq::records
