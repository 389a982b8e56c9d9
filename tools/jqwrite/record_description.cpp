// record_description.cpp - reads the record blocks of a description into
// the structures of record_data.h and jqid_data.h and writes them.
//
// Each block gathers its entries statement by statement and builds its
// bytes once, at its 'end', through the same functions that tests call, so
// that a description and the C++ interface cannot drift apart. Texts are
// quoted UTF-8 (written as Shift-JIS, as these families carry them) or
// unquoted BYTES items for exact bytes.
#include <algorithm>
#include <stdexcept>
#include <type_traits>

#include "description_syntax.h"
#include "jqid_data.h"
#include "micp_writer.h"
#include "put_bytes.h"
#include "record_data.h"
#include "schedule_data.h"
#include "shift_jis.h"
#include "topic_object.h"

namespace jq::write::description {
namespace {

constexpr uint64_t kMax48 = (uint64_t{1} << 48) - 1;

// A text item: quoted UTF-8 as Shift-JIS, or an unquoted BYTES item.
Bytes textOf(const Token& item, const std::string& what) {
    if (!item.quoted) return parseBytes({item});
    try {
        const std::string sjis = shiftJisFromUtf8(item.text);
        return Bytes(sjis.begin(), sjis.end());
    } catch (const std::invalid_argument& e) {
        fail(what + ": " + e.what());
    }
}

// The texts of a statement into fields, at most one each; the statement's
// attributes must all have been taken.
void takeTexts(const Args& args, std::initializer_list<std::pair<const char*, Bytes*>> fields) {
    args.done(true);
    if (args.items.size() > fields.size())
        fail("at most " + std::to_string(fields.size()) + " texts here, not " +
             std::to_string(args.items.size()));
    auto field = fields.begin();
    for (const Token& item : args.items) {
        *field->second = textOf(item, field->first);
        ++field;
    }
}

// A moment in seconds since 1991-12-31: N, YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS.
uint32_t momentOf(const std::string& text, const std::string& what) {
    if (text.find('-') == std::string::npos)
        return static_cast<uint32_t>(parseNumber(text, kMax32, what));
    const size_t t = text.find('T');
    const Date date = dateOf(text.substr(0, t), what);
    std::vector<uint64_t> time{0, 0, 0};
    if (t != std::string::npos) time = numbers(text.substr(t + 1), ':', {99, 99, 99}, what);
    try {
        return jqidSeconds(date.year, date.month, date.day, static_cast<unsigned>(time[0]),
                           static_cast<unsigned>(time[1]), static_cast<unsigned>(time[2]));
    } catch (const std::invalid_argument& e) {
        fail(what + ": " + e.what());
    }
}

uint32_t takeMoment(Args& args, const std::string& name) {
    const std::optional<std::string> word = args.takeWord(name);
    return word ? momentOf(*word, name) : 0;
}

// A record block over its data: entry reads one statement into it, header
// (nullptr: none) and content write the packet header and the record data.
template <typename Data, typename Entry, typename Header, typename Content>
class Block : public RecordBlock {
public:
    Block(Data data, Entry entry, Header header, Content content)
        : d_(std::move(data)), e_(entry), h_(header), c_(content) {}

private:
    void entry(const std::string& keyword, Args& args) override { e_(d_, keyword, args); }
    void finish() override {
        if constexpr (!std::is_null_pointer_v<Header>) header_ = h_(d_);
        data_ = c_(d_);
    }

