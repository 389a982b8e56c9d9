// record_description.cpp - reads the record blocks of a description into
// the structures of record_data.h and jqid_data.h and writes them.
//
// Each block gathers its entries statement by statement and builds its
// bytes once, at its 'end', through the same functions that tests call, so
// that a description and the C++ interface cannot drift apart. Texts are
// quoted UTF-8 (written as Shift-JIS, as these families carry them) or
// unquoted BYTES items for exact bytes.
#include "record_description.h"

#include <stdexcept>

#include "jqid_data.h"
#include "record_data.h"
#include "schedule_data.h"
#include "shift_jis.h"

namespace jq::write::description {
namespace {

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

// The texts of a statement, at most names.size() of them, the rest empty.
std::vector<Bytes> textsOf(const Args& args, const std::vector<std::string>& names) {
    if (args.items.size() > names.size())
        fail("at most " + std::to_string(names.size()) + " texts here, not " +
             std::to_string(args.items.size()));
    std::vector<Bytes> texts(names.size());
    for (size_t i = 0; i < args.items.size(); ++i) texts[i] = textOf(args.items[i], names[i]);
    return texts;
}

std::vector<uint64_t> numbers(const std::string& text, char separator, size_t count,
                              uint64_t max, const std::string& what) {
    const std::vector<std::string> parts = split(text, separator);
    if (parts.size() != count)
        fail(what + ": '" + text + "' needs " + std::to_string(count) + " numbers separated by '" +
             separator + "'");
    std::vector<uint64_t> values;
    for (const std::string& part : parts) values.push_back(parseNumber(part, max, what));
    return values;
}

// A moment in seconds since 1991-12-31: N, YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS.
uint32_t momentOf(const std::string& text, const std::string& what) {
    if (text.find('-') == std::string::npos)
        return static_cast<uint32_t>(parseNumber(text, UINT32_MAX, what));
    const size_t t = text.find('T');
    const std::vector<uint64_t> date = numbers(text.substr(0, t), '-', 3, 9999, what);
    std::vector<uint64_t> time{0, 0, 0};
    if (t != std::string::npos) time = numbers(text.substr(t + 1), ':', 3, 99, what);
    try {
        return jqidSeconds(static_cast<int>(date[0]), static_cast<unsigned>(date[1]),
                           static_cast<unsigned>(date[2]), static_cast<unsigned>(time[0]),
                           static_cast<unsigned>(time[1]), static_cast<unsigned>(time[2]));
    } catch (const std::invalid_argument& e) {
        fail(what + ": " + e.what());
    }
}

uint32_t takeMoment(Args& args, const std::string& name) {
    const std::optional<std::string> word = args.takeWord(name);
    return word ? momentOf(*word, name) : 0;
}

std::vector<uint8_t> byteList(Args& args, const std::string& name) {
    std::vector<uint8_t> values;
    const std::optional<std::string> word = args.takeWord(name);
    if (!word || word->empty()) return values;
    for (const std::string& part : split(*word, ','))
        values.push_back(static_cast<uint8_t>(parseNumber(part, 255, name)));
    return values;
}

void requireType(bool ok, const std::string& block, const std::string& types) {
    if (!ok) fail(block + " belongs in a package of type " + types);
}

// ---- JQID tables --------------------------------------------------------------

class JqidBlock : public RecordBlock {
public:
    explicit JqidBlock(Args& args) {
        table_.currentGrt = need<uint16_t>(args, "grt", 0x7FFF);
        table_.startGrt = takeOr<uint16_t>(args, "start", 0x7FFF);
        table_.endGrt = takeOr<uint16_t>(args, "end", 0x7FFF);
        table_.updateFlagCur = takeOr<uint8_t>(args, "update-cur", 1);
        table_.updateFlagStart = takeOr<uint8_t>(args, "update-start", 1);
        table_.updateFlagEnd = takeOr<uint8_t>(args, "update-end", 1);
        table_.timeStamp = takeMoment(args, "time");
        args.done(false);
        try {
            layout_ = jqidLayoutOf(table_.currentGrt);
        } catch (const std::invalid_argument& e) {
            fail(e.what());
        }
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword != expectedKeyword())
            fail("a table of CurrentGRT " + std::to_string(table_.currentGrt) + " holds '" +
                 expectedKeyword() + "' entries, not '" + keyword + "'");
        JqidEntry e;
        e.jqid = args.require("jqid", (uint64_t{1} << 48) - 1);
        e.effectiveDate = takeMoment(args, "effective");
        e.expiryDate = takeMoment(args, "expiry");
        if (const auto length = args.take("length", UINT32_MAX))
            e.entryLength = static_cast<uint32_t>(*length);
        body(e, args);
        table_.entries.push_back(std::move(e));
    }

