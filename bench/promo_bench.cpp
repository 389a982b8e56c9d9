// promo_bench.cpp - the advertisement object index at scale.
//
// At start-up jqwrite writes 200 broadcast files "A0000.jq" ... into a
// temporary folder holding together 20,000 object packages (--jq_objects=N
// for another count) of types 0x56 and 0xD7, about 300 object bytes each,
// every other one deflated; one PAID in ten appears twice, once from this
// PC's HostID and once from another, so that the HostID rule has work to do.
// The folder is given to GetEnumOBJ9 as the caller's list. Then, side by
// side:
//
//   AnalyzeJQFile     every file parsed, then its list released: the floor
//                     under an enumeration.
//   PreAnalyzeJQFile  every file's index listed, then released: the scan an
//                     enumeration makes before it parses (for information).
//   GetEnumOBJ9       the whole call through the export: feedcore loaded,
//                     the scan, the parse, the table, the list of copied
//                     objects, feedcore unloaded; then FreeOBJ9List.
//
// All three count the same bytes per pass, and the run ends with the ratio
// of the medians (GetEnumOBJ9 time over AnalyzeJQFile time). Before timing,
// the list is checked against what was written.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "bench_options.h"
#include "feedcore.h"
#include "jqwrite.h"
#include "object_package.h"
#include "promoindex.h"
#include "ratio_reporter.h"

namespace {

namespace fs = std::filesystem;
using jq::write::Bytes;

constexpr unsigned long kDefaultObjects = 20000;
constexpr unsigned kFiles = 200;
constexpr size_t kObjectBytes = 300;
constexpr uint16_t kLocal = 2143;

constexpr const char* kAnalyzeName = "AnalyzeJQFile";
constexpr const char* kScanName = "PreAnalyzeJQFile";
constexpr const char* kEnumerateName = "GetEnumOBJ9";

struct DataSet {
    fs::path folder;
    std::vector<fs::path> files;
    size_t packages = 0;
    size_t paids = 0;  // distinct
    size_t fileBytes = 0;
};

DataSet writeDataSet(unsigned long objects) {
    DataSet set;
    set.folder =
        fs::temp_directory_path() / ("jq-bench-promo-" + std::to_string(std::random_device{}()));
    fs::create_directories(set.folder);
    std::mt19937 random(7);
    const size_t perFile = (objects + kFiles - 1) / kFiles;
    uint32_t nextPaid = 1;
    for (unsigned f = 0; f < kFiles && set.packages < objects; ++f) {
        jq::write::BroadcastFile file;
        file.fileHeader();
        for (size_t i = 0; i < perFile && set.packages < objects; ++i) {
            // Every tenth package repeats the PAID before it from another host.
            const bool repeat = set.packages % 10 == 9;
            const uint32_t paid = repeat ? nextPaid - 1 : nextPaid++;
            Bytes object(kObjectBytes);
            for (uint8_t& b : object) b = static_cast<uint8_t>('A' + random() % 26);
            jq::write::DataPackage p = jq::write::objectPackage(
                set.packages % 2 ? 0x56 : 0xD7, paid * 7919, static_cast<uint16_t>(paid), object,
                repeat ? 300 : kLocal);
            p.compress = set.packages % 2 == 0;
            file.dataPackage(p);
            ++set.packages;
            if (!repeat) ++set.paids;
        }
        char name[16];
        std::snprintf(name, sizeof name, "A%04u.jq", f);
        set.files.push_back(set.folder / name);
        set.fileBytes += file.size();
        if (!jq::write::saveFile(set.files.back().string(), file.bytes()))
            throw std::runtime_error("cannot write " + set.files.back().string());
    }
    return set;
}

// The data folder as the caller's folder list.
struct FolderList {
    explicit FolderList(const fs::path& folder) : text(folder.u16string()) {
        entry.length = static_cast<uint32_t>(text.size() + 1);
        entry.text = text.c_str();
        list.count = 1;
        list.entries = &entry;
    }
    std::u16string text;
    PathEntry entry{};
    OBJ9FolderList list{};
};

void checkList(const DataSet& set, const FolderList& folders) {
    OBJ9List list{};
    if (GetEnumOBJ9(&list, &folders.list) != JQ_OK) throw std::runtime_error("GetEnumOBJ9 failed");
    bool right = list.count == set.paids;
    for (uint32_t i = 0; right && i < list.count; ++i) {
        const OBJ9& o = list.elements[i];
        // A repeated PAID comes from the other host; the rest are local.
        const bool repeated = (o.PAID / 7919) % 9 == 0;
        right = o.ObjectSize == kObjectBytes && (i == 0 || o.PAID > list.elements[i - 1].PAID) &&
                (o.HostID == kLocal) != repeated;
    }
    FreeOBJ9List(&list);
    if (!right) throw std::runtime_error("the list is not as written");
}

void benchAnalyze(benchmark::State& state, const DataSet* set) {
    for (auto _ : state) {
        for (const fs::path& file : set->files) {
            ParseList list{};
            if (AnalyzeJQFile(file.u16string().c_str(), &list) != JQ_OK)
                state.SkipWithError("AnalyzeJQFile failed");
            benchmark::DoNotOptimize(list.elements);
            FreeParseList(&list);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set->fileBytes));
}

void benchScan(benchmark::State& state, const DataSet* set) {
    for (auto _ : state) {
        for (const fs::path& file : set->files) {
            IndexList list{};
            if (PreAnalyzeJQFile(file.u16string().c_str(), &list) != JQ_OK)
                state.SkipWithError("PreAnalyzeJQFile failed");
            benchmark::DoNotOptimize(list.elements);
            FreeIndexList(&list);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set->fileBytes));
}

void benchEnumerate(benchmark::State& state, const DataSet* set, const FolderList* folders) {
    for (auto _ : state) {
        OBJ9List list{};
        if (GetEnumOBJ9(&list, &folders->list) != JQ_OK) state.SkipWithError("GetEnumOBJ9 failed");
        benchmark::DoNotOptimize(list.elements);
        FreeOBJ9List(&list);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set->fileBytes));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        unsigned long objects = kDefaultObjects;
        std::vector<char*> arguments =
            jq::bench::libraryArguments(argc, argv, "--jq_objects", 1000000, objects);
        int libraryArgc = static_cast<int>(arguments.size()) - 1;
        benchmark::Initialize(&libraryArgc, arguments.data());
        if (benchmark::ReportUnrecognizedArguments(libraryArgc, arguments.data())) return 1;

