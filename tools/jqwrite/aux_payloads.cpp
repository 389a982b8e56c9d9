// aux_payloads.cpp - the payload bytes of each auxiliary item type, written
// in the order and bit positions the decoders read them.
#include "aux_payloads.h"

#include <stdexcept>

#include "put_bytes.h"

namespace jq::write::aux {
namespace {

unsigned bit(bool flag, unsigned position) { return flag ? 1u << position : 0u; }

unsigned bcd(unsigned value, const char* what) {
    requireAtMost(value, 99, what);
    return (value / 10) << 4 | value % 10;
}

void putEpisode(Put& out, uint16_t value, bool wide, const char* what) {
    requireBits(value, 15, what);
    wide || value > 0x7F ? out.be16(0x8000u | value) : out.u8(value);
}

// (b0 x 256 + b1) x 64 + b2 / 4: 22 bits with the low two bits of b2 clear.
void putLeakRate(Put& out, const std::optional<uint32_t>& rate) {
    if (rate) out.bits({{*rate, 22, "LeakRate"}, {0, 2}}, 3);
}

// Numbers one after the other, big-endian.
template <typename T>
Bytes bigEndianList(const std::vector<T>& values) {
    Put out;
    for (const T value : values) out.be(value, sizeof(T));
    return out;
}

void putModule(Put& out, const ModuleCarousel& m) {
    out.u8(m.compTag).u8(bit(m.nDataEvent.has_value(), 7) | bit(m.nModules.has_value(), 6) |
                         bit(m.nResource.has_value(), 5) | bit(m.compressCompSize.has_value(), 4) |
                         bit(m.compSize.has_value(), 3) | bit(m.transactionId.has_value(), 2) |
                         bit(m.diiTimeOut.has_value(), 1) | bit(m.leakRate.has_value(), 0));
    out.maybe(m.nDataEvent).maybe(m.nModules).maybe(m.nResource).maybe(m.compressCompSize);
    out.maybe(m.compSize).maybe(m.transactionId).maybe(m.diiTimeOut);
    putLeakRate(out, m.leakRate);
}

void putPlain(Put& out, const PlainCarousel& p) {
    out.u8(p.compTag).u8(bit(p.evst, 7) | bit(p.compSize.has_value(), 3) |
                         bit(p.transactionId.has_value(), 2) | bit(p.diiTimeOut.has_value(), 1) |
                         bit(p.leakRate.has_value(), 0));
    out.maybe(p.compSize).maybe(p.transactionId).maybe(p.diiTimeOut);
    putLeakRate(out, p.leakRate);
}

Bytes bmlSelector(const BmlSelector& s) {
    requireBits(s.tf, 2, "TF");
    requireBits(s.dres, 4, "DRES");
    require(s.tf != 0 || s.modules.empty(), "module carousels need TF 1 to 3");
    require(s.tf == 0 || (s.plain.empty() && !s.ondr && !s.flst),
            "plain carousels, ONDR and FLST need TF 0");
    const size_t carousels = s.tf != 0 ? s.modules.size() : s.plain.size();
    requireAtMost(carousels, 255, "CarouselCount");
    Put out;
    out.u8(s.tf << 6 | bit(s.astt, 4) | s.dres);
    out.u8(bit(s.uxml, 7) | bit(!s.versions, 6) | bit(s.indp, 5) | bit(s.content.has_value(), 4) |
           bit(s.actn, 3) | bit(s.tvst, 1) | bit(s.updf, 0));
    out.code(s.languageCode, "LanguageCode");
    if (s.content) out.be32(s.content->contentId).be16(s.content->contentVer);
    if (s.versions) out.be16(s.versions->bmlMajorVer).be16(s.versions->bmlMinorVer);
    if (s.versions && s.uxml) out.be16(s.versions->bxmlMajorVer).be16(s.versions->bxmlMinorVer);
    out.u8(carousels);
    for (const ModuleCarousel& m : s.modules) putModule(out, m);
    for (const PlainCarousel& p : s.plain) putPlain(out, p);
    if (s.tf == 0) out.u8(bit(s.ondr, 7) | bit(s.flst, 6));
    return out;
}

Bytes captionSelector(const CaptionSelector& s) {
    requireAtMost(s.languages.size(), 255, "LangCount");
    Put out;
    out.u8(s.languages.size());
    for (const CaptionSelector::Language& l : s.languages)
        out.bits({{l.langTag, 2, "LangTag"}, {0, 2}, {l.dmf, 4, "DMF"}})
            .code(l.language, "Language");
    return out;
}

void putDataContent(Put& out, const DataContents::Entry& e) {
    require(!e.bml || isOneOf<uint16_t>(e.copmId, {7, 11, 12}),
            "a BML selector needs CopmID 7, 11 or 12");
    require(!e.caption || e.copmId == 8, "a caption selector needs CopmID 8");
    const Bytes selector = e.bml       ? bmlSelector(*e.bml)
                           : e.caption ? captionSelector(*e.caption)
                                       : Bytes();
    requireAtMost(selector.size(), 255, "SelectorLength");
    requireAtMost(e.compRefs.size(), 255, "CompRefCount");
    out.be16(e.copmId).u8(e.entryComp).u8(e.selectorLength.value_or(selector.size()));
    out.bytes(selector).u8(e.compRefs.size()).bytes(e.compRefs).code(e.country, "Country");
    out.text8(e.title, "data content title");
}

void putEventGroup(Put& out, const EventGroups::Group& g) {
    requireBits(g.groupType, 4, "GroupType");
    Put body;
    size_t entries = 0;
    if (isOneOf<uint8_t>(g.groupType, {4, 5})) {
        require(g.events.empty() && g.privateData.empty(),
                "event groups of type 4 and 5 hold other-network events only");
        entries = g.otherEvents.size();
        for (const EventGroups::OtherNetworkEvent& e : g.otherEvents)
            body.be16(e.originalNid).be16(e.tsid).be16(e.serviceId).be16(e.eventId);
    } else {
        require(g.otherEvents.empty(), "other-network events need group type 4 or 5");
        entries = g.events.size();
        for (const EventGroups::Event& e : g.events) body.be16(e.serviceId).be16(e.eventId);
        body.bytes(g.privateData);
    }
    const uint64_t eventCount = g.eventCount.value_or(static_cast<uint8_t>(entries));
    if (!g.eventCount) requireAtMost(entries, 15, "EventCount");
    requireBits(eventCount, 4, "EventCount");
    requireAtMost(body.out.size() + 1, 255, "GroupLength");
    out.u8(body.out.size() + 1).u8(g.groupType << 4 | eventCount).bytes(body.out);
}

void putStamp(Put& out, const EitVersion::Stamp& s) {
    out.u8(s.eitVer).be32(s.crc).be16(s.mjd).u8(bcd(s.hour, "hour"));
    out.u8(bcd(s.min, "minute")).u8(bcd(s.sec, "second"));
}

}  // namespace

Bytes payload(const Series& s) {
    requireAtMost(s.seriesName.size(), 63, "series name");
    Put out;
    putEpisode(out, s.episode, s.wideEpisode, "Episode");
    putEpisode(out, s.totalEpisode, s.wideTotalEpisode, "TotalEpisode");
    out.u8(bit(s.control.has_value(), 7) | bit(s.identity.has_value(), 6) | s.seriesName.size());
    if (s.control)
        out.bits({{s.control->repeat, 4, "Repeat"},
                  {s.control->programFlag, 1, "ProgramFlag"},
                  {s.control->programPattern, 3, "ProgramPattern"}});
    if (s.identity)
        out.be16(s.identity->seriesId)
            .u8(s.identity->expireDate.has_value())
            .maybe(s.identity->expireDate);
    return out.bytes(s.seriesName);
}

Bytes payload(const KeywordCodes& k) { return bigEndianList(k.codes); }

Bytes payload(const PackageIds& p) { return bigEndianList(p.ids); }

Bytes payload(const CategoryPairs& c) {
    Put out;
    for (const CategoryPairs::Pair& pair : c.pairs)
        out.bits(
            {{pair.majorCategory, 4, "MajorCategory"}, {pair.minorCategory, 4, "MinorCategory"}});
    return out;
}

Bytes payload(const Parental& p) {
    return Put().code(p.countryCode, "CountryCode").u8(p.parentalRating);
}

Bytes payload(const ContentNibbles& c) {
    Put out;
    for (const ContentNibbles::Pair& pair : c.pairs) out.u8(pair.contentNibble).u8(pair.userNibble);
    return out;
}

Bytes payload(const ActorIds& a) { return bigEndianList(a.ids); }

Bytes payload(const TimeShift& t) {
    return Put()
        .be16(t.originalNid)
        .u8(bcd(t.startSecond, "SIStartSecond"))
        .u8(bcd(t.hours, "SIDureHour"))
        .u8(bcd(t.minutes, "SIDureMin"))
        .u8(bcd(t.seconds, "SIDureSec"));
}

Bytes payload(const AdditionalTexts& t) {
    return Put()
        .text8(t.title, "title")
        .text16(t.detail1, "level-1 detail")
        .text16(t.detail2, "level-2 detail");
}

Bytes payload(const Icons& i) { return i.codes; }

Bytes payload(const VideoComponents& v) {
    Put out;
    for (const VideoComponents::Entry& e : v.entries)
        out.u8(e.componentType).u8(e.componentTag).text8(e.text, "component text");
    return out;
}

Bytes payload(const AudioComponents& a) {
    Put out;
    for (const AudioComponents::Entry& e : a.entries) {
        const unsigned flags = static_cast<unsigned>(pack({{e.subLanguage.has_value(), 1},
                                                           {e.mcom, 1, "MCOM"},
                                                           {e.quality, 2, "Quality"},
                                                           {e.samplingRate, 3, "SamplingRate"},
                                                           {0, 1}}));
        out.u8(e.componentType).u8(e.componentTag).u8(e.simulcastGroupTag).u8(flags);
        out.code(e.mainLanguage, "MainChLanguage");
        if (e.subLanguage) out.code(*e.subLanguage, "SubChLanguage");
        out.text8(e.text, "component text");
    }
    return out;
}

Bytes payload(const CopyControl& c) {
    const auto controlBits = [](uint8_t record, uint8_t copy, uint8_t aps) {
        return static_cast<unsigned>(pack({{record, 2, "DRecordCtrlData"},
                                           {0, 2},
                                           {copy, 2, "CopyCtrlType"},
                                           {aps, 2, "APSCtrlData"}}));
    };
    Put out;
    out.u8(controlBits(c.dRecordCtrlData, c.copyCtrlType, c.apsCtrlData) |
           bit(c.maxBitRate.has_value(), 5) | bit(c.components.has_value(), 4));
    out.maybe(c.maxBitRate);
    if (!c.components) return out;
    Put entries;
    for (const CopyControl::Component& e : *c.components) {
        entries.u8(e.componentTag);
        entries.u8(controlBits(e.dRecordCtrlData, e.copyCtrlType, e.apsCtrlData) |
                   bit(e.maxBitRate.has_value(), 5));
        entries.maybe(e.maxBitRate);
    }
    return out.text8(entries.out, "component entry bytes");
}

Bytes payload(const ConditionalAccess& c) {
    require(c.payFlag || c.contracts.empty(), "contracts need PayFlag");
    Put out;
    out.u8(bit(c.payFlag, 7));
    for (const ConditionalAccess::Contract& k : c.contracts) {
        requireBits(k.unitId, 4, "UnitID");
        requireAtMost(k.componentTags.size(), 15, "ComponentCount");
        requireAtMost(k.contract.size(), 255, "ContractCount");
        out.be16(k.caSystemId).u8(k.unitId << 4 | k.componentTags.size()).bytes(k.componentTags);
        out.u8(k.contract.size()).bytes(k.contract).text8(k.feeName, "fee name");
    }
    return out;
}

Bytes payload(const ComponentGroups& c) {
    requireBits(c.groupType, 3, "GroupType");
    requireAtMost(c.groups.size(), 15, "GroupCount");
    Put out;
    out.u8(c.groupType << 5 | bit(c.totalBitRateFlag, 4) | c.groups.size());
    for (const ComponentGroups::Group& g : c.groups) {
        requireBits(g.groupId, 4, "GroupID");
        requireAtMost(g.units.size(), 15, "UnitCount");
        out.u8(g.groupId << 4 | g.units.size());
        for (const ComponentGroups::Unit& u : g.units) {
            requireBits(u.unitId, 4, "UnitID");
            requireAtMost(u.componentTags.size(), 15, "CompCount");
            out.u8(u.unitId << 4 | u.componentTags.size()).bytes(u.componentTags);
        }
        if (c.totalBitRateFlag) out.u8(g.totalBitRate);
        out.text8(g.text, "group text");
    }
    return out;
}

Bytes payload(const DataContents& d) {
    Put out;
    for (const DataContents::Entry& e : d.entries) putDataContent(out, e);
    return out;
}

Bytes payload(const EventGroups& e) {
    Put out;
    for (const EventGroups::Group& g : e.groups) putEventGroup(out, g);
    return out;
}

Bytes payload(const EitVersion& v) {
    Put out;
    putStamp(out, v.basic);
    putStamp(out, v.ext);
    return out.u8(v.siEventNameLength)
        .be16(v.siEventNameCrc)
        .u8(v.siEventTextLength)
        .be16(v.siEventTextCrc)
        .be16(v.siEventExtLength)
        .be16(v.siEventExtCrc);
}

}  // namespace jq::write::aux
