// jqid_bench.cpp - the JQID index at scale.
//
// At start-up jqwrite writes ten files "G0000.jq" ... into a temporary folder,
// holding together a million JQID entries (--jq_entries=N for another count):
// events, one-byte IDs, URIs, PADs, TADs, messages and links, in tables of at
// most ~60 KB of record data, every other one deflated. A JQID.ini beside
// this program lists the folder for the time of the run. Then:
//
//   DecryptJQFile      every file read, decrypted and inflated, then released:
//                      the floor under a load.
//   InitializeJQID     the whole load through the export: scan, decryption,
//                      tables.
//   IsFindJQID, GetJQIDData, GetPAD2JQID
//                      one call each on JQIDs (PADs) picked at random from
//                      what was written; the time per call is the latency.
//
// Before timing, the tables are built once directly to report the memory
// they hold per entry.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "bench_options.h"
#include "idindex.h"
#include "jqid_data.h"
#include "jqid_tables.h"
#include "jqwrite.h"
#include "platform.h"
#include "settings_beside_program.h"

namespace {

namespace fs = std::filesystem;
using jq::write::Bytes;
using jq::write::JqidEntry;
using jq::write::JqidTable;

constexpr unsigned long kDefaultEntries = 1000000;
constexpr unsigned kFiles = 10;
constexpr size_t kMaxTableData = 60000;
constexpr uint32_t kForever = 0xFFFFFFFF;

// The kinds written, by share of the entries in percent.
struct KindShare {
    uint16_t grt;
    unsigned percent;
    size_t entrySize;  // bytes an entry takes, about
};
constexpr KindShare kKinds[] = {
    {500, 30, 22}, {1001, 10, 16}, {1006, 10, 46},   {1100, 15, 19},
    {1200, 5, 19}, {1300, 5, 17},  {0x4000, 25, 21},
};

struct DataSet {
    fs::path folder;
    std::vector<fs::path> files;
    std::vector<uint64_t> jqids;  // of the main entries
    std::vector<uint32_t> pads;
    size_t entries = 0;
    size_t fileBytes = 0;
};

JqidEntry entryOf(uint16_t grt, uint32_t serial, std::mt19937& random) {
    JqidEntry e;
    const uint64_t field = grt == 500 ? 0xC000 | (serial >> 14 & 0x3FFF) : grt;
    e.jqid = field << 32 | serial;
    e.expiryDate = kForever;
    e.id = grt == 1001 || grt == 1300 ? serial & 0xFF : serial;
    e.gcn = static_cast<uint16_t>(random());
    e.eventId = static_cast<uint16_t>(serial);
    if (grt == 1006) {
        e.mimeType = {'t', 'e', 'x', 't', '/', 'h', 't', 'm', 'l'};
        e.uri.assign(20, 'u');
    }
    if (grt == 0x4000) e.secondJqid = uint64_t{1100} << 32 | (random() % serial + 1);
    return e;
}

Bytes fileOf(const std::vector<JqidTable>& tables) {
    jq::write::BroadcastFile file;
    file.fileHeader();
    for (size_t i = 0; i < tables.size(); ++i) {
        jq::write::DataPackage p;
        p.typeCode = jq::write::kJqidTable;
        p.packetHeader = jq::write::jqidPacketHeader(tables[i]);
        p.plain = jq::write::jqidData(tables[i]);
        p.compress = i % 2 == 0;
        file.dataPackage(p);
    }
    return file.bytes();
}

DataSet writeDataSet(unsigned long entries) {
    DataSet set;
    set.folder =
        fs::temp_directory_path() / ("jq-bench-jqid-" + std::to_string(std::random_device{}()));
    fs::create_directories(set.folder);
    std::mt19937 random(7);
    uint32_t serial = 1;
    for (unsigned f = 0; f < kFiles; ++f) {
        std::vector<JqidTable> tables;
        for (const KindShare& kind : kKinds) {
            const size_t count = entries * kind.percent / 100 / kFiles;
            const size_t perTable = kMaxTableData / kind.entrySize;
            for (size_t done = 0; done < count;) {
                JqidTable& table = tables.emplace_back();
                table.currentGrt = kind.grt;
                for (; done < count && table.entries.size() < perTable; ++done) {
                    table.entries.push_back(entryOf(kind.grt, serial++, random));
                    const JqidEntry& e = table.entries.back();
                    if (kind.grt != 0x4000) set.jqids.push_back(e.jqid);
                    if (kind.grt == 1100) set.pads.push_back(e.id);
                    ++set.entries;
                }
            }
        }
        char name[16];
        std::snprintf(name, sizeof name, "G%04u.jq", f);
        const Bytes bytes = fileOf(tables);
        set.files.push_back(set.folder / name);
        set.fileBytes += bytes.size();
        if (!jq::write::saveFile(set.files.back().string(), bytes)) {
            throw std::runtime_error("cannot write " + set.files.back().string());
        }
    }
    return set;
}

void benchDecrypt(benchmark::State& state, const DataSet* set) {
    for (auto _ : state) {
        for (const fs::path& file : set->files) {
            PackageList list{};
            if (DecryptJQFile(file.u16string().c_str(), &list) != JQ_OK) {
                state.SkipWithError("DecryptJQFile failed");
            }
            FreePackageList(&list);
        }
    }
    state.counters["entries"] = benchmark::Counter(
        static_cast<double>(state.iterations() * set->entries), benchmark::Counter::kIsRate);
}

void benchInitialize(benchmark::State& state, const DataSet* set) {
    for (auto _ : state) {
        if (InitializeJQID() != JQ_OK) state.SkipWithError("InitializeJQID failed");
    }
    state.counters["entries"] = benchmark::Counter(
        static_cast<double>(state.iterations() * set->entries), benchmark::Counter::kIsRate);
}

// Random picks, cycled so that the tables, not the picking, are measured.
template <typename Key>
std::vector<Key> picks(const std::vector<Key>& from) {
    std::mt19937 random(11);
    std::vector<Key> chosen(1 << 16);
    for (Key& key : chosen) key = from[random() % from.size()];
    return chosen;
}

void benchIsFind(benchmark::State& state, const DataSet* set) {
    const std::vector<uint64_t> jqids = picks(set->jqids);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(IsFindJQID(jqids[i++ & 0xFFFF], 0));
    }
}

