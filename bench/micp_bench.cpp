// micp_bench.cpp - the MICP index at scale.
//
// At start-up jqwrite writes container files "M0000.jq" ... into a temporary
// folder: 2,000 MICP objects (--jq_objects=N for another count) of about
// 10.5 KB each, one named datum apiece, 200 objects to a file; and a file of
// one 1 MiB datum "BIG" in 20 parts over 10 blocks (a part is one element,
// whose 16-bit length holds at most 65,533 bytes). A MICP.ini naming the
// folder and a Tolvo.ini, under which feedcore reads containers, lie beside
// this program for the run. Then, side by side:
//
//   AnalyzeJQFile   every file parsed, then its list released: the floor
//                   under a load.
//   PreAnalyzeJQFile  every file's index listed, then released: the scan
//                   that a load makes before it parses (for information).
//   InitializeMICP  the whole load through the export: scan, parse, block
//                   table, objects decoded into the name table.
//   memcpy          1 MiB copied into a fresh buffer: the floor under an
//                   allocated datum.
//   GetMICPData2    the 1 MiB datum assembled from its parts into a buffer of
//                   the library's, then released with FreeMICPData.
//
// Both pairs count the same bytes per pass, and the run ends with the ratio
// of each pair's medians (library time over floor time). Before timing, the
// big datum and a sample of the small ones are checked against what was
// written.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "bench_options.h"
#include "feedcore.h"
#include "jqwrite.h"
#include "mediaindex.h"
#include "micp_writer.h"
#include "ratio_reporter.h"
#include "settings_beside_program.h"

