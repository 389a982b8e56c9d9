// schedule_description.cpp - reads the schedule block of a description into
// a Schedule (schedule_data.h) and its auxiliary items (aux_payloads.h).
//
// Texts are gathered as Shift-JIS over the statements of a field and turned
// into ARIB 8-unit bytes once, when the item or aux block closes, so that a
// long detail may run over several lines and still be one text. Each
// fragment is checked on its own line, so errors point at the words at
// fault; sizes and field widths are checked when the item closes, with the
// item's (or the aux item's) line.
#include "schedule_description.h"

#include <initializer_list>
#include <stdexcept>

#include "arib_text.h"
#include "aux_payloads.h"
#include "shift_jis.h"

namespace jq::write::description {
namespace {

// ---- Words ----------------------------------------------------------------------

// "a<separator>b..." with exactly count numbers, each up to its max.
std::vector<uint64_t> numbersOf(const std::string& text, char separator,
                                std::initializer_list<uint64_t> maxima, const std::string& what) {
    const std::vector<std::string> parts = split(text, separator);
    if (parts.size() != maxima.size())
        fail(what + ": '" + text + "' needs " + std::to_string(maxima.size()) +
             " numbers separated by '" + separator + "'");
    std::vector<uint64_t> values;
    auto max = maxima.begin();
    for (const std::string& part : parts) values.push_back(parseNumber(part, *max++, what));
    return values;
}

// A comma-separated list: "1,2,0x10".
std::vector<uint8_t> byteList(const std::string& text, const std::string& what) {
    std::vector<uint8_t> values;
    for (const std::string& part : split(text, ','))
        values.push_back(static_cast<uint8_t>(parseNumber(part, 255, what)));
    return values;
}

// A day as a number or a date YYYY-MM-DD; modified: the Modified Julian Date
// rather than the JulianDay of schedules.
uint16_t dayOf(const std::string& text, bool modified, const std::string& what) {
    if (text.find('-') == std::string::npos)
        return static_cast<uint16_t>(parseNumber(text, 0xFFFF, what));
    const std::vector<uint64_t> date = numbersOf(text, '-', {9999, 12, 31}, what);
    try {
        const int year = static_cast<int>(date[0]);
        const auto month = static_cast<unsigned>(date[1]);
        const auto day = static_cast<unsigned>(date[2]);
        return modified ? modifiedJulianDateOf(year, month, day) : julianDayOf(year, month, day);
    } catch (const std::invalid_argument& e) {
        fail(what + ": " + e.what());
    }
}

std::optional<uint16_t> takeDay(Args& args, const std::string& name, bool modified) {
    const std::optional<std::string> word = args.takeWord(name);
    if (!word) return std::nullopt;
    return dayOf(*word, modified, name);
}

// A start time as minutes or HH:MM (hours past 23 for the small hours of the
// broadcast day).
std::optional<uint16_t> takeStartMinute(Args& args) {
    const std::optional<std::string> word = args.takeWord("start");
    if (!word) return std::nullopt;
    if (word->find(':') == std::string::npos)
        return static_cast<uint16_t>(parseNumber(*word, 0xFFFF, "start"));
    const std::vector<uint64_t> hm = numbersOf(*word, ':', {1092, 59}, "start");
    return static_cast<uint16_t>(hm[0] * 60 + hm[1]);
}

// H:MM:SS, each part 0-99.
std::optional<std::vector<uint64_t>> takeClock(Args& args, const std::string& name) {
    const std::optional<std::string> word = args.takeWord(name);
    if (!word) return std::nullopt;
    return numbersOf(*word, ':', {99, 99, 99}, name);
}

std::string takeCode(Args& args, const std::string& name, const std::string& fallback) {
    const std::string code = args.takeWord(name).value_or(fallback);
    if (code.size() != 3) fail(name + "= takes 3 characters, not '" + code + "'");
    return code;
}

bool takeFlag(Args& args, const std::string& name) { return args.take(name, 1).value_or(0) != 0; }

template <typename T>
std::optional<T> takeOptional(Args& args, const std::string& name, uint64_t max) {
    const std::optional<uint64_t> value = args.take(name, max);
    if (!value) return std::nullopt;
    return static_cast<T>(*value);
}

// The items of a statement as numbers, one per item.
template <typename T>
std::vector<T> numberItems(const Args& args, uint64_t max, const std::string& what) {
    std::vector<T> values;
    for (const Token& item : args.items) {
        if (item.quoted) fail(what + " takes numbers, not a string");
        values.push_back(static_cast<T>(parseNumber(item.text, max, what)));
    }
    return values;
}

// ---- Texts ----------------------------------------------------------------------

// A text given over one or more statements: quoted UTF-8 and arib:HEX
// (Shift-JIS in hexadecimal) joined into one text, 'raw BYTES' for exact
// bytes, or 'absent'.
class TextField {
public:
    explicit TextField(std::string what) : what_(std::move(what)) {}