    std::string expectedKeyword() const {
        switch (layout_) {
            case JqidLayout::Event:
                return "event";
            case JqidLayout::Link:
                return "link";
            case JqidLayout::Actor:
                return "actor";
            case JqidLayout::Uri:
                return "uri";
            case JqidLayout::Sponsor:
                return "sponsor";
            case JqidLayout::Message:
                return "message";
            default:
                return "id";
        }
    }

    void body(JqidEntry& e, Args& args) {
        std::vector<Bytes> texts;
        switch (layout_) {
            case JqidLayout::Event:
                event(e, args);
                break;
            case JqidLayout::OneByteId:
            case JqidLayout::TwoByteId:
            case JqidLayout::FourByteId:
                e.id = need<uint32_t>(args, "id", UINT32_MAX);
                break;
            case JqidLayout::Message:
                e.id = need<uint32_t>(args, "id", 255);
                e.serviceId = takeOr<uint8_t>(args, "service", 255);
                break;
            case JqidLayout::Link:
                e.secondJqid = args.require("to", (uint64_t{1} << 48) - 1);
                break;
            case JqidLayout::Actor:
                e.id = need<uint32_t>(args, "actor", 0xFFFF);
                break;
            case JqidLayout::Sponsor:
                e.id = need<uint32_t>(args, "sponsor", UINT32_MAX);
                break;
            case JqidLayout::Uri:
                break;
        }
        const bool strings = layout_ == JqidLayout::Actor || layout_ == JqidLayout::Uri ||
                             layout_ == JqidLayout::Sponsor;
        args.done(strings);
        if (!strings) return;
        texts = textsOf(args, {"MimeType", layout_ == JqidLayout::Actor ? "DocRef" : "Uri"});
        e.mimeType = texts[0];
        e.uri = texts[1];
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
            const std::vector<uint64_t> d = numbers(*date, '-', 3, 9999, "date");
            e.mjd = modifiedJulianDateOf(static_cast<int>(d[0]), static_cast<unsigned>(d[1]),
                                         static_cast<unsigned>(d[2]));
        } else {
            e.mjd = takeOr<uint16_t>(args, "mjd", 0xFFFF);
        }
        const std::vector<uint64_t> start =
            numbers(args.takeWord("start").value_or("0:0:0"), ':', 3, 2047, "start");
        if (start[0] * 60 + start[1] > 2047 || start[2] > 63)
            fail("start: the minute of the day is 11 bits and the second 6 bits");
        e.startMinute = static_cast<uint16_t>(start[0] * 60 + start[1]);
        e.startSecond = static_cast<uint8_t>(start[2]);
        const std::vector<uint64_t> duration =
            numbers(args.takeWord("duration").value_or("0:0"), ':', 2, 0x3FFFF, "duration");
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
        message_.messageId = takeOr<uint8_t>(args, "message", 255);
        message_.serviceId = takeOr<uint8_t>(args, "service", 255);
        message_.serialNumber = takeOr<uint16_t>(args, "serial", 0xFFFF);
        message_.smk = takeOr<uint16_t>(args, "smk", 0xFFFF);
        if (const auto smk = args.take("data-smk", 0xFFFF))
            message_.dataSmk = static_cast<uint16_t>(*smk);
        args.done(false);
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword != "object") fail("a topic message holds 'object' statements");
        args.done(true);
        const Bytes bytes = parseBytes(args.items);
        message_.object.insert(message_.object.end(), bytes.begin(), bytes.end());
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
        TopicEntry e;
        e.leadingValue = takeOr<uint32_t>(args, "lead", UINT32_MAX);
        e.majorCategory = takeOr<uint8_t>(args, "major", 31);
        e.minorCategory = takeOr<uint8_t>(args, "minor", typeCode_ == kTopicList ? 255 : 7);
        if (const auto object = args.take("object", 0xFFFF))
            e.objectId = static_cast<uint16_t>(*object);
        e.serviceId = takeOr<uint8_t>(args, "service", 255);
        if (const auto ref = args.takeWord("ref")) {
            e.reference.emplace();
            putHexItem(*e.reference, *ref);
        }
        if (typeCode_ == kTopicList) e.messageId = takeOr<uint8_t>(args, "message", 255);
        args.done(true);
        const std::vector<Bytes> texts = textsOf(args, {"title", "details"});
        e.title = texts[0];
        e.details = texts[1];
        // Checks widths and lengths on the entry's own line.
        topicEntryBytes(typeCode_, e);
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

class DictionaryBlock : public RecordBlock {
public:
    DictionaryBlock(uint8_t typeCode, Args& args) {
        dict_.typeCode = typeCode;
        static const char* const kNames[] = {"categories", "keywords", "keyword-categories",
                                             "actors", "actor-categories", "icons"};
        if (args.items.size() != 1 || args.items[0].quoted)
            fail("dictionary names one sub-table: categories, keywords, keyword-categories, "
                 "actors, actor-categories or icons");
        const std::string& name = args.items[0].text;
        size_t sct = 0;
        while (sct < 6 && name != kNames[sct]) ++sct;
        if (sct == 6) fail("unknown sub-table '" + name + "'");
        if (sct == 5 && typeCode != kHostDictionary) fail("icons are a sub-table of type 0xE2");
        dict_.sct = static_cast<Sct>(sct);
        args.items.clear();
        args.done(false);
    }

private:
    static constexpr const char* kEntries[] = {"category", "keyword", "keyword-category",
                                               "actor", "actor-category", "icon"};