void benchGetData(benchmark::State& state, const DataSet* set) {
    const std::vector<uint64_t> jqids = picks(set->jqids);
    size_t i = 0;
    for (auto _ : state) {
        JQIDEntry entry{};
        benchmark::DoNotOptimize(GetJQIDData(jqids[i++ & 0xFFFF], &entry, 0));
        FreeJQIDData(&entry);
    }
}

void benchPad(benchmark::State& state, const DataSet* set) {
    const std::vector<uint32_t> pads = picks(set->pads);
    size_t i = 0;
    for (auto _ : state) {
        uint64_t jqid = 0;
        benchmark::DoNotOptimize(GetPAD2JQID(pads[i++ & 0xFFFF], &jqid, 0));
    }
}

// The tables built straight from DecryptJQFile's lists: their size.
void reportMemory(const DataSet& set) {
    jq::idindex::JqidTables tables;
    std::vector<PackageList> lists(set.files.size());
    for (size_t f = 0; f < set.files.size(); ++f) {
        DecryptJQFile(set.files[f].u16string().c_str(), &lists[f]);
        for (uint32_t i = 0; i < lists[f].count; ++i) tables.addPackage(lists[f].elements[i]);
    }
    tables.finish();
    const size_t kept = tables.mainEntries().size() + tables.links().size();
    std::printf("tables: %zu main entries, %zu links, %zu bytes, %.1f bytes per entry\n",
                tables.mainEntries().size(), tables.links().size(), tables.memoryUsed(),
                static_cast<double>(tables.memoryUsed()) / static_cast<double>(kept));
    tables.clear();
    for (PackageList& list : lists) FreePackageList(&list);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        unsigned long entries = kDefaultEntries;
        std::vector<char*> arguments =
            jq::bench::libraryArguments(argc, argv, "--jq_entries", 20000000, entries);
        int libraryArgc = static_cast<int>(arguments.size()) - 1;
        benchmark::Initialize(&libraryArgc, arguments.data());
        if (benchmark::ReportUnrecognizedArguments(libraryArgc, arguments.data())) return 1;

        const DataSet set = writeDataSet(entries);
        const jq::bench::SettingsBesideProgram settings(
            "JQID.ini", jq::bench::SettingsBesideProgram::folderList(set.folder));
        std::printf("data: %zu files, %zu bytes, %zu entries\n", set.files.size(), set.fileBytes,
                    set.entries);
        reportMemory(set);
        if (InitializeJQID() != JQ_OK) throw std::runtime_error("InitializeJQID failed");

        benchmark::RegisterBenchmark("DecryptJQFile", benchDecrypt, &set)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("InitializeJQID", benchInitialize, &set)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("IsFindJQID", benchIsFind, &set);
        benchmark::RegisterBenchmark("GetJQIDData", benchGetData, &set);
        benchmark::RegisterBenchmark("GetPAD2JQID", benchPad, &set);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        UnInitializeJQID();
        std::error_code ignored;
        fs::remove_all(set.folder, ignored);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_jqid: %s\n", e.what());
        return 1;
    }
}
