// programme_items.cpp - programme description items: series, keyword codes,
// package IDs, category pairs, parental rating, content nibbles, actors, time
// shift, additional texts and icons (InfoTypes 1, 3-8, 18, 29, 30).
//
// Each decoder reads its payload through a reader over exactly the item's
// InfoSize bytes. A payload that ends inside one of its fields is malformed
// and gives kAuxItemError: an empty payload, a fixed record too short, a text
// whose length runs past the end, and a list whose size is not a whole number
// of entries (its last entry would lie past the payload). Bytes after the
// last field are ignored: the next item is found by InfoSize anyway.

#include "aux_items.h"
#include "broadcast_text.h"
#include "calendar.h"

namespace jq::records {
namespace {

template <auto Slot>
bool slotFilled(const AuxInfo& item) {
    return item.*Slot != nullptr;
}

// --- lists of fixed-width entries (InfoTypes 3, 4, 5, 7, 8, 30) -------------

uint8_t readU8(ByteReader& r) { return r.u8(); }
uint16_t readU16(ByteReader& r) { return r.u16be(); }
uint32_t readU32(ByteReader& r) { return r.u32be(); }

CategoryPair readCategoryPair(ByteReader& r) {
    const uint8_t byte = r.u8();
    return {static_cast<uint8_t>(byte >> 4), static_cast<uint8_t>(byte & 0x0F)};
}

ContentNibblePair readContentNibblePair(ByteReader& r) {
    const uint8_t content = r.u8();
    return {content, r.u8()};
}

// The type a pointer member points to.
template <typename Member>
struct PointeeOf;
template <typename Class, typename T>
struct PointeeOf<T * Class::*> {
    using type = T;
};

// A list record in its item slot: Count entries of Width payload bytes each,
// read by ReadEntry into the array at Entries.
template <auto Slot, auto Count, auto Entries, size_t Width, auto ReadEntry>
struct EntryList {
    using List = typename PointeeOf<decltype(Slot)>::type;
    using Entry = typename PointeeOf<decltype(Entries)>::type;

    static JQStatus decode(ByteView payload, AuxInfo& item) {
        if (payload.empty() || payload.size % Width != 0) return kAuxItemError;
        const size_t count = payload.size / Width;
        List* list = item.*Slot = new List();
        Entry* entries = list->*Entries = new Entry[count]();
        list->*Count = static_cast<uint32_t>(count);
        ByteReader r(payload);
        for (size_t i = 0; i < count; ++i) entries[i] = ReadEntry(r);
        if (!r.ok()) return kAuxItemError;
        return JQ_OK;
    }