    uint16_t host(Args& args) const {
        if (dict_.typeCode != kHostDictionary) return 0;
        return takeOr<uint16_t>(args, "host", 0xFFFF);
    }

    void entry(const std::string& keyword, Args& args) override {
        const auto sct = static_cast<size_t>(dict_.sct);
        if (keyword != kEntries[sct])
            fail("this sub-table holds '" + std::string(kEntries[sct]) + "' entries");
        switch (dict_.sct) {
            case Sct::Categories:
                category(args);
                break;
            case Sct::Keywords: {
                KeywordEntry e;
                e.hostId = host(args);
                e.code = need<uint16_t>(args, "code", 0xFFFF);
                e.category = takeOr<uint8_t>(args, "category", 255);
                args.done(true);
                e.text = textsOf(args, {"KeywordText"})[0];
                dict_.keywords.push_back(e);
                break;
            }
            case Sct::KeywordCategories:
            case Sct::ActorCategories: {
                DictCategoryEntry e;
                e.hostId = host(args);
                e.category = need<uint8_t>(args, "category", 255);
                args.done(true);
                e.text = textsOf(args, {"CategoryText"})[0];
                (dict_.sct == Sct::ActorCategories ? dict_.actorCategories
                                                   : dict_.keywordCategories)
                    .push_back(e);
                break;
            }
            case Sct::Actors:
                actor(args);
                break;
            case Sct::Icons: {
                IconEntry e;
                e.iconCode = need<uint8_t>(args, "code", 31);
                e.displayFlag = takeOr<uint8_t>(args, "display", 1);
                args.done(true);
                e.desc = textsOf(args, {"IconDesc"})[0];
                dict_.icons.push_back(e);
                break;
            }
        }
    }

    void category(Args& args) {
        CategoryEntry e;
        e.majorCode = need<uint8_t>(args, "major", 15);
        e.minorCode = takeOr<uint8_t>(args, "minor", 15);
        if (const auto list = args.takeWord("contents"); list && !list->empty())
            for (const std::string& pair : split(*list, ',')) {
                const std::vector<uint64_t> cu = numbers(pair, '/', 2, 255, "contents");
                e.contents.emplace_back(static_cast<uint8_t>(cu[0]), static_cast<uint8_t>(cu[1]));
            }
        args.done(true);
        const std::vector<Bytes> texts = textsOf(args, {"CategoryText", "CategoryDesc"});
        e.text = texts[0];
        e.desc = texts[1];
        dict_.categories.push_back(e);
    }

