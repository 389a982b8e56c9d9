// record_description.cpp - reads the record blocks of a description into
// the structures of record_data.h and jqid_data.h and writes them.
//
// Each block gathers its entries statement by statement and builds its
// bytes once, at its 'end', through the same functions that tests call, so
// that a description and the C++ interface cannot drift apart. Texts are
// quoted UTF-8 (written as Shift-JIS, as these families carry them) or
// unquoted BYTES items for exact bytes.
#include "record_description.h"

#include <algorithm>
#include <stdexcept>

#include "jqid_data.h"
#include "record_data.h"
#include "schedule_data.h"
#include "shift_jis.h"

namespace jq::write::description {
namespace {

constexpr uint64_t kMax48 = (uint64_t{1} << 48) - 1;

template <typename T>
T need(Args& args, const std::string& name, uint64_t max) {
    return static_cast<T>(args.require(name, max));
}

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

// ---- JQID tables --------------------------------------------------------------

// The entry keyword of each JqidLayout, in its order.
constexpr const char* kJqidKeywords[] = {"event", "id",      "id",      "id",  "uri",
                                         "actor", "message", "sponsor", "link"};

class JqidBlock : public RecordBlock {
public:
    explicit JqidBlock(Args& args) {
        JqidTable& t = table_;
        t.currentGrt = need<uint16_t>(args, "grt", 0x7FFF);
        takeAttrs(args, {{"start", 0x7FFF, t.startGrt},
                         {"end", 0x7FFF, t.endGrt},
                         {"update-cur", 1, t.updateFlagCur},
                         {"update-start", 1, t.updateFlagStart},
                         {"update-end", 1, t.updateFlagEnd}});
        t.timeStamp = takeMoment(args, "time");
        args.done(false);
        try {
            layout_ = jqidLayoutOf(t.currentGrt);
        } catch (const std::invalid_argument& e) {
            fail(e.what());
        }
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        const std::string expected = kJqidKeywords[static_cast<size_t>(layout_)];
        if (keyword != expected)
            fail("a table of CurrentGRT " + std::to_string(table_.currentGrt) + " holds '" +
                 expected + "' entries, not '" + keyword + "'");
        JqidEntry& e = table_.entries.emplace_back();
        e.jqid = args.require("jqid", kMax48);
        e.effectiveDate = takeMoment(args, "effective");
        e.expiryDate = takeMoment(args, "expiry");
        takeAttrs(args, {{"length", kMax32, e.entryLength}});
        body(e, args);
    }

    void body(JqidEntry& e, Args& args) const {
        switch (layout_) {
            case JqidLayout::Event:
                event(e, args);
                break;
            case JqidLayout::OneByteId:
            case JqidLayout::TwoByteId:
            case JqidLayout::FourByteId:
                e.id = need<uint32_t>(args, "id", kMax32);
                break;
            case JqidLayout::Message:
                e.id = need<uint32_t>(args, "id", 255);
                e.serviceId = takeOr<uint8_t>(args, "service", 255);
                break;
            case JqidLayout::Link:
                e.secondJqid = args.require("to", kMax48);
                break;
            case JqidLayout::Actor:
                e.id = need<uint32_t>(args, "actor", 0xFFFF);
                break;
            case JqidLayout::Sponsor:
                e.id = need<uint32_t>(args, "sponsor", kMax32);
                break;
            case JqidLayout::Uri:
                break;
        }
        if (layout_ != JqidLayout::Actor && layout_ != JqidLayout::Uri &&
            layout_ != JqidLayout::Sponsor)
            return args.done(false);
        takeTexts(args, {{"MimeType", &e.mimeType},
                         {layout_ == JqidLayout::Actor ? "DocRef" : "Uri", &e.uri}});
    }

    // IDType 0 with event=, IDType 1 with date= (or mjd=), start= and duration=.
    static void event(JqidEntry& e, Args& args) {
        e.gcn = takeOr<uint16_t>(args, "gcn", 0xFFFF);
        if (const auto id = args.take("event", 0xFFFF)) {
            e.eventId = static_cast<uint16_t>(*id);
            return;
        }
        e.idType = 1;
        if (const auto date = args.takeWord("date")) {
            const Date d = dateOf(*date, "date");
            e.mjd = modifiedJulianDateOf(d.year, d.month, d.day);
        } else {
            e.mjd = takeOr<uint16_t>(args, "mjd", 0xFFFF);
        }
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

    void finish() override {
        header_ = jqidPacketHeader(table_);
        data_ = jqidData(table_);
    }

    JqidTable table_;
    JqidLayout layout_ = JqidLayout::Event;
};

// ---- Topic messages and lists ---------------------------------------------------

class TopicMessageBlock : public RecordBlock {
public:
    explicit TopicMessageBlock(Args& args) {
        TopicMessage& m = message_;
        takeAttrs(args, {{"message", 255, m.messageId},
                         {"service", 255, m.serviceId},
                         {"serial", 0xFFFF, m.serialNumber},
                         {"smk", 0xFFFF, m.smk},
                         {"data-smk", 0xFFFF, m.dataSmk}});
        args.done(false);
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword != "object") fail("a topic message holds 'object' statements");
        appendBytes(args, message_.object);
    }

