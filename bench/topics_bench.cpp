// topics_bench.cpp - the topics index at scale.
//
// At start-up jqwrite writes ten files "T0000.jq" ... into a temporary folder
// holding together 100,000 topic list entries (--jq_entries=N for another
// count) in 0x6F and 0x62 lists, and one message per ten entries in 0x6E and
// 0x61 packages, each with three text elements and an expiry far ahead; every
// other package is deflated. InitializeTpc is given the folder as the
// caller's list. Then:
//
//   DecryptJQFile    every file read, decrypted and inflated, then released:
//                    the floor under a load.
//   InitializeTpc    the whole load through the export: scan, decryption,
//                    tables and views.
//   GetMajorIDList, GetMinorIDList, GetTopicsData
//                    one call each (categories and messages picked at random
//                    from what was written) with the release of its result;
//                    the time per call is the latency.
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
#include "newsindex.h"
#include "record_data.h"
#include "topic_object.h"

namespace {

namespace fs = std::filesystem;
using jq::write::Bytes;

constexpr unsigned long kDefaultEntries = 100000;
constexpr unsigned kFiles = 10;
constexpr size_t kEntriesPerList = 800;  // about 50 KB of list data
constexpr size_t kMessagesPerFile = 1000;  // at most; a tenth of the entries
constexpr uint32_t kFarFuture = 0xF0000000;

struct DataSet {
    fs::path folder;
    std::vector<fs::path> files;
    std::vector<uint16_t> messageKeys;  // ServiceID * 256 + MessageID
    size_t entries = 0;
    size_t messages = 0;
    size_t fileBytes = 0;
};

Bytes textOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

jq::write::DataPackage listPackage(uint8_t type, uint8_t major, std::mt19937& random, size_t count,
                                   bool compress) {
    std::vector<jq::write::TopicEntry> entries(count);
    for (size_t i = 0; i < count; ++i) {
        jq::write::TopicEntry& e = entries[i];
        e.leadingValue = static_cast<uint32_t>(i);
        e.majorCategory = i % 8 == 0 ? static_cast<uint8_t>(random() % 32) : major;
        e.minorCategory = static_cast<uint8_t>(i % 8 == 0 ? 0 : random() % (type == 0x62 ? 8 : 256));
        e.title = textOf("Topic " + std::to_string(random() % 100000));
        e.details = textOf("Details of the topic, about thirty bytes");
        e.objectId = static_cast<uint16_t>(i);
        e.serviceId = static_cast<uint8_t>(random() % 40);
        e.messageId = static_cast<uint8_t>(random());
    }
    jq::write::DataPackage p;
    p.typeCode = type;
    p.packetHeader = jq::write::topicListPacketHeader(major);
    p.plain = jq::write::topicListData(type, entries);
    p.compress = compress;
    return p;
}

jq::write::DataPackage messagePackage(uint16_t key, bool compress) {
    jq::write::TopicObject object;
    const auto element = [](uint16_t type, const std::string& text) {
        jq::write::TypedElement e;
        e.type = type;
        e.payload = textOf(text);
        return e;
    };
    object.elements = {element(2, "Message title " + std::to_string(key)),
                       jq::write::topicExpiryElement(kFarFuture),
                       element(6, std::string(120, 'b')), element(8, std::string(40, 'c'))};
    jq::write::TopicMessage m;
    m.serviceId = static_cast<uint8_t>(key >> 8);
    m.messageId = static_cast<uint8_t>(key);
    m.smk = 0x0002;
    m.object = jq::write::topicObjectBytes(object);
    jq::write::DataPackage p;
    p.typeCode = key % 2 == 0 ? 0x6E : 0x61;
    p.packetHeader = jq::write::topicMessagePacketHeader(m);
    p.plain = jq::write::topicMessageData(m);
    p.compress = compress;
    return p;
}

DataSet writeDataSet(unsigned long entries) {
    DataSet set;
    set.folder =
        fs::temp_directory_path() / ("jq-bench-topics-" + std::to_string(std::random_device{}()));
    fs::create_directories(set.folder);
    std::mt19937 random(7);
    uint16_t nextKey = 0;
    for (unsigned f = 0; f < kFiles; ++f) {
        jq::write::BroadcastFile file;
        file.fileHeader();
        unsigned packages = 0;
        for (size_t done = 0; done < entries / kFiles; done += kEntriesPerList) {
            const size_t count = std::min(kEntriesPerList, entries / kFiles - done);
            const uint8_t type = packages % 2 == 0 ? 0x6F : 0x62;
            file.dataPackage(listPackage(type, static_cast<uint8_t>(random() % 32), random, count,
                                         packages++ % 2 == 0));
            set.entries += count;
        }
        const size_t messages = std::min<size_t>(kMessagesPerFile, entries / kFiles / 10);
        for (size_t i = 0; i < messages; ++i) {
            file.dataPackage(messagePackage(nextKey, packages++ % 2 == 0));
            set.messageKeys.push_back(nextKey++);
            ++set.messages;
        }
        char name[16];
        std::snprintf(name, sizeof name, "T%04u.jq", f);
        set.files.push_back(set.folder / name);
        set.fileBytes += file.size();
        if (!jq::write::saveFile(set.files.back().string(), file.bytes())) {
            throw std::runtime_error("cannot write " + set.files.back().string());
        }
    }
    return set;
}

// The data folder as the caller's folder list.
struct FolderList {
    explicit FolderList(const fs::path& folder) : text(folder.u16string()) {
        entry.length = static_cast<uint32_t>(text.size() + 1);
        entry.text = reinterpret_cast<const JQChar*>(text.c_str());
        list.count = 1;
        list.entries = &entry;
    }
    std::u16string text;
    PathEntry entry{};
    TopicFolderList list{};
};

void countEntries(benchmark::State& state, const DataSet* set) {
    state.counters["entries"] = benchmark::Counter(
        static_cast<double>(state.iterations() * (set->entries + set->messages)),
        benchmark::Counter::kIsRate);
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
    countEntries(state, set);
}

void benchInitialize(benchmark::State& state, const DataSet* set, const FolderList* folders) {
    for (auto _ : state) {
        if (InitializeTpc(&folders->list) != JQ_OK) state.SkipWithError("InitializeTpc failed");
    }
    countEntries(state, set);
}

void benchMajors(benchmark::State& state) {
    for (auto _ : state) {
        MajorIDList list{};
        benchmark::DoNotOptimize(GetMajorIDList(&list));
        FreeMajorIDList(&list);
    }
}

void benchMinors(benchmark::State& state) {
    std::mt19937 random(11);
    for (auto _ : state) {
        MinorIDList list{};
        benchmark::DoNotOptimize(GetMinorIDList(random() % 32, &list));
        FreeMinorIDList(&list);
    }
}

void benchTopicsData(benchmark::State& state, const DataSet* set) {
    std::mt19937 random(13);
    std::vector<uint16_t> keys(1 << 16);
    for (uint16_t& key : keys) key = set->messageKeys[random() % set->messageKeys.size()];
    size_t i = 0;
    for (auto _ : state) {
        const uint16_t key = keys[i++ & 0xFFFF];
        TopicsData data{};
        benchmark::DoNotOptimize(GetTopicsData(key >> 8, key & 0xFF, 1, &data));
        FreeTopicsData(&data);
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        unsigned long entries = kDefaultEntries;
        std::vector<char*> arguments =
            jq::bench::libraryArguments(argc, argv, "--jq_entries", 2000000, entries);
        int libraryArgc = static_cast<int>(arguments.size()) - 1;
        benchmark::Initialize(&libraryArgc, arguments.data());
        if (benchmark::ReportUnrecognizedArguments(libraryArgc, arguments.data())) return 1;

        const DataSet set = writeDataSet(entries);
        const FolderList folders(set.folder);
        std::printf("data: %zu files, %zu bytes, %zu topic entries, %zu messages\n",
                    set.files.size(), set.fileBytes, set.entries, set.messages);
        if (InitializeTpc(&folders.list) != JQ_OK) throw std::runtime_error("InitializeTpc failed");

        benchmark::RegisterBenchmark("DecryptJQFile", benchDecrypt, &set)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("InitializeTpc", benchInitialize, &set, &folders)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("GetMajorIDList", benchMajors);
        benchmark::RegisterBenchmark("GetMinorIDList", benchMinors);
        benchmark::RegisterBenchmark("GetTopicsData", benchTopicsData, &set);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        UnInitializeTpc();
        std::error_code ignored;
        fs::remove_all(set.folder, ignored);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_topics: %s\n", e.what());
        return 1;
    }
}
