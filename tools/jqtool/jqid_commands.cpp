// jqid_commands.cpp - "jqtool jqid ...": loads idindex from beside jqtool,
// initialises it, runs one query, prints its answer and status and
// uninitialises it again.
#include "jqid_commands.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <optional>

#include "arguments.h"
#include "bound_exports.h"
#include "bound_library.h"
#include "idindex.h"
#include "idindex_exports.h"
#include "platform.h"
#include "status_text.h"

namespace jqtool {

const char* const kJqidHelp =
    "Queries the JQID index (idindex beside jqtool, data folders from JQID.ini there).\n"
    "  Numbers are decimal or 0x hexadecimal; EFFECTIVE is the effectiveOnly argument\n"
    "  (1: entries valid now only; default 0).\n"
    "    find JQID [EFFECTIVE]              IsFindJQID\n"
    "    effective JQID                     IsEffective\n"
    "    grt JQID                           GetGRT\n"
    "    get JQID                           GetJQIDData: the decoded entry\n"
    "    links JQID [EFFECTIVE]             GetJQIDLinkList\n"
    "    grt-links JQID GRT [EFFECTIVE]     GetGRT2JQIDLinkList\n"
    "    grt-list GRT [EFFECTIVE]           GetGRT2JQIDList\n"
    "    event GCN EVENTID [EFFECTIVE]      GetShowEvent2JQID\n"
    "    pad PAD [EFFECTIVE]                GetPAD2JQID\n"
    "    tad TAD [EFFECTIVE]                GetTAD2JQID\n"
    "    msid MESSAGEID SERVICEID [EFFECTIVE]  GetMSID2JQID\n"
    "  Options, anywhere after \"jqid\":\n"
    "    --init-twice   call InitializeJQID twice (a reload) before the query\n"
    "    --keep-going   run the query even when InitializeJQID fails\n"
    "    --null-output  pass a null output record to the query";

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

JQ_BOUND_EXPORTS(IdIndexExports, IDINDEX_EXPORTS);

using IdIndex = BoundLibrary<IdIndexExports>;

struct Options {
    bool initTwice = false;
    bool keepGoing = false;
    bool nullOutput = false;
};

// ---- printing ----------------------------------------------------------------

void printJqid(const char* name, uint64_t jqid) { std::printf("%s: 0x%012" PRIX64 "\n", name, jqid); }

void printNumber(const char* name, uint64_t value) { std::printf("%s: %" PRIu64 "\n", name, value); }

void printTime(const char* name, const EpochTime& t) {
    std::printf("%s: %04u-%02u-%02u %02u:%02u:%02u (%" PRIu32 ")\n", name, t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.seconds);
}

// A buffer with its stored size (the bytes and the zero byte after them):
// printable ASCII as it is, other bytes as \xNN.
void printBuffer(const char* sizeName, uint32_t size, const char* name, const uint8_t* bytes) {
    printNumber(sizeName, size);
    std::printf("%s: ", name);
    if (bytes == nullptr) {
        std::printf("(none)\n");
        return;
    }
    std::putchar('"');
    for (uint32_t i = 0; i + 1 < size; ++i) {
        const uint8_t b = bytes[i];
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            std::putchar(b);
        } else {
            std::printf("\\x%02X", b);
        }
    }
    std::printf("\"\n");
}

void printDates(const EpochTime& effective, const EpochTime& expiry) {
    printTime("EffectiveDate", effective);
    printTime("ExpiryDate", expiry);
}

void printRecord(const EventRecord& r) {
    std::printf("record: EventRecord\n");
    printJqid("JQID", r.JQID);
    printNumber("GCN", r.GCN);
    printNumber("IDType", r.IDType);
    printDates(r.EffectiveDate, r.ExpiryDate);
    printNumber("EventID", r.EventID);
    printNumber("MJD", r.MJD);
    printNumber("MJDYear", r.MJDYear);
    printNumber("MJDMonth", r.MJDMonth);
    printNumber("MJDDay", r.MJDDay);
    printNumber("StartMinute", r.StartMinute);
    printNumber("StartHour", r.StartHour);
    printNumber("StartMin", r.StartMin);
    printNumber("StartSecond", r.StartSecond);
    printNumber("DureMinute", r.DureMinute);
    printNumber("DureSecond", r.DureSecond);
}