    void finish() override {
        header_ = topicMessagePacketHeader(message_);
        data_ = topicMessageData(message_);
    }

    TopicMessage message_;
};

class TopicListBlock : public RecordBlock {
public:
    TopicListBlock(uint8_t typeCode, Args& args) : typeCode_(typeCode) {
        major_ = takeOr<uint8_t>(args, "major", 31);
        args.done(false);
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword != "entry") fail("a topic list holds 'entry' statements");
        const bool full = typeCode_ == kTopicList;
        TopicEntry e;
        takeAttrs(args, {{"lead", kMax32, e.leadingValue},
                         {"major", 31, e.majorCategory},
                         {"minor", full ? 255u : 7u, e.minorCategory},
                         {"object", 0xFFFF, e.objectId},
                         {"service", 255, e.serviceId}});
        if (const auto ref = args.takeWord("ref")) putHexItem(e.reference.emplace(), *ref);
        if (full) e.messageId = takeOr<uint8_t>(args, "message", 255);
        takeTexts(args, {{"title", &e.title}, {"details", &e.details}});
        topicEntryBytes(typeCode_, e);  // checks widths and lengths on the entry's own line
        entries_.push_back(std::move(e));
    }

    void finish() override {
        header_ = topicListPacketHeader(major_);
        data_ = topicListData(typeCode_, entries_);
    }

    uint8_t typeCode_;
    uint8_t major_ = 0;
    std::vector<TopicEntry> entries_;
};

// ---- Dictionaries ---------------------------------------------------------------

// The sub-table names and their entry keywords, in Sct order.
constexpr const char* kSubTables[] = {"categories", "keywords",         "keyword-categories",
                                      "actors",     "actor-categories", "icons"};
constexpr const char* kDictEntries[] = {"category", "keyword",        "keyword-category",
                                        "actor",    "actor-category", "icon"};

class DictionaryBlock : public RecordBlock {
public:
    DictionaryBlock(uint8_t typeCode, Args& args) {
        dict_.typeCode = typeCode;
        if (args.items.size() != 1 || args.items[0].quoted)
            fail(
                "dictionary names one sub-table: categories, keywords, keyword-categories, "
                "actors, actor-categories or icons");
        const std::string& name = args.items[0].text;
        size_t sct = 0;
        while (sct < 6 && name != kSubTables[sct]) ++sct;
        if (sct == 6) fail("unknown sub-table '" + name + "'");
        if (sct == 5 && typeCode != kHostDictionary) fail("icons are a sub-table of type 0xE2");
        dict_.sct = static_cast<Sct>(sct);
        args.items.clear();
        args.done(false);
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        const char* expected = kDictEntries[static_cast<size_t>(dict_.sct)];
        if (keyword != expected)
            fail("this sub-table holds '" + std::string(expected) + "' entries");
        switch (dict_.sct) {
            case Sct::Categories:
                category(args);
                break;
            case Sct::Keywords: {
                KeywordEntry& e = dict_.keywords.emplace_back();
                e.hostId = host(args);
                e.code = need<uint16_t>(args, "code", 0xFFFF);
                e.category = takeOr<uint8_t>(args, "category", 255);
                takeTexts(args, {{"KeywordText", &e.text}});
                break;
            }
            case Sct::KeywordCategories:
            case Sct::ActorCategories: {
                DictCategoryEntry& e = (dict_.sct == Sct::ActorCategories ? dict_.actorCategories
                                                                          : dict_.keywordCategories)
                                           .emplace_back();
                e.hostId = host(args);
                e.category = need<uint8_t>(args, "category", 255);
                takeTexts(args, {{"CategoryText", &e.text}});
                break;
            }
            case Sct::Actors:
                actor(args);
                break;
            case Sct::Icons: {
                IconEntry& e = dict_.icons.emplace_back();
                e.iconCode = need<uint8_t>(args, "code", 31);
                e.displayFlag = takeOr<uint8_t>(args, "display", 1);
                takeTexts(args, {{"IconDesc", &e.desc}});
                break;
            }
        }
    }

