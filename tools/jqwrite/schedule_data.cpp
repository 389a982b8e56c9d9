// schedule_data.cpp - the bytes of schedule packages.
//
// An item is written field by field in the order the decoder reads it:
// SIESize as a 0xFF run, StartMinute, the category nibbles, Feature, ShowID,
// the title with an 8-bit length, the two details with 16-bit lengths, the
// packed booking code with an 8-bit byte count, the minor category and the
// auxiliary items. SIESize counts every byte after its own field.
#include "schedule_data.h"

#include <stdexcept>

#include "put_bytes.h"
#include "record_data.h"

namespace jq::write {
namespace {

bool allowsAbsent(uint8_t typeCode) { return typeCode == kScheduleM; }

void checkType(uint8_t typeCode) {
    require(isOneOf(typeCode, {kScheduleL, kScheduleM, kScheduleQ}),
            "a schedule has type 0x4C, 0x4D or 0x51, not " + std::to_string(typeCode));
}

// A text with its raw length field of lengthBytes (1 or 2). The largest
// length is the all-ones value, which in 'M' means "not present" and so is
// not available for a present text there.
void putText(Put& out, uint8_t typeCode, const ScheduleText& text, unsigned lengthBytes,
             std::optional<uint16_t> rawLength, const char* what) {
    const uint32_t allOnes = lengthBytes == 1 ? 0xFF : 0xFFFF;
    uint32_t length = allOnes;
    if (text) {
        length = static_cast<uint32_t>(text->size());
        requireAtMost(length, allowsAbsent(typeCode) ? allOnes - 1 : allOnes, what);
    } else {
        require(allowsAbsent(typeCode) || rawLength,
                std::string("an absent ") + what + " needs type 0x4D");
    }
    if (rawLength) length = *rawLength;
    out.be(length, lengthBytes).bytes(text.value_or(Bytes()));
}

void putBookCode(Put& out, uint8_t typeCode, const ScheduleItem& item) {
    Bytes packed;
    if (item.bookCode) {
        packed = packBookCode(*item.bookCode);
        requireAtMost(packed.size(), allowsAbsent(typeCode) ? 254 : 255, "booking code bytes");
    } else {
        require(allowsAbsent(typeCode) || item.bookCodeLength,
                "an absent booking code needs type 0x4D");
    }
    out.u8(item.bookCodeLength.value_or(item.bookCode ? packed.size() : 0xFF)).bytes(packed);
}

// Everything after the size field.
Bytes itemBody(uint8_t typeCode, const ScheduleItem& item) {
    const uint64_t categories = pack(
        {{item.majorCategory, 4, "MajorCategory"}, {item.specialCategory, 4, "SpecialCategory"}});
    requireBits(item.showId, 24, "ShowID");
    requireBits(item.minorCategory, 4, "MinorCategory");
    Put body;
    body.be16(item.startMinute).u8(categories).u8(item.feature).be24(item.showId);
    putText(body, typeCode, item.title, 1, item.titleLength, "title");
    putText(body, typeCode, item.detail1, 2, item.detail1Length, "level-1 detail");
    putText(body, typeCode, item.detail2, 2, item.detail2Length, "level-2 detail");
    putBookCode(body, typeCode, item);
    body.u8(item.minorCategory);
    for (const AuxItem& aux : item.aux) body.bytes(auxItemBytes(aux));
    return body;
}

bool fitsShortForm(uint8_t infoType, uint32_t infoSize) { return infoType < 16 && infoSize < 8; }

// Days since 1 January 1970 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

unsigned daysInMonth(int year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

uint16_t daysSince(int64_t epoch, int year, unsigned month, unsigned day, const char* what) {
    require(month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month),
            std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day) +
                " is not a date");
    const int64_t days = daysFromCivil(year, month, day) - epoch;
    require(days >= 0 && days <= 0xFFFF, std::string("the date is outside the ") + what + " range");
    return static_cast<uint16_t>(days);
}

}  // namespace

Bytes runLength(uint32_t value) { return Put().run(value); }

Bytes packBookCode(std::string_view digits) {
    for (const char c : digits)
        require(c >= '0' && c <= '9',
                "a booking code has decimal digits only, not '" + std::string(digits) + "'");
    Put out;
    size_t i = 0;
    if (digits.size() % 2 != 0) out.u8(0xF0 | (digits[i++] - '0'));
    for (; i < digits.size(); i += 2) out.u8((digits[i] - '0') << 4 | (digits[i + 1] - '0'));
    return out;
}

Bytes auxItemBytes(const AuxItem& item) {
    const uint32_t size = item.infoSize.value_or(static_cast<uint32_t>(item.payload.size()));
    const bool isShort = item.form == ItemForm::Short ||
                         (item.form == ItemForm::Automatic && fitsShortForm(item.infoType, size));
    Put out;
    if (isShort) {
        require(fitsShortForm(item.infoType, size),
                "the short item form holds InfoType 0-15 and InfoSize 0-7, not " +
                    std::to_string(item.infoType) + " and " + std::to_string(size));
        out.u8(item.infoType << 3 | size);
    } else {
        out.bits({{1, 1}, {item.infoType, 7, "InfoType"}}).run(size);
    }
    return out.bytes(item.payload);
}

Bytes schedulePacketHeader(const Schedule& schedule) {
    requireBits(schedule.sectorNumber, 4, "SectorNumber");
    return Put().be16(schedule.gcn).be16(schedule.julianDay).u8(0).u8(schedule.sectorNumber);
}

Bytes scheduleItemBytes(uint8_t typeCode, const ScheduleItem& item) {
    checkType(typeCode);
    const Bytes body = itemBody(typeCode, item);
    return Put().run(item.sieSize.value_or(static_cast<uint32_t>(body.size()))).bytes(body);
}

Bytes scheduleData(const Schedule& schedule) {
    Bytes data;
    for (const ScheduleItem& item : schedule.items)
        append(data, scheduleItemBytes(schedule.typeCode, item));
    return data;
}

DataPackage schedulePackage(const Schedule& schedule) {
    checkType(schedule.typeCode);
    Bytes header = schedulePacketHeader(schedule);
    return recordPackage(schedule.typeCode, std::move(header), scheduleData(schedule));
}

uint16_t julianDayOf(int year, unsigned month, unsigned day) {
    return daysSince(daysFromCivil(1991, 12, 31), year, month, day, "JulianDay");
}

uint16_t modifiedJulianDateOf(int year, unsigned month, unsigned day) {
    return daysSince(daysFromCivil(1858, 11, 17), year, month, day, "Modified Julian Date");
}

}  // namespace jq::write