    void add(const std::vector<Token>& items) {
        if (items.empty()) fail(what_ + " needs a text (\"...\", arib:HEX, raw BYTES or absent)");
        const Token& first = items.front();
        if (!first.quoted && first.text == "absent") {
            if (items.size() != 1 || kind_ != Kind::None)
                fail("absent stands alone as the " + what_);
            kind_ = Kind::Absent;
        } else if (!first.quoted && first.text == "raw") {
            become(Kind::Raw);
            const Bytes bytes = parseBytes(items, 1);
            raw_.insert(raw_.end(), bytes.begin(), bytes.end());
        } else {
            become(Kind::Text);
            shiftJis_ += shiftJisOf(items);
        }
    }

    bool given() const { return kind_ != Kind::None; }

    // The ARIB bytes; nothing when absent.
    ScheduleText bytes() const {
        switch (kind_) {
            case Kind::Absent:
                return std::nullopt;
            case Kind::Raw:
                return raw_;
            default:
                return encodeAribText(shiftJis_);
        }
    }

    // The bytes of a text that cannot be absent.
    Bytes present() const {
        if (kind_ == Kind::Absent) fail("the " + what_ + " cannot be absent");
        return *bytes();
    }

private:
    enum class Kind { None, Text, Raw, Absent };

    void become(Kind kind) {
        if (kind_ != Kind::None && kind_ != kind)
            fail("the " + what_ + " is either text or raw bytes, given once or over several lines");
        kind_ = kind;
    }

    std::string shiftJisOf(const std::vector<Token>& items) const {
        std::string fragment;
        for (const Token& item : items) {
            try {
                if (item.quoted) {
                    fragment += shiftJisFromUtf8(item.text);
                } else if (item.text.rfind("arib:", 0) == 0) {
                    Bytes hex;
                    putHexItem(hex, item.text.substr(5));
                    fragment.append(hex.begin(), hex.end());
                } else {
                    fail(what_ + ": '" + item.text +
                         "' is not a text (\"...\", arib:HEX, raw BYTES or absent)");
                }
            } catch (const std::invalid_argument& e) {
                fail(what_ + ": " + e.what());
            }
        }
        try {
            encodeAribText(fragment);
        } catch (const std::invalid_argument& e) {
            fail(what_ + ": " + e.what() + " of the Shift-JIS text");
        }
        return fragment;
    }

    std::string what_;
    Kind kind_ = Kind::None;
    std::string shiftJis_;
    Bytes raw_;
};

// A text given on one statement, after its attributes.
Bytes textOf(const Args& args, const std::string& what) {
    if (args.items.empty()) return Bytes();
    TextField field(what);
    field.add(args.items);
    return field.present();
}

}  // namespace

// ---- Auxiliary items ------------------------------------------------------------

// An aux block: the statements of one auxiliary item until its 'end'.
class AuxBlock {
public:
    virtual ~AuxBlock() = default;
    virtual void statement(const std::string& keyword, Args& args) = 0;
    virtual Bytes payload() const = 0;
    virtual uint8_t infoType() const = 0;