    uint16_t host(Args& args) const {
        if (dict_.typeCode != kHostDictionary) return 0;
        return takeOr<uint16_t>(args, "host", 0xFFFF);
    }

    void category(Args& args) {
        CategoryEntry& e = dict_.categories.emplace_back();
        e.majorCode = need<uint8_t>(args, "major", 15);
        e.minorCode = takeOr<uint8_t>(args, "minor", 15);
        if (const auto list = args.takeWord("contents"); list && !list->empty())
            for (const std::string& pair : split(*list, ',')) {
                const std::vector<uint64_t> cu = numbers(pair, '/', {255, 255}, "contents");
                e.contents.emplace_back(static_cast<uint8_t>(cu[0]), static_cast<uint8_t>(cu[1]));
            }
        takeTexts(args, {{"CategoryText", &e.text}, {"CategoryDesc", &e.desc}});
    }

    void actor(Args& args) {
        ActorEntry& e = dict_.actors.emplace_back();
        e.hostId = host(args);
        e.actorId = need<uint16_t>(args, "id", 0xFFFF);
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

    void finish() override {
        header_ = dictionaryPacketHeader(dict_);
        data_ = dictionaryData(dict_);
    }

    Dictionary dict_;
};

// ---- Channel maps ----------------------------------------------------------------

class ChannelMapBlock : public RecordBlock {
public:
    explicit ChannelMapBlock(Args& args) {
        cmid_ = need<uint16_t>(args, "cmid", 0xFFFF);
        args.done(false);
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword == "group") {
            groups_.push_back({need<uint16_t>(args, "gcn", 0xFFFF), {}});
            return args.done(false);
        }
        if (groups_.empty()) fail("a channel entry belongs to a group (group gcn=N)");
        ChannelEntry e;
        e.lastFlag = takeOr<uint8_t>(args, "last", 1);
        if (keyword == "analog" || keyword == "analog2") {
            e.bandType = keyword == "analog" ? 1 : 3;
            e.analogCh = need<uint8_t>(args, "ch", 255);
        } else if (keyword == "digital") {
            e.bandType = 2;
            takeAttrs(args, {{"nid", 0xFFFF, e.nid},
                             {"sid", 0xFFFF, e.sid},
                             {"service-type", 255, e.serviceType}});
        } else if (keyword == "source") {
            e.bandType = 4;
            e.sourceType = need<uint8_t>(args, "type", 15);
            e.multiCh = takeOr<uint16_t>(args, "multi", 0xFFFF);
        } else if (keyword == "skip") {
            e.bandType = 0;
            e.skipByte = takeOr<uint8_t>(args, "byte", 255);
        } else {
            fail("unknown statement '" + keyword + "' in a channel map");
        }
        args.done(false);
        channelEntryBytes(e);
        groups_.back().entries.push_back(e);
    }

    void finish() override {
        header_ = {static_cast<uint8_t>(cmid_ >> 8), static_cast<uint8_t>(cmid_)};
        data_ = channelMapData(groups_);
    }

    uint16_t cmid_ = 0;
    std::vector<ChannelGroup> groups_;
};

// ---- Area codes ------------------------------------------------------------------

class AreaBlock : public RecordBlock {
public:
    AreaBlock(uint8_t typeCode, Args& args) : typeCode_(typeCode) { args.done(false); }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword != "list") fail("an areas block holds 'list' statements");
        AreaList& list = lists_.emplace_back();
        if (typeCode_ == kCmidAreaLists) list.cmid = need<uint16_t>(args, "cmid", 0xFFFF);
        if (typeCode_ == kOffsetAreaLists)
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

    void finish() override { data_ = areaData(typeCode_, lists_); }

    uint8_t typeCode_;
    std::vector<AreaList> lists_;
};

// ---- Reception rules -------------------------------------------------------------

