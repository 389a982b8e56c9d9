// data_event_items.cpp - data-broadcast and event-relation items: data
// contents, event groups and EIT versions (InfoTypes 25, 27, 28).
//
// Malformed payloads: an empty payload, or one whose fields do not fit in it
// (a record shorter than its fixed bytes, a count or length running past the
// end, a trailing partial entry or group), gives kAuxItemError, and nothing
// past the payload is read. An event group is also held to its own length:
// events that would run past it make the payload malformed, since reading on
// would take the next group's bytes as this group's events. Bytes after the
// 30 of an EIT-version record are not read.
#include <algorithm>

#include "aux_items.h"
#include "broadcast_text.h"
#include "calendar.h"
#include "list_records.h"

namespace jq::records {
namespace {

uint8_t bitAt(uint8_t byte, int bit) { return static_cast<uint8_t>((byte >> bit) & 1); }

void readChars(ByteReader& r, char (&out)[3]) {
    const ByteView chars = r.bytes(3);
    if (chars.size == 3) std::copy_n(chars.data, 3, out);
}

void writeChars(CsvFile& out, const char (&chars)[3]) {
    out.stored(chars, 3);
}

// --- InfoType 25: data contents ---------------------------------------------

// 22 bits sent in three bytes, the last two bits unused.
uint32_t readLeakRate(ByteReader& r) {
    const uint32_t high = r.u8();
    const uint32_t middle = r.u8();
    const uint32_t low = r.u8();
    return (high * 256 + middle) * 64 + low / 4;
}

// Each field after the flags byte is sent only when its flag is set.
void readModuleCarousel(ByteReader& r, ModuleCarousel& entry) {
    entry.CompTag = r.u8();
    const uint8_t flags = r.u8();
    entry.NDEV = bitAt(flags, 7);
    entry.NMOD = bitAt(flags, 6);
    entry.NRES = bitAt(flags, 5);
    entry.CCSZ = bitAt(flags, 4);
    entry.CSZF = bitAt(flags, 3);
    entry.DTID = bitAt(flags, 2);
    entry.DIIT = bitAt(flags, 1);
    entry.DLKR = bitAt(flags, 0);
    if (entry.NDEV) entry.NDataEvent = r.u16be();
    if (entry.NMOD) entry.NModules = r.u32be();
    if (entry.NRES) entry.NResource = r.u32be();
    if (entry.CCSZ) entry.CompressCompSize = r.u32be();
    if (entry.CSZF) entry.CompSize = r.u32be();
    if (entry.DTID) entry.TransactionID = r.u32be();
    if (entry.DIIT) entry.DIITimeOut = r.u32be();
    if (entry.DLKR) entry.LeakRate = readLeakRate(r);
}

void readPlainCarousel(ByteReader& r, PlainCarousel& entry) {
    entry.CompTag = r.u8();
    const uint8_t flags = r.u8();
    entry.EVST = bitAt(flags, 7);
    entry.CSZF = bitAt(flags, 3);
    entry.DTID = bitAt(flags, 2);
    entry.DIIT = bitAt(flags, 1);
    entry.DLKR = bitAt(flags, 0);
    if (entry.CSZF) entry.CompSize = r.u32be();
    if (entry.DTID) entry.TransactionID = r.u32be();
    if (entry.DIIT) entry.DIITimeOut = r.u32be();
    if (entry.DLKR) entry.LeakRate = readLeakRate(r);
}

void readCarousels(ByteReader& r, BmlInfo& bml) {
    const uint8_t count = bml.CarouselCount;
    if (bml.TF != 0) {
        if (count != 0) bml.modules = new ModuleCarousel[count]();
        for (size_t i = 0; i < count && r.ok(); ++i) readModuleCarousel(r, bml.modules[i]);
        return;
    }
    if (count != 0) bml.plain = new PlainCarousel[count]();
    for (size_t i = 0; i < count && r.ok(); ++i) readPlainCarousel(r, bml.plain[i]);
    // The plain list, even an empty one, is closed by the ordering byte.
    const uint8_t order = r.u8();
    bml.ONDR = bitAt(order, 7);
    bml.FLST = bitAt(order, 6);
}

void readBmlInfo(ByteReader& r, BmlInfo& bml) {
    const uint8_t format = r.u8();
    bml.TF = static_cast<uint8_t>(format >> 6);
    bml.ASTT = bitAt(format, 4);
    bml.DRES = format & 0x0F;
    const uint8_t flags = r.u8();
    bml.UXML = bitAt(flags, 7);
    bml.DVER = bitAt(flags, 6);
    bml.INDP = bitAt(flags, 5);
    bml.CTNT = bitAt(flags, 4);
    bml.ACTN = bitAt(flags, 3);
    bml.TVST = bitAt(flags, 1);
    bml.UPDF = bitAt(flags, 0);
    readChars(r, bml.LanguageCode);
    if (bml.CTNT) {
        bml.ContentID = r.u32be();
        bml.ContentVer = r.u16be();
    }
    if (!bml.DVER) {
        bml.BMLMajorVer = r.u16be();
        bml.BMLMinorVer = r.u16be();
        if (bml.UXML) {
            bml.BXMLMajorVer = r.u16be();
            bml.BXMLMinorVer = r.u16be();
        }
    }
    bml.CarouselCount = r.u8();
    readCarousels(r, bml);
}

void readCaptionInfo(ByteReader& r, CaptionInfo& caption) {
    caption.LangCount = r.u8();
    if (caption.LangCount != 0) caption.languages = new CaptionLanguage[caption.LangCount]();
    for (size_t i = 0; i < caption.LangCount && r.ok(); ++i) {
        CaptionLanguage& language = caption.languages[i];
        const uint8_t tags = r.u8();
        language.LangTag = static_cast<uint8_t>(tags >> 6);
        language.DMF = tags & 0x0F;
        readChars(r, language.Language);
    }
}

// The smallest entry: identifier, entry component, selector length, reference
// count, country and title length, with no selector.
constexpr size_t kMinDataContentSize = 9;

JQStatus readDataContent(ByteReader& r, DataContent& entry) {
    entry.CopmID = r.u16be();
    entry.EntryComp = r.u8();
    entry.SelectorLength = r.u8();
    switch (entry.CopmID) {
        case 7:
        case 11:
        case 12:
            entry.bml = new BmlInfo();
            readBmlInfo(r, *entry.bml);
            break;
        case 8:
            entry.caption = new CaptionInfo();
            readCaptionInfo(r, *entry.caption);
            break;
        default:
            // A selector we do not know is passed over by its length, so that its
            // bytes are not taken for the fields after it.
            r.skip(entry.SelectorLength);
            break;
    }
    entry.CompRefCount = r.u8();
    const ByteView refs = r.bytes(entry.CompRefCount);
    entry.CompRefList = copyBytes(refs.data, refs.size);
    readChars(r, entry.Country);
    const ByteView rawTitle = r.bytes(r.u8());
    if (!r.ok()) return kAuxItemError;

    return decodeTextField(rawTitle, entry.Title, entry.TitleLength);
}

// Replaces the entries array by one of exactly count entries.
void fitEntries(DataContentList& list) {
    auto* exact = new DataContent[list.count]();
    std::copy_n(list.entries, list.count, exact);
    delete[] list.entries;
    list.entries = exact;
}

JQStatus decodeDataContents(ByteView payload, AuxInfo& item) {
    if (payload.empty()) return kAuxItemError;
    DataContentList& list = *(item.dataContents = new DataContentList());
    // No entry is shorter than kMinDataContentSize, which bounds how many the
    // payload holds; the array is cut to the decoded entries at the end.
    const size_t capacity = payload.size / kMinDataContentSize + 1;
    list.entries = new DataContent[capacity]();
    ByteReader r(payload);
    while (!r.atEnd()) {
        if (list.count == capacity) return kAuxItemError;
        // Counted before it is read, so that release frees a partly read entry.
        const JQStatus status = readDataContent(r, list.entries[list.count++]);
        if (status != JQ_OK) return status;
    }
    fitEntries(list);
    return JQ_OK;
}

void releaseBml(BmlInfo* bml) {
    if (bml == nullptr) return;
    delete[] bml->modules;
    delete[] bml->plain;
    delete bml;
}

void releaseCaption(CaptionInfo* caption) {
    if (caption == nullptr) return;
    delete[] caption->languages;
    delete caption;
}

void releaseDataContents(AuxInfo& item) {
    DataContentList* list = item.dataContents;
    if (list == nullptr) return;
    for (uint32_t i = 0; i < list->count; ++i) {
        DataContent& entry = list->entries[i];
        releaseBml(entry.bml);
        releaseCaption(entry.caption);
        delete[] entry.CompRefList;
        delete[] entry.Title;
    }
    delete[] list->entries;
    delete list;
    item.dataContents = nullptr;
}

bool hasDataContents(const AuxInfo& item) { return item.dataContents != nullptr; }

void writeModuleCarousels(const BmlInfo& bml, CsvFile& out) {
    out.line(
        "CompTag,NDEV,NMOD,NRES,CCSZ,CSZF,DTID,DIIT,DLKR,NDataEvent,NModules,NResource,"
        "CompressCompSize,CompSize,TransactionID,DIITimeOut,LeakRate\n");
    for (size_t i = 0; bml.modules && i < bml.CarouselCount; ++i) {
        const ModuleCarousel& m = bml.modules[i];
        out.line("%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d\n", m.CompTag, m.NDEV, m.NMOD,
                 m.NRES, m.CCSZ, m.CSZF, m.DTID, m.DIIT, m.DLKR, m.NDataEvent, m.NModules,
                 m.NResource, m.CompressCompSize, m.CompSize, m.TransactionID, m.DIITimeOut,
                 m.LeakRate);
    }
}

void writePlainCarousels(const BmlInfo& bml, CsvFile& out) {
    out.line("CompTag,EVST,CSZF,DTID,DIIT,DLKR,CompSize,TransactionID,DIITimeOut,LeakRate\n");
    for (size_t i = 0; bml.plain && i < bml.CarouselCount; ++i) {
        const PlainCarousel& p = bml.plain[i];
        out.line("%d,%d,%d,%d,%d,%d,%d,%d,%d,%d\n", p.CompTag, p.EVST, p.CSZF, p.DTID, p.DIIT,
                 p.DLKR, p.CompSize, p.TransactionID, p.DIITimeOut, p.LeakRate);
    }
}

void writeBml(const BmlInfo& bml, CsvFile& out) {
    out.line(
        "TF,ASTT,DRES,UXML,DVER,INDP,CTNT,ACTN,TVST,UPDF,LanguageCode,ContentID,ContentVer,"
        "BMLMajorVer,BMLMinorVer,BXMLMajorVer,BXMLMinorVer,CarouselCount,ONDR,FLST\n");
    out.line("%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,", bml.TF, bml.ASTT, bml.DRES, bml.UXML, bml.DVER,
             bml.INDP, bml.CTNT, bml.ACTN, bml.TVST, bml.UPDF);
    writeChars(out, bml.LanguageCode);
    out.line(",0x%08X,%d,%d,%d,%d,%d,%d,%d,%d\n", bml.ContentID, bml.ContentVer, bml.BMLMajorVer,
             bml.BMLMinorVer, bml.BXMLMajorVer, bml.BXMLMinorVer, bml.CarouselCount, bml.ONDR,
             bml.FLST);
    if (bml.TF != 0)
        writeModuleCarousels(bml, out);
    else
        writePlainCarousels(bml, out);
}

void writeCaption(const CaptionInfo& caption, CsvFile& out) {
    out.line("LangCount\n%d\n", caption.LangCount);
    out.line("LangTag,DMF,Language\n");
    for (size_t i = 0; caption.languages && i < caption.LangCount; ++i) {
        const CaptionLanguage& language = caption.languages[i];
        out.line("%d,%d,", language.LangTag, language.DMF);
        writeChars(out, language.Language);
        out.line("\n");
    }
}

void writeDataContents(const AuxInfo& item, CsvFile& out) {
    const DataContentList& list = *item.dataContents;
    for (uint32_t i = 0; i < list.count; ++i) {
        const DataContent& entry = list.entries[i];
        out.line("CopmID,EntryComp,SelectorLength,CompRefCount,Country,TitleLength,Title\n");
        out.line("0x%04X,%d,%d,%d,", entry.CopmID, entry.EntryComp, entry.SelectorLength,
                 entry.CompRefCount);
        writeChars(out, entry.Country);
        out.line(",%d,", entry.TitleLength);
        out.stored(entry.Title, entry.TitleLength);
        out.line("\n");
        if (entry.bml) writeBml(*entry.bml, out);
        if (entry.caption) writeCaption(*entry.caption, out);
        out.line("CompRefList\n");
        for (size_t j = 0; entry.CompRefList && j < entry.CompRefCount; ++j) {
            out.line("%d\n", entry.CompRefList[j]);
        }
    }
}

// --- InfoType 27: event groups -------------------------------------------------

// The number of groups, stepping by their lengths; 0 when one runs past the
// payload.
uint32_t countEventGroups(ByteView payload) {
    ByteReader r(payload);
    uint32_t count = 0;
    while (!r.atEnd()) {
        r.skip(r.u8());
        if (!r.ok()) return 0;
        ++count;
    }
    return count;
}

JQStatus readEventGroup(ByteReader& r, EventGroup& group) {
    group.GroupLength = r.u8();
    ByteReader body = r.sub(group.GroupLength);
    const uint8_t kind = body.u8();
    group.GroupType = static_cast<uint8_t>(kind >> 4);
    group.EventCount = kind & 0x0F;
    if (group.EventCount != 0 && (group.GroupType == 4 || group.GroupType == 5)) {
        // Events on other networks fill the rest of the group, 8 bytes each.
        group.otherEventCount = static_cast<uint8_t>(body.remaining() / 8);
        if (group.otherEventCount != 0)
            group.otherEvents = new OtherNetworkEvent[group.otherEventCount]();
        for (size_t i = 0; i < group.otherEventCount; ++i) {
            OtherNetworkEvent& event = group.otherEvents[i];
            event.OriginalNID = body.u16be();
            event.TSID = body.u16be();
            event.ServiceID = body.u16be();
            event.EventID = body.u16be();
        }
    } else if (group.EventCount != 0) {
        group.events = new EventRef[group.EventCount]();
        for (size_t i = 0; i < group.EventCount && body.ok(); ++i) {
            group.events[i].ServiceID = body.u16be();
            group.events[i].EventID = body.u16be();
        }
        const ByteView privateData = body.rest();
        group.PrivateDataLength = static_cast<uint8_t>(privateData.size);
        group.PrivateData = copyBytes(privateData.data, privateData.size);
    }
    if (!r.ok() || !body.ok()) return kAuxItemError;
    return JQ_OK;
}

JQStatus decodeEventGroups(ByteView payload, AuxInfo& item) {
    const uint32_t count = countEventGroups(payload);
    if (count == 0) return kAuxItemError;
    EventGroupList& list = *(item.eventGroups = new EventGroupList());
    list.groups = new EventGroup[count]();
    list.count = count;
    ByteReader r(payload);
    for (uint32_t i = 0; i < count; ++i) {
        if (readEventGroup(r, list.groups[i]) != JQ_OK) return kAuxItemError;
    }
    return JQ_OK;
}

void releaseEventGroups(AuxInfo& item) {
    EventGroupList* list = item.eventGroups;
    if (list == nullptr) return;
    for (uint32_t i = 0; i < list->count; ++i) {
        delete[] list->groups[i].events;
        delete[] list->groups[i].otherEvents;
        delete[] list->groups[i].PrivateData;
    }
    delete[] list->groups;
    delete list;
    item.eventGroups = nullptr;
}

bool hasEventGroups(const AuxInfo& item) { return item.eventGroups != nullptr; }

void writeEventGroups(const AuxInfo& item, CsvFile& out) {
    const EventGroupList& list = *item.eventGroups;
    for (uint32_t i = 0; i < list.count; ++i) {
        const EventGroup& group = list.groups[i];
        out.line("GroupLength,GroupType,EventCount,PrivateDataLength,PrivateData\n");
        out.line("%d,%d,%d,%d,", group.GroupLength, group.GroupType, group.EventCount,
                 group.PrivateDataLength);
        out.stored(group.PrivateData, group.PrivateDataLength);
        out.line("\n");
        if (group.events) {
            out.line("ServiceID,EventID\n");
            for (size_t j = 0; j < group.EventCount; ++j) {
                out.line("%d,%d\n", group.events[j].ServiceID, group.events[j].EventID);
            }
        } else {
            out.line("OriginalNID,TSID,ServiceID,EventID\n");
            for (size_t j = 0; group.otherEvents && j < group.otherEventCount; ++j) {
                const OtherNetworkEvent& event = group.otherEvents[j];
                out.line("%d,%d,%d,%d\n", event.OriginalNID, event.TSID, event.ServiceID,
                         event.EventID);
            }
        }
    }
}

// --- InfoType 28: EIT versions -------------------------------------------------

constexpr size_t kEitVersionSize = 30;

JQStatus decodeEitVersion(ByteView payload, AuxInfo& item) {
    if (payload.size < kEitVersionSize) return kAuxItemError;
    EitVersionInfo& v = *(item.eitVersion = new EitVersionInfo());
    ByteReader r(payload);
    v.BasicEITVer = r.u8();
    v.BasicCRC = r.u32be();
    v.BasicTimeStampMJD = r.u16be();
    const CalendarDate basic = dateFromMjd(v.BasicTimeStampMJD);
    v.BasicTimeStampYear = basic.year;
    v.BasicTimeStampMonth = basic.month;
    v.BasicTimeStampDay = basic.day;
    v.BasicTimeStampHour = bcdValue(r.u8());
    v.BasicTimeStampMin = bcdValue(r.u8());
    v.BasicTimeStampSec = bcdValue(r.u8());
    v.ExtEITVer = r.u8();
    v.ExtCRC = r.u32be();
    v.ExtTimeStampMJD = r.u16be();
    const CalendarDate ext = dateFromMjd(v.ExtTimeStampMJD);
    v.ExtTimeStampYear = ext.year;
    v.ExtTimeStampMonth = ext.month;
    v.ExtTimeStampDay = ext.day;
    v.ExtTimeStampHour = bcdValue(r.u8());
    v.ExtTimeStampMin = bcdValue(r.u8());
    v.ExtTimeStampSec = bcdValue(r.u8());
    v.SIEventNameLength = r.u8();
    v.SIEventNameCRC = r.u16be();
    v.SIEventTextLength = r.u8();
    v.SIEventTextCRC = r.u16be();
    v.SIEventExtLength = r.u16be();
    v.SIEventExtCRC = r.u16be();
    if (!r.ok()) return kAuxItemError;
    return JQ_OK;
}

void releaseEitVersion(AuxInfo& item) {
    delete item.eitVersion;
    item.eitVersion = nullptr;
}

bool hasEitVersion(const AuxInfo& item) { return item.eitVersion != nullptr; }

void writeEitVersion(const AuxInfo& item, CsvFile& out) {
    const EitVersionInfo& v = *item.eitVersion;
    out.line(
        "BasicEITVer,BasicCRC,BasicTimeStampMJD,BasicTimeStampYear,BasicTimeStampMonth,"
        "BasicTimeStampDay,BasicTimeStampHour,BasicTimeStampMin,BasicTimeStampSec,ExtEITVer,"
        "ExtCRC,ExtTimeStampMJD,ExtTimeStampYear,");
    out.line(
        "ExtTimeStampMonth,ExtTimeStampDay,ExtTimeStampHour,ExtTimeStampMin,ExtTimeStampSec,"
        "SIEventNameLength,SIEventNameCRC,SIEventTextLength,SIEventTextCRC,SIEventExtLength,"
        "SIEventExtCRC\n");
    out.line("%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,", v.BasicEITVer, v.BasicCRC, v.BasicTimeStampMJD,
             v.BasicTimeStampYear, v.BasicTimeStampMonth, v.BasicTimeStampDay, v.BasicTimeStampHour,
             v.BasicTimeStampMin, v.BasicTimeStampSec, v.ExtEITVer);
    out.line("%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d\n", v.ExtCRC, v.ExtTimeStampMJD,
             v.ExtTimeStampYear, v.ExtTimeStampMonth, v.ExtTimeStampDay, v.ExtTimeStampHour,
             v.ExtTimeStampMin, v.ExtTimeStampSec, v.SIEventNameLength, v.SIEventNameCRC,
             v.SIEventTextLength, v.SIEventTextCRC, v.SIEventExtLength, v.SIEventExtCRC);
}

}  // namespace

std::span<const AuxItemKind> dataEventItemKinds() {
    static constexpr AuxItemKind kinds[] = {
        {25, decodeDataContents, writeDataContents, releaseDataContents, hasDataContents},
        {27, decodeEventGroups, writeEventGroups, releaseEventGroups, hasEventGroups},
        {28, decodeEitVersion, writeEitVersion, releaseEitVersion, hasEitVersion},
    };
    return kinds;
}

}  // namespace jq::records