    std::string kind;
    size_t line = 0;
    ItemForm form = ItemForm::Automatic;
    std::optional<uint32_t> infoSize;

protected:
    [[noreturn]] void unknown(const std::string& keyword) const {
        fail("unknown statement '" + keyword + "' in aux " + kind);
    }
};

namespace {

template <typename Fields>
class FieldsBlock : public AuxBlock {
public:
    Bytes payload() const override { return aux::payload(fields_); }
    uint8_t infoType() const override { return Fields::kInfoType; }

protected:
    Fields fields_;
};

class VideoBlock : public FieldsBlock<aux::VideoComponents> {
public:
    void statement(const std::string& keyword, Args& args) override {
        if (keyword != "component") unknown(keyword);
        aux::VideoComponents::Entry e;
        e.componentType = takeOr<uint8_t>(args, "type", 255);
        e.componentTag = takeOr<uint8_t>(args, "tag", 255);
        args.done(true);
        e.text = textOf(args, "component text");
        fields_.entries.push_back(std::move(e));
    }
};

class AudioBlock : public FieldsBlock<aux::AudioComponents> {
public:
    void statement(const std::string& keyword, Args& args) override {
        if (keyword != "component") unknown(keyword);
        aux::AudioComponents::Entry e;
        e.componentType = takeOr<uint8_t>(args, "type", 255);
        e.componentTag = takeOr<uint8_t>(args, "tag", 255);
        e.simulcastGroupTag = takeOr<uint8_t>(args, "simulcast", 255);
        e.mcom = takeOr<uint8_t>(args, "mcom", 1);
        e.quality = takeOr<uint8_t>(args, "quality", 3);
        e.samplingRate = takeOr<uint8_t>(args, "sampling", 7);
        e.mainLanguage = takeCode(args, "lang", "jpn");
        if (args.has("sub-lang")) e.subLanguage = takeCode(args, "sub-lang", "");
        args.done(true);
        e.text = textOf(args, "component text");
        fields_.entries.push_back(std::move(e));
    }
};

class CopyControlBlock : public FieldsBlock<aux::CopyControl> {
public:
    explicit CopyControlBlock(Args& args) {
        fields_.dRecordCtrlData = takeOr<uint8_t>(args, "record", 3);
        fields_.copyCtrlType = takeOr<uint8_t>(args, "copy", 3);
        fields_.apsCtrlData = takeOr<uint8_t>(args, "aps", 3);
        fields_.maxBitRate = takeOptional<uint8_t>(args, "max-bit-rate", 255);
    }

    void statement(const std::string& keyword, Args& args) override {
        if (keyword != "component") unknown(keyword);
        aux::CopyControl::Component c;
        c.componentTag = takeOr<uint8_t>(args, "tag", 255);
        c.dRecordCtrlData = takeOr<uint8_t>(args, "record", 3);
        c.copyCtrlType = takeOr<uint8_t>(args, "copy", 3);
        c.apsCtrlData = takeOr<uint8_t>(args, "aps", 3);
        c.maxBitRate = takeOptional<uint8_t>(args, "max-bit-rate", 255);
        args.done(false);
        if (!fields_.components) fields_.components.emplace();
        fields_.components->push_back(c);
    }
};

class AccessBlock : public FieldsBlock<aux::ConditionalAccess> {
public:
    explicit AccessBlock(Args& args) { fields_.payFlag = args.take("pay", 1).value_or(1) != 0; }

    void statement(const std::string& keyword, Args& args) override {
        if (keyword != "contract") unknown(keyword);
        aux::ConditionalAccess::Contract c;
        c.caSystemId = takeOr<uint16_t>(args, "system", 0xFFFF);
        c.unitId = takeOr<uint8_t>(args, "unit", 15);
        if (const auto tags = args.takeWord("tags")) c.componentTags = byteList(*tags, "tags");
        if (const auto data = args.takeWord("data")) putHexItem(c.contract, *data);
        args.done(true);
        c.feeName = textOf(args, "fee name");
        fields_.contracts.push_back(std::move(c));
    }
};

class GroupsBlock : public FieldsBlock<aux::ComponentGroups> {
public:
    explicit GroupsBlock(Args& args) { fields_.groupType = takeOr<uint8_t>(args, "group-type", 7); }