class ReceptionBlock : public RecordBlock {
public:
    explicit ReceptionBlock(Args& args) {
        rule_ = takeOr<uint8_t>(args, "rule", 255);
        const std::string info = args.takeWord("info").value_or("R");
        info_ = info == "R" || info == "u" ? static_cast<uint8_t>(info[0])
                                           : static_cast<uint8_t>(parseNumber(info, 255, "info"));
        args.done(false);
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword == "service" && info_ == kInfoServices) {
            service(args);
        } else if (keyword == "description" && info_ == kInfoDescription) {
            if (description_) fail("a reception package holds one description");
            ReceptionDescription& d = description_.emplace();
            takeAttrs(args,
                      {{"gcn", 0xFFFF, d.gcn}, {"nid", 0xFFFF, d.nid}, {"sid", 0xFFFF, d.sid}});
            d.graphics = takeList<uint16_t>(args, "graphics", 0xFFFF);
            takeTexts(args, {{"DescText", &d.text}});
        } else if (keyword == "data") {
            appendBytes(args, raw_);
        } else {
            fail("InfoType 'R' holds 'service' statements, 'u' one 'description', others 'data'");
        }
    }

    // service nid=N sid=N tag=N DAY/HH:MM/DURATION[/UPDATE]...
    void service(Args& args) {
        ReceptionService& s = services_.emplace_back();
        takeAttrs(args,
                  {{"nid", 0xFFFF, s.nid}, {"sid", 0xFFFF, s.sid}, {"tag", 255, s.componentTag}});
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

    void finish() override {
        header_ = receptionPacketHeader(rule_, info_);
        if (info_ == kInfoServices) data_ = receptionServicesData(services_);
        if (info_ == kInfoDescription && description_)
            data_ = receptionDescriptionData(*description_);
        data_.insert(data_.end(), raw_.begin(), raw_.end());
    }

    uint8_t rule_ = 0;
    uint8_t info_ = kInfoServices;
    std::vector<ReceptionService> services_;
    std::optional<ReceptionDescription> description_;
    Bytes raw_;
};

// ---- Code download and station names ------------------------------------------

class CodeDownloadBlock : public RecordBlock {
public:
    explicit CodeDownloadBlock(Args& args) {
        CodeDownload& p = piece_;
        takeAttrs(args, {{"code", 0xFFFF, p.codeId},
                         {"major", 255, p.majorVer},
                         {"minor", 255, p.minorVer},
                         {"files", 255, p.totalFileNum},
                         {"file", 255, p.fileNum},
                         {"info-size", 0xFFFF, p.fileInfoSize},
                         {"crc", 0xFFFF, p.crc},
                         {"offset", kMax32, p.codeOffset}});
        args.done(false);
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword != "bytes") fail("a code download holds 'bytes' statements");
        appendBytes(args, piece_.code);
    }

    void finish() override {
        header_ = codeDownloadPacketHeader(piece_);
        data_ = codeDownloadData(piece_);
    }

    CodeDownload piece_;
};

class StationBlock : public RecordBlock {
public:
    explicit StationBlock(Args& args) { args.done(false); }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword != "station") fail("a stations block holds 'station' statements");
        Station& s = stations_.emplace_back();
        takeAttrs(
            args,
            {{"gcn", 0x3FFF, s.gcn}, {"mosaic", 0xFFFF, s.mosaicCode}, {"xcie", 255, s.xcieSize}});
        takeTexts(args, {{"StationName", &s.name}});
    }

    void finish() override { data_ = stationData(stations_); }

    std::vector<Station> stations_;
};

// A record block: its keyword, the package types it suits and how it opens.
struct BlockKind {
    const char* keyword;
    std::initializer_list<uint8_t> types;
    const char* typeNames;
    std::unique_ptr<RecordBlock> (*open)(uint8_t type, Args& args);
};

template <typename Block>
std::unique_ptr<RecordBlock> openWith(uint8_t, Args& args) {
    return std::make_unique<Block>(args);
}

template <typename Block>
std::unique_ptr<RecordBlock> openTyped(uint8_t type, Args& args) {
    return std::make_unique<Block>(type, args);
}

const BlockKind kBlockKinds[] = {
    {"jqid-table", {kJqidTable}, "0xDF", openWith<JqidBlock>},
    {"topic-message", {0x61, 0x6E}, "0x61 or 0x6E", openWith<TopicMessageBlock>},
    {"topic-list", {kTopicList, kPackedTopicList}, "0x6F or 0x62", openTyped<TopicListBlock>},
    {"dictionary", {kDictionary, kHostDictionary}, "0x5D or 0xE2", openTyped<DictionaryBlock>},
    {"channel-map", {0xF3}, "0xF3", openWith<ChannelMapBlock>},
    {"areas",
     {kAreaList, kCmidAreaLists, kOffsetAreaLists},
     "0x71, 0x72 or 0x7E",
     openTyped<AreaBlock>},
    {"reception", {0x75, 0x85}, "0x75 or 0x85", openWith<ReceptionBlock>},
    {"code-download", {0x5B}, "0x5B", openWith<CodeDownloadBlock>},
    {"stations", {0x70}, "0x70", openWith<StationBlock>},
};

}  // namespace

bool RecordBlock::statement(const std::string& keyword, Args& args) {
    if (keyword != "end") {
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
        if (std::find(kind.types.begin(), kind.types.end(), type) == kind.types.end())
            fail(keyword + " belongs in a package of type " + kind.typeNames);
        return kind.open(type, args);
    }
    return nullptr;
}

}  // namespace jq::write::description