void printRecord(const ByteIdRecord& r) {
    std::printf("record: ByteIdRecord\n");
    printJqid("JQID", r.JQID);
    printNumber("ID", r.ID);
    printDates(r.EffectiveDate, r.ExpiryDate);
}

void printRecord(const WordIdRecord& r) {
    std::printf("record: WordIdRecord\n");
    printJqid("JQID", r.JQID);
    printNumber("ID", r.ID);
    printDates(r.EffectiveDate, r.ExpiryDate);
}

void printRecord(const LongIdRecord& r) {
    std::printf("record: LongIdRecord\n");
    printJqid("JQID", r.JQID);
    printNumber("ID", r.ID);
    printDates(r.EffectiveDate, r.ExpiryDate);
}

void printRecord(const MessageRecord& r) {
    std::printf("record: MessageRecord\n");
    printJqid("JQID", r.JQID);
    printNumber("MessageID", r.MessageID);
    printNumber("ServiceID", r.ServiceID);
    printDates(r.EffectiveDate, r.ExpiryDate);
}

void printRecord(const ActorRecord& r) {
    std::printf("record: ActorRecord\n");
    printJqid("JQID", r.JQID);
    printNumber("ActorID", r.ActorID);
    printBuffer("MimeTypeSize", r.MimeTypeSize, "MimeType", r.MimeType);
    printBuffer("DocRefSize", r.DocRefSize, "DocRef", r.DocRef);
    printDates(r.EffectiveDate, r.ExpiryDate);
}

void printRecord(const UriRecord& r) {
    std::printf("record: UriRecord\n");
    printJqid("JQID", r.JQID);
    printBuffer("MimeTypeSize", r.MimeTypeSize, "MimeType", r.MimeType);
    printBuffer("UriSize", r.UriSize, "Uri", r.Uri);
    printDates(r.EffectiveDate, r.ExpiryDate);
}

void printRecord(const SponsorRecord& r) {
    std::printf("record: SponsorRecord\n");
    printJqid("JQID", r.JQID);
    printNumber("SponsorID", r.SponsorID);
    printBuffer("MimeTypeSize", r.MimeTypeSize, "MimeType", r.MimeType);
    printBuffer("UriSize", r.UriSize, "Uri", r.Uri);
    printDates(r.EffectiveDate, r.ExpiryDate);
}

void printRecord(const LinkRecord& r) {
    std::printf("record: LinkRecord\n");
    printJqid("JQID1", r.JQID1);
    printJqid("JQID2", r.JQID2);
    printDates(r.EffectiveDate, r.ExpiryDate);
}

template <typename Record>
void printSlot(const Record* record) {
    if (record == nullptr) {
        std::printf("record: none in the slot of the kind\n");
    } else {
        printRecord(*record);
    }
}

// The record in the slot of the entry's kind.
void printEntry(const JQIDEntry& e) {
    printNumber("kind", e.kind);
    printNumber("length", e.length);
    switch (e.kind) {
        case 0: return printSlot(e.event);
        case 1001: return printSlot(e.byteId1001);
        case 1002: return printSlot(e.actor1002);
        case 1003: return printSlot(e.byteId1003);
        case 1004: return printSlot(e.wordId1004);
        case 1005: return printSlot(e.byteId1005);
        case 1006: return printSlot(e.uri1006);
        case 1008: return printSlot(e.uri1008);
        case 1009: return printSlot(e.uri1009);
        case 1010: return printSlot(e.uri1010);
        case 1100: return printSlot(e.longId1100);
        case 1101: return printSlot(e.uri1101);
        case 1102: return printSlot(e.uri1102);
        case 1103: return printSlot(e.wordId1103);
        case 1104: return printSlot(e.uri1104);
        case 1200: return printSlot(e.longId1200);
        case 1201: return printSlot(e.uri1201);
        case 1202: return printSlot(e.uri1202);
        case 1300: return printSlot(e.message1300);
        case 1301: return printSlot(e.uri1301);
        case 1302: return printSlot(e.uri1302);
        case 1400: return printSlot(e.byteId1400);
        case 1500: return printSlot(e.byteId1500);
        case 1600: return printSlot(e.sponsor1600);
        case 16384: return printSlot(e.link);
        default: std::printf("record: unknown kind\n");
    }
}

