// micp_commands.cpp - "jqtool micp ...": loads mediaindex from beside jqtool
// and asks it for one named datum, its size or its bytes, which are written
// to a file. With --init the index is built first by InitializeMICP and
// released after by UnInitializeMICP; without it the library builds a
// temporary index for the one call. Either way the folders come from
// MICP.ini beside jqtool.
#include "micp_commands.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "arguments.h"
#include "bound_exports.h"
#include "bound_library.h"
#include "mediaindex.h"
#include "mediaindex_exports.h"
#include "platform.h"
#include "status_text.h"

namespace jqtool {

const char* const kMicpHelp =
    "Queries the MICP index (mediaindex beside jqtool; data folders from MICP.ini there).\n"
    "  NAME is the datum's name as the command line gives it; the library converts it to the\n"
    "  code page of the data.\n"
    "    size NAME                GetMICPDataSize: the datum's size in bytes (0: none)\n"
    "    get NAME OUTFILE         GetMICPData2: the datum in a buffer of the library's, written\n"
    "                             to OUTFILE\n"
    "  Options, anywhere after \"micp\":\n"
    "    --buffer N   get: GetMICPData into a zero-filled buffer of N bytes instead, all N\n"
    "                 bytes written to OUTFILE\n"
    "    --init       call InitializeMICP before the query and UnInitializeMICP after it";

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

JQ_BOUND_EXPORTS(MediaIndexExports, MEDIAINDEX_EXPORTS);

using MediaIndex = BoundLibrary<MediaIndexExports>;

struct Options {
    std::optional<uint32_t> buffer;
    bool init = false;
};

// The name in UTF-16, from the command line's own encoding (UTF-8 on POSIX,
// the ANSI code page on Windows).
jq::platform::PathString nameOf(const std::string& text) {
#ifdef _WIN32
    return std::filesystem::path(text).wstring();
#else
    return std::filesystem::path(text).u16string();
#endif
}

bool writeFile(const std::string& path, const uint8_t* bytes, uint32_t count) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes), count);
    out.close();
    if (!out) std::fprintf(stderr, "jqtool: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

int statusResult(uint32_t status) {
    std::printf("status: %s\n", describeStatus(status).c_str());
    return status == 0 ? kExitOk : kExitFailure;
}

int runSize(MediaIndex& x, const std::vector<std::string>& words, const Options&) {
    const uint32_t size = x.GetMICPDataSize(nameOf(words[1]).c_str());
    std::printf("size: %u\n", size);
    return size > 0 ? kExitOk : kExitFailure;
}

int runGet(MediaIndex& x, const std::vector<std::string>& words, const Options& o) {
    const jq::platform::PathString name = nameOf(words[1]);
    if (o.buffer) {
        std::vector<uint8_t> buffer(*o.buffer);
        const uint32_t status = x.GetMICPData(name.c_str(), buffer.data(), *o.buffer);
        if (status == 0 && !writeFile(words[2], buffer.data(), *o.buffer)) return kExitFailure;
        return statusResult(status);
    }
    uint8_t* data = nullptr;
    uint32_t length = 0;
    const uint32_t status = x.GetMICPData2(name.c_str(), &data, &length);
    std::printf("length: %u\n", length);
    const bool written = status != 0 || writeFile(words[2], data, length);
    x.FreeMICPData(&data);
    return written ? statusResult(status) : kExitFailure;
}

struct Query {
    const char* name;
    size_t words;  // the query's name and its arguments
    int (*run)(MediaIndex& x, const std::vector<std::string>& words, const Options& o);
};

const Query kQueries[] = {
    {"size", 2, runSize},
    {"get", 3, runGet},
};

int usage() {
    std::fprintf(stderr, "usage: jqtool micp QUERY ARGUMENTS [OPTIONS]\n%s\n", kMicpHelp);
    return kExitUsage;
}

int runInitialized(MediaIndex& index, const Query& query, const std::vector<std::string>& words,
                   const Options& options) {
    if (!options.init) return query.run(index, words, options);
    const uint32_t status = index.InitializeMICP();
    if (status != 0) {
        std::fprintf(stderr, "jqtool: InitializeMICP: status %s\n", describeStatus(status).c_str());
        index.UnInitializeMICP();
        return kExitFailure;
    }
    int result = query.run(index, words, options);
    const uint32_t released = index.UnInitializeMICP();
    if (released != 0) {
        std::fprintf(stderr, "jqtool: UnInitializeMICP: status %s\n",
                     describeStatus(released).c_str());
        result = kExitFailure;
    }
    return result;
}

}  // namespace

int runMicp(const std::vector<std::string>& args) {
    Options options;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--init") {
            options.init = true;
        } else if (args[i] == "--buffer") {
            if (++i == args.size()) return usage();
            const std::optional<uint64_t> n = number(args[i], UINT32_MAX);
            if (!n) {
                std::fprintf(stderr, "jqtool: not a 32-bit number: '%s'\n", args[i].c_str());
                return kExitUsage;
            }
            options.buffer = static_cast<uint32_t>(*n);
        } else {
            words.push_back(args[i]);
        }
    }
    if (words.empty()) return usage();
    const Query* query = nullptr;
    for (const Query& q : kQueries) {
        if (words[0] == q.name) query = &q;
    }
    if (query == nullptr) {
        std::fprintf(stderr, "jqtool: unknown micp query '%s'\n", words[0].c_str());
        return usage();
    }
    if (words.size() != query->words) return usage();
    if (options.buffer && query->run != runGet) {
        std::fprintf(stderr, "jqtool: --buffer belongs to the get query\n");
        return kExitUsage;
    }

    MediaIndex index;
    std::string error;
    if (!index.load(JQ_PATH("mediaindex"), "mediaindex", error)) {
        std::fprintf(stderr, "jqtool: %s\n", error.c_str());
        return kExitFailure;
    }
    return runInitialized(index, *query, words, options);
}

}  // namespace jqtool