    void actor(Args& args) {
        ActorEntry e;
        e.hostId = host(args);
        e.actorId = need<uint16_t>(args, "id", 0xFFFF);
        if (const auto born = args.takeWord("born")) {
            const std::vector<uint64_t> d = numbers(*born, '-', 3, 0xFFFF, "born");
            if (d[1] > 255 || d[2] > 255) fail("born: month and day are one byte each");
            e.birthYear = static_cast<uint16_t>(d[0]);
            e.birthMonth = static_cast<uint8_t>(d[1]);
            e.birthDay = static_cast<uint8_t>(d[2]);
        }
        e.gender = takeOr<uint8_t>(args, "gender", 255);
        e.categories = byteList(args, "categories");
        args.done(true);
        const std::vector<Bytes> t =
            textsOf(args, {"StageName", "Pronunce", "RealName", "Origin", "Comment"});
        e.stageName = t[0];
        e.pronunce = t[1];
        e.realName = t[2];
        e.origin = t[3];
        e.comment = t[4];
        dict_.actors.push_back(e);
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
            args.done(false);
            return;
        }
        if (groups_.empty()) fail("a channel entry belongs to a group (group gcn=N)");
        ChannelEntry e;
        e.lastFlag = takeOr<uint8_t>(args, "last", 1);
        if (keyword == "analog" || keyword == "analog2") {
            e.bandType = keyword == "analog" ? 1 : 3;
            e.analogCh = need<uint8_t>(args, "ch", 255);
        } else if (keyword == "digital") {
            e.bandType = 2;
            e.nid = takeOr<uint16_t>(args, "nid", 0xFFFF);
            e.sid = takeOr<uint16_t>(args, "sid", 0xFFFF);
            e.serviceType = takeOr<uint8_t>(args, "service-type", 255);
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
        AreaList list;
        if (typeCode_ == kCmidAreaLists) list.cmid = need<uint16_t>(args, "cmid", 0xFFFF);
        if (typeCode_ == kOffsetAreaLists) {
            list.halfHourOffset = takeOr<uint8_t>(args, "half-hour", 1);
            list.daylightSaving = takeOr<uint8_t>(args, "dst", 1);
            list.offsetPolarity = takeOr<uint8_t>(args, "negative", 1);
            list.offset = takeOr<uint8_t>(args, "offset", 15);
        }
        list.terminated = takeOr<uint8_t>(args, "open", 1) == 0;
        args.done(true);
        for (const Token& item : args.items) {
            if (item.quoted) fail("area codes are numbers, N or N-M");
            const std::vector<std::string> parts = split(item.text, '-');
            if (parts.size() > 2) fail("'" + item.text + "' is not N or N-M");
            AreaCode code{static_cast<uint32_t>(parseNumber(parts[0], 0x1FFFF, "area code")), {}};
            if (parts.size() == 2)
                code.upper = static_cast<uint32_t>(parseNumber(parts[1], 0x1FFFF, "area code"));
            list.codes.push_back(code);
        }
        lists_.push_back(list);
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
            description_.emplace();
            description_->gcn = takeOr<uint16_t>(args, "gcn", 0xFFFF);
            description_->nid = takeOr<uint16_t>(args, "nid", 0xFFFF);
            description_->sid = takeOr<uint16_t>(args, "sid", 0xFFFF);
            if (const auto refs = args.takeWord("graphics"); refs && !refs->empty())
                for (const std::string& part : split(*refs, ','))
                    description_->graphics.push_back(
                        static_cast<uint16_t>(parseNumber(part, 0xFFFF, "graphics")));
            args.done(true);
            description_->text = textsOf(args, {"DescText"})[0];
        } else if (keyword == "data") {
            args.done(true);
            const Bytes bytes = parseBytes(args.items);
            raw_.insert(raw_.end(), bytes.begin(), bytes.end());
        } else {
            fail("InfoType 'R' holds 'service' statements, 'u' one 'description', others 'data'");
        }
    }

    // service nid=N sid=N tag=N DAY/HH:MM/DURATION[/UPDATE]...
    void service(Args& args) {
        ReceptionService s;
        s.nid = takeOr<uint16_t>(args, "nid", 0xFFFF);
        s.sid = takeOr<uint16_t>(args, "sid", 0xFFFF);
        s.componentTag = takeOr<uint8_t>(args, "tag", 255);
        args.done(true);
        for (const Token& item : args.items) {
            const std::vector<std::string> parts = split(item.text, '/');
            if (item.quoted || parts.size() < 3 || parts.size() > 4)
                fail("a reception time is DAY/HH:MM/DURATION[/UPDATE], not '" + item.text + "'");
            ReceptionSchedule e;
            e.dayOfWeek = static_cast<uint8_t>(parseNumber(parts[0], 7, "day"));
            const std::vector<uint64_t> hm = numbers(parts[1], ':', 2, 2047, "time");
            if (hm[0] * 60 + hm[1] > 2047) fail("time: at most 2047 minutes");
            e.scheduleTime = static_cast<uint16_t>(hm[0] * 60 + hm[1]);
            e.duration = static_cast<uint8_t>(parseNumber(parts[2], 255, "duration"));
            if (parts.size() == 4) e.updateFlag = static_cast<uint8_t>(parseNumber(parts[3], 1, "update"));
            s.schedules.push_back(e);
        }
        services_.push_back(s);
    }