    void statement(const std::string& keyword, Args& args) override {
        if (keyword == "group") {
            aux::ComponentGroups::Group g;
            g.groupId = takeOr<uint8_t>(args, "id", 15);
            if (const auto rate = args.take("bit-rate", 255)) {
                g.totalBitRate = static_cast<uint8_t>(*rate);
                fields_.totalBitRateFlag = true;
            }
            args.done(true);
            g.text = textOf(args, "group text");
            fields_.groups.push_back(std::move(g));
        } else if (keyword == "unit") {
            if (fields_.groups.empty()) fail("a unit belongs to a group: give 'group' first");
            aux::ComponentGroups::Unit u;
            u.unitId = takeOr<uint8_t>(args, "id", 15);
            if (const auto tags = args.takeWord("tags")) u.componentTags = byteList(*tags, "tags");
            args.done(false);
            fields_.groups.back().units.push_back(std::move(u));
        } else {
            unknown(keyword);
        }
    }
};

class DataBlock : public FieldsBlock<aux::DataContents> {
public:
    void statement(const std::string& keyword, Args& args) override {
        if (keyword == "entry") {
            entry(args);
            return;
        }
        if (fields_.entries.empty())
            fail("'" + keyword + "' belongs to an entry: give 'entry' first");
        aux::DataContents::Entry& e = fields_.entries.back();
        if (keyword == "caption") {
            if (!e.caption) fail("caption languages need an entry of component 8");
            aux::CaptionSelector::Language l;
            l.langTag = takeOr<uint8_t>(args, "tag", 3);
            l.dmf = takeOr<uint8_t>(args, "dmf", 15);
            l.language = takeCode(args, "lang", "jpn");
            args.done(false);
            e.caption->languages.push_back(l);
            return;
        }
        if (!e.bml) fail("'" + keyword + "' needs an entry of component 7, 11 or 12");
        if (keyword == "bml") {
            bml(*e.bml, args);
        } else if (keyword == "module") {
            e.bml->modules.push_back(module(args));
        } else if (keyword == "carousel") {
            e.bml->plain.push_back(plain(args));
        } else {
            unknown(keyword);
        }
    }

private:
    void entry(Args& args) {
        aux::DataContents::Entry e;
        e.copmId = static_cast<uint16_t>(args.require("component", 0xFFFF));
        e.entryComp = takeOr<uint8_t>(args, "entry-comp", 255);
        e.country = takeCode(args, "country", "jpn");
        if (const auto refs = args.takeWord("refs")) e.compRefs = byteList(*refs, "refs");
        e.selectorLength = takeOptional<uint8_t>(args, "selector-length", 255);
        args.done(true);
        e.title = textOf(args, "data content title");
        if (e.copmId == 7 || e.copmId == 11 || e.copmId == 12) e.bml.emplace();
        if (e.copmId == 8) e.caption.emplace();
        fields_.entries.push_back(std::move(e));
    }

    static void bml(aux::BmlSelector& s, Args& args) {
        s.tf = takeOr<uint8_t>(args, "tf", 3);
        s.astt = takeFlag(args, "astt");
        s.dres = takeOr<uint8_t>(args, "dres", 15);
        s.uxml = takeFlag(args, "uxml");
        s.indp = takeFlag(args, "indp");
        s.actn = takeFlag(args, "actn");
        s.tvst = takeFlag(args, "tvst");
        s.updf = takeFlag(args, "updf");
        s.ondr = takeFlag(args, "ondr");
        s.flst = takeFlag(args, "flst");
        s.languageCode = takeCode(args, "lang", "jpn");
        const auto contentId = takeOptional<uint32_t>(args, "content-id", 0xFFFFFFFF);
        const auto contentVer = takeOptional<uint16_t>(args, "content-version", 0xFFFF);
        if (contentId || contentVer) s.content = {contentId.value_or(0), contentVer.value_or(0)};
        const auto bmlVersion = args.takeWord("bml-version");
        const auto bxmlVersion = args.takeWord("bxml-version");
        args.done(false);
        if (bxmlVersion && !(bmlVersion && s.uxml))
            fail("bxml-version= needs bml-version= and uxml=1");
        if (!bmlVersion) return;
        const std::vector<uint64_t> v =
            numbersOf(*bmlVersion, '.', {0xFFFF, 0xFFFF}, "bml-version");
        s.versions = {static_cast<uint16_t>(v[0]), static_cast<uint16_t>(v[1]), 0, 0};
        if (!bxmlVersion) return;
        const std::vector<uint64_t> x =
            numbersOf(*bxmlVersion, '.', {0xFFFF, 0xFFFF}, "bxml-version");
        s.versions->bxmlMajorVer = static_cast<uint16_t>(x[0]);
        s.versions->bxmlMinorVer = static_cast<uint16_t>(x[1]);
    }

