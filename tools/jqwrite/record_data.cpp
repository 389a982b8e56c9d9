// record_data.cpp - the bytes of the record families of record_data.h.
//
// Each writer appends the fields in the order the decoder reads them and
// computes every length from what follows it.
#include "record_data.h"

#include <algorithm>
#include <stdexcept>

#include "put_bytes.h"
#include "schedule_data.h"

namespace jq::write {
namespace {

// An entry behind its 8-bit length L (the bytes after L).
Bytes sized(const Bytes& body, const char* what) {
    Bytes out;
    putText8(out, body, what);
    return out;
}

// The host ID of an entry of the 0xE2 dictionary, which the 0x5D one lacks.
Bytes hostPrefix(bool withHost, uint16_t hostId) {
    Bytes out;
    if (withHost) putBe16(out, hostId);
    return out;
}

void putAreaCode(Bytes& out, const AreaCode& code, bool last) {
    requireBits(code.lower, 17, "area code");
    if (code.upper) requireBits(*code.upper, 17, "upper area code");
    putU8(out, (last ? 0x20 : 0) | (code.upper ? 0x10 : 0) | code.lower >> 16);
    putBe16(out, code.lower & 0xFFFF);
    if (!code.upper) return;
    putU8(out, *code.upper >> 16);
    putBe16(out, *code.upper & 0xFFFF);
}

void putAreaCodes(Bytes& out, const AreaList& list) {
    for (size_t i = 0; i < list.codes.size(); ++i)
        putAreaCode(out, list.codes[i], list.terminated && i + 1 == list.codes.size());
}

uint8_t timeOffsetByte(const AreaList& list) {
    requireBits(list.halfHourOffset, 1, "HalfHourOffset");
    requireBits(list.daylightSaving, 1, "DaylightSaving");
    requireBits(list.offsetPolarity, 1, "OffsetPolarity");
    requireBits(list.offset, 4, "Offset");
    return static_cast<uint8_t>(list.halfHourOffset << 6 | list.daylightSaving << 5 |
                                list.offsetPolarity << 4 | list.offset);
}

Bytes categoryBytes(bool, const CategoryEntry& e) {
    requireBits(e.majorCode, 4, "MajorCode");
    requireBits(e.minorCode, 4, "MinorCode");
    requireAtMost(e.contents.size(), 255, "ContentCount");
    Bytes out{0, static_cast<uint8_t>(e.majorCode << 4 | e.minorCode)};
    putText8(out, e.text, "CategoryText");
    putText8(out, e.desc, "CategoryDesc");
    putU8(out, static_cast<unsigned>(e.contents.size()));
    for (const auto& [content, user] : e.contents) {
        putU8(out, content);
        putU8(out, user);
    }
    return out;
}

Bytes keywordBytes(bool withHost, const KeywordEntry& e) {
    Bytes body = hostPrefix(withHost, e.hostId);
    putBe16(body, e.code);
    putU8(body, e.category);
    append(body, e.text);
    return sized(body, "keyword entry");
}

Bytes dictCategoryBytes(bool withHost, const DictCategoryEntry& e) {
    Bytes body = hostPrefix(withHost, e.hostId);
    putU8(body, e.category);
    append(body, e.text);
    return sized(body, "category entry");
}

Bytes actorBytes(bool withHost, const ActorEntry& e) {
    Bytes out{0};
    append(out, hostPrefix(withHost, e.hostId));
    putBe16(out, e.birthYear);
    putU8(out, e.birthMonth);
    putU8(out, e.birthDay);
    putU8(out, e.gender);
    putText8(out, e.stageName, "StageName");
    putText8(out, e.pronunce, "Pronunce");
    putText8(out, e.realName, "RealName");
    putText8(out, e.origin, "Origin");
    putText8(out, e.comment, "Comment");
    requireAtMost(e.categories.size(), 255, "ActorCategoryCount");
    putU8(out, static_cast<unsigned>(e.categories.size()));
    out.insert(out.end(), e.categories.begin(), e.categories.end());
    putBe16(out, e.actorId);
    return out;
}

Bytes iconBytes(bool, const IconEntry& e) {
    requireBits(e.displayFlag, 1, "DisplayFlag");
    requireBits(e.iconCode, 5, "IconCode");
    Bytes body{static_cast<uint8_t>(e.displayFlag << 7 | e.iconCode)};
    append(body, e.desc);
    return sized(body, "icon entry");
}

// The entries one after the other, each written by write(withHost, entry).
template <typename Entry, typename Write>
Bytes allOf(const std::vector<Entry>& entries, Write write, bool withHost = false) {
    Bytes out;
    for (const Entry& entry : entries) append(out, write(withHost, entry));
    return out;
}

}  // namespace

DataPackage recordPackage(uint8_t typeCode, Bytes packetHeader, Bytes plain) {
    requireAtMost(packetHeader.size(), 255, "packet header");
    DataPackage package;
    package.typeCode = typeCode;
    package.packetHeader = std::move(packetHeader);
    package.plain = std::move(plain);
    return package;
}

Bytes areaData(uint8_t typeCode, const std::vector<AreaList>& lists) {
    require(typeCode == kAreaList || typeCode == kCmidAreaLists || typeCode == kOffsetAreaLists,
            "area lists have type 0x71, 0x72 or 0x7E");
    require(typeCode != kAreaList || lists.size() == 1, "a type 0x71 package holds one list");
    Bytes out;
    for (const AreaList& list : lists) {
        if (typeCode == kCmidAreaLists) putBe16(out, list.cmid);
        if (typeCode == kOffsetAreaLists) putU8(out, timeOffsetByte(list));
        putAreaCodes(out, list);
    }
    return out;
}

Bytes receptionPacketHeader(uint8_t receptRule, uint8_t infoType) { return {receptRule, infoType}; }

Bytes receptionServicesData(const std::vector<ReceptionService>& services) {
    Bytes out;
    for (const ReceptionService& s : services) {
        requireAtMost(s.schedules.size(), 255, "SCCount");
        putBe16(out, s.nid);
        putBe16(out, s.sid);
        putU8(out, s.componentTag);
        putU8(out, static_cast<unsigned>(s.schedules.size()));
        for (const ReceptionSchedule& e : s.schedules) {
            requireBits(e.updateFlag, 1, "UpdateFlag");
            requireBits(e.dayOfWeek, 3, "DayOfWeek");
            requireBits(e.scheduleTime, 11, "ScheduleTime");
            putU8(out, e.updateFlag << 7 | e.dayOfWeek << 3 | e.scheduleTime >> 8);
            putU8(out, e.scheduleTime & 0xFF);
            putU8(out, e.duration);
        }
    }
    return out;
}

Bytes receptionDescriptionData(const ReceptionDescription& d) {
    requireAtMost(d.graphics.size(), 255, "DescGraphicsSize");
    Bytes out;
    putBe16(out, d.gcn);
    putBe16(out, d.nid);
    putBe16(out, d.sid);
    putText8(out, d.text, "DescText");
    putU8(out, static_cast<unsigned>(d.graphics.size()));
    for (const uint16_t g : d.graphics) putBe16(out, g);
    return out;
}

Bytes codeDownloadPacketHeader(const CodeDownload& p) {
    Bytes out;
    putBe16(out, p.codeId);
    putU8(out, p.majorVer);
    putU8(out, p.minorVer);
    putU8(out, p.totalFileNum);
    putU8(out, p.fileNum);
    return out;
}

Bytes codeDownloadData(const CodeDownload& p) {
    requireAtMost(p.code.size(), 0xFFFF, "DataSize");
    Bytes out;
    out.reserve(16 + p.code.size());  // also keeps GCC 12's -Warray-bounds quiet at -O3
    putBe16(out, p.fileInfoSize);
    out.insert(out.end(), 6, 0);
    putBe16(out, p.crc);
    putBe32(out, p.codeOffset);
    putBe16(out, static_cast<unsigned>(p.code.size()));
    append(out, p.code);
    return out;
}

Bytes stationData(const std::vector<Station>& stations) {
    Bytes out;
    for (const Station& s : stations) {
        requireBits(s.gcn, 14, "GCN");
        requireAtMost(s.name.size(), 255, "station name");
        const auto computed = static_cast<unsigned>(5 + s.name.size());
        putU8(out, s.xcieSize ? *s.xcieSize : std::min(computed, 255u));
        putBe16(out, s.gcn);
        putBe16(out, s.mosaicCode);
        putText8(out, s.name, "station name");
    }
    return out;
}

Bytes channelEntryBytes(const ChannelEntry& e) {
    requireBits(e.lastFlag, 1, "LastFlag");
    const unsigned last = e.lastFlag << 7u;
    Bytes out;
    switch (e.bandType) {
        case 0:
            require(e.skipByte == 0x00 || e.skipByte == 0x3F || e.skipByte == 0x4F,
                    "a skipped channel byte is 0x00, 0x3F or 0x4F");
            putU8(out, last | e.skipByte);
            break;
        case 1:
            require(e.analogCh >= 1 && e.analogCh <= 0x3E, "AnalogCH of band 1 is 1 to 62");
            putU8(out, last | e.analogCh);
            break;
        case 2:
            putU8(out, last | 0x40);
            putBe16(out, e.nid);
            putBe16(out, e.sid);
            putU8(out, e.serviceType);
            break;
        case 3:
            require(e.analogCh >= 1 && e.analogCh <= 14, "AnalogCH of band 3 is 1 to 14");
            putU8(out, last | 0x40 | e.analogCh);
            break;
        case 4:
            require(e.sourceType >= 4 && e.sourceType <= 15, "SourceType is 4 to 15");
            requireBits(e.multiCh, 10, "MultiCH");
            putU8(out, last | 0x40 | e.sourceType << 2 | e.multiCh >> 8);
            putU8(out, e.multiCh & 0xFF);
            break;
        default:
            throw std::invalid_argument("BandType is 0 (skipped byte) to 4, not " +
                                        std::to_string(e.bandType));
    }
    return out;
}

Bytes channelMapData(const std::vector<ChannelGroup>& groups) {
    Bytes out;
    for (const ChannelGroup& g : groups) {
        Bytes body;
        putBe16(body, g.gcn);
        for (const ChannelEntry& e : g.entries) append(body, channelEntryBytes(e));
        putText8(out, body, "channel group");
    }
    return out;
}

Bytes dictionaryPacketHeader(const Dictionary& d) { return {static_cast<uint8_t>(d.sct), 0}; }

Bytes dictionaryData(const Dictionary& d) {
    require(d.typeCode == kDictionary || d.typeCode == kHostDictionary,
            "a dictionary has type 0x5D or 0xE2");
    const bool host = d.typeCode == kHostDictionary;
    switch (d.sct) {
        case Sct::Categories:
            return allOf(d.categories, categoryBytes);
        case Sct::Keywords:
            return allOf(d.keywords, keywordBytes, host);
        case Sct::KeywordCategories:
            return allOf(d.keywordCategories, dictCategoryBytes, host);
        case Sct::Actors:
            return allOf(d.actors, actorBytes, host);
        case Sct::ActorCategories:
            return allOf(d.actorCategories, dictCategoryBytes, host);
        case Sct::Icons:
            require(host, "icons are a sub-table of type 0xE2 only");
            return allOf(d.icons, iconBytes);
    }
    throw std::invalid_argument("SCT is 0 to 5");
}

Bytes topicMessagePacketHeader(const TopicMessage& m) {
    Bytes out{m.messageId, m.serviceId};
    putBe16(out, m.serialNumber);
    putBe16(out, m.smk);
    return out;
}

Bytes topicMessageData(const TopicMessage& m) {
    Bytes out;
    out.reserve(2 + m.object.size());  // also keeps GCC 12's -Warray-bounds quiet at -O3
    putBe16(out, m.dataSmk.value_or(m.smk));
    append(out, m.object);
    return out;
}

Bytes topicListPacketHeader(uint8_t majorCategory) {
    requireBits(majorCategory, 5, "MajorCategoryID");
    return {0, static_cast<uint8_t>(majorCategory << 3)};
}

Bytes topicEntryBytes(uint8_t typeCode, const TopicEntry& e) {
    require(typeCode == kTopicList || typeCode == kPackedTopicList,
            "a topic list has type 0x6F or 0x62");
    requireBits(e.majorCategory, 5, "MajorCategoryID");
    require(!(e.objectId && e.reference), "give ObjectID or the reference bytes, not both");
    Bytes out = runLength(e.leadingValue);
    if (typeCode == kTopicList) {
        putU8(out, e.majorCategory << 3);
        putU8(out, e.minorCategory);
    } else {
        requireBits(e.minorCategory, 3, "MinorCategoryID");
        putU8(out, e.majorCategory << 3 | e.minorCategory);
    }
    putText8(out, e.title, "title");
    putText8(out, e.details, "details");
    Bytes reference = e.reference.value_or(Bytes());
    if (e.objectId)
        reference = {static_cast<uint8_t>(*e.objectId >> 8), static_cast<uint8_t>(*e.objectId),
                     e.serviceId};
    putText8(out, reference, "object reference");
    if (typeCode == kTopicList) putU8(out, e.messageId);
    return out;
}

Bytes topicListData(uint8_t typeCode, const std::vector<TopicEntry>& entries) {
    Bytes out;
    for (const TopicEntry& e : entries) append(out, topicEntryBytes(typeCode, e));
    return out;
}

Bytes micpPacketHeader(uint32_t objectId, uint16_t totalBlocks, uint16_t blockNumber) {
    Bytes out;
    putBe32(out, objectId);
    putBe16(out, totalBlocks);
    putBe16(out, blockNumber);
    return out;
}

}  // namespace jq::write
