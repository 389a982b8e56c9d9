// aux_payloads.cpp - the payload bytes of each auxiliary item type, written
// in the order and bit positions the decoders read them.
#include "aux_payloads.h"

#include <stdexcept>

#include "put_bytes.h"

namespace jq::write::aux {
namespace {

unsigned bit(bool flag, unsigned position) { return flag ? 1u << position : 0u; }

void putCode(Bytes& out, const std::string& code, const char* what) {
    require(code.size() == 3, std::string(what) + " has 3 characters, not '" + code + "'");
    out.insert(out.end(), code.begin(), code.end());
}

void putText16(Bytes& out, const Bytes& text, const char* what) {
    requireAtMost(text.size(), 0xFFFF, what);
    putBe16(out, static_cast<unsigned>(text.size()));
    append(out, text);
}

unsigned bcd(unsigned value, const char* what) {
    requireAtMost(value, 99, what);
    return (value / 10) << 4 | value % 10;
}

void putEpisode(Bytes& out, uint16_t value, bool wide, const char* what) {
    requireBits(value, 15, what);
    if (wide || value > 0x7F) {
        putBe16(out, 0x8000u | value);
    } else {
        putU8(out, value);
    }
}

// (b0 x 256 + b1) x 64 + b2 / 4: 22 bits with the low two bits of b2 clear.
void putLeakRate(Bytes& out, uint32_t rate) {
    requireBits(rate, 22, "LeakRate");
    putBe16(out, rate >> 6);
    putU8(out, (rate & 0x3F) << 2);
}

// A field that is sent only when its flag is set, big-endian.
template <typename T>
void putOptional(Bytes& out, const std::optional<T>& value) {
    if (value) putBe(out, *value, sizeof(T));
}

// Numbers one after the other, big-endian.
template <typename T>
Bytes bigEndianList(const std::vector<T>& values) {
    Bytes out;
    for (const T value : values) putBe(out, value, sizeof(T));
    return out;
}

void putModule(Bytes& out, const ModuleCarousel& m) {
    putU8(out, m.compTag);
    putU8(out, bit(m.nDataEvent.has_value(), 7) | bit(m.nModules.has_value(), 6) |
                   bit(m.nResource.has_value(), 5) | bit(m.compressCompSize.has_value(), 4) |
                   bit(m.compSize.has_value(), 3) | bit(m.transactionId.has_value(), 2) |
                   bit(m.diiTimeOut.has_value(), 1) | bit(m.leakRate.has_value(), 0));
    putOptional(out, m.nDataEvent);
    putOptional(out, m.nModules);
    putOptional(out, m.nResource);
    putOptional(out, m.compressCompSize);
    putOptional(out, m.compSize);
    putOptional(out, m.transactionId);
    putOptional(out, m.diiTimeOut);
    if (m.leakRate) putLeakRate(out, *m.leakRate);
}

void putPlain(Bytes& out, const PlainCarousel& p) {
    putU8(out, p.compTag);
    putU8(out, bit(p.evst, 7) | bit(p.compSize.has_value(), 3) |
                   bit(p.transactionId.has_value(), 2) | bit(p.diiTimeOut.has_value(), 1) |
                   bit(p.leakRate.has_value(), 0));
    putOptional(out, p.compSize);
    putOptional(out, p.transactionId);
    putOptional(out, p.diiTimeOut);
    if (p.leakRate) putLeakRate(out, *p.leakRate);
}

Bytes bmlSelector(const BmlSelector& s) {
    requireBits(s.tf, 2, "TF");
    requireBits(s.dres, 4, "DRES");
    require(s.tf != 0 || s.modules.empty(), "module carousels need TF 1 to 3");
    require(s.tf == 0 || (s.plain.empty() && !s.ondr && !s.flst),
            "plain carousels, ONDR and FLST need TF 0");
    const size_t carousels = s.tf != 0 ? s.modules.size() : s.plain.size();
    requireAtMost(carousels, 255, "CarouselCount");
    Bytes out;
    putU8(out, s.tf << 6 | bit(s.astt, 4) | s.dres);
    putU8(out, bit(s.uxml, 7) | bit(!s.versions, 6) | bit(s.indp, 5) |
                   bit(s.content.has_value(), 4) | bit(s.actn, 3) | bit(s.tvst, 1) |
                   bit(s.updf, 0));
    putCode(out, s.languageCode, "LanguageCode");
    if (s.content) {
        putBe32(out, s.content->contentId);
        putBe16(out, s.content->contentVer);
    }
    if (s.versions) {
        putBe16(out, s.versions->bmlMajorVer);
        putBe16(out, s.versions->bmlMinorVer);
        if (s.uxml) {
            putBe16(out, s.versions->bxmlMajorVer);
            putBe16(out, s.versions->bxmlMinorVer);
        }
    }
    putU8(out, static_cast<unsigned>(carousels));
    for (const ModuleCarousel& m : s.modules) putModule(out, m);
    for (const PlainCarousel& p : s.plain) putPlain(out, p);
    if (s.tf == 0) putU8(out, bit(s.ondr, 7) | bit(s.flst, 6));
    return out;
}

Bytes captionSelector(const CaptionSelector& s) {
    requireAtMost(s.languages.size(), 255, "LangCount");
    Bytes out;
    putU8(out, static_cast<unsigned>(s.languages.size()));
    for (const CaptionSelector::Language& l : s.languages) {
        requireBits(l.langTag, 2, "LangTag");
        requireBits(l.dmf, 4, "DMF");
        putU8(out, l.langTag << 6 | l.dmf);
        putCode(out, l.language, "Language");
    }
    return out;
}

bool isBmlComponent(uint16_t copmId) { return copmId == 7 || copmId == 11 || copmId == 12; }

void putDataContent(Bytes& out, const DataContents::Entry& e) {
    require(!e.bml || isBmlComponent(e.copmId), "a BML selector needs CopmID 7, 11 or 12");
    require(!e.caption || e.copmId == 8, "a caption selector needs CopmID 8");
    const Bytes selector = e.bml       ? bmlSelector(*e.bml)
                           : e.caption ? captionSelector(*e.caption)
                                       : Bytes();
    requireAtMost(selector.size(), 255, "SelectorLength");
    requireAtMost(e.compRefs.size(), 255, "CompRefCount");
    putBe16(out, e.copmId);
    putU8(out, e.entryComp);
    putU8(out, e.selectorLength.value_or(static_cast<uint8_t>(selector.size())));
    append(out, selector);
    putU8(out, static_cast<unsigned>(e.compRefs.size()));
    out.insert(out.end(), e.compRefs.begin(), e.compRefs.end());
    putCode(out, e.country, "Country");
    putText8(out, e.title, "data content title");
}

bool isOtherNetworkGroup(uint8_t groupType) { return groupType == 4 || groupType == 5; }

void putEventGroup(Bytes& out, const EventGroups::Group& g) {
    requireBits(g.groupType, 4, "GroupType");
    Bytes body;
    size_t entries = 0;
    if (isOtherNetworkGroup(g.groupType)) {
        require(g.events.empty() && g.privateData.empty(),
                "event groups of type 4 and 5 hold other-network events only");
        entries = g.otherEvents.size();
        for (const EventGroups::OtherNetworkEvent& e : g.otherEvents) {
            putBe16(body, e.originalNid);
            putBe16(body, e.tsid);
            putBe16(body, e.serviceId);
            putBe16(body, e.eventId);
        }
    } else {
        require(g.otherEvents.empty(), "other-network events need group type 4 or 5");
        entries = g.events.size();
        for (const EventGroups::Event& e : g.events) {
            putBe16(body, e.serviceId);
            putBe16(body, e.eventId);
        }
        append(body, g.privateData);
    }
    const uint64_t eventCount = g.eventCount.value_or(static_cast<uint8_t>(entries));
    if (!g.eventCount) requireAtMost(entries, 15, "EventCount");
    requireBits(eventCount, 4, "EventCount");
    requireAtMost(body.size() + 1, 255, "GroupLength");
    putU8(out, static_cast<unsigned>(body.size() + 1));
    putU8(out, g.groupType << 4 | static_cast<unsigned>(eventCount));
    append(out, body);
}

void putStamp(Bytes& out, const EitVersion::Stamp& s) {
    putU8(out, s.eitVer);
    putBe32(out, s.crc);
    putBe16(out, s.mjd);
    putU8(out, bcd(s.hour, "hour"));
    putU8(out, bcd(s.min, "minute"));
    putU8(out, bcd(s.sec, "second"));
}

}  // namespace

Bytes payload(const Series& s) {
    requireAtMost(s.seriesName.size(), 63, "series name");
    Bytes out;
    putEpisode(out, s.episode, s.wideEpisode, "Episode");
    putEpisode(out, s.totalEpisode, s.wideTotalEpisode, "TotalEpisode");
    putU8(out, bit(s.control.has_value(), 7) | bit(s.identity.has_value(), 6) |
                   static_cast<unsigned>(s.seriesName.size()));
    if (s.control) {
        requireBits(s.control->repeat, 4, "Repeat");
        requireBits(s.control->programFlag, 1, "ProgramFlag");
        requireBits(s.control->programPattern, 3, "ProgramPattern");
        putU8(out,
              s.control->repeat << 4 | s.control->programFlag << 3 | s.control->programPattern);
    }
    if (s.identity) {
        putBe16(out, s.identity->seriesId);
        putU8(out, bit(s.identity->expireDate.has_value(), 0));
        if (s.identity->expireDate) putBe16(out, *s.identity->expireDate);
    }
    append(out, s.seriesName);
    return out;
}

Bytes payload(const KeywordCodes& k) { return bigEndianList(k.codes); }

Bytes payload(const PackageIds& p) { return bigEndianList(p.ids); }

Bytes payload(const CategoryPairs& c) {
    Bytes out;
    for (const CategoryPairs::Pair& pair : c.pairs) {
        requireBits(pair.majorCategory, 4, "MajorCategory");
        requireBits(pair.minorCategory, 4, "MinorCategory");
        putU8(out, pair.majorCategory << 4 | pair.minorCategory);
    }
    return out;
}

Bytes payload(const Parental& p) {
    Bytes out;
    putCode(out, p.countryCode, "CountryCode");
    putU8(out, p.parentalRating);
    return out;
}

Bytes payload(const ContentNibbles& c) {
    Bytes out;
    for (const ContentNibbles::Pair& pair : c.pairs) {
        putU8(out, pair.contentNibble);
        putU8(out, pair.userNibble);
    }
    return out;
}

Bytes payload(const ActorIds& a) { return bigEndianList(a.ids); }

Bytes payload(const TimeShift& t) {
    Bytes out;
    putBe16(out, t.originalNid);
    putU8(out, bcd(t.startSecond, "SIStartSecond"));
    putU8(out, bcd(t.hours, "SIDureHour"));
    putU8(out, bcd(t.minutes, "SIDureMin"));
    putU8(out, bcd(t.seconds, "SIDureSec"));
    return out;
}

Bytes payload(const AdditionalTexts& t) {
    Bytes out;
    putText8(out, t.title, "title");
    putText16(out, t.detail1, "level-1 detail");
    putText16(out, t.detail2, "level-2 detail");
    return out;
}

Bytes payload(const Icons& i) { return i.codes; }

Bytes payload(const VideoComponents& v) {
    Bytes out;
    for (const VideoComponents::Entry& e : v.entries) {
        putU8(out, e.componentType);
        putU8(out, e.componentTag);
        putText8(out, e.text, "component text");
    }
    return out;
}

Bytes payload(const AudioComponents& a) {
    Bytes out;
    for (const AudioComponents::Entry& e : a.entries) {
        requireBits(e.mcom, 1, "MCOM");
        requireBits(e.quality, 2, "Quality");
        requireBits(e.samplingRate, 3, "SamplingRate");
        putU8(out, e.componentType);
        putU8(out, e.componentTag);
        putU8(out, e.simulcastGroupTag);
        putU8(out, bit(e.subLanguage.has_value(), 7) | e.mcom << 6 | e.quality << 4 |
                       e.samplingRate << 1);
        putCode(out, e.mainLanguage, "MainChLanguage");
        if (e.subLanguage) putCode(out, *e.subLanguage, "SubChLanguage");
        putText8(out, e.text, "component text");
    }
    return out;
}

Bytes payload(const CopyControl& c) {
    const auto controlBits = [](uint8_t record, uint8_t copy, uint8_t aps) {
        requireBits(record, 2, "DRecordCtrlData");
        requireBits(copy, 2, "CopyCtrlType");
        requireBits(aps, 2, "APSCtrlData");
        return static_cast<unsigned>(record << 6 | copy << 2 | aps);
    };
    Bytes out;
    putU8(out, controlBits(c.dRecordCtrlData, c.copyCtrlType, c.apsCtrlData) |
                   bit(c.maxBitRate.has_value(), 5) | bit(c.components.has_value(), 4));
    if (c.maxBitRate) putU8(out, *c.maxBitRate);
    if (!c.components) return out;
    Bytes entries;
    for (const CopyControl::Component& e : *c.components) {
        putU8(entries, e.componentTag);
        putU8(entries, controlBits(e.dRecordCtrlData, e.copyCtrlType, e.apsCtrlData) |
                           bit(e.maxBitRate.has_value(), 5));
        if (e.maxBitRate) putU8(entries, *e.maxBitRate);
    }
    requireAtMost(entries.size(), 255, "component entry bytes");
    putU8(out, static_cast<unsigned>(entries.size()));
    append(out, entries);
    return out;
}

Bytes payload(const ConditionalAccess& c) {
    require(c.payFlag || c.contracts.empty(), "contracts need PayFlag");
    Bytes out;
    putU8(out, bit(c.payFlag, 7));
    for (const ConditionalAccess::Contract& k : c.contracts) {
        requireBits(k.unitId, 4, "UnitID");
        requireAtMost(k.componentTags.size(), 15, "ComponentCount");
        requireAtMost(k.contract.size(), 255, "ContractCount");
        putBe16(out, k.caSystemId);
        putU8(out, k.unitId << 4 | static_cast<unsigned>(k.componentTags.size()));
        out.insert(out.end(), k.componentTags.begin(), k.componentTags.end());
        putU8(out, static_cast<unsigned>(k.contract.size()));
        append(out, k.contract);
        putText8(out, k.feeName, "fee name");
    }
    return out;
}

Bytes payload(const ComponentGroups& c) {
    requireBits(c.groupType, 3, "GroupType");
    requireAtMost(c.groups.size(), 15, "GroupCount");
    Bytes out;
    putU8(out,
          c.groupType << 5 | bit(c.totalBitRateFlag, 4) | static_cast<unsigned>(c.groups.size()));
    for (const ComponentGroups::Group& g : c.groups) {
        requireBits(g.groupId, 4, "GroupID");
        requireAtMost(g.units.size(), 15, "UnitCount");
        putU8(out, g.groupId << 4 | static_cast<unsigned>(g.units.size()));
        for (const ComponentGroups::Unit& u : g.units) {
            requireBits(u.unitId, 4, "UnitID");
            requireAtMost(u.componentTags.size(), 15, "CompCount");
            putU8(out, u.unitId << 4 | static_cast<unsigned>(u.componentTags.size()));
            out.insert(out.end(), u.componentTags.begin(), u.componentTags.end());
        }
        if (c.totalBitRateFlag) putU8(out, g.totalBitRate);
        putText8(out, g.text, "group text");
    }
    return out;
}

Bytes payload(const DataContents& d) {
    Bytes out;
    for (const DataContents::Entry& e : d.entries) putDataContent(out, e);
    return out;
}

Bytes payload(const EventGroups& e) {
    Bytes out;
    for (const EventGroups::Group& g : e.groups) putEventGroup(out, g);
    return out;
}

Bytes payload(const EitVersion& v) {
    Bytes out;
    putStamp(out, v.basic);
    putStamp(out, v.ext);
    putU8(out, v.siEventNameLength);
    putBe16(out, v.siEventNameCrc);
    putU8(out, v.siEventTextLength);
    putBe16(out, v.siEventTextCrc);
    putBe16(out, v.siEventExtLength);
    putBe16(out, v.siEventExtCrc);
    return out;
}

}  // namespace jq::write::aux