        const DataSet set = writeDataSet(objects);
        const FolderList folders(set.folder);
        std::printf("data: %zu files, %zu bytes, %zu object packages, %zu PAIDs\n",
                    set.files.size(), set.fileBytes, set.packages, set.paids);
        checkList(set, folders);

        benchmark::RegisterBenchmark(kAnalyzeName, benchAnalyze, &set)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(kScanName, benchScan, &set)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(kEnumerateName, benchEnumerate, &set, &folders)
            ->Unit(benchmark::kMillisecond);
        jq::bench::RatioReporter reporter(jq::bench::colourWanted(argc, argv));
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();

        const double analyze = reporter.rate(kAnalyzeName);
        const double scan = reporter.rate(kScanName);
        const double enumerate = reporter.rate(kEnumerateName);
        if (analyze > 0 && enumerate > 0) {
            std::printf("%s: %.1f MB/s, %s: %.1f MB/s; ratio (time): %.2f\n", kEnumerateName,
                        enumerate / 1e6, kAnalyzeName, analyze / 1e6, analyze / enumerate);
        } else {
            std::printf("%s / %s: not computed (both benchmarks must run)\n", kEnumerateName,
                        kAnalyzeName);
        }
        if (scan > 0 && analyze > 0 && enumerate > 0)
            std::printf("GetEnumOBJ9 / (PreAnalyzeJQFile + AnalyzeJQFile), time: %.2f\n",
                        (1 / enumerate) / (1 / scan + 1 / analyze));
        std::error_code ignored;
        fs::remove_all(set.folder, ignored);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_promo: %s\n", e.what());
        return 1;
    }
}
