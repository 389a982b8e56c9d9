// schedule_data.h - writes programme schedules: the packet header and record
// data of a schedule package (types 'L' 0x4C, 'M' 0x4D, 'Q' 0x51) from a
// readable structure.
//
// Every size and length is computed; values that do not fit their fields are
// refused with std::invalid_argument. The deliberate faults a test needs (a
// wrong SIESize, a raw length that runs past the data, a wrong InfoSize)
// each replace only the one value they name. The payloads of the auxiliary
// items are built by aux_payloads.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "jqwrite.h"

namespace jq::write {

inline constexpr uint8_t kScheduleL = 0x4C;
inline constexpr uint8_t kScheduleM = 0x4D;
inline constexpr uint8_t kScheduleQ = 0x51;

// A text field: raw ARIB 8-unit bytes (encodeAribText makes them from
// Shift-JIS), or nothing for a field that is not present, written as the
// all-ones length with no bytes ('M' only).
using ScheduleText = std::optional<Bytes>;

// The header form of an auxiliary item. Short: one byte, ITF 0, a 4-bit
// InfoType and a 3-bit InfoSize. Long: ITF 1 and a 7-bit InfoType, then
// InfoSize as a 0xFF run. Automatic takes the short form where it fits.
enum class ItemForm { Automatic, Long, Short };

struct AuxItem {
    AuxItem() = default;
    AuxItem(uint8_t type, Bytes bytes, ItemForm headerForm = ItemForm::Automatic)
        : infoType(type), payload(std::move(bytes)), form(headerForm) {}

    uint8_t infoType = 0;
    Bytes payload;
    ItemForm form = ItemForm::Automatic;
    std::optional<uint32_t> infoSize;  // fault: this InfoSize, the payload as it is
};

// One schedule item entry (SIE): a programme.
struct ScheduleItem {
    uint16_t startMinute = 0;     // minute of the day
    uint8_t majorCategory = 0;    // 4 bits
    uint8_t specialCategory = 0;  // 4 bits
    uint8_t feature = 0;
    uint32_t showId = 0;             // 24 bits
    ScheduleText title = Bytes();    // at most 255 bytes (254 in 'M')
    ScheduleText detail1 = Bytes();  // at most 65,535 bytes (65,534 in 'M')
    ScheduleText detail2 = Bytes();
    // Decimal digits, packed two to a byte; an odd count starts with the
    // nibble F. Nothing: not present ('M' only).
    std::optional<std::string> bookCode = std::string();
    uint8_t minorCategory = 0;  // 4 bits
    std::vector<AuxItem> aux;

    // Deliberate faults: the value written instead of the computed one.
    std::optional<uint32_t> sieSize;
    std::optional<uint8_t> titleLength;  // raw lengths; the bytes stay as given
    std::optional<uint16_t> detail1Length;
    std::optional<uint16_t> detail2Length;
    std::optional<uint8_t> bookCodeLength;
};

// A channel's day, or one sector of it.
struct Schedule {
    uint8_t typeCode = kScheduleL;
    uint16_t gcn = 0;          // channel number
    uint16_t julianDay = 0;    // day 1 is 1 January 1992
    uint8_t sectorNumber = 0;  // 4 bits
    std::vector<ScheduleItem> items;
};

// The six packet header bytes: GCN and JulianDay big-endian, 00, the sector.
Bytes schedulePacketHeader(const Schedule& schedule);

// The bytes of one item in a schedule of typeCode, size field first.
Bytes scheduleItemBytes(uint8_t typeCode, const ScheduleItem& item);

// The record data: the items in order.
Bytes scheduleData(const Schedule& schedule);

// A data package carrying the schedule: its type, packet header and plain
// data; every other field keeps the DataPackage default.
DataPackage schedulePackage(const Schedule& schedule);

// The header and payload of one auxiliary item.
Bytes auxItemBytes(const AuxItem& item);

// A number as a 0xFF run: one FF per 255, then the remainder (526 is FF FF 10).
Bytes runLength(uint32_t value);

// The packed digits of a booking code ("123" is F1 23, "0123" is 01 23).
Bytes packBookCode(std::string_view digits);

// Day numbers of a calendar date (Gregorian): JulianDay counts from
// 31 December 1991 (day 0), the Modified Julian Date from 17 November 1858.
// Throw for a date that is not a day of the calendar or out of 16 bits.
uint16_t julianDayOf(int year, unsigned month, unsigned day);
uint16_t modifiedJulianDateOf(int year, unsigned month, unsigned day);

}  // namespace jq::write