    static aux::ModuleCarousel module(Args& args) {
        aux::ModuleCarousel m;
        m.compTag = takeOr<uint8_t>(args, "tag", 255);
        m.nDataEvent = takeOptional<uint16_t>(args, "data-events", 0xFFFF);
        m.nModules = takeOptional<uint32_t>(args, "modules", 0xFFFFFFFF);
        m.nResource = takeOptional<uint32_t>(args, "resources", 0xFFFFFFFF);
        m.compressCompSize = takeOptional<uint32_t>(args, "compressed-size", 0xFFFFFFFF);
        m.compSize = takeOptional<uint32_t>(args, "size", 0xFFFFFFFF);
        m.transactionId = takeOptional<uint32_t>(args, "transaction", 0xFFFFFFFF);
        m.diiTimeOut = takeOptional<uint32_t>(args, "dii-timeout", 0xFFFFFFFF);
        m.leakRate = takeOptional<uint32_t>(args, "leak-rate", 0x3FFFFF);
        args.done(false);
        return m;
    }

    static aux::PlainCarousel plain(Args& args) {
        aux::PlainCarousel p;
        p.compTag = takeOr<uint8_t>(args, "tag", 255);
        p.evst = takeFlag(args, "evst");
        p.compSize = takeOptional<uint32_t>(args, "size", 0xFFFFFFFF);
        p.transactionId = takeOptional<uint32_t>(args, "transaction", 0xFFFFFFFF);
        p.diiTimeOut = takeOptional<uint32_t>(args, "dii-timeout", 0xFFFFFFFF);
        p.leakRate = takeOptional<uint32_t>(args, "leak-rate", 0x3FFFFF);
        args.done(false);
        return p;
    }
};

class EventsBlock : public FieldsBlock<aux::EventGroups> {
public:
    void statement(const std::string& keyword, Args& args) override {
        if (keyword == "group") {
            aux::EventGroups::Group g;
            g.groupType = takeOr<uint8_t>(args, "type", 15);
            g.eventCount = takeOptional<uint8_t>(args, "event-count", 15);
            args.done(false);
            fields_.groups.push_back(std::move(g));
            return;
        }
        if (fields_.groups.empty())
            fail("'" + keyword + "' belongs to a group: give 'group' first");
        aux::EventGroups::Group& g = fields_.groups.back();
        if (keyword == "event") {
            const auto serviceId = takeOr<uint16_t>(args, "service", 0xFFFF);
            g.events.push_back({serviceId, takeOr<uint16_t>(args, "event", 0xFFFF)});
            args.done(false);
        } else if (keyword == "other") {
            aux::EventGroups::OtherNetworkEvent e;
            e.originalNid = takeOr<uint16_t>(args, "nid", 0xFFFF);
            e.tsid = takeOr<uint16_t>(args, "ts", 0xFFFF);
            e.serviceId = takeOr<uint16_t>(args, "service", 0xFFFF);
            e.eventId = takeOr<uint16_t>(args, "event", 0xFFFF);
            args.done(false);
            g.otherEvents.push_back(e);
        } else if (keyword == "private") {
            args.done(true);
            const Bytes bytes = parseBytes(args.items);
            g.privateData.insert(g.privateData.end(), bytes.begin(), bytes.end());
        } else {
            unknown(keyword);
        }
    }
};

class TextsBlock : public AuxBlock {
public:
    void statement(const std::string& keyword, Args& args) override {
        TextField* field = keyword == "title"     ? &title_
                           : keyword == "detail1" ? &detail1_
                           : keyword == "detail2" ? &detail2_
                                                  : nullptr;
        if (!field) unknown(keyword);
        args.done(true);
        field->add(args.items);
    }