    Data d_;
    Entry e_;
    Header h_;
    Content c_;
};

template <typename Data, typename Entry, typename Header, typename Content>
std::unique_ptr<RecordBlock> block(Data data, Entry entry, Header header, Content content) {
    return std::make_unique<Block<Data, Entry, Header, Content>>(std::move(data), entry, header,
                                                                 content);
}

// ---- JQID tables --------------------------------------------------------------

// What the entries of each JqidLayout take, in its order: the keyword, the
// attribute of the entry's ID (to= of a link gives the second JQID) with its
// largest value, and the name of the text after MimeType (none: no texts).
struct JqidKind {
    const char* keyword;
    const char* id;
    uint64_t idMax;
    const char* secondText;
};
constexpr JqidKind kJqidKinds[] = {
    {"event", nullptr, 0, nullptr},  {"id", "id", kMax32, nullptr},
    {"id", "id", kMax32, nullptr},   {"id", "id", kMax32, nullptr},
    {"uri", nullptr, 0, "Uri"},      {"actor", "actor", 0xFFFF, "DocRef"},
    {"message", "id", 255, nullptr}, {"sponsor", "sponsor", kMax32, "Uri"},
    {"link", "to", kMax48, nullptr},
};

// IDType 0 with event=, IDType 1 with date= (or mjd=), start= and duration=.
void jqidEvent(JqidEntry& e, Args& args) {
    e.gcn = takeOr<uint16_t>(args, "gcn", 0xFFFF);
    if (const auto id = args.take("event", 0xFFFF)) {
        e.eventId = static_cast<uint16_t>(*id);
        return;
    }
    e.idType = 1;
    const std::optional<uint16_t> date = takeDay(args, "date", true);
    e.mjd = date ? *date : takeOr<uint16_t>(args, "mjd", 0xFFFF);
    const std::vector<uint64_t> start =
        numbers(args.takeWord("start").value_or("0:0:0"), ':', {2047, 2047, 2047}, "start");
    if (start[0] * 60 + start[1] > 2047 || start[2] > 63)
        fail("start: the minute of the day is 11 bits and the second 6 bits");
    e.startMinute = static_cast<uint16_t>(start[0] * 60 + start[1]);
    e.startSecond = static_cast<uint8_t>(start[2]);
    const std::vector<uint64_t> duration =
        numbers(args.takeWord("duration").value_or("0:0"), ':', {0x3FFFF, 0x3FFFF}, "duration");
    if (duration[1] > 63) fail("duration: the seconds are 6 bits");
    e.dureMinute = static_cast<uint32_t>(duration[0]);
    e.dureSecond = static_cast<uint8_t>(duration[1]);
}

void jqidEntry(JqidTable& t, const std::string& keyword, Args& args) {
    const JqidLayout layout = jqidLayoutOf(t.currentGrt);
    const JqidKind& kind = kJqidKinds[static_cast<size_t>(layout)];
    if (keyword != kind.keyword)
        fail("a table of CurrentGRT " + std::to_string(t.currentGrt) + " holds '" + kind.keyword +
             "' entries, not '" + keyword + "'");
    JqidEntry& e = t.entries.emplace_back();
    e.jqid = args.require("jqid", kMax48);
    e.effectiveDate = takeMoment(args, "effective");
    e.expiryDate = takeMoment(args, "expiry");
    takeAttrs(args, {{"length", kMax32, e.entryLength}});
    if (layout == JqidLayout::Event) jqidEvent(e, args);
    const FieldRef id = layout == JqidLayout::Link ? FieldRef(e.secondJqid) : FieldRef(e.id);
    if (kind.id) takeAttrs(args, {{kind.id, kind.idMax, id, true}});
    if (layout == JqidLayout::Message) takeAttrs(args, {{"service", 255, e.serviceId}});
    if (!kind.secondText) return args.done(false);
    takeTexts(args, {{"MimeType", &e.mimeType}, {kind.secondText, &e.uri}});
}

std::unique_ptr<RecordBlock> openJqid(uint8_t, Args& args) {
    JqidTable t;
    takeAttrs(args, {{"grt", 0x7FFF, t.currentGrt, true},
                     {"start", 0x7FFF, t.startGrt},
                     {"end", 0x7FFF, t.endGrt},
                     {"update-cur", 1, t.updateFlagCur},
                     {"update-start", 1, t.updateFlagStart},
                     {"update-end", 1, t.updateFlagEnd}});
    t.timeStamp = takeMoment(args, "time");
    args.done(false);
    jqidLayoutOf(t.currentGrt);  // refuses a CurrentGRT that names no table kind
    return block(t, jqidEntry, jqidPacketHeader, jqidData);
}

// ---- Topic messages and lists ---------------------------------------------------

// A topic message: raw 'object' bytes and 'message-object' blocks, each
// appended to the object in order. tolvo=1 writes the packet header as the
// container reading has it.
class TopicMessageBlock : public RecordBlock {
public:
    explicit TopicMessageBlock(Args& args) {
        takeOnly(args, {{"message", 255, m_.messageId},
                        {"service", 255, m_.serviceId},
                        {"serial", 0xFFFF, m_.serialNumber},
                        {"smk", 0xFFFF, m_.smk},
                        {"data-smk", 0xFFFF, m_.dataSmk},
                        {"tolvo", 1, tolvo_}});
    }

private:
    bool inner() const override { return object_.has_value(); }

