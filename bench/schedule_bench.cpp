// schedule_bench.cpp - parsing programme schedules.
//
// At start-up jqwrite builds a day of programme guide: 50 channels, each a
// day of programmes of 15 to 60 minutes with Japanese titles and two detail
// texts of 50 to 400 characters, and several auxiliary items per programme
// (series, content nibbles, components, copy control, EIT versions; data
// broadcasting, event groups and additional texts on some). Each channel's
// day goes into 'L' packages of at most ~60 KB of record data (one sector
// each), every other channel's deflated, all in one file in the temporary
// folder. Three benchmarks then read it:
//
//   AnalyzeJQFile      the export on the file, then FreeParseList: what a
//                      host pays to get the schedules.
//   DecryptJQFile      the same file read, decrypted and inflated without
//                      parsing: the floor under AnalyzeJQFile.
//   dispatchPackage    the parser alone on the plain packages kept in memory,
//                      then the release of each record.
//
// Each reports schedule packages and SIEs (schedule items) per second of the
// thread's CPU time as counters, and the run ends with the medians and the
// parser's share of AnalyzeJQFile. Before timing, AnalyzeJQFile's records
// are checked against what was written (package and SIE counts, each SIE's
// start minute and auxiliary item count).
//
// --jq_channels=N writes N channels instead of 50; the library's own flags
// work as usual.
#include <benchmark/benchmark.h>

#include "bench_file.h"
#include "bench_options.h"
#include <random>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "arib_text.h"
#include "aux_payloads.h"
#include "dispatch.h"
#include "feedcore.h"
#include "jqwrite.h"
#include "package.h"
#include "schedule_data.h"
#include "shift_jis.h"

namespace {

using jq::write::Bytes;
using jq::write::ScheduleItem;
namespace aux = jq::write::aux;

constexpr unsigned kDefaultChannels = 50;
constexpr size_t kMaxRecordData = 60000;
constexpr const char* kAnalyzeName = "AnalyzeJQFile";
constexpr const char* kDecryptName = "DecryptJQFile";
constexpr const char* kDispatchName = "dispatchPackage";

// SplitMix64: small, fast and the same sequence on every platform.
class Prng {
public:
    explicit Prng(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned below(unsigned n) { return static_cast<unsigned>(next() % n); }
    unsigned between(unsigned low, unsigned high) { return low + below(high - low + 1); }

private:
    uint64_t state_;
};

// One vocabulary word as Shift-JIS and its length in characters.
struct Word {
    std::string shiftJis;
    unsigned characters;
};

Word wordOf(const char* utf8) {
    Word word{jq::write::shiftJisFromUtf8(utf8), 0};
    for (size_t i = 0; i < word.shiftJis.size(); ++word.characters)
        i += static_cast<unsigned char>(word.shiftJis[i]) >= 0x81 ? 2 : 1;
    return word;
}

std::vector<Word> wordsOf(std::initializer_list<const char*> utf8) {
    std::vector<Word> words;
    for (const char* w : utf8) words.push_back(wordOf(w));
    return words;
}

// Guide texts from a small vocabulary: kanji compounds, hiragana particles,
// katakana loan words, full-width and ASCII names and numbers.
class GuideText {
public:
    GuideText()
        : nouns_(
              wordsOf({"ニュース", "天気予報", "連続ドラマ", "特集", "旅",       "料理", "日本",
                       "世界",     "歴史",     "科学",       "音楽", "スポーツ", "野球", "サッカー",
                       "映画",     "アニメ",   "経済",       "政治", "地域",     "自然", "動物",
                       "家族",     "学校",     "東京",       "大阪", "北海道",   "沖縄", "ＮＨＫ",
                       "ＢＳ",     "4K",       "Live"})),
          verbs_(wordsOf({"を紹介します", "に迫る", "を伝えます", "を楽しむ", "が登場", "を学ぶ",
                          "を旅する", "の秘密", "を徹底解説", "をお届けします"})),
          particles_(wordsOf({"の", "と", "や", "から", "まで", "で"})),
          marks_(wordsOf({"。", "、", "！", "「", "」", "（", "）", "【", "】", "\r\n"})),
          numbers_(wordsOf({"１", "２", "３", "１２", "２０２５", "第５回", "#7", "Vol.2"})) {}