namespace {

namespace fs = std::filesystem;
using jq::write::Bytes;

constexpr unsigned long kDefaultObjects = 2000;
constexpr size_t kObjectsPerFile = 200;  // a container holds at most 255 packages
constexpr size_t kDatumBytes = 10500;
constexpr size_t kBigBytes = 1 << 20;
constexpr unsigned kBigBlocks = 10;
constexpr unsigned kPartsPerBlock = 2;
constexpr const char* kAnalyzeName = "AnalyzeJQFile";
constexpr const char* kScanName = "PreAnalyzeJQFile";
constexpr const char* kInitializeName = "InitializeMICP";
constexpr const char* kCopyName = "memcpy";
constexpr const char* kAllocatedName = "GetMICPData2";

struct DataSet {
    fs::path folder;
    std::vector<fs::path> files;
    size_t objects = 0;
    size_t fileBytes = 0;
    Bytes big;
};

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::basic_string<JQChar> wide(const std::string& text) {
    return std::basic_string<JQChar>(text.begin(), text.end());
}

std::string nameOf(size_t i) { return "DATUM" + std::to_string(i); }

Bytes objectOf(std::vector<jq::write::TypedElement> elements) {
    jq::write::MicpObject object;
    object.elements = std::move(elements);
    return jq::write::micpObjectBytes(object);
}

void save(DataSet& set, const std::vector<jq::write::ContainerEntry>& entries) {
    char name[16];
    std::snprintf(name, sizeof name, "M%04zu.jq", set.files.size());
    const Bytes bytes = jq::write::containerFile(0xF5, entries);
    set.files.push_back(set.folder / name);
    set.fileBytes += bytes.size();
    if (!jq::write::saveFile(set.files.back().string(), bytes))
        throw std::runtime_error("cannot write " + set.files.back().string());
}

DataSet writeDataSet(unsigned long objects) {
    DataSet set;
    set.folder =
        fs::temp_directory_path() / ("jq-bench-micp-" + std::to_string(std::random_device{}()));
    fs::create_directories(set.folder);
    std::mt19937 random(7);
    std::vector<jq::write::ContainerEntry> entries;
    for (size_t i = 0; i < objects; ++i) {
        jq::write::MicpDatum datum;
        datum.name = bytesOf(nameOf(i));
        datum.data.resize(kDatumBytes);
        for (uint8_t& b : datum.data) b = static_cast<uint8_t>(random());
        entries.push_back(jq::write::micpBlockEntry(
            static_cast<uint32_t>(i + 1), 1, 1,
            objectOf({jq::write::micpInfoElement(1, 2, 3, 4), jq::write::micpDataElement(datum)})));
        ++set.objects;
        if (entries.size() == kObjectsPerFile || i + 1 == objects) {
            save(set, entries);
            entries.clear();
        }
    }
    set.big.resize(kBigBytes);
    for (uint8_t& b : set.big) b = static_cast<uint8_t>(random());
    const std::vector<jq::write::MicpDatum> parts =
        jq::write::micpParts(bytesOf("BIG"), set.big, kBigBlocks * kPartsPerBlock);
    for (unsigned b = 0; b < kBigBlocks; ++b) {
        std::vector<jq::write::TypedElement> elements;
        for (unsigned p = 0; p < kPartsPerBlock; ++p)
            elements.push_back(jq::write::micpDataElement(parts[b * kPartsPerBlock + p]));
        entries.push_back(jq::write::micpBlockEntry(
            0x10000, kBigBlocks, static_cast<uint16_t>(b + 1), objectOf(std::move(elements))));
    }
    save(set, entries);
    return set;
}

// The big datum and every hundredth small one as written.
void checkData(const DataSet& set) {
    uint8_t* data = nullptr;
    uint32_t length = 0;
    const bool big = GetMICPData2(wide("BIG").c_str(), &data, &length) == JQ_OK &&
                     length == set.big.size() &&
                     std::memcmp(data, set.big.data(), set.big.size()) == 0;
    FreeMICPData(&data);
    if (!big) throw std::runtime_error("the big datum is not as written");
    for (size_t i = 0; i < set.objects; i += 100) {
        if (GetMICPDataSize(wide(nameOf(i)).c_str()) != kDatumBytes)
            throw std::runtime_error(nameOf(i) + " is not as written");
    }
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

void benchInitialize(benchmark::State& state, const DataSet* set) {
    for (auto _ : state) {
        if (InitializeMICP() != JQ_OK) state.SkipWithError("InitializeMICP failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set->fileBytes));
}

void benchCopy(benchmark::State& state, const DataSet* set) {
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[set->big.size()]);
        std::memcpy(copy.get(), set->big.data(), set->big.size());
        benchmark::DoNotOptimize(copy.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set->big.size()));
}

void benchAllocated(benchmark::State& state, const DataSet* set) {
    const std::basic_string<JQChar> name = wide("BIG");
    for (auto _ : state) {
        uint8_t* data = nullptr;
        uint32_t length = 0;
        if (GetMICPData2(name.c_str(), &data, &length) != JQ_OK)
            state.SkipWithError("GetMICPData2 failed");
        benchmark::DoNotOptimize(data);
        FreeMICPData(&data);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set->big.size()));
}

void printRatio(const jq::bench::RatioReporter& reporter, const char* library, const char* floor) {
    const double libraryRate = reporter.rate(library);
    const double floorRate = reporter.rate(floor);
    if (libraryRate > 0 && floorRate > 0) {
        std::printf("%s: %.1f MB/s, %s: %.1f MB/s; ratio (time): %.2f\n", library,
                    libraryRate / 1e6, floor, floorRate / 1e6, floorRate / libraryRate);
    } else {
        std::printf("%s / %s: not computed (both benchmarks must run)\n", library, floor);
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        unsigned long objects = kDefaultObjects;
        std::vector<char*> arguments =
            jq::bench::libraryArguments(argc, argv, "--jq_objects", 50000, objects);
        int libraryArgc = static_cast<int>(arguments.size()) - 1;
        benchmark::Initialize(&libraryArgc, arguments.data());
        if (benchmark::ReportUnrecognizedArguments(libraryArgc, arguments.data())) return 1;

        const DataSet set = writeDataSet(objects);
        const jq::bench::SettingsBesideProgram settings(
            "MICP.ini", jq::bench::SettingsBesideProgram::folderList(set.folder));
        const jq::bench::SettingsBesideProgram containers("Tolvo.ini", "");
        std::printf("data: %zu files, %zu bytes, %zu objects and one datum of %zu bytes\n",
                    set.files.size(), set.fileBytes, set.objects, set.big.size());
        if (InitializeMICP() != JQ_OK) throw std::runtime_error("InitializeMICP failed");
        checkData(set);

        benchmark::RegisterBenchmark(kAnalyzeName, benchAnalyze, &set)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(kScanName, benchScan, &set)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(kInitializeName, benchInitialize, &set)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(kCopyName, benchCopy, &set)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(kAllocatedName, benchAllocated, &set)
            ->Unit(benchmark::kMicrosecond);
        jq::bench::RatioReporter reporter(jq::bench::colourWanted(argc, argv));
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
        UnInitializeMICP();
        printRatio(reporter, kInitializeName, kAnalyzeName);
        printRatio(reporter, kAllocatedName, kCopyName);
        // A load scans each file before it parses it: the two calls together
        // are the floor of any load that follows the frame.
        const double scan = reporter.rate(kScanName);
        const double analyze = reporter.rate(kAnalyzeName);
        const double initialize = reporter.rate(kInitializeName);
        if (scan > 0 && analyze > 0 && initialize > 0)
            std::printf("InitializeMICP / (PreAnalyzeJQFile + AnalyzeJQFile), time: %.2f\n",
                        (1 / initialize) / (1 / scan + 1 / analyze));
        std::error_code ignored;
        fs::remove_all(set.folder, ignored);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_micp: %s\n", e.what());
        return 1;
    }
}