    void entry(const std::string& keyword, Args& args) override {
        if (object_) return objectStatement(keyword, args);
        if (keyword == "object") return appendBytes(args, m_.object);
        if (keyword != "message-object")
            fail("a topic message holds 'object' statements and 'message-object' blocks");
        TopicObject& o = object_.emplace();
        takeAttrs(args, {{"type", 0xFFFF, o.objectType},
                         {"byte", 255, o.objectByte},
                         {"message-byte", 255, o.messageByte}});
        o.messageTime = takeMoment(args, "time");
        const std::vector<uint16_t> values = takeList<uint16_t>(args, "values", 0xFFFF);
        if (values.size() > 2) fail("values: the message header holds two values");
        std::copy(values.begin(), values.end(), o.headerValues);
        args.done(false);
        trailerGiven_ = false;
    }

    void objectStatement(const std::string& keyword, Args& args) {
        TopicObject& o = *object_;
        if (keyword == "end") {
            args.done(false);
            append(m_.object, topicObjectBytes(o));
            object_.reset();
        } else if (keyword == "element" || keyword == "text") {
            TypedElement& e = o.elements.emplace_back();
            takeAttrs(args, {{"type", 0xFFFF, e.type, true}, {"length", 0xFFFF, e.length}});
            if (keyword == "element") return appendBytes(args, e.payload);
            takeTexts(args, {{"text", &e.payload}});
        } else if (keyword == "expiry" || keyword == "values") {
            args.done(true);
            const size_t count = keyword == "expiry" ? 1 : 4;
            if (args.items.size() != count || args.items[0].quoted)
                fail(keyword == "expiry" ? "expiry takes one time T" : "values takes four numbers");
            if (count == 1)
                return o.elements.push_back(
                    topicExpiryElement(momentOf(args.items[0].text, "expiry")));
            uint64_t v[4];
            for (size_t i = 0; i < 4; ++i)
                v[i] = parseNumber(args.items[i].text, i < 3 ? 0xFFFF : 255, "values");
            o.elements.push_back(
                topicValuesElement(static_cast<uint16_t>(v[0]), static_cast<uint16_t>(v[1]),
                                   static_cast<uint16_t>(v[2]), static_cast<uint8_t>(v[3])));
        } else if (keyword == "trailer") {
            if (trailerGiven_) fail("a message object has one trailer");
            trailerGiven_ = true;
            o.trailer.clear();
            appendBytes(args, o.trailer);
        } else {
            fail("unknown statement '" + keyword + "' in a message object");
        }
    }

    void finish() override {
        header_ = tolvo_ ? tolvoTopicMessagePacketHeader(m_) : topicMessagePacketHeader(m_);
        data_ = topicMessageData(m_);
    }