    Bytes payload() const override {
        return aux::payload(
            aux::AdditionalTexts{title_.present(), detail1_.present(), detail2_.present()});
    }
    uint8_t infoType() const override { return aux::AdditionalTexts::kInfoType; }

private:
    TextField title_{"title"};
    TextField detail1_{"level-1 detail"};
    TextField detail2_{"level-2 detail"};
};

std::unique_ptr<AuxBlock> blockOfKind(const std::string& kind, Args& args) {
    if (kind == "video") return std::make_unique<VideoBlock>();
    if (kind == "audio") return std::make_unique<AudioBlock>();
    if (kind == "copy-control") return std::make_unique<CopyControlBlock>(args);
    if (kind == "access") return std::make_unique<AccessBlock>(args);
    if (kind == "groups") return std::make_unique<GroupsBlock>(args);
    if (kind == "data") return std::make_unique<DataBlock>();
    if (kind == "events") return std::make_unique<EventsBlock>();
    if (kind == "texts") return std::make_unique<TextsBlock>();
    return nullptr;
}

// ---- One-line auxiliary items --------------------------------------------------

Bytes seriesPayload(Args& args) {
    aux::Series s;
    s.episode = takeOr<uint16_t>(args, "episode", 0x7FFF);
    s.totalEpisode = takeOr<uint16_t>(args, "total", 0x7FFF);
    s.wideEpisode = takeFlag(args, "wide-episode");
    s.wideTotalEpisode = takeFlag(args, "wide-total");
    if (args.has("repeat") || args.has("program-flag") || args.has("pattern")) {
        s.control = aux::Series::Control{takeOr<uint8_t>(args, "repeat", 15),
                                         takeOr<uint8_t>(args, "program-flag", 1),
                                         takeOr<uint8_t>(args, "pattern", 7)};
    }
    if (const auto id = args.take("series-id", 0xFFFF)) {
        s.identity =
            aux::Series::Identity{static_cast<uint16_t>(*id), takeDay(args, "expire", true)};
    }
    args.done(true);
    s.seriesName = textOf(args, "series name");
    return aux::payload(s);
}

template <typename Pairs>
Bytes pairsPayload(Args& args, uint64_t maxFirst, uint64_t maxSecond, const char* what) {
    args.done(true);
    Pairs fields;
    for (const Token& item : args.items) {
        if (item.quoted) fail(std::string(what) + " takes A/B pairs, not a string");
        const std::vector<uint64_t> v = numbersOf(item.text, '/', {maxFirst, maxSecond}, what);
        fields.pairs.push_back({static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1])});
    }
    return aux::payload(fields);
}

Bytes timeShiftPayload(Args& args) {
    aux::TimeShift t;
    t.originalNid = takeOr<uint16_t>(args, "nid", 0xFFFF);
    t.startSecond = takeOr<uint8_t>(args, "start-second", 99);
    if (const auto duration = takeClock(args, "duration")) {
        t.hours = static_cast<uint8_t>((*duration)[0]);
        t.minutes = static_cast<uint8_t>((*duration)[1]);
        t.seconds = static_cast<uint8_t>((*duration)[2]);
    }
    args.done(false);
    return aux::payload(t);
}

aux::EitVersion::Stamp stampOf(Args& args, const std::string& prefix) {
    aux::EitVersion::Stamp s;
    s.eitVer = takeOr<uint8_t>(args, prefix + "-version", 255);
    s.crc = takeOr<uint32_t>(args, prefix + "-crc", 0xFFFFFFFF);
    s.mjd = takeDay(args, prefix + "-date", true).value_or(0);
    if (const auto time = takeClock(args, prefix + "-time")) {
        s.hour = static_cast<uint8_t>((*time)[0]);
        s.min = static_cast<uint8_t>((*time)[1]);
        s.sec = static_cast<uint8_t>((*time)[2]);
    }
    return s;
}

Bytes eitVersionPayload(Args& args) {
    aux::EitVersion v;
    v.basic = stampOf(args, "basic");
    v.ext = stampOf(args, "ext");
    v.siEventNameLength = takeOr<uint8_t>(args, "event-name-length", 255);
    v.siEventNameCrc = takeOr<uint16_t>(args, "event-name-crc", 0xFFFF);
    v.siEventTextLength = takeOr<uint8_t>(args, "event-text-length", 255);
    v.siEventTextCrc = takeOr<uint16_t>(args, "event-text-crc", 0xFFFF);
    v.siEventExtLength = takeOr<uint16_t>(args, "event-ext-length", 0xFFFF);
    v.siEventExtCrc = takeOr<uint16_t>(args, "event-ext-crc", 0xFFFF);
    args.done(false);
    return aux::payload(v);
}

template <typename Fields, typename Value>
Bytes numbersPayload(Args& args, std::vector<Value> Fields::*list, uint64_t max,
                     const std::string& kind) {
    args.done(true);
    Fields fields;
    fields.*list = numberItems<Value>(args, max, kind);
    return aux::payload(fields);
}

Bytes parentalPayload(Args& args) {
    aux::Parental p;
    p.countryCode = takeCode(args, "country", "JPN");
    p.parentalRating = takeOr<uint8_t>(args, "rating", 255);
    args.done(false);
    return aux::payload(p);
}