void printList(const JQIDList& list) {
    printNumber("count", list.count);
    for (uint32_t i = 0; list.items != nullptr && i < list.count; ++i)
        std::printf("0x%012" PRIX64 "\n", list.items[i]);
}

int statusResult(uint32_t status) {
    std::printf("status: %s\n", describeStatus(status).c_str());
    return status == 0 ? kExitOk : kExitFailure;
}

// ---- the queries -----------------------------------------------------------------

// One query: its arguments are numbers of at most the maxima given; an
// optional last one is EFFECTIVE.
struct Query {
    const char* name;
    std::vector<uint64_t> maxima;  // of the required arguments
    bool effective;                // takes an optional EFFECTIVE
    int (*run)(IdIndex& x, const std::vector<uint64_t>& n, uint32_t effective, const Options& o);
};

int runFind(IdIndex& x, const std::vector<uint64_t>& n, uint32_t effective, const Options&) {
    printNumber("found", x.IsFindJQID(n[0], effective));
    return kExitOk;
}

int runEffective(IdIndex& x, const std::vector<uint64_t>& n, uint32_t, const Options&) {
    printNumber("effective", x.IsEffective(n[0]));
    return kExitOk;
}

int runGrt(IdIndex& x, const std::vector<uint64_t>& n, uint32_t, const Options&) {
    printNumber("GRT", x.GetGRT(n[0]));
    return kExitOk;
}

int runGet(IdIndex& x, const std::vector<uint64_t>& n, uint32_t, const Options& o) {
    JQIDEntry entry{};
    const uint32_t status = x.GetJQIDData(n[0], o.nullOutput ? nullptr : &entry, 0);
    if (status == 0) printEntry(entry);
    x.FreeJQIDData(&entry);
    return statusResult(status);
}

// The three list queries share their printing and release.
template <typename Call>
int listQuery(IdIndex& x, const Options& o, Call call) {
    JQIDList list{};
    const uint32_t status = call(o.nullOutput ? nullptr : &list);
    if (status == 0) printList(list);
    x.FreeJQIDList(&list);
    return statusResult(status);
}

int runLinks(IdIndex& x, const std::vector<uint64_t>& n, uint32_t effective, const Options& o) {
    return listQuery(x, o, [&](JQIDList* l) { return x.GetJQIDLinkList(n[0], l, effective); });
}

int runGrtLinks(IdIndex& x, const std::vector<uint64_t>& n, uint32_t effective, const Options& o) {
    return listQuery(x, o, [&](JQIDList* l) {
        return x.GetGRT2JQIDLinkList(n[0], static_cast<uint32_t>(n[1]), l, effective);
    });
}

int runGrtList(IdIndex& x, const std::vector<uint64_t>& n, uint32_t effective, const Options& o) {
    return listQuery(x, o, [&](JQIDList* l) {
        return x.GetGRT2JQIDList(static_cast<uint32_t>(n[0]), l, effective);
    });
}

// The four reverse lookups share their printing.
template <typename Call>
int lookupQuery(const Options& o, Call call) {
    uint64_t jqid = 0;
    const uint32_t status = call(o.nullOutput ? nullptr : &jqid);
    if (status == 0) printJqid("JQID", jqid);
    return statusResult(status);
}

int runEvent(IdIndex& x, const std::vector<uint64_t>& n, uint32_t effective, const Options& o) {
    return lookupQuery(o, [&](uint64_t* out) {
        return x.GetShowEvent2JQID(static_cast<uint32_t>(n[0]), static_cast<uint32_t>(n[1]), out,
                                   effective);
    });
}

int runPad(IdIndex& x, const std::vector<uint64_t>& n, uint32_t effective, const Options& o) {
    return lookupQuery(o, [&](uint64_t* out) {
        return x.GetPAD2JQID(static_cast<uint32_t>(n[0]), out, effective);
    });
}

int runTad(IdIndex& x, const std::vector<uint64_t>& n, uint32_t effective, const Options& o) {
    return lookupQuery(o, [&](uint64_t* out) {
        return x.GetTAD2JQID(static_cast<uint32_t>(n[0]), out, effective);
    });
}

