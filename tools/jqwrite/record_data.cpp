// record_data.cpp - the bytes of the record families of record_data.h.
//
// Each writer appends the fields in the order the decoder reads them and
// computes every length from what follows it.
#include "record_data.h"

#include <algorithm>
#include <stdexcept>

#include "put_bytes.h"

namespace jq::write {
namespace {

// An entry behind its 8-bit length L (the bytes after L).
Bytes sized(const Bytes& body, const char* what) { return Put().text8(body, what); }

// The host ID of an entry of the 0xE2 dictionary, which the 0x5D one lacks.
Put hostPrefix(bool withHost, uint16_t hostId) {
    Put out;
    if (withHost) out.be16(hostId);
    return out;
}

void putAreaCode(Put& out, const AreaCode& code, bool last) {
    requireBits(code.lower, 17, "area code");
    if (code.upper) requireBits(*code.upper, 17, "upper area code");
    out.u8((last ? 0x20 : 0) | (code.upper ? 0x10 : 0) | code.lower >> 16).be16(code.lower);
    if (code.upper) out.u8(*code.upper >> 16).be16(*code.upper);
}

Bytes categoryBytes(bool, const CategoryEntry& e) {
    const uint64_t codes = pack({{e.majorCode, 4, "MajorCode"}, {e.minorCode, 4, "MinorCode"}});
    requireAtMost(e.contents.size(), 255, "ContentCount");
    Put out;
    out.u8(0).u8(codes).text8(e.text, "CategoryText").text8(e.desc, "CategoryDesc");
    out.u8(e.contents.size());
    for (const auto& [content, user] : e.contents) out.u8(content).u8(user);
    return out;
}

Bytes keywordBytes(bool withHost, const KeywordEntry& e) {
    return sized(hostPrefix(withHost, e.hostId).be16(e.code).u8(e.category).bytes(e.text),
                 "keyword entry");
}

Bytes dictCategoryBytes(bool withHost, const DictCategoryEntry& e) {
    return sized(hostPrefix(withHost, e.hostId).u8(e.category).bytes(e.text), "category entry");
}

Bytes actorBytes(bool withHost, const ActorEntry& e) {
    Put out;
    out.u8(0).bytes(hostPrefix(withHost, e.hostId).out).be16(e.birthYear).u8(e.birthMonth);
    out.u8(e.birthDay).u8(e.gender).text8(e.stageName, "StageName");
    out.text8(e.pronunce, "Pronunce").text8(e.realName, "RealName").text8(e.origin, "Origin");
    out.text8(e.comment, "Comment");
    requireAtMost(e.categories.size(), 255, "ActorCategoryCount");
    return out.u8(e.categories.size()).bytes(e.categories).be16(e.actorId);
}

Bytes iconBytes(bool, const IconEntry& e) {
    const uint64_t flags =
        pack({{e.displayFlag, 1, "DisplayFlag"}, {0, 2}, {e.iconCode, 5, "IconCode"}});
    return sized(Put().u8(flags).bytes(e.desc), "icon entry");
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
    require(isOneOf(typeCode, {kAreaList, kCmidAreaLists, kOffsetAreaLists}),
            "area lists have type 0x71, 0x72 or 0x7E");
    require(typeCode != kAreaList || lists.size() == 1, "a type 0x71 package holds one list");
    Put out;
    for (const AreaList& list : lists) {
        if (typeCode == kCmidAreaLists) out.be16(list.cmid);
        if (typeCode == kOffsetAreaLists)
            out.bits({{0, 1},
                      {list.halfHourOffset, 1, "HalfHourOffset"},
                      {list.daylightSaving, 1, "DaylightSaving"},
                      {list.offsetPolarity, 1, "OffsetPolarity"},
                      {list.offset, 4, "Offset"}});
        for (size_t i = 0; i < list.codes.size(); ++i)
            putAreaCode(out, list.codes[i], list.terminated && i + 1 == list.codes.size());
    }
    return out;
}

Bytes receptionPacketHeader(uint8_t receptRule, uint8_t infoType) { return {receptRule, infoType}; }

Bytes receptionServicesData(const std::vector<ReceptionService>& services) {
    Put out;
    for (const ReceptionService& s : services) {
        requireAtMost(s.schedules.size(), 255, "SCCount");
        out.be16(s.nid).be16(s.sid).u8(s.componentTag).u8(s.schedules.size());
        for (const ReceptionSchedule& e : s.schedules)
            out.bits({{e.updateFlag, 1, "UpdateFlag"},
                      {0, 1},
                      {e.dayOfWeek, 3, "DayOfWeek"},
                      {e.scheduleTime, 11, "ScheduleTime"}},
                     2)
                .u8(e.duration);
    }
    return out;
}

Bytes receptionDescriptionData(const ReceptionDescription& d) {
    requireAtMost(d.graphics.size(), 255, "DescGraphicsSize");
    Put out;
    out.be16(d.gcn).be16(d.nid).be16(d.sid).text8(d.text, "DescText").u8(d.graphics.size());
    for (const uint16_t g : d.graphics) out.be16(g);
    return out;
}

Bytes codeDownloadPacketHeader(const CodeDownload& p) {
    return Put().be16(p.codeId).u8(p.majorVer).u8(p.minorVer).u8(p.totalFileNum).u8(p.fileNum);
}

Bytes codeDownloadData(const CodeDownload& p) {
    requireAtMost(p.code.size(), 0xFFFF, "DataSize");
    Put out;
    out.be16(p.fileInfoSize).zeros(6).be16(p.crc).be32(p.codeOffset);
    return out.be16(p.code.size()).bytes(p.code);
}

Bytes stationData(const std::vector<Station>& stations) {
    Put out;
    for (const Station& s : stations) {
        requireBits(s.gcn, 14, "GCN");
        requireAtMost(s.name.size(), 255, "station name");
        const auto computed = static_cast<unsigned>(5 + s.name.size());
        out.u8(s.xcieSize ? *s.xcieSize : std::min(computed, 255u)).be16(s.gcn);
        out.be16(s.mosaicCode).text8(s.name, "station name");
    }
    return out;
}

Bytes channelEntryBytes(const ChannelEntry& e) {
    requireBits(e.lastFlag, 1, "LastFlag");
    const unsigned last = e.lastFlag << 7u;
    switch (e.bandType) {
        case 0:
            require(isOneOf<uint8_t>(e.skipByte, {0x00, 0x3F, 0x4F}),
                    "a skipped channel byte is 0x00, 0x3F or 0x4F");
            return {static_cast<uint8_t>(last | e.skipByte)};
        case 1:
            require(e.analogCh >= 1 && e.analogCh <= 0x3E, "AnalogCH of band 1 is 1 to 62");
            return {static_cast<uint8_t>(last | e.analogCh)};
        case 2:
            return Put().u8(last | 0x40).be16(e.nid).be16(e.sid).u8(e.serviceType);
        case 3:
            require(e.analogCh >= 1 && e.analogCh <= 14, "AnalogCH of band 3 is 1 to 14");
            return {static_cast<uint8_t>(last | 0x40 | e.analogCh)};
        case 4:
            require(e.sourceType >= 4 && e.sourceType <= 15, "SourceType is 4 to 15");
            requireBits(e.multiCh, 10, "MultiCH");
            return Put().be16((last | 0x40 | e.sourceType << 2) << 8 | e.multiCh);
    }
    throw std::invalid_argument("BandType is 0 (skipped byte) to 4, not " +
                                std::to_string(e.bandType));
}

Bytes channelMapData(const std::vector<ChannelGroup>& groups) {
    Put out;
    for (const ChannelGroup& g : groups) {
        Put body;
        body.be16(g.gcn);
        for (const ChannelEntry& e : g.entries) body.bytes(channelEntryBytes(e));
        out.text8(body.out, "channel group");
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
    return Put().u8(m.messageId).u8(m.serviceId).be16(m.serialNumber).be16(m.smk);
}

Bytes topicMessageData(const TopicMessage& m) {
    return Put().be16(m.dataSmk.value_or(m.smk)).bytes(m.object);
}

Bytes topicListPacketHeader(uint8_t majorCategory) {
    return Put().u8(0).bits({{majorCategory, 5, "MajorCategoryID"}, {0, 3}});
}

Bytes topicEntryBytes(uint8_t typeCode, const TopicEntry& e) {
    require(typeCode == kTopicList || typeCode == kPackedTopicList,
            "a topic list has type 0x6F or 0x62");
    requireBits(e.majorCategory, 5, "MajorCategoryID");
    require(!(e.objectId && e.reference), "give ObjectID or the reference bytes, not both");
    Put out;
    out.run(e.leadingValue);
    if (typeCode == kTopicList)
        out.u8(e.majorCategory << 3).u8(e.minorCategory);
    else
        out.bits({{e.majorCategory, 5}, {e.minorCategory, 3, "MinorCategoryID"}});
    out.text8(e.title, "title").text8(e.details, "details");
    const Bytes reference =
        e.objectId ? Put().be16(*e.objectId).u8(e.serviceId) : e.reference.value_or(Bytes());
    out.text8(reference, "object reference");
    if (typeCode == kTopicList) out.u8(e.messageId);
    return out;
}

Bytes topicListData(uint8_t typeCode, const std::vector<TopicEntry>& entries) {
    Bytes out;
    for (const TopicEntry& e : entries) append(out, topicEntryBytes(typeCode, e));
    return out;
}

Bytes micpPacketHeader(uint32_t objectId, uint16_t totalBlocks, uint16_t blockNumber) {
    return Put().be32(objectId).be16(totalBlocks).be16(blockNumber);
}

}  // namespace jq::write