    TopicMessage m_;
    bool tolvo_ = false;
    std::optional<TopicObject> object_;
    bool trailerGiven_ = false;
};

struct TopicList {
    uint8_t typeCode;
    uint8_t major = 0;
    std::vector<TopicEntry> entries;
};

void topicListEntry(TopicList& list, const std::string& keyword, Args& args) {
    if (keyword != "entry") fail("a topic list holds 'entry' statements");
    const bool full = list.typeCode == kTopicList;
    TopicEntry e;
    takeAttrs(args, {{"lead", kMax32, e.leadingValue},
                     {"major", 31, e.majorCategory},
                     {"minor", full ? 255u : 7u, e.minorCategory},
                     {"object", 0xFFFF, e.objectId},
                     {"service", 255, e.serviceId}});
    if (const auto ref = args.takeWord("ref")) putHexItem(e.reference.emplace(), *ref);
    if (full) e.messageId = takeOr<uint8_t>(args, "message", 255);
    takeTexts(args, {{"title", &e.title}, {"details", &e.details}});
    topicEntryBytes(list.typeCode, e);  // checks widths and lengths on the entry's own line
    list.entries.push_back(std::move(e));
}

std::unique_ptr<RecordBlock> openTopicList(uint8_t typeCode, Args& args) {
    TopicList list{typeCode, 0, {}};
    list.major = takeOr<uint8_t>(args, "major", 31);
    args.done(false);
    return block(
        list, topicListEntry, [](const TopicList& l) { return topicListPacketHeader(l.major); },
        [](const TopicList& l) { return topicListData(l.typeCode, l.entries); });
}

// ---- Dictionaries ---------------------------------------------------------------

// The sub-table names and their entry keywords, in Sct order.
constexpr const char* kSubTables[] = {"categories", "keywords",         "keyword-categories",
                                      "actors",     "actor-categories", "icons"};
constexpr const char* kDictEntries[] = {"category", "keyword",        "keyword-category",
                                        "actor",    "actor-category", "icon"};

template <typename Host>
void dictionaryActor(ActorEntry& e, Args& args, Host host) {
    host(e.hostId);
    takeAttrs(args, {{"id", 0xFFFF, e.actorId, true}});
    if (const auto born = args.takeWord("born")) {
        const std::vector<uint64_t> d = numbers(*born, '-', {0xFFFF, 0xFFFF, 0xFFFF}, "born");
        if (d[1] > 255 || d[2] > 255) fail("born: month and day are one byte each");
        e.birthYear = static_cast<uint16_t>(d[0]);
        e.birthMonth = static_cast<uint8_t>(d[1]);
        e.birthDay = static_cast<uint8_t>(d[2]);
    }
    e.gender = takeOr<uint8_t>(args, "gender", 255);
    e.categories = takeList<uint8_t>(args, "categories", 255);
    takeTexts(args, {{"StageName", &e.stageName},
                     {"Pronunce", &e.pronunce},
                     {"RealName", &e.realName},
                     {"Origin", &e.origin},
                     {"Comment", &e.comment}});
}

void dictionaryEntry(Dictionary& d, const std::string& keyword, Args& args) {
    const char* expected = kDictEntries[static_cast<size_t>(d.sct)];
    if (keyword != expected) fail("this sub-table holds '" + std::string(expected) + "' entries");
    // The host ID leads the entries of 0xE2; 0x5D has none.
    const auto host = [&](uint16_t& hostId) {
        if (d.typeCode == kHostDictionary) takeAttrs(args, {{"host", 0xFFFF, hostId}});
    };
    switch (d.sct) {
        case Sct::Categories: {
            CategoryEntry& e = d.categories.emplace_back();
            takeAttrs(args, {{"major", 15, e.majorCode, true}, {"minor", 15, e.minorCode}});
            if (const auto list = args.takeWord("contents"); list && !list->empty())
                for (const std::string& pair : split(*list, ',')) {
                    const std::vector<uint64_t> cu = numbers(pair, '/', {255, 255}, "contents");
                    e.contents.emplace_back(static_cast<uint8_t>(cu[0]),
                                            static_cast<uint8_t>(cu[1]));
                }
            return takeTexts(args, {{"CategoryText", &e.text}, {"CategoryDesc", &e.desc}});
        }
        case Sct::Keywords: {
            KeywordEntry& e = d.keywords.emplace_back();
            host(e.hostId);
            takeAttrs(args, {{"code", 0xFFFF, e.code, true}, {"category", 255, e.category}});
            return takeTexts(args, {{"KeywordText", &e.text}});
        }
        case Sct::KeywordCategories:
        case Sct::ActorCategories: {
            auto& entries = d.sct == Sct::ActorCategories ? d.actorCategories : d.keywordCategories;
            DictCategoryEntry& e = entries.emplace_back();
            host(e.hostId);
            takeAttrs(args, {{"category", 255, e.category, true}});
            return takeTexts(args, {{"CategoryText", &e.text}});
        }
        case Sct::Actors:
            return dictionaryActor(d.actors.emplace_back(), args, host);
        case Sct::Icons: {
            IconEntry& e = d.icons.emplace_back();
            takeAttrs(args, {{"code", 31, e.iconCode, true}, {"display", 1, e.displayFlag}});
            return takeTexts(args, {{"IconDesc", &e.desc}});
        }
    }
}

std::unique_ptr<RecordBlock> openDictionary(uint8_t typeCode, Args& args) {
    Dictionary dict;
    dict.typeCode = typeCode;
    if (args.items.size() != 1 || args.items[0].quoted)
        fail(
            "dictionary names one sub-table: categories, keywords, keyword-categories, "
            "actors, actor-categories or icons");
    const std::string& name = args.items[0].text;
    size_t sct = 0;
    while (sct < 6 && name != kSubTables[sct]) ++sct;
    if (sct == 6) fail("unknown sub-table '" + name + "'");
    if (sct == 5 && typeCode != kHostDictionary) fail("icons are a sub-table of type 0xE2");
    dict.sct = static_cast<Sct>(sct);
    args.items.clear();
    args.done(false);
    return block(dict, dictionaryEntry, dictionaryPacketHeader, dictionaryData);
}

// ---- Channel maps ----------------------------------------------------------------

struct ChannelMap {
    uint16_t cmid = 0;
    std::vector<ChannelGroup> groups;
};

void channelEntry(ChannelMap& map, const std::string& keyword, Args& args) {
    if (keyword == "group") {
        takeAttrs(args, {{"gcn", 0xFFFF, map.groups.emplace_back().gcn, true}});
        return args.done(false);
    }
    if (map.groups.empty()) fail("a channel entry belongs to a group (group gcn=N)");
    ChannelEntry e;
    takeAttrs(args, {{"last", 1, e.lastFlag}});
    if (keyword == "analog" || keyword == "analog2") {
        e.bandType = keyword == "analog" ? 1 : 3;
        takeAttrs(args, {{"ch", 255, e.analogCh, true}});
    } else if (keyword == "digital") {
        e.bandType = 2;
        takeAttrs(
            args,
            {{"nid", 0xFFFF, e.nid}, {"sid", 0xFFFF, e.sid}, {"service-type", 255, e.serviceType}});
    } else if (keyword == "source") {
        e.bandType = 4;
        takeAttrs(args, {{"type", 15, e.sourceType, true}, {"multi", 0xFFFF, e.multiCh}});
    } else if (keyword == "skip") {
        e.bandType = 0;
        takeAttrs(args, {{"byte", 255, e.skipByte}});
    } else {
        fail("unknown statement '" + keyword + "' in a channel map");
    }
    args.done(false);
    channelEntryBytes(e);
    map.groups.back().entries.push_back(e);
}

std::unique_ptr<RecordBlock> openChannelMap(uint8_t, Args& args) {
    ChannelMap map;
    takeOnly(args, {{"cmid", 0xFFFF, map.cmid, true}});
    return block(
        map, channelEntry, [](const ChannelMap& m) -> Bytes { return Put().be16(m.cmid); },
        [](const ChannelMap& m) { return channelMapData(m.groups); });
}

// ---- Area codes ------------------------------------------------------------------

struct Areas {
    uint8_t typeCode;
    std::vector<AreaList> lists;
};

void areaEntry(Areas& areas, const std::string& keyword, Args& args) {
    if (keyword != "list") fail("an areas block holds 'list' statements");
    AreaList& list = areas.lists.emplace_back();
    if (areas.typeCode == kCmidAreaLists) takeAttrs(args, {{"cmid", 0xFFFF, list.cmid, true}});
    if (areas.typeCode == kOffsetAreaLists)
        takeAttrs(args, {{"half-hour", 1, list.halfHourOffset},
                         {"dst", 1, list.daylightSaving},
                         {"negative", 1, list.offsetPolarity},
                         {"offset", 15, list.offset}});
    list.terminated = takeOr<uint8_t>(args, "open", 1) == 0;
    args.done(true);
    for (const Token& item : args.items) {
        if (item.quoted) fail("area codes are numbers, N or N-M");
        const std::vector<std::string> parts = split(item.text, '-');
        if (parts.size() > 2) fail("'" + item.text + "' is not N or N-M");
        AreaCode& code = list.codes.emplace_back();
        code.lower = static_cast<uint32_t>(parseNumber(parts[0], 0x1FFFF, "area code"));
        if (parts.size() == 2)
            code.upper = static_cast<uint32_t>(parseNumber(parts[1], 0x1FFFF, "area code"));
    }
}

std::unique_ptr<RecordBlock> openAreas(uint8_t typeCode, Args& args) {
    args.done(false);
    return block(Areas{typeCode, {}}, areaEntry, nullptr,
                 [](const Areas& a) { return areaData(a.typeCode, a.lists); });
}

// ---- Reception rules -------------------------------------------------------------

struct Reception {
    uint8_t rule = 0;
    uint8_t info = kInfoServices;
    std::vector<ReceptionService> services;
    std::optional<ReceptionDescription> description;
    Bytes raw;
};

// service nid=N sid=N tag=N DAY/HH:MM/DURATION[/UPDATE]...
void receptionService(ReceptionService& s, Args& args) {
    takeAttrs(args, {{"nid", 0xFFFF, s.nid}, {"sid", 0xFFFF, s.sid}, {"tag", 255, s.componentTag}});
    args.done(true);
    for (const Token& item : args.items) {
        const std::vector<std::string> parts = split(item.text, '/');
        if (item.quoted || parts.size() < 3 || parts.size() > 4)
            fail("a reception time is DAY/HH:MM/DURATION[/UPDATE], not '" + item.text + "'");
        ReceptionSchedule& e = s.schedules.emplace_back();
        e.dayOfWeek = static_cast<uint8_t>(parseNumber(parts[0], 7, "day"));
        const std::vector<uint64_t> hm = numbers(parts[1], ':', {2047, 2047}, "time");
        if (hm[0] * 60 + hm[1] > 2047) fail("time: at most 2047 minutes");
        e.scheduleTime = static_cast<uint16_t>(hm[0] * 60 + hm[1]);
        e.duration = static_cast<uint8_t>(parseNumber(parts[2], 255, "duration"));
        if (parts.size() == 4)
            e.updateFlag = static_cast<uint8_t>(parseNumber(parts[3], 1, "update"));
    }
}

void receptionEntry(Reception& r, const std::string& keyword, Args& args) {
    if (keyword == "service" && r.info == kInfoServices) {
        receptionService(r.services.emplace_back(), args);
    } else if (keyword == "description" && r.info == kInfoDescription) {
        if (r.description) fail("a reception package holds one description");
        ReceptionDescription& d = r.description.emplace();
        takeAttrs(args, {{"gcn", 0xFFFF, d.gcn}, {"nid", 0xFFFF, d.nid}, {"sid", 0xFFFF, d.sid}});
        d.graphics = takeList<uint16_t>(args, "graphics", 0xFFFF);
        takeTexts(args, {{"DescText", &d.text}});
    } else if (keyword == "data") {
        appendBytes(args, r.raw);
    } else {
        fail("InfoType 'R' holds 'service' statements, 'u' one 'description', others 'data'");
    }
}

std::unique_ptr<RecordBlock> openReception(uint8_t, Args& args) {
    Reception r;
    r.rule = takeOr<uint8_t>(args, "rule", 255);
    const std::string info = args.takeWord("info").value_or("R");
    r.info = info == "R" || info == "u" ? static_cast<uint8_t>(info[0])
                                        : static_cast<uint8_t>(parseNumber(info, 255, "info"));
    args.done(false);
    const auto header = [](const Reception& r) { return receptionPacketHeader(r.rule, r.info); };
    return block(r, receptionEntry, header, [](const Reception& r) {
        Bytes data;
        if (r.info == kInfoServices) data = receptionServicesData(r.services);
        if (r.info == kInfoDescription && r.description)
            data = receptionDescriptionData(*r.description);
        append(data, r.raw);
        return data;
    });
}

// ---- Code download and station names ------------------------------------------

std::unique_ptr<RecordBlock> openCodeDownload(uint8_t, Args& args) {
    CodeDownload p;
    takeOnly(args, {{"code", 0xFFFF, p.codeId},
                    {"major", 255, p.majorVer},
                    {"minor", 255, p.minorVer},
                    {"files", 255, p.totalFileNum},
                    {"file", 255, p.fileNum},
                    {"info-size", 0xFFFF, p.fileInfoSize},
                    {"crc", 0xFFFF, p.crc},
                    {"offset", kMax32, p.codeOffset}});
    const auto entry = [](CodeDownload& p, const std::string& keyword, Args& args) {
        if (keyword != "bytes") fail("a code download holds 'bytes' statements");
        appendBytes(args, p.code);
    };
    return block(p, entry, codeDownloadPacketHeader, codeDownloadData);
}

std::unique_ptr<RecordBlock> openStations(uint8_t, Args& args) {
    args.done(false);
    const auto entry = [](std::vector<Station>& stations, const std::string& keyword, Args& args) {
        if (keyword != "station") fail("a stations block holds 'station' statements");
        Station& s = stations.emplace_back();
        takeAttrs(
            args,
            {{"gcn", 0x3FFF, s.gcn}, {"mosaic", 0xFFFF, s.mosaicCode}, {"xcie", 255, s.xcieSize}});
        takeTexts(args, {{"StationName", &s.name}});
    };
    return block(std::vector<Station>(), entry, nullptr, stationData);
}

// ---- MICP objects ------------------------------------------------------------------

// The object of an MICP block: its elements in order, then the trailer.
// A datum's first item is its name, the others its bytes.
class MicpObjectBlock : public RecordBlock {
public:
    explicit MicpObjectBlock(Args& args) {
        takeOnly(args, {{"type", 0xFFFF, o_.objectType}, {"byte", 255, o_.objectByte}});
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword == "info") {
            uint32_t value = 0;
            takeAttrs(args, {{"value", kMax32, value}});
            const uint32_t time = takeMoment(args, "time");
            const std::vector<uint16_t> v = takeList<uint16_t>(args, "values", 0xFFFF);
            if (v.size() > 2) fail("values: an info element holds two values");
            args.done(false);
            o_.elements.push_back(
                micpInfoElement(value, time, v.size() > 0 ? v[0] : 0, v.size() > 1 ? v[1] : 0));
        } else if (keyword == "expiry") {
            args.done(true);
            if (args.items.size() != 1 || args.items[0].quoted) fail("expiry takes one time T");
            o_.elements.push_back(micpExpiryElement(momentOf(args.items[0].text, "expiry")));
        } else if (keyword == "datum" || keyword == "part") {
            MicpDatum d;
            d.kind = keyword == "datum" ? 1 : 2;
            d.elementType = keyword == "datum" ? 0x10 : 0x11;
            takeAttrs(args, {{"type", 0xFFFF, d.elementType},
                             {"kind", 255, d.kind},
                             {"byte", 255, d.keptByte}});
            if (keyword == "part")
                takeAttrs(args, {{"part", 255, d.partNumber, true},
                                 {"total", kMax32, d.totalSize, true},
                                 {"offset", kMax32, d.offset, true},
                                 {"second-byte", 255, d.secondKeptByte}});
            named(args, d.name, d.data);
            o_.elements.push_back(micpDataElement(d));
        } else if (keyword == "parts") {
            unsigned count = 0, first = 0, last = 255;
            takeAttrs(args,
                      {{"count", 256, count, true}, {"first", 255, first}, {"last", 255, last}});
            Bytes name, data;
            named(args, name, data);
            const std::vector<MicpDatum> parts = micpParts(name, data, count);
            for (unsigned i = first; i <= last && i < parts.size(); ++i)
                o_.elements.push_back(micpDataElement(parts[i]));
        } else if (keyword == "element") {
            TypedElement& e = o_.elements.emplace_back();
            takeAttrs(args, {{"type", 0xFFFF, e.type, true}, {"length", 0xFFFF, e.length}});
            appendBytes(args, e.payload);
        } else if (keyword == "trailer") {
            if (trailerGiven_) fail("an MICP object has one trailer");
            trailerGiven_ = true;
            o_.trailer.clear();
            appendBytes(args, o_.trailer);
        } else {
            fail("unknown statement '" + keyword + "' in an MICP object");
        }
    }