    void finish() override {
        header_ = receptionPacketHeader(rule_, info_);
        if (info_ == kInfoServices) data_ = receptionServicesData(services_);
        else if (info_ == kInfoDescription && description_) data_ = receptionDescriptionData(*description_);
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
        piece_.codeId = takeOr<uint16_t>(args, "code", 0xFFFF);
        piece_.majorVer = takeOr<uint8_t>(args, "major", 255);
        piece_.minorVer = takeOr<uint8_t>(args, "minor", 255);
        piece_.totalFileNum = takeOr<uint8_t>(args, "files", 255);
        piece_.fileNum = takeOr<uint8_t>(args, "file", 255);
        piece_.fileInfoSize = takeOr<uint16_t>(args, "info-size", 0xFFFF);
        piece_.crc = takeOr<uint16_t>(args, "crc", 0xFFFF);
        piece_.codeOffset = takeOr<uint32_t>(args, "offset", UINT32_MAX);
        args.done(false);
    }

private:
    void entry(const std::string& keyword, Args& args) override {
        if (keyword != "bytes") fail("a code download holds 'bytes' statements");
        args.done(true);
        const Bytes bytes = parseBytes(args.items);
        piece_.code.insert(piece_.code.end(), bytes.begin(), bytes.end());
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
        Station s;
        s.gcn = takeOr<uint16_t>(args, "gcn", 0x3FFF);
        s.mosaicCode = takeOr<uint16_t>(args, "mosaic", 0xFFFF);
        if (const auto xcie = args.take("xcie", 255)) s.xcieSize = static_cast<uint8_t>(*xcie);
        args.done(true);
        s.name = textsOf(args, {"StationName"})[0];
        stations_.push_back(s);
    }

    void finish() override { data_ = stationData(stations_); }

    std::vector<Station> stations_;
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

std::unique_ptr<RecordBlock> openRecordBlock(const std::string& keyword, uint8_t type,
                                             Args& args) {
    if (keyword == "jqid-table") {
        requireType(type == kJqidTable, keyword, "0xDF");
        return std::make_unique<JqidBlock>(args);
    }
    if (keyword == "topic-message") {
        requireType(type == 0x61 || type == 0x6E, keyword, "0x61 or 0x6E");
        return std::make_unique<TopicMessageBlock>(args);
    }
    if (keyword == "topic-list") {
        requireType(type == kTopicList || type == kPackedTopicList, keyword, "0x6F or 0x62");
        return std::make_unique<TopicListBlock>(type, args);
    }
    if (keyword == "dictionary") {
        requireType(type == kDictionary || type == kHostDictionary, keyword, "0x5D or 0xE2");
        return std::make_unique<DictionaryBlock>(type, args);
    }
    if (keyword == "channel-map") {
        requireType(type == 0xF3, keyword, "0xF3");
        return std::make_unique<ChannelMapBlock>(args);
    }
    if (keyword == "areas") {
        requireType(type == kAreaList || type == kCmidAreaLists || type == kOffsetAreaLists,
                    keyword, "0x71, 0x72 or 0x7E");
        return std::make_unique<AreaBlock>(type, args);
    }
    if (keyword == "reception") {
        requireType(type == 0x75 || type == 0x85, keyword, "0x75 or 0x85");
        return std::make_unique<ReceptionBlock>(args);
    }
    if (keyword == "code-download") {
        requireType(type == 0x5B, keyword, "0x5B");
        return std::make_unique<CodeDownloadBlock>(args);
    }
    if (keyword == "stations") {
        requireType(type == 0x70, keyword, "0x70");
        return std::make_unique<StationBlock>(args);
    }
    return nullptr;
}

}  // namespace jq::write::description
