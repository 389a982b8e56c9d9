// topics_commands.cpp - "jqtool topics ...": loads newsindex from beside
// jqtool, initialises it with the folders of the command line or those of
// its topics.ini, runs one query, prints the host's record and the status and
// uninitialises it again.
//
// The record is printed whatever the status: what a failed query leaves in
// it is part of its answer. Every result is released through the library's
// own release exports.
#include "topics_commands.h"

#include <cstdio>
#include <optional>

#include "arguments.h"
#include "bound_exports.h"
#include "bound_library.h"
#include "host_folder_list.h"
#include "newsindex.h"
#include "newsindex_exports.h"
#include "platform.h"
#include "status_text.h"

namespace jqtool {

const char* const kTopicsHelp =
    "Queries the topics index (newsindex beside jqtool; data folders from the command line,\n"
    "  else from topics.ini there). Numbers are decimal or 0x hexadecimal.\n"
    "    majors                             GetMajorIDList: every major category\n"
    "    minors MAJOR                       GetMinorIDList: the topics of a major category\n"
    "    data SERVICE MESSAGE               GetTopicsData: the content of a topic's message\n"
    "  Options, anywhere after \"topics\":\n"
    "    --folder DIR     a data folder; repeated, the folders in order (topics.ini is not read)\n"
    "    --no-folders     pass a folder list of no entries (topics.ini is not read)\n"
    "    --check-expiry   data: an expired message answers 4099\n"
    "    --init-twice     call InitializeTpc twice (a reload) before the query\n"
    "    --keep-going     run the query even when InitializeTpc fails\n"
    "    --null-output    pass a null output record to the query";

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr uint64_t kAny32 = UINT32_MAX;

JQ_BOUND_EXPORTS(NewsIndexExports, NEWSINDEX_EXPORTS);

using NewsIndex = BoundLibrary<NewsIndexExports>;

struct Options {
    // The host's folder list; none means topics.ini. An empty list is passed
    // with a count of 0.
    std::optional<std::vector<std::string>> folders;
    bool checkExpiry = false;
    bool initTwice = false;
    bool keepGoing = false;
    bool nullOutput = false;
};

using FolderList = HostFolderList<TopicFolderList>;

// ---- printing ----------------------------------------------------------------

void printNumber(const char* name, uint64_t value) {
    std::printf("%s: %llu\n", name, static_cast<unsigned long long>(value));
}

// Printable ASCII as it is, every other byte (and the quote and backslash)
// as \xNN.
void printEscaped(const uint8_t* bytes, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            std::putchar(b);
        } else {
            std::printf("\\x%02X", b);
        }
    }
}

// A text with its stored length, which counts the terminating zero byte: the
// bytes before that zero byte in quotes. A text whose last byte is not zero
// is printed whole and marked.
void printText(const char* lengthName, uint32_t length, const char* name, const uint8_t* bytes) {
    printNumber(lengthName, length);
    std::printf("%s: ", name);
    if (bytes == nullptr) {
        std::printf("(none)\n");
        return;
    }
    const bool terminated = length > 0 && bytes[length - 1] == 0;
    std::putchar('"');
    printEscaped(bytes, terminated ? length - 1 : length);
    std::printf(terminated ? "\"\n" : "\" (no terminating zero byte)\n");
}

// A buffer of length bytes, all of them in quotes.
void printData(const char* lengthName, uint32_t length, const char* name, const uint8_t* bytes) {
    printNumber(lengthName, length);
    std::printf("%s: ", name);
    if (bytes == nullptr) {
        std::printf("(none)\n");
        return;
    }
    std::putchar('"');
    printEscaped(bytes, length);
    std::printf("\"\n");
}

void printMajors(const MajorIDList& list) {
    printNumber("count", list.count);
    for (uint32_t i = 0; list.entries != nullptr && i < list.count; ++i) {
        const MajorIDEntry& e = list.entries[i];
        printNumber("entry", i);
        printNumber("HostID", e.HostID);
        printNumber("MajorCategoryID", e.MajorCategoryID);
        printText("TitleLength", e.TitleLength, "Title", e.Title);
    }
}

void printMinors(const MinorIDList& list) {
    printNumber("count", list.count);
    for (uint32_t i = 0; list.entries != nullptr && i < list.count; ++i) {
        const MinorIDEntry& e = list.entries[i];
        printNumber("entry", i);
        printNumber("HostID", e.HostID);
        printNumber("MinorCategoryID", e.MinorCategoryID);
        printText("TitleLength", e.TitleLength, "Title", e.Title);
        printText("DetailsLength", e.DetailsLength, "Details", e.Details);
        printNumber("ServiceID", e.ServiceID);
        printNumber("MessageID", e.MessageID);
    }
}

void printTopicsData(const TopicsData& data) {
    printData("Type2Length", data.Type2Length, "Type2Data", data.Type2Data);
    printData("Type6Length", data.Type6Length, "Type6Data", data.Type6Data);
    printData("Type8Length", data.Type8Length, "Type8Data", data.Type8Data);
}