    // A datum's name (its first item, a text) and its bytes (the others).
    static void named(const Args& args, Bytes& name, Bytes& data) {
        args.done(true);
        if (args.items.empty()) fail("a datum begins with its name");
        name = textOf(args.items[0], "name");
        data = parseBytes(args.items, 1);
    }

    void finish() override { data_ = micpObjectBytes(o_); }

    MicpObject o_;
    bool trailerGiven_ = false;
};

// A block that the constructor of its class opens.
template <typename Block>
std::unique_ptr<RecordBlock> openClass(uint8_t, Args& args) {
    return std::make_unique<Block>(args);
}

// A block: its keyword, the package types it suits (none: the block checks
// the type itself) and how it opens.
struct BlockKind {
    const char* keyword;
    std::initializer_list<uint8_t> types;
    const char* typeNames;
    std::unique_ptr<RecordBlock> (*open)(uint8_t type, Args& args);
};

const BlockKind kBlockKinds[] = {
    {"schedule", {}, "", openSchedule},
    {"jqid-table", {kJqidTable}, "0xDF", openJqid},
    {"topic-message", {0x61, 0x6E}, "0x61 or 0x6E", openClass<TopicMessageBlock>},
    {"topic-list", {kTopicList, kPackedTopicList}, "0x6F or 0x62", openTopicList},
    {"dictionary", {kDictionary, kHostDictionary}, "0x5D or 0xE2", openDictionary},
    {"channel-map", {0xF3}, "0xF3", openChannelMap},
    {"areas", {kAreaList, kCmidAreaLists, kOffsetAreaLists}, "0x71, 0x72 or 0x7E", openAreas},
    {"reception", {0x75, 0x85}, "0x75 or 0x85", openReception},
    {"code-download", {0x5B}, "0x5B", openCodeDownload},
    {"stations", {0x70}, "0x70", openStations},
    {"micp-object", {0xF5}, "0xF5", openClass<MicpObjectBlock>},
};

}  // namespace

bool RecordBlock::statement(const std::string& keyword, Args& args, size_t line) {
    line_ = line;
    if (keyword != "end" || inner()) {
        entry(keyword, args);
        return false;
    }
    args.done(false);
    finish();
    return true;
}

std::unique_ptr<RecordBlock> openRecordBlock(const std::string& keyword, uint8_t type, Args& args) {
    for (const BlockKind& kind : kBlockKinds) {
        if (keyword != kind.keyword) continue;
        if (kind.types.size() &&
            std::find(kind.types.begin(), kind.types.end(), type) == kind.types.end())
            fail(keyword + " belongs in a package of type " + kind.typeNames);
        return kind.open(type, args);
    }
    return nullptr;
}

}  // namespace jq::write::description
