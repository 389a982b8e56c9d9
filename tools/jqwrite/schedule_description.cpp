// schedule_description.cpp - reads the schedule block of a description into
// a Schedule (schedule_data.h) and its auxiliary items (aux_payloads.h).
//
// Texts are gathered as Shift-JIS over the statements of a field and turned
// into ARIB 8-unit bytes once, when the item or aux block closes, so that a
// long detail may run over several lines and still be one text. Each
// fragment is checked on its own line, so errors point at the words at
// fault; sizes and field widths are checked when the item closes, with the
// item's (or the aux item's) line.
#include <initializer_list>
#include <stdexcept>

#include "arib_text.h"
#include "aux_payloads.h"
#include "description_syntax.h"
#include "put_bytes.h"
#include "shift_jis.h"

namespace jq::write::description {
namespace {

// ---- Words ----------------------------------------------------------------------

// A start time as minutes or HH:MM (hours past 23 for the small hours of the
// broadcast day).
std::optional<uint16_t> takeStartMinute(Args& args) {
    const std::optional<std::string> word = args.takeWord("start");
    if (!word) return std::nullopt;
    if (word->find(':') == std::string::npos)
        return static_cast<uint16_t>(parseNumber(*word, 0xFFFF, "start"));
    const std::vector<uint64_t> hm = numbers(*word, ':', {1092, 59}, "start");
    return static_cast<uint16_t>(hm[0] * 60 + hm[1]);
}

// H:MM:SS, each part 0-99, into hours, minutes and seconds.
void takeClock(Args& args, const std::string& name, uint8_t& h, uint8_t& m, uint8_t& s) {
    const std::optional<std::string> word = args.takeWord(name);
    if (!word) return;
    const std::vector<uint64_t> clock = numbers(*word, ':', {99, 99, 99}, name);
    h = static_cast<uint8_t>(clock[0]);
    m = static_cast<uint8_t>(clock[1]);
    s = static_cast<uint8_t>(clock[2]);
}

// ---- Texts ----------------------------------------------------------------------

// A text given over one or more statements: quoted UTF-8 and arib:HEX
// (Shift-JIS in hexadecimal) joined into one text, 'raw BYTES' for exact
// bytes, or 'absent'.
class TextField {
public:
    explicit TextField(std::string what) : what_(std::move(what)) {}

    // A statement of the text, which has no attributes left.
    void add(const Args& args) {
        args.done(true);
        const std::vector<Token>& items = args.items;
        if (items.empty()) fail(what_ + " needs a text (\"...\", arib:HEX, raw BYTES or absent)");
        const Token& first = items.front();
        if (!first.quoted && first.text == "absent") {
            if (items.size() != 1 || kind_ != Kind::None)
                fail("absent stands alone as the " + what_);
            kind_ = Kind::Absent;
        } else if (!first.quoted && first.text == "raw") {
            become(Kind::Raw);
            append(raw_, parseBytes(items, 1));
        } else {
            become(Kind::Text);
            shiftJis_ += shiftJisOf(items);
        }
    }

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

// The three texts of an item, or of aux texts.
struct Texts {
    TextField title{"title"};
    TextField detail1{"level-1 detail"};
    TextField detail2{"level-2 detail"};

    // The text a statement's keyword names, or nothing.
    TextField* named(const std::string& keyword) {
        if (keyword == "title") return &title;
        if (keyword == "detail1") return &detail1;
        return keyword == "detail2" ? &detail2 : nullptr;
    }
};

// A text given on one statement, after its attributes.
Bytes textOf(const Args& args, const std::string& what) {
    args.done(true);
    if (args.items.empty()) return Bytes();
    TextField field(what);
    field.add(args);
    return field.present();
}

// ---- Auxiliary items ------------------------------------------------------------

// An aux block: the statements of one auxiliary item until its 'end'.
class AuxBlock {
public:
    virtual ~AuxBlock() = default;
    virtual void statement(const std::string& keyword, Args& args) = 0;
    // The item; form and infoSize give its header.
    virtual AuxItem item() const = 0;