int statusResult(uint32_t status) {
    std::printf("status: %s\n", describeStatus(status).c_str());
    return status == 0 ? kExitOk : kExitFailure;
}

// ---- the queries -----------------------------------------------------------------

struct Query {
    const char* name;
    size_t arguments;  // numbers, each of at most 32 bits
    int (*run)(NewsIndex& x, const std::vector<uint32_t>& n, const Options& o);
};

int runMajors(NewsIndex& x, const std::vector<uint32_t>&, const Options& o) {
    MajorIDList list{};
    const uint32_t status = x.GetMajorIDList(o.nullOutput ? nullptr : &list);
    if (!o.nullOutput) printMajors(list);
    x.FreeMajorIDList(&list);
    return statusResult(status);
}

int runMinors(NewsIndex& x, const std::vector<uint32_t>& n, const Options& o) {
    MinorIDList list{};
    const uint32_t status = x.GetMinorIDList(n[0], o.nullOutput ? nullptr : &list);
    if (!o.nullOutput) printMinors(list);
    x.FreeMinorIDList(&list);
    return statusResult(status);
}

int runData(NewsIndex& x, const std::vector<uint32_t>& n, const Options& o) {
    TopicsData data{};
    const uint32_t status =
        x.GetTopicsData(n[0], n[1], o.checkExpiry ? 1 : 0, o.nullOutput ? nullptr : &data);
    if (!o.nullOutput) printTopicsData(data);
    x.FreeTopicsData(&data);
    return statusResult(status);
}

const Query kQueries[] = {
    {"majors", 0, runMajors},
    {"minors", 1, runMinors},
    {"data", 2, runData},
};

int usage() {
    std::fprintf(stderr, "usage: jqtool topics QUERY ARGUMENTS [OPTIONS]\n%s\n", kTopicsHelp);
    return kExitUsage;
}

// True when every call of InitializeTpc returned 0; without --keep-going the
// first failure ends the calls.
bool initialize(NewsIndex& x, const Options& options) {
    std::optional<FolderList> folders;
    if (options.folders) folders.emplace(*options.folders);
    bool ready = true;
    for (int round = options.initTwice ? 2 : 1; round > 0; --round) {
        const uint32_t status = x.InitializeTpc(folders ? folders->get() : nullptr);
        if (status == 0) continue;
        std::fprintf(stderr, "jqtool: InitializeTpc: status %s\n", describeStatus(status).c_str());
        ready = false;
        if (!options.keepGoing) break;
    }
    return ready;
}

}  // namespace

int runTopics(const std::vector<std::string>& args) {
    Options options;
    bool noFolders = false;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--folder") {
            if (++i == args.size()) return usage();
            if (!options.folders) options.folders.emplace();
            options.folders->push_back(args[i]);
        } else if (arg == "--no-folders") {
            noFolders = true;
        } else if (arg == "--check-expiry") {
            options.checkExpiry = true;
        } else if (arg == "--init-twice") {
            options.initTwice = true;
        } else if (arg == "--keep-going") {
            options.keepGoing = true;
        } else if (arg == "--null-output") {
            options.nullOutput = true;
        } else {
            words.push_back(arg);
        }
    }
    if (noFolders) {
        if (options.folders) {
            std::fprintf(stderr, "jqtool: --no-folders and --folder exclude each other\n");
            return kExitUsage;
        }
        options.folders.emplace();
    }
    if (words.empty()) return usage();
    const Query* query = nullptr;
    for (const Query& q : kQueries) {
        if (words[0] == q.name) query = &q;
    }
    if (query == nullptr) {
        std::fprintf(stderr, "jqtool: unknown topics query '%s'\n", words[0].c_str());
        return usage();
    }
    if (words.size() - 1 != query->arguments) return usage();
    if (options.checkExpiry && query->run != runData) {
        std::fprintf(stderr, "jqtool: --check-expiry belongs to the data query\n");
        return kExitUsage;
    }
    std::vector<uint32_t> numbers;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::optional<uint64_t> n = number(words[i], kAny32);
        if (!n) {
            std::fprintf(stderr, "jqtool: not a 32-bit number: '%s'\n", words[i].c_str());
            return kExitUsage;
        }
        numbers.push_back(static_cast<uint32_t>(*n));
    }

    NewsIndex index;
    std::string error;
    if (!index.load(JQ_PATH("newsindex"), "newsindex", error)) {
        std::fprintf(stderr, "jqtool: %s\n", error.c_str());
        return kExitFailure;
    }
    const bool ready = initialize(index, options);
    int result = kExitFailure;
    if (ready || options.keepGoing) {
        result = query->run(index, numbers, options);
        if (!ready) result = kExitFailure;
    }
    const uint32_t status = index.UnInitializeTpc();
    if (status != 0) {
        std::fprintf(stderr, "jqtool: UnInitializeTpc: status %s\n",
                     describeStatus(status).c_str());
        result = kExitFailure;
    }
    return result;
}

}  // namespace jqtool