// The InfoType and payload of a one-line kind; nothing for another word.
std::optional<std::pair<uint8_t, Bytes>> oneLineItem(const std::string& kind, Args& args) {
    using namespace aux;
    if (kind == "series") return {{Series::kInfoType, seriesPayload(args)}};
    if (kind == "keywords")
        return {
            {KeywordCodes::kInfoType, numbersPayload(args, &KeywordCodes::codes, 0xFFFF, kind)}};
    if (kind == "package-ids")
        return {{PackageIds::kInfoType, numbersPayload(args, &PackageIds::ids, 0xFFFFFFFF, kind)}};
    if (kind == "categories")
        return {
            {CategoryPairs::kInfoType, pairsPayload<CategoryPairs>(args, 15, 15, "categories")}};
    if (kind == "parental") return {{Parental::kInfoType, parentalPayload(args)}};
    if (kind == "content-nibbles")
        return {{ContentNibbles::kInfoType,
                 pairsPayload<ContentNibbles>(args, 255, 255, "content-nibbles")}};
    if (kind == "actors")
        return {{ActorIds::kInfoType, numbersPayload(args, &ActorIds::ids, 0xFFFF, kind)}};
    if (kind == "time-shift") return {{TimeShift::kInfoType, timeShiftPayload(args)}};
    if (kind == "eit-version") return {{EitVersion::kInfoType, eitVersionPayload(args)}};
    if (kind == "icons") {
        args.done(true);
        const std::vector<uint8_t> codes = numberItems<uint8_t>(args, 255, kind);
        return {{Icons::kInfoType, payload(Icons{Bytes(codes.begin(), codes.end())})}};
    }
    return std::nullopt;
}

ItemForm takeForm(Args& args) {
    const std::string form = args.takeWord("form").value_or("auto");
    if (form == "auto") return ItemForm::Automatic;
    if (form == "long") return ItemForm::Long;
    if (form == "short") return ItemForm::Short;
    fail("form= is long, short or auto, not '" + form + "'");
}

AuxItem finishedItem(uint8_t infoType, Bytes payload, ItemForm form, std::optional<uint32_t> size,
                     size_t line) {
    AuxItem item(infoType, std::move(payload), form);
    item.infoSize = size;
    try {
        auxItemBytes(item);
    } catch (const std::invalid_argument& e) {
        fail(std::string("aux: ") + e.what(), line);
    }
    return item;
}

}  // namespace

// ---- The schedule block -------------------------------------------------------

struct ScheduleBlock::ItemTexts {
    TextField title{"title"};
    TextField detail1{"level-1 detail"};
    TextField detail2{"level-2 detail"};
};

ScheduleBlock::ScheduleBlock(uint8_t typeCode, Args& args, size_t line) : scheduleLine_(line) {
    if (typeCode != kScheduleL && typeCode != kScheduleM && typeCode != kScheduleQ)
        fail("a schedule needs a package of type 0x4C, 0x4D or 0x51");
    schedule_.typeCode = typeCode;
    schedule_.gcn = static_cast<uint16_t>(args.require("gcn", 0xFFFF));
    const auto day = takeDay(args, "day", false);
    if (!day) fail("missing attribute day=");
    schedule_.julianDay = *day;
    schedule_.sectorNumber = takeOr<uint8_t>(args, "sector", 15);
    args.done(false);
}

ScheduleBlock::~ScheduleBlock() = default;

bool ScheduleBlock::statement(const std::string& keyword, Args& args, size_t line) {
    line_ = line;
    if (aux_) {
        if (keyword != "end") {
            aux_->statement(keyword, args);
            return false;
        }
        args.done(false);
        try {
            item_.aux.push_back(finishedItem(aux_->infoType(), aux_->payload(), aux_->form,
                                             aux_->infoSize, aux_->line));
        } catch (const std::invalid_argument& e) {
            fail(std::string("aux ") + aux_->kind + ": " + e.what(), aux_->line);
        }
        aux_.reset();
        return false;
    }
    if (inItem_) {
        itemStatement(keyword, args);
        return false;
    }
    if (keyword == "end") {
        args.done(false);
        return true;
    }
    scheduleStatement(keyword, args);
    return false;
}

std::pair<std::string, size_t> ScheduleBlock::openBlock() const {
    if (aux_) return {"aux " + aux_->kind, aux_->line};
    if (inItem_) return {"item", itemLine_};
    return {"schedule", scheduleLine_};
}