int runMsid(IdIndex& x, const std::vector<uint64_t>& n, uint32_t effective, const Options& o) {
    return lookupQuery(o, [&](uint64_t* out) {
        return x.GetMSID2JQID(static_cast<uint32_t>(n[0]), static_cast<uint32_t>(n[1]), out,
                              effective);
    });
}

constexpr uint64_t kAny64 = UINT64_MAX;
constexpr uint64_t kAny32 = UINT32_MAX;

const Query kQueries[] = {
    {"find", {kAny64}, true, runFind},
    {"effective", {kAny64}, false, runEffective},
    {"grt", {kAny64}, false, runGrt},
    {"get", {kAny64}, false, runGet},
    {"links", {kAny64}, true, runLinks},
    {"grt-links", {kAny64, kAny32}, true, runGrtLinks},
    {"grt-list", {kAny32}, true, runGrtList},
    {"event", {kAny32, kAny32}, true, runEvent},
    {"pad", {kAny32}, true, runPad},
    {"tad", {kAny32}, true, runTad},
    {"msid", {kAny32, kAny32}, true, runMsid},
};

int usage() {
    std::fprintf(stderr, "usage: jqtool jqid QUERY ARGUMENTS [OPTIONS]\n%s\n", kJqidHelp);
    return kExitUsage;
}

// True when every call of InitializeJQID returned 0; without --keep-going
// the first failure ends the calls.
bool initialize(IdIndex& x, const Options& options) {
    bool ready = true;
    for (int round = options.initTwice ? 2 : 1; round > 0; --round) {
        const uint32_t status = x.InitializeJQID();
        if (status == 0) continue;
        std::fprintf(stderr, "jqtool: InitializeJQID: status %s\n", describeStatus(status).c_str());
        ready = false;
        if (!options.keepGoing) break;
    }
    return ready;
}

}  // namespace

int runJqid(const std::vector<std::string>& args) {
    Options options;
    std::vector<std::string> words;
    for (const std::string& arg : args) {
        if (arg == "--init-twice") {
            options.initTwice = true;
        } else if (arg == "--keep-going") {
            options.keepGoing = true;
        } else if (arg == "--null-output") {
            options.nullOutput = true;
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) return usage();
    const Query* query = nullptr;
    for (const Query& q : kQueries) {
        if (words[0] == q.name) query = &q;
    }
    if (query == nullptr) {
        std::fprintf(stderr, "jqtool: unknown jqid query '%s'\n", words[0].c_str());
        return usage();
    }
    const size_t required = query->maxima.size();
    const size_t given = words.size() - 1;
    if (given < required || given > required + (query->effective ? 1 : 0)) return usage();
    std::vector<uint64_t> numbers;
    for (size_t i = 0; i < required; ++i) {
        const std::optional<uint64_t> n = number(words[i + 1], query->maxima[i]);
        if (!n) {
            std::fprintf(stderr, "jqtool: not a number in range: '%s'\n", words[i + 1].c_str());
            return kExitUsage;
        }
        numbers.push_back(*n);
    }
    uint32_t effective = 0;
    if (given > required) {
        const std::optional<uint64_t> n = number(words.back(), kAny32);
        if (!n) {
            std::fprintf(stderr, "jqtool: EFFECTIVE is not a number: '%s'\n", words.back().c_str());
            return kExitUsage;
        }
        effective = static_cast<uint32_t>(*n);
    }

    IdIndex index;
    std::string error;
    if (!index.load(JQ_PATH("idindex"), "idindex", error)) {
        std::fprintf(stderr, "jqtool: %s\n", error.c_str());
        return kExitFailure;
    }
    const bool ready = initialize(index, options);
    int result = kExitFailure;
    if (ready || options.keepGoing) {
        result = query->run(index, numbers, effective, options);
        if (!ready) result = kExitFailure;
    }
    const uint32_t status = index.UnInitializeJQID();
    if (status != 0) {
        std::fprintf(stderr, "jqtool: UnInitializeJQID: status %s\n", describeStatus(status).c_str());
        result = kExitFailure;
    }
    return result;
}

}  // namespace jqtool