    // About characters long (never shorter), as ARIB 8-unit bytes.
    Bytes make(Prng& prng, unsigned characters) {
        std::string text;
        unsigned length = 0;
        const auto add = [&](const std::vector<Word>& from) {
            const Word& w = from[prng.below(static_cast<unsigned>(from.size()))];
            text += w.shiftJis;
            length += w.characters;
        };
        while (length < characters) {
            add(nouns_);
            if (prng.below(3) == 0) add(numbers_);
            add(prng.below(2) ? particles_ : verbs_);
            add(nouns_);
            add(marks_);
        }
        return jq::write::encodeAribText(text);
    }

    // Like make, drawn again until it fits maxBytes.
    Bytes makeAtMost(Prng& prng, unsigned characters, size_t maxBytes) {
        for (;;) {
            Bytes bytes = make(prng, characters);
            if (bytes.size() <= maxBytes) return bytes;
        }
    }

private:
    std::vector<Word> nouns_, verbs_, particles_, marks_, numbers_;
};

struct Programme {
    uint16_t startMinute;
    size_t auxCount;
};

struct DataSet {
    Bytes file;
    std::vector<jq::Package> packages;             // plain, for dispatchPackage
    std::vector<std::vector<Programme>> expected;  // per package
    size_t sies = 0;
    size_t plainBytes = 0;
};

std::vector<jq::write::AuxItem> auxItems(Prng& prng, GuideText& text, uint32_t show) {
    std::vector<jq::write::AuxItem> items;
    aux::Series series;
    series.episode = static_cast<uint16_t>(prng.between(1, 300));
    series.totalEpisode = static_cast<uint16_t>(prng.between(series.episode, 400));
    series.identity = aux::Series::Identity{static_cast<uint16_t>(show & 0xFFFF), 61000};
    series.seriesName = text.makeAtMost(prng, 4, 63);
    items.push_back(aux::item(series));
    items.push_back(
        aux::item(aux::ContentNibbles{{{static_cast<uint8_t>(prng.below(256)), 0xFF}}}));
    items.push_back(aux::item(aux::VideoComponents{{{0xB3, 0x00, Bytes()}}}));
    aux::AudioComponents::Entry audio{0x03, 0x10, 1, 0, 3, 7, "jpn", std::nullopt, Bytes()};
    if (prng.below(4) == 0) audio.subLanguage = "eng";
    items.push_back(aux::item(aux::AudioComponents{{audio}}));
    items.push_back(aux::item(aux::CopyControl{0, 2, 0, std::nullopt, std::nullopt}));
    aux::EitVersion eit;
    eit.basic = {
        static_cast<uint8_t>(prng.below(32)), static_cast<uint32_t>(prng.next()), 60827, 12, 0, 0};
    items.push_back(aux::item(eit));
    if (prng.below(4) == 0) {
        aux::DataContents::Entry data;
        data.copmId = 12;
        data.bml = aux::BmlSelector();
        data.bml->tf = 1;
        aux::ModuleCarousel module;
        module.compTag = 0x40;
        module.nModules = 12;
        module.compSize = 65536;
        module.leakRate = 16575;
        data.bml->modules = {module};
        data.compRefs = {0x40};
        data.title = text.make(prng, 8);
        items.push_back(aux::item(aux::DataContents{{data}}));
    }
    if (prng.below(3) == 0) {
        aux::EventGroups::Group group{1, {{0x0400, static_cast<uint16_t>(show)}}, {}, {}, {}};
        items.push_back(aux::item(aux::EventGroups{{group}}));
    }
    if (prng.below(5) == 0)
        items.push_back(
            aux::item(aux::AdditionalTexts{text.make(prng, 10), text.make(prng, 60), {}}));
    return items;
}

ScheduleItem programme(Prng& prng, GuideText& text, uint16_t start, uint32_t show) {
    ScheduleItem item;
    item.startMinute = start;
    item.majorCategory = static_cast<uint8_t>(prng.below(16));
    item.specialCategory = static_cast<uint8_t>(prng.below(16));
    item.feature = static_cast<uint8_t>(prng.below(4));
    item.showId = show;
    item.minorCategory = static_cast<uint8_t>(prng.below(16));
    item.title = text.makeAtMost(prng, prng.between(5, 30), 255);
    item.detail1 = text.make(prng, prng.between(50, 400));
    item.detail2 = text.make(prng, prng.between(50, 400));
    item.bookCode = std::to_string(prng.between(1000, 99999999));
    item.aux = auxItems(prng, text, show);
    return item;
}

// Closes a package of the channel's items so far.
void addPackage(DataSet& set, jq::write::BroadcastFile& file, jq::write::Schedule& schedule,
                bool compress) {
    jq::write::DataPackage package = jq::write::schedulePackage(schedule);
    package.compress = compress;
    file.dataPackage(package);
    jq::Package plain;
    plain.header.TypeCode = package.typeCode;
    plain.packetHeader = package.packetHeader;
    plain.data = package.plain;
    std::vector<Programme> expected;
    for (const ScheduleItem& item : schedule.items)
        expected.push_back({item.startMinute, item.aux.size()});
    set.sies += schedule.items.size();
    set.plainBytes += package.plain.size();
    set.packages.push_back(std::move(plain));
    set.expected.push_back(std::move(expected));
    schedule.items.clear();
    ++schedule.sectorNumber;
}

DataSet buildDataSet(unsigned channels) {
    DataSet set;
    Prng prng(0x4C51'2025'0601ull);
    GuideText text;
    jq::write::BroadcastFile file;
    file.fileHeader(0x04C);
    for (unsigned channel = 0; channel < channels; ++channel) {
        jq::write::Schedule schedule;
        schedule.gcn = static_cast<uint16_t>(0x0101 + channel);
        schedule.julianDay = jq::write::julianDayOf(2025, 6, 1);
        size_t size = 0;
        for (unsigned minute = 0; minute < 24 * 60; minute += 5 * prng.between(3, 12)) {
            const uint32_t show = (channel << 12 | minute) & 0xFFFFFF;
            ScheduleItem item = programme(prng, text, static_cast<uint16_t>(minute), show);
            const size_t itemSize = jq::write::scheduleItemBytes(schedule.typeCode, item).size();
            if (size + itemSize > kMaxRecordData) {
                addPackage(set, file, schedule, channel % 2 == 0);
                size = 0;
            }
            schedule.items.push_back(std::move(item));
            size += itemSize;
        }
        if (!schedule.items.empty()) addPackage(set, file, schedule, channel % 2 == 0);
    }
    set.file = file.bytes();
    return set;
}

// Whether AnalyzeJQFile gives back what was written; the reason if not.
std::string checkRecords(const DataSet& set, const JQChar* path) {
    ParseList list{};
    const JQStatus status = AnalyzeJQFile(path, &list);
    std::string problem;
    if (status != JQ_OK) {
        problem = "AnalyzeJQFile returned " + std::to_string(status);
    } else if (list.count != set.packages.size()) {
        problem = "AnalyzeJQFile listed " + std::to_string(list.count) + " packages";
    }
    for (uint32_t i = 0; problem.empty() && i < list.count; ++i) {
        const ScheduleRecord* record = list.elements[i].scheduleL;
        const std::vector<Programme>& want = set.expected[i];
        if (record == nullptr || record->SIEListSize != want.size()) {
            problem = "package " + std::to_string(i) + " has not its items";
            break;
        }
        for (size_t k = 0; k < want.size(); ++k) {
            const SIE& sie = record->SIEList[k];
            if (sie.StartMinute != want[k].startMinute || sie.AuxListSize != want[k].auxCount)
                problem =
                    "package " + std::to_string(i) + " item " + std::to_string(k) + " differs";
        }
    }
    FreeParseList(&list);
    return problem;
}

void setRates(benchmark::State& state, const DataSet& set) {
    const auto passes = static_cast<double>(state.iterations());
    state.counters["packages"] = benchmark::Counter(
        passes * static_cast<double>(set.packages.size()), benchmark::Counter::kIsRate);
    state.counters["SIEs"] =
        benchmark::Counter(passes * static_cast<double>(set.sies), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.plainBytes));
}

void benchAnalyze(benchmark::State& state, const JQChar* path, const DataSet* set,
                  const std::string* problem) {
    if (!problem->empty()) {
        state.SkipWithError(problem->c_str());
        return;
    }
    for (auto _ : state) {
        ParseList list{};
        const JQStatus status = AnalyzeJQFile(path, &list);
        benchmark::DoNotOptimize(list.elements);
        FreeParseList(&list);
        if (status != JQ_OK) {
            state.SkipWithError("AnalyzeJQFile failed");
            break;
        }
    }
    setRates(state, *set);
}

void benchDecrypt(benchmark::State& state, const JQChar* path, const DataSet* set) {
    for (auto _ : state) {
        PackageList list{};
        const JQStatus status = DecryptJQFile(path, &list);
        benchmark::DoNotOptimize(list.elements);
        FreePackageList(&list);
        if (status != JQ_OK) {
            state.SkipWithError("DecryptJQFile failed");
            break;
        }
    }
    setRates(state, *set);
}

void benchDispatch(benchmark::State& state, const DataSet* set, const std::string* problem) {
    if (!problem->empty()) {
        state.SkipWithError(problem->c_str());
        return;
    }
    for (auto _ : state) {
        for (const jq::Package& package : set->packages) {
            ParseElement element{};
            const JQStatus status = jq::dispatchPackage(package, element);
            benchmark::DoNotOptimize(element.scheduleL);
            jq::releaseParseElement(element);
            if (status != JQ_OK) {
                state.SkipWithError("dispatchPackage failed");
                return;
            }
        }
    }
    setRates(state, *set);
}

// The console output as usual, and each finished run's counters kept by
// benchmark name for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(bool colour)
        : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            for (const char* name : {"packages", "SIEs"}) {
                const auto found = run.counters.find(name);
                if (found != run.counters.end())
                    values_[run.run_name.function_name][name].push_back(found->second.value);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The median of a counter of a benchmark; 0 if it did not run.
    double median(const std::string& benchmark, const std::string& counter) const {
        const auto b = values_.find(benchmark);
        if (b == values_.end()) return 0;
        const auto c = b->second.find(counter);
        if (c == b->second.end() || c->second.empty()) return 0;
        std::vector<double> v = c->second;
        std::sort(v.begin(), v.end());
        const size_t middle = v.size() / 2;
        return v.size() % 2 ? v[middle] : (v[middle - 1] + v[middle]) / 2;
    }

private:
    std::map<std::string, std::map<std::string, std::vector<double>>> values_;
};

void printSummary(const SummaryReporter& reporter) {
    for (const char* name : {kAnalyzeName, kDecryptName, kDispatchName}) {
        const double packages = reporter.median(name, "packages");
        if (packages > 0)
            std::printf("%s: %.0f packages/s, %.0f SIEs/s\n", name, packages,
                        reporter.median(name, "SIEs"));
    }
    const double analyze = reporter.median(kAnalyzeName, "packages");
    const double decrypt = reporter.median(kDecryptName, "packages");
    if (analyze > 0 && decrypt > analyze)
        std::printf("parsing: %.0f%% of AnalyzeJQFile's time\n", 100.0 * (1 - analyze / decrypt));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        unsigned long channels = kDefaultChannels;
        std::vector<char*> arguments =
            jq::bench::libraryArguments(argc, argv, "--jq_channels", 4000, channels);
        int libraryArgc = static_cast<int>(arguments.size()) - 1;
        benchmark::Initialize(&libraryArgc, arguments.data());
        if (benchmark::ReportUnrecognizedArguments(libraryArgc, arguments.data())) return 1;

        const DataSet set = buildDataSet(static_cast<unsigned>(channels));
        const jq::bench::TemporaryFile file(set.file);
        std::printf(
            "data file: %zu bytes, %lu channels, %zu schedule packages, %zu SIEs, %zu bytes "
            "of record data\n",
            set.file.size(), channels, set.packages.size(), set.sies, set.plainBytes);
        const std::string problem = checkRecords(set, file.path());
        if (!problem.empty()) std::printf("records not as written: %s\n", problem.c_str());

        benchmark::RegisterBenchmark(kAnalyzeName, benchAnalyze, file.path(), &set, &problem)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(kDecryptName, benchDecrypt, file.path(), &set)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(kDispatchName, benchDispatch, &set, &problem)
            ->Unit(benchmark::kMillisecond);

        SummaryReporter reporter(jq::bench::colourWanted(argc, argv));
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
        printSummary(reporter);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_schedule: %s\n", e.what());
        return 1;
    }
}