    std::string kind;
    size_t line = 0;
    ItemForm form = ItemForm::Automatic;
    std::optional<uint32_t> infoSize;
};

// The item of the fields of an aux block: a payload struct, or the texts of
// aux texts.
template <typename Fields>
AuxItem itemOf(const Fields& fields) {
    return aux::item(fields);
}

AuxItem itemOf(const Texts& t) {
    return aux::item(
        aux::AdditionalTexts{t.title.present(), t.detail1.present(), t.detail2.present()});
}

// An aux block over Fields; statement reads one line into the fields and
// returns false for a keyword the kind does not know.
template <typename Fields, typename Statement>
class FieldsBlock : public AuxBlock {
public:
    FieldsBlock(Fields fields, Statement s) : fields_(std::move(fields)), statement_(s) {}

    void statement(const std::string& keyword, Args& args) override {
        if (!statement_(fields_, keyword, args))
            fail("unknown statement '" + keyword + "' in aux " + kind);
    }
    AuxItem item() const override { return itemOf(fields_); }

private:
    Fields fields_;
    Statement statement_;
};

template <typename Fields, typename Statement>
std::unique_ptr<AuxBlock> fieldsBlock(Fields fields, Statement statement) {
    return std::make_unique<FieldsBlock<Fields, Statement>>(std::move(fields), statement);
}

bool video(aux::VideoComponents& f, const std::string& keyword, Args& args) {
    if (keyword != "component") return false;
    aux::VideoComponents::Entry& e = f.entries.emplace_back();
    takeAttrs(args, {{"type", 255, e.componentType}, {"tag", 255, e.componentTag}});
    e.text = textOf(args, "component text");
    return true;
}

bool audio(aux::AudioComponents& f, const std::string& keyword, Args& args) {
    if (keyword != "component") return false;
    aux::AudioComponents::Entry& e = f.entries.emplace_back();
    takeAttrs(args, {{"type", 255, e.componentType},
                     {"tag", 255, e.componentTag},
                     {"simulcast", 255, e.simulcastGroupTag},
                     {"mcom", 1, e.mcom},
                     {"quality", 3, e.quality},
                     {"sampling", 7, e.samplingRate}});
    e.mainLanguage = takeCode(args, "lang", "jpn");
    if (args.has("sub-lang")) e.subLanguage = takeCode(args, "sub-lang", "");
    e.text = textOf(args, "component text");
    return true;
}

// The control fields of the item and of each component.
template <typename Control>
void takeControl(Args& args, Control& c) {
    takeAttrs(args, {{"record", 3, c.dRecordCtrlData},
                     {"copy", 3, c.copyCtrlType},
                     {"aps", 3, c.apsCtrlData},
                     {"max-bit-rate", 255, c.maxBitRate}});
}

bool copyControl(aux::CopyControl& f, const std::string& keyword, Args& args) {
    if (keyword != "component") return false;
    aux::CopyControl::Component c;
    c.componentTag = takeOr<uint8_t>(args, "tag", 255);
    takeControl(args, c);
    args.done(false);
    if (!f.components) f.components.emplace();
    f.components->push_back(c);
    return true;
}

bool access(aux::ConditionalAccess& f, const std::string& keyword, Args& args) {
    if (keyword != "contract") return false;
    aux::ConditionalAccess::Contract& c = f.contracts.emplace_back();
    takeAttrs(args, {{"system", 0xFFFF, c.caSystemId}, {"unit", 15, c.unitId}});
    c.componentTags = takeList<uint8_t>(args, "tags", 255);
    if (const auto data = args.takeWord("data")) putHexItem(c.contract, *data);
    c.feeName = textOf(args, "fee name");
    return true;
}

bool groups(aux::ComponentGroups& f, const std::string& keyword, Args& args) {
    if (keyword == "group") {
        aux::ComponentGroups::Group& g = f.groups.emplace_back();
        g.groupId = takeOr<uint8_t>(args, "id", 15);
        if (const auto rate = args.take("bit-rate", 255)) {
            g.totalBitRate = static_cast<uint8_t>(*rate);
            f.totalBitRateFlag = true;
        }
        g.text = textOf(args, "group text");
    } else if (keyword == "unit") {
        if (f.groups.empty()) fail("a unit belongs to a group: give 'group' first");
        aux::ComponentGroups::Unit& u = f.groups.back().units.emplace_back();
        u.unitId = takeOr<uint8_t>(args, "id", 15);
        u.componentTags = takeList<uint8_t>(args, "tags", 255);
        args.done(false);
    } else {
        return false;
    }
    return true;
}

void dataEntry(aux::DataContents& f, Args& args) {
    aux::DataContents::Entry& e = f.entries.emplace_back();
    takeAttrs(args, {{"component", 0xFFFF, e.copmId, true}});
    e.entryComp = takeOr<uint8_t>(args, "entry-comp", 255);
    e.country = takeCode(args, "country", "jpn");
    e.compRefs = takeList<uint8_t>(args, "refs", 255);
    takeAttrs(args, {{"selector-length", 255, e.selectorLength}});
    e.title = textOf(args, "data content title");
    if (e.copmId == 7 || e.copmId == 11 || e.copmId == 12) e.bml.emplace();
    if (e.copmId == 8) e.caption.emplace();
}

void bmlVersions(aux::BmlSelector& s, Args& args) {
    const auto contentId = args.take("content-id", kMax32);
    const auto contentVer = args.take("content-version", 0xFFFF);
    if (contentId || contentVer)
        s.content = {static_cast<uint32_t>(contentId.value_or(0)),
                     static_cast<uint16_t>(contentVer.value_or(0))};
    const auto bmlVersion = args.takeWord("bml-version");
    const auto bxmlVersion = args.takeWord("bxml-version");
    args.done(false);
    if (bxmlVersion && !(bmlVersion && s.uxml)) fail("bxml-version= needs bml-version= and uxml=1");
    if (!bmlVersion) return;
    const std::vector<uint64_t> v = numbers(*bmlVersion, '.', {0xFFFF, 0xFFFF}, "bml-version");
    s.versions = {static_cast<uint16_t>(v[0]), static_cast<uint16_t>(v[1]), 0, 0};
    if (!bxmlVersion) return;
    const std::vector<uint64_t> x = numbers(*bxmlVersion, '.', {0xFFFF, 0xFFFF}, "bxml-version");
    s.versions->bxmlMajorVer = static_cast<uint16_t>(x[0]);
    s.versions->bxmlMinorVer = static_cast<uint16_t>(x[1]);
}

// Each bml statement sets TF, DRES, the flags and the language anew, the
// content and the versions only when given.
void bml(aux::BmlSelector& selector, Args& args) {
    aux::BmlSelector s;
    s.content = selector.content;
    s.versions = selector.versions;
    s.modules = std::move(selector.modules);
    s.plain = std::move(selector.plain);
    takeAttrs(args, {{"tf", 3, s.tf},
                     {"astt", 1, s.astt},
                     {"dres", 15, s.dres},
                     {"uxml", 1, s.uxml},
                     {"indp", 1, s.indp},
                     {"actn", 1, s.actn},
                     {"tvst", 1, s.tvst},
                     {"updf", 1, s.updf},
                     {"ondr", 1, s.ondr},
                     {"flst", 1, s.flst}});
    s.languageCode = takeCode(args, "lang", "jpn");
    bmlVersions(s, args);
    selector = std::move(s);
}

bool data(aux::DataContents& f, const std::string& keyword, Args& args) {
    if (keyword == "entry") {
        dataEntry(f, args);
        return true;
    }
    if (f.entries.empty()) fail("'" + keyword + "' belongs to an entry: give 'entry' first");
    aux::DataContents::Entry& e = f.entries.back();
    if (keyword == "caption") {
        if (!e.caption) fail("caption languages need an entry of component 8");
        aux::CaptionSelector::Language& l = e.caption->languages.emplace_back();
        takeAttrs(args, {{"tag", 3, l.langTag}, {"dmf", 15, l.dmf}});
        l.language = takeCode(args, "lang", "jpn");
        args.done(false);
        return true;
    }
    if (!e.bml) fail("'" + keyword + "' needs an entry of component 7, 11 or 12");
    if (keyword == "bml") {
        bml(*e.bml, args);
    } else if (keyword == "module") {
        aux::ModuleCarousel& m = e.bml->modules.emplace_back();
        takeOnly(args, {{"tag", 255, m.compTag},
                        {"data-events", 0xFFFF, m.nDataEvent},
                        {"modules", kMax32, m.nModules},
                        {"resources", kMax32, m.nResource},
                        {"compressed-size", kMax32, m.compressCompSize},
                        {"size", kMax32, m.compSize},
                        {"transaction", kMax32, m.transactionId},
                        {"dii-timeout", kMax32, m.diiTimeOut},
                        {"leak-rate", 0x3FFFFF, m.leakRate}});
    } else if (keyword == "carousel") {
        aux::PlainCarousel& c = e.bml->plain.emplace_back();
        takeOnly(args, {{"tag", 255, c.compTag},
                        {"evst", 1, c.evst},
                        {"size", kMax32, c.compSize},
                        {"transaction", kMax32, c.transactionId},
                        {"dii-timeout", kMax32, c.diiTimeOut},
                        {"leak-rate", 0x3FFFFF, c.leakRate}});
    } else {
        return false;
    }
    return true;
}

bool events(aux::EventGroups& f, const std::string& keyword, Args& args) {
    if (keyword == "group") {
        auto& g = f.groups.emplace_back();
        takeOnly(args, {{"type", 15, g.groupType}, {"event-count", 15, g.eventCount}});
        return true;
    }
    if (f.groups.empty()) fail("'" + keyword + "' belongs to a group: give 'group' first");
    aux::EventGroups::Group& g = f.groups.back();
    if (keyword == "event") {
        auto& e = g.events.emplace_back();
        takeOnly(args, {{"service", 0xFFFF, e.serviceId}, {"event", 0xFFFF, e.eventId}});
    } else if (keyword == "other") {
        auto& e = g.otherEvents.emplace_back();
        takeOnly(args, {{"nid", 0xFFFF, e.originalNid},
                        {"ts", 0xFFFF, e.tsid},
                        {"service", 0xFFFF, e.serviceId},
                        {"event", 0xFFFF, e.eventId}});
    } else if (keyword == "private") {
        appendBytes(args, g.privateData);
    } else {
        return false;
    }
    return true;
}

bool texts(Texts& t, const std::string& keyword, Args& args) {
    TextField* field = t.named(keyword);
    if (field) field->add(args);
    return field != nullptr;
}

std::unique_ptr<AuxBlock> blockOfKind(const std::string& kind, Args& args) {
    if (kind == "video") return fieldsBlock(aux::VideoComponents(), video);
    if (kind == "audio") return fieldsBlock(aux::AudioComponents(), audio);
    if (kind == "copy-control") {
        aux::CopyControl c;
        takeControl(args, c);
        return fieldsBlock(c, copyControl);
    }
    if (kind == "access")
        return fieldsBlock(aux::ConditionalAccess{takeOr<bool>(args, "pay", 1, true), {}}, access);
    if (kind == "groups") {
        aux::ComponentGroups g;
        g.groupType = takeOr<uint8_t>(args, "group-type", 7);
        return fieldsBlock(g, groups);
    }
    if (kind == "data") return fieldsBlock(aux::DataContents(), data);
    if (kind == "events") return fieldsBlock(aux::EventGroups(), events);
    if (kind == "texts") return fieldsBlock(Texts(), texts);
    return nullptr;
}

// ---- One-line auxiliary items --------------------------------------------------

aux::Series series(Args& args) {
    using S = aux::Series;
    S s;
    takeAttrs(args, {{"episode", 0x7FFF, s.episode},
                     {"total", 0x7FFF, s.totalEpisode},
                     {"wide-episode", 1, s.wideEpisode},
                     {"wide-total", 1, s.wideTotalEpisode}});
    if (args.has("repeat") || args.has("program-flag") || args.has("pattern")) {
        s.control = S::Control{takeOr<uint8_t>(args, "repeat", 15),
                               takeOr<uint8_t>(args, "program-flag", 1),
                               takeOr<uint8_t>(args, "pattern", 7)};
    }
    if (const auto id = args.take("series-id", 0xFFFF))
        s.identity = S::Identity{static_cast<uint16_t>(*id), takeDay(args, "expire", true)};
    s.seriesName = textOf(args, "series name");
    return s;
}

template <typename Pairs>
Pairs pairsOf(Args& args, uint64_t maxFirst, uint64_t maxSecond, const std::string& what) {
    args.done(true);
    Pairs fields;
    for (const Token& item : args.items) {
        if (item.quoted) fail(what + " takes A/B pairs, not a string");
        const std::vector<uint64_t> v = numbers(item.text, '/', {maxFirst, maxSecond}, what);
        fields.pairs.push_back({static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1])});
    }
    return fields;
}

aux::TimeShift timeShift(Args& args) {
    aux::TimeShift t;
    t.originalNid = takeOr<uint16_t>(args, "nid", 0xFFFF);
    t.startSecond = takeOr<uint8_t>(args, "start-second", 99);
    takeClock(args, "duration", t.hours, t.minutes, t.seconds);
    args.done(false);
    return t;
}

aux::EitVersion::Stamp stampOf(Args& args, const std::string& prefix) {
    aux::EitVersion::Stamp s;
    s.eitVer = takeOr<uint8_t>(args, prefix + "-version", 255);
    s.crc = takeOr<uint32_t>(args, prefix + "-crc", kMax32);
    s.mjd = takeDay(args, prefix + "-date", true).value_or(0);
    takeClock(args, prefix + "-time", s.hour, s.min, s.sec);
    return s;
}

aux::EitVersion eitVersion(Args& args) {
    aux::EitVersion v;
    v.basic = stampOf(args, "basic");
    v.ext = stampOf(args, "ext");
    takeOnly(args, {{"event-name-length", 255, v.siEventNameLength},
                    {"event-name-crc", 0xFFFF, v.siEventNameCrc},
                    {"event-text-length", 255, v.siEventTextLength},
                    {"event-text-crc", 0xFFFF, v.siEventTextCrc},
                    {"event-ext-length", 0xFFFF, v.siEventExtLength},
                    {"event-ext-crc", 0xFFFF, v.siEventExtCrc}});
    return v;
}

template <typename Fields, typename Value>
Fields numbersOf(Args& args, std::vector<Value> Fields::*list, uint64_t max,
                 const std::string& kind) {
    args.done(true);
    Fields fields;
    for (const Token& item : args.items) {
        if (item.quoted) fail(kind + " takes numbers, not a string");
        (fields.*list).push_back(static_cast<Value>(parseNumber(item.text, max, kind)));
    }
    return fields;
}

aux::Parental parental(Args& args) {
    aux::Parental p;
    p.countryCode = takeCode(args, "country", "JPN");
    p.parentalRating = takeOr<uint8_t>(args, "rating", 255);
    args.done(false);
    return p;
}

// The item of a one-line kind; nothing for another word.
std::optional<AuxItem> oneLineItem(const std::string& kind, Args& args) {
    using namespace aux;
    if (kind == "series") return item(series(args));
    if (kind == "keywords") return item(numbersOf(args, &KeywordCodes::codes, 0xFFFF, kind));
    if (kind == "package-ids") return item(numbersOf(args, &PackageIds::ids, kMax32, kind));
    if (kind == "categories") return item(pairsOf<CategoryPairs>(args, 15, 15, kind));
    if (kind == "parental") return item(parental(args));
    if (kind == "content-nibbles") return item(pairsOf<ContentNibbles>(args, 255, 255, kind));
    if (kind == "actors") return item(numbersOf(args, &ActorIds::ids, 0xFFFF, kind));
    if (kind == "time-shift") return item(timeShift(args));
    if (kind == "eit-version") return item(eitVersion(args));
    if (kind == "icons") return item(numbersOf(args, &Icons::codes, 255, kind));
    return std::nullopt;
}

ItemForm takeForm(Args& args) {
    const std::string form = args.takeWord("form").value_or("auto");
    if (form == "auto") return ItemForm::Automatic;
    if (form == "long") return ItemForm::Long;
    if (form == "short") return ItemForm::Short;
    fail("form= is long, short or auto, not '" + form + "'");
}

// The item with its header form and InfoSize, checked on line.
AuxItem finishedItem(AuxItem item, ItemForm form, std::optional<uint32_t> size, size_t line) {
    item.form = form;
    item.infoSize = size;
    try {
        auxItemBytes(item);
    } catch (const std::invalid_argument& e) {
        fail(std::string("aux: ") + e.what(), line);
    }
    return item;
}

// ---- The schedule block -------------------------------------------------------

// A schedule: its items, each with its texts and aux items (blocks or single
// lines). Its end writes the packet header and the items.
class ScheduleBlock : public RecordBlock {
public:
    ScheduleBlock(uint8_t typeCode, Args& args) {
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

    std::pair<std::string, size_t> openBlock() const override {
        if (aux_) return {"aux " + aux_->kind, aux_->line};
        if (inItem_) return {"item", itemLine_};
        return {"schedule", 0};
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (aux_ && keyword != "end") {
            aux_->statement(keyword, args);
        } else if (aux_) {
            args.done(false);
            try {
                item_.aux.push_back(
                    finishedItem(aux_->item(), aux_->form, aux_->infoSize, aux_->line));
            } catch (const std::invalid_argument& e) {
                fail(std::string("aux ") + aux_->kind + ": " + e.what(), aux_->line);
            }
            aux_.reset();
        } else if (inItem_) {
            itemStatement(keyword, args);
        } else if (keyword == "item") {
            beginItem(args);
        } else {
            fail("unknown statement '" + keyword + "' in a schedule");
        }
    }

    void finish() override {
        header_ = schedulePacketHeader(schedule_);
        data_ = scheduleData(schedule_);
    }

    bool inner() const override { return aux_ || inItem_; }

    void beginItem(Args& args) {
        item_ = ScheduleItem();
        item_.startMinute = takeStartMinute(args).value_or(0);
        ScheduleItem& i = item_;
        takeAttrs(args, {{"major", 15, i.majorCategory},
                         {"special", 15, i.specialCategory},
                         {"feature", 255, i.feature},
                         {"show", 0xFFFFFF, i.showId},
                         {"minor", 15, i.minorCategory}});
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
        texts_ = Texts();
        inItem_ = true;
        itemLine_ = line_;
    }

    void itemStatement(const std::string& keyword, Args& args) {
        if (TextField* field = texts_.named(keyword)) {
            field->add(args);
        } else if (keyword == "aux") {
            beginAux(args);
        } else if (keyword == "fault") {
            takeFaults(args, {{"sie-size", kMax32, item_.sieSize},
                              {"title-length", 255, item_.titleLength},
                              {"detail1-length", 0xFFFF, item_.detail1Length},
                              {"detail2-length", 0xFFFF, item_.detail2Length},
                              {"book-length", 255, item_.bookCodeLength}});
        } else if (keyword == "end") {
            args.done(false);
            endItem();
        } else {
            fail("unknown statement '" + keyword + "' in an item");
        }
    }

    void beginAux(Args& args) {
        const ItemForm form = takeForm(args);
        std::optional<uint32_t> size;
        takeAttrs(args, {{"size", kMax32, size}});
        if (const auto type = args.take("type", 127)) {
            item_.aux.push_back(
                finishedItem({static_cast<uint8_t>(*type), bytesOf(args)}, form, size, line_));
            return;
        }
        if (args.items.empty() || args.items.front().quoted)
            fail("aux takes type=N and payload bytes, or the name of an item kind");
        const std::string kind = args.items.front().text;
        args.items.erase(args.items.begin());
        try {
            if (auto oneLine = oneLineItem(kind, args))
                return item_.aux.push_back(finishedItem(std::move(*oneLine), form, size, line_));
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

    void endItem() {
        item_.title = texts_.title.bytes();
        item_.detail1 = texts_.detail1.bytes();
        item_.detail2 = texts_.detail2.bytes();
        try {
            scheduleItemBytes(schedule_.typeCode, item_);
        } catch (const std::invalid_argument& e) {
            fail(std::string("item: ") + e.what(), itemLine_);
        }
        schedule_.items.push_back(std::move(item_));
        inItem_ = false;
    }

    Schedule schedule_;
    ScheduleItem item_;
    Texts texts_;
    std::unique_ptr<AuxBlock> aux_;
    bool inItem_ = false;
    size_t itemLine_ = 0;
};

}  // namespace

std::unique_ptr<RecordBlock> openSchedule(uint8_t typeCode, Args& args) {
    return std::make_unique<ScheduleBlock>(typeCode, args);
}

}  // namespace jq::write::description