    static void release(AuxInfo& item) {
        if (List* list = item.*Slot) {
            Entry* entries = list->*Entries;
            delete[] entries;
            delete list;
        }
        item.*Slot = nullptr;
    }
};

using KeywordCodes = EntryList<&AuxInfo::keywordCodes, &KeywordCodeList::count,
                               &KeywordCodeList::KeywordCode, 2, readU16>;
using PackageIDs =
    EntryList<&AuxInfo::packageIDs, &PackageIDList::count, &PackageIDList::PackageID, 4, readU32>;
using CategoryPairs = EntryList<&AuxInfo::categoryPairs, &CategoryPairList::count,
                                &CategoryPairList::pairs, 1, readCategoryPair>;
using ContentNibbles = EntryList<&AuxInfo::contentNibbles, &ContentNibbleList::count,
                                 &ContentNibbleList::pairs, 2, readContentNibblePair>;
using ActorIDs =
    EntryList<&AuxInfo::actorIDs, &ActorIDList::count, &ActorIDList::ActorID, 2, readU16>;
using Icons = EntryList<&AuxInfo::icons, &IconList::length, &IconList::IconCode, 1, readU8>;

template <typename Code>
void writeCodes(CsvFile& out, const char* header, const char* row, const Code* codes,
                uint32_t count) {
    out.line(header);
    for (uint32_t i = 0; i < count; ++i) out.line(row, codes[i]);
}

void writeKeywordCodes(const AuxInfo& item, CsvFile& out) {
    const KeywordCodeList& list = *item.keywordCodes;
    writeCodes(out, "KeywordCode\n", "0x%04X\n", list.KeywordCode, list.count);
}

void writePackageIDs(const AuxInfo& item, CsvFile& out) {
    const PackageIDList& list = *item.packageIDs;
    writeCodes(out, "PackageID\n", "0x%08X\n", list.PackageID, list.count);
}

void writeActorIDs(const AuxInfo& item, CsvFile& out) {
    const ActorIDList& list = *item.actorIDs;
    writeCodes(out, "ActorID\n", "0x%04X\n", list.ActorID, list.count);
}

void writeIcons(const AuxInfo& item, CsvFile& out) {
    const IconList& list = *item.icons;
    writeCodes(out, "IconCode\n", "%d\n", list.IconCode, list.length);
}

void writeCategoryPairs(const AuxInfo& item, CsvFile& out) {
    const CategoryPairList& list = *item.categoryPairs;
    out.line("MajorCategory,MinorCategory\n");
    for (uint32_t i = 0; i < list.count; ++i) {
        out.line("0x%02X,0x%02X\n", list.pairs[i].MajorCategory, list.pairs[i].MinorCategory);
    }
}

void writeContentNibbles(const AuxInfo& item, CsvFile& out) {
    const ContentNibbleList& list = *item.contentNibbles;
    out.line("ContentNibble,UserNibble\n");
    for (uint32_t i = 0; i < list.count; ++i) {
        out.line("0x%02X,0x%02X\n", list.pairs[i].ContentNibble, list.pairs[i].UserNibble);
    }
}

// --- InfoType 1: series -----------------------------------------------------

// One byte, or two when bit 7 of the first is set: a 15-bit number.
uint16_t readEpisodeNumber(ByteReader& r) {
    const uint8_t first = r.u8();
    if ((first & 0x80) == 0) return first;
    return static_cast<uint16_t>(((first & 0x7F) << 8) | r.u8());
}

void readSeriesControl(ByteReader& r, SeriesInfo& series) {
    const uint8_t control = r.u8();
    series.Repeat = static_cast<uint8_t>(control >> 4);
    series.ProgramFlag = (control >> 3) & 1;
    series.ProgramPattern = control & 0x07;
}

void readSeriesExpiry(ByteReader& r, SeriesInfo& series) {
    series.SeriesID = r.u16be();
    series.ExpireFlag = r.u8() & 1;
    if (series.ExpireFlag == 0) return;
    series.ExpireDate = r.u16be();
    const CalendarDate date = dateFromMjd(series.ExpireDate);
    series.EDYear = date.year;
    series.EDMonth = date.month;
    series.EDDay = date.day;
}

JQStatus decodeSeries(ByteView payload, AuxInfo& item) {
    ByteReader r(payload);
    SeriesInfo& series = *(item.series = new SeriesInfo());
    series.Episode = readEpisodeNumber(r);
    series.TotalEpisode = readEpisodeNumber(r);
    const uint8_t flags = r.u8();
    series.SeriesCtrlFlag = flags >> 7;
    series.SeriesInfoFlag = (flags >> 6) & 1;
    if (series.SeriesCtrlFlag) readSeriesControl(r, series);
    if (series.SeriesInfoFlag) readSeriesExpiry(r, series);
    const ByteView name = r.bytes(flags & 0x3F);
    if (!r.ok()) return kAuxItemError;
    return decodeTextField(name, series.SeriesName, series.SeriesNameLength);
}

void writeSeries(const AuxInfo& item, CsvFile& out) {
    const SeriesInfo& s = *item.series;
    out.line(
        "Episode,TotalEpisode,SeriesCtrlFlag,SeriesInfoFlag,Repeat,ProgramFlag,ProgramPattern,"
        "SeriesID,ExpireFlag,ExpireDate,EDYear,EDMonth,EDDay,SeriesNameLength,SeriesName\n");
    out.line("%d,%d,%d,%d,%d,%d,%d,0x%04X,%d,%d,%d,%d,%d,%d,", s.Episode, s.TotalEpisode,
             s.SeriesCtrlFlag, s.SeriesInfoFlag, s.Repeat, s.ProgramFlag, s.ProgramPattern,
             s.SeriesID, s.ExpireFlag, s.ExpireDate, s.EDYear, s.EDMonth, s.EDDay,
             s.SeriesNameLength);
    out.stored(s.SeriesName, s.SeriesNameLength);
    out.line("\n");
}

void releaseSeries(AuxInfo& item) {
    if (item.series) delete[] item.series->SeriesName;
    delete item.series;
    item.series = nullptr;
}

// --- InfoType 6: parental rating, 4 bytes -----------------------------------

JQStatus decodeParental(ByteView payload, AuxInfo& item) {
    ByteReader r(payload);
    const ByteView country = r.bytes(3);
    const uint8_t rating = r.u8();
    if (!r.ok()) return kAuxItemError;
    ParentalInfo& parental = *(item.parental = new ParentalInfo());
    for (size_t i = 0; i < 3; ++i) parental.CountryCode[i] = static_cast<char>(country.data[i]);
    parental.ParentalRating = rating;
    return JQ_OK;
}

void writeParental(const AuxInfo& item, CsvFile& out) {
    const ParentalInfo& parental = *item.parental;
    out.line("CountryCode,ParentalRating\n");
    out.stored(parental.CountryCode, sizeof parental.CountryCode);
    out.line(",%d\n", parental.ParentalRating);
}

void releaseParental(AuxInfo& item) {
    delete item.parental;
    item.parental = nullptr;
}

// --- InfoType 18: time shift, 6 bytes ---------------------------------------

JQStatus decodeTimeShift(ByteView payload, AuxInfo& item) {
    ByteReader r(payload);
    const uint16_t originalNid = r.u16be();
    const uint8_t startSecond = bcdValue(r.u8());
    const uint8_t hours = bcdValue(r.u8());
    const uint8_t minutes = bcdValue(r.u8());
    const uint8_t seconds = bcdValue(r.u8());
    if (!r.ok()) return kAuxItemError;
    TimeShiftInfo& shift = *(item.timeShift = new TimeShiftInfo());
    shift.OriginalNID = originalNid;
    shift.SIStartSecond = startSecond;
    shift.SIDureHour = hours;
    shift.SIDureMin = minutes;
    shift.SIDureSec = seconds;
    // The duration as the decimal number hhmmss, not as a count of seconds.
    shift.SIDureSecond = hours * 10000u + minutes * 100u + seconds;
    return JQ_OK;
}

void writeTimeShift(const AuxInfo& item, CsvFile& out) {
    const TimeShiftInfo& s = *item.timeShift;
    out.line("OriginalNID,SIStartSecond,SIDureSecond,SIDureHour,SIDureMin,SIDureSec\n");
    out.line("0x%04X,%d,%d,%d,%d,%d\n", s.OriginalNID, s.SIStartSecond, s.SIDureSecond,
             s.SIDureHour, s.SIDureMin, s.SIDureSec);
}

void releaseTimeShift(AuxInfo& item) {
    delete item.timeShift;
    item.timeShift = nullptr;
}

// --- InfoType 29: additional texts ------------------------------------------

JQStatus decodeAdditionalText(ByteView payload, AuxInfo& item) {
    ByteReader r(payload);
    const ByteView title = r.bytes(r.u8());
    const ByteView lv1 = r.bytes(r.u16be());
    const ByteView lv2 = r.bytes(r.u16be());
    if (!r.ok()) return kAuxItemError;
    AdditionalTextInfo& info = *(item.additionalText = new AdditionalTextInfo());
    JQStatus status = decodeTextField(title, info.Title, info.TitleLength);
    if (status == JQ_OK) status = decodeTextField(lv1, info.Lv1Details, info.Lv1Length);
    if (status == JQ_OK) status = decodeTextField(lv2, info.Lv2Details, info.Lv2Length);
    return status;
}

void writeAdditionalText(const AuxInfo& item, CsvFile& out) {
    const AdditionalTextInfo& info = *item.additionalText;
    out.line("TitleLength,Title,Lv1Length,Lv1Details,Lv2Length,Lv2Details\n");
    out.line("%d,", info.TitleLength);
    out.stored(info.Title, info.TitleLength);
    out.line(",%d,", info.Lv1Length);
    out.stored(info.Lv1Details, info.Lv1Length);
    out.line(",%d,", info.Lv2Length);
    out.stored(info.Lv2Details, info.Lv2Length);
    out.line("\n");
}

void releaseAdditionalText(AuxInfo& item) {
    if (AdditionalTextInfo* info = item.additionalText) {
        delete[] info->Title;
        delete[] info->Lv1Details;
        delete[] info->Lv2Details;
        delete info;
    }
    item.additionalText = nullptr;
}

}  // namespace

std::span<const AuxItemKind> programmeItemKinds() {
    static constexpr AuxItemKind k[] = {
        {1, decodeSeries, writeSeries, releaseSeries, slotFilled<&AuxInfo::series>},
        {3, KeywordCodes::decode, writeKeywordCodes, KeywordCodes::release,
         slotFilled<&AuxInfo::keywordCodes>},
        {4, PackageIDs::decode, writePackageIDs, PackageIDs::release,
         slotFilled<&AuxInfo::packageIDs>},
        {5, CategoryPairs::decode, writeCategoryPairs, CategoryPairs::release,
         slotFilled<&AuxInfo::categoryPairs>},
        {6, decodeParental, writeParental, releaseParental, slotFilled<&AuxInfo::parental>},
        {7, ContentNibbles::decode, writeContentNibbles, ContentNibbles::release,
         slotFilled<&AuxInfo::contentNibbles>},
        {8, ActorIDs::decode, writeActorIDs, ActorIDs::release, slotFilled<&AuxInfo::actorIDs>},
        {18, decodeTimeShift, writeTimeShift, releaseTimeShift, slotFilled<&AuxInfo::timeShift>},
        {29, decodeAdditionalText, writeAdditionalText, releaseAdditionalText,
         slotFilled<&AuxInfo::additionalText>},
        {30, Icons::decode, writeIcons, Icons::release, slotFilled<&AuxInfo::icons>},
    };
    return k;
}

}  // namespace jq::records
