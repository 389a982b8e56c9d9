// jqtool - the reference host of the decoder: drives feedcore through its
// exports and prints what they return; "jqtool jqid", "topics", "micp",
// "promo" and "host" do the same for the index libraries and hostident,
// loaded at run time.
//
// Exit status: 0 success, 1 a decoder call failed or output could not be
// written, 2 wrong usage.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "feedcore.h"
#include "host_commands.h"
#include "jqid_commands.h"
#include "micp_commands.h"
#include "promo_commands.h"
#include "status_text.h"
#include "topics_commands.h"

namespace fs = std::filesystem;

namespace {

using JQString = std::basic_string<JQChar>;

JQString toJQ(const fs::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return path.u16string();
#endif
}

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Command {
    const char* name;
    const char* arguments;
    const char* help;
    int (*run)(const std::vector<std::string>& args);
};

int fail(const std::string& what, uint32_t status) {
    std::fprintf(stderr, "jqtool: %s: status %s\n", what.c_str(), jqtool::describeStatus(status).c_str());
    return kExitFailure;
}

std::string hex(const uint8_t* bytes, size_t count) {
    std::string text;
    char piece[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(piece, sizeof piece, i ? " %02X" : "%02X", bytes[i]);
        text += piece;
    }
    return text;
}

int runInfo(const std::vector<std::string>& args) {
    const JQString path = toJQ(args[0]);
    std::printf("file: %s\n", args[0].c_str());
    FileHeadInfo info{};
    const uint32_t headStatus = GetFileHeadInfo(path.c_str(), &info);
    if (headStatus == 18) return fail("cannot read " + args[0], headStatus);
    if (headStatus == 0) {
        std::printf("file header: value 0x%03X, bytes 4-15: %s %s %s %02X %02X\n", info.HeaderValue,
                    hex(info.Bytes4To7, 4).c_str(), hex(info.Bytes8To11, 4).c_str(),
                    hex(info.Bytes12To13, 2).c_str(), info.Byte14, info.Byte15);
    } else {
        std::printf("file header: none (first two bytes 0x%04X)\n", info.HeaderLength);
    }
    IndexList list{};
    const uint32_t status = PreAnalyzeJQFile(path.c_str(), &list);
    if (status != 0) return fail("index scan of " + args[0], status);
    uint32_t keyPackages = 0;
    for (uint32_t i = 0; i < list.count; ++i) keyPackages += list.elements[i].typeCode == 0x7F;
    std::printf("packages: %u data, %u key-parameter\n", list.count - keyPackages, keyPackages);
    FreeIndexList(&list);
    return 0;
}

int runList(const std::vector<std::string>& args) {
    IndexList list{};
    const uint32_t status = PreAnalyzeJQFile(toJQ(args[0]).c_str(), &list);
    if (status != 0) return fail("index scan of " + args[0], status);
    std::printf("offset,type,packetHeaderLength,packetHeader\n");
    for (uint32_t i = 0; i < list.count; ++i) {
        const IndexEntry& e = list.elements[i];
        std::printf("%d,0x%02X,%u,%s\n", e.offset, e.typeCode, e.packetHeaderLength,
                    e.packetHeader ? hex(e.packetHeader, e.packetHeaderLength).c_str() : "");
    }
    FreeIndexList(&list);
    return 0;
}

int runPackages(const std::vector<std::string>& args) {
    PackageList list{};
    const uint32_t status = DecryptJQFile(toJQ(args[0]).c_str(), &list);
    if (status != 0) return fail("decrypting " + args[0], status);
    std::printf("offset,type,country,host,update,version,oddEven,compress,blocks,checksum,"
                "plainLength,uncompressedLength,dataLength\n");
    for (uint32_t i = 0; i < list.count; ++i) {
        const PackageRecord& p = list.elements[i];
        std::printf("%d,0x%02X,%u,%u,%u,%u,%u,%u,%u,0x%04X,%u,%u,%u\n", p.offset, p.TypeCode, p.CountryCode,
                    p.HostID, p.UpdateNumber, p.VersionNumber, p.OddEvenFlag, p.CompressMethod,
                    p.PackageDataLength, p.TotalCheckSum, p.PlainPackageDataLength,
                    p.UnCompressedDataLength, p.dataLength);
    }
    FreePackageList(&list);
    return 0;
}

int runGcsp(const std::vector<std::string>& args) {
    GcspBlock block{};
    const uint32_t status = GetGCSP(toJQ(args[0]).c_str(), &block);
    if (status != 0) return fail("key parameters of " + args[0], status);
    std::printf("GcspBlock: %s\n", hex(reinterpret_cast<const uint8_t*>(&block), sizeof block).c_str());
    std::printf("month %u, year %u, odd key parameter 0x%02X, even key parameter 0x%02X\n", block.Month,
                1990u + block.YearOffset, block.OddKeyParameter, block.EvenKeyParameter);
    return 0;
}

// Dumps every parsed package of one file as OUTDIR/<file name>.<index>.csv.
int dumpFile(const fs::path& file, const fs::path& outDir) {
    ParseList list{};
    const uint32_t status = AnalyzeJQFile(toJQ(file).c_str(), &list);
    if (status != 0 && list.elements == nullptr) return fail("decoding " + file.string(), status);
    int result = 0;
    uint32_t written = 0;
    for (uint32_t i = 0; i < list.count; ++i) {
        if (list.elements[i].recordType == 0) continue;
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%03u.csv", i);
        const fs::path csv = outDir / (file.filename().string() + suffix);
        OutputCSVFile(toJQ(csv).c_str(), &list.elements[i]);
        std::error_code error;
        if (fs::file_size(csv, error) == 0 || error) {
            std::fprintf(stderr, "jqtool: could not write %s\n", csv.string().c_str());
            result = kExitFailure;
            continue;
        }
        std::printf("%s\n", csv.string().c_str());
        ++written;
    }
    const uint32_t count = list.count;
    FreeParseList(&list);
    if (status != 0) {
        result = fail("decoding " + file.string() + " (" + std::to_string(written) + " of " +
                          std::to_string(count) + " packages written)",
                      status);
    }
    return result;
}

int runDump(const std::vector<std::string>& args) {
    const fs::path input = args[0];
    const fs::path outDir = args[1];
    std::error_code error;
    fs::create_directories(outDir, error);
    if (!fs::is_directory(outDir)) {
        std::fprintf(stderr, "jqtool: cannot create folder %s\n", outDir.string().c_str());
        return kExitFailure;
    }
    if (!fs::is_directory(input)) return dumpFile(input, outDir);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(input, error)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    if (error) {
        std::fprintf(stderr, "jqtool: cannot list folder %s\n", input.string().c_str());
        return kExitFailure;
    }
    std::sort(files.begin(), files.end());
    int result = 0;
    for (const fs::path& file : files) result = std::max(result, dumpFile(file, outDir));
    return result;
}

const Command kCommands[] = {
    {"info", "FILE", "Prints the file header and the number of packages.", runInfo},
    {"list", "FILE", "Lists every package: offset, type code and packet header (the index scan).", runList},
    {"packages", "FILE", "Decrypts every data package and prints its header fields and data length.",
     runPackages},
    {"dump", "FILE|FOLDER OUTDIR",
     "Decodes every package and writes one CSV file per package into OUTDIR, for one file or for\n"
     "  every file of a folder. Packages decoded before a failure are written; the failure is\n"
     "  reported and the exit status is 1.",
     runDump},
    {"gcsp", "FILE", "Prints the file's key-parameter block.", runGcsp},
    {"jqid", "QUERY ARGUMENTS...", jqtool::kJqidHelp, jqtool::runJqid},
    {"topics", "QUERY ARGUMENTS...", jqtool::kTopicsHelp, jqtool::runTopics},
    {"micp", "QUERY ARGUMENTS...", jqtool::kMicpHelp, jqtool::runMicp},
    {"promo", "[--save DIR] [FOLDER]...", jqtool::kPromoHelp, jqtool::runPromo},
    {"host", "[OPTIONS]...", jqtool::kHostHelp, jqtool::runHost},
};

void printUsage(FILE* out) {
    std::fprintf(out, "usage: jqtool COMMAND ARGUMENTS (jqtool COMMAND --help for one command)\n\n");
    std::fprintf(out, "Decodes JQ files through the feedcore library. A file \"Tolvo.ini\" beside\n"
                      "jqtool switches feedcore to the container layout.\n\ncommands:\n");
    for (const Command& c : kCommands) std::fprintf(out, "  %s %s\n", c.name, c.arguments);
}

size_t argumentCount(const Command& command) {
    return std::count(command.arguments, command.arguments + std::strlen(command.arguments), ' ') + 1;
}

// A command whose arguments end in "..." checks its arguments itself.
bool checksOwnArguments(const Command& command) {
    const size_t length = std::strlen(command.arguments);
    return length >= 3 && std::strcmp(command.arguments + length - 3, "...") == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printUsage(stdout);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (name != command.name) continue;
        const std::vector<std::string> args(argv + 2, argv + argc);
        if (std::find(args.begin(), args.end(), "--help") != args.end()) {
            std::printf("usage: jqtool %s %s\n  %s\n", command.name, command.arguments, command.help);
            return 0;
        }
        if (!checksOwnArguments(command) && args.size() != argumentCount(command)) {
            std::fprintf(stderr, "usage: jqtool %s %s\n", command.name, command.arguments);
            return kExitUsage;
        }
        return command.run(args);
    }
    std::fprintf(stderr, "jqtool: unknown command '%s'\n", name.c_str());
    printUsage(stderr);
    return kExitUsage;
}