void ScheduleBlock::scheduleStatement(const std::string& keyword, Args& args) {
    if (keyword != "item") fail("unknown statement '" + keyword + "' in a schedule");
    beginItem(args);
}

void ScheduleBlock::beginItem(Args& args) {
    item_ = ScheduleItem();
    item_.startMinute = takeStartMinute(args).value_or(0);
    item_.majorCategory = takeOr<uint8_t>(args, "major", 15);
    item_.specialCategory = takeOr<uint8_t>(args, "special", 15);
    item_.feature = takeOr<uint8_t>(args, "feature", 255);
    item_.showId = takeOr<uint32_t>(args, "show", 0xFFFFFF);
    item_.minorCategory = takeOr<uint8_t>(args, "minor", 15);
    if (const auto book = args.takeWord("book")) {
        if (*book == "absent") {
            item_.bookCode.reset();
        } else if (book->find_first_not_of("0123456789") != std::string::npos) {
            fail("book= takes decimal digits or absent, not '" + *book + "'");
        } else {
            item_.bookCode = *book;
        }
    }
    args.done(false);
    texts_ = std::make_unique<ItemTexts>();
    inItem_ = true;
    itemLine_ = line_;
}

void ScheduleBlock::itemStatement(const std::string& keyword, Args& args) {
    TextField* field = keyword == "title"     ? &texts_->title
                       : keyword == "detail1" ? &texts_->detail1
                       : keyword == "detail2" ? &texts_->detail2
                                              : nullptr;
    if (field) {
        args.done(true);
        field->add(args.items);
    } else if (keyword == "aux") {
        beginAux(args);
    } else if (keyword == "fault") {
        itemFault(args);
    } else if (keyword == "end") {
        args.done(false);
        endItem();
    } else {
        fail("unknown statement '" + keyword + "' in an item");
    }
}

void ScheduleBlock::itemFault(Args& args) {
    if (args.empty()) fail("fault names no fault");
    const auto once = [&args](auto& field, const char* name, uint64_t max) {
        const std::optional<uint64_t> value = args.take(name, max);
        if (!value) return;
        if (field) fail(std::string("fault ") + name + " given twice");
        field = static_cast<typename std::decay_t<decltype(field)>::value_type>(*value);
    };
    once(item_.sieSize, "sie-size", 0xFFFFFFFF);
    once(item_.titleLength, "title-length", 255);
    once(item_.detail1Length, "detail1-length", 0xFFFF);
    once(item_.detail2Length, "detail2-length", 0xFFFF);
    once(item_.bookCodeLength, "book-length", 255);
    args.done(false);
}

void ScheduleBlock::beginAux(Args& args) {
    const ItemForm form = takeForm(args);
    const auto size = takeOptional<uint32_t>(args, "size", 0xFFFFFFFF);
    if (const auto type = args.take("type", 127)) {
        args.done(true);
        item_.aux.push_back(
            finishedItem(static_cast<uint8_t>(*type), parseBytes(args.items), form, size, line_));
        return;
    }
    if (args.items.empty() || args.items.front().quoted)
        fail("aux takes type=N and payload bytes, or the name of an item kind");
    const std::string kind = args.items.front().text;
    args.items.erase(args.items.begin());
    try {
        if (auto oneLine = oneLineItem(kind, args)) {
            item_.aux.push_back(
                finishedItem(oneLine->first, std::move(oneLine->second), form, size, line_));
            return;
        }
    } catch (const std::invalid_argument& e) {
        fail("aux " + kind + ": " + e.what());
    }
    aux_ = blockOfKind(kind, args);
    if (!aux_) fail("unknown aux kind '" + kind + "'");
    args.done(false);
    aux_->kind = kind;
    aux_->line = line_;
    aux_->form = form;
    aux_->infoSize = size;
}

void ScheduleBlock::endItem() {
    item_.title = texts_->title.bytes();
    item_.detail1 = texts_->detail1.bytes();
    item_.detail2 = texts_->detail2.bytes();
    try {
        scheduleItemBytes(schedule_.typeCode, item_);
    } catch (const std::invalid_argument& e) {
        fail(std::string("item: ") + e.what(), itemLine_);
    }
    schedule_.items.push_back(std::move(item_));
    inItem_ = false;
}

}  // namespace jq::write::description
