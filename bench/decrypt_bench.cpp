// decrypt_bench.cpp - DecryptJQFile beside OpenSSL's DES and zlib.
//
// At start-up jqwrite builds a broadcast file of at least 32 MiB in the
// temporary folder: text-like records of a few hundred bytes up to ~60 KB,
// about half of them deflated, encrypted under both the odd and the even key
// word. Two benchmarks then read the same bytes:
//
//   DecryptJQFile               the shared library's export on the file,
//                               then FreePackageList: what a host pays.
//   Reference_OpenSSL_DES_zlib  the encrypted payloads, kept in memory,
//                               decrypted block by block with OpenSSL's
//                               single DES under a schedule made per package,
//                               and the compressed ones inflated with zlib's
//                               uncompress into a buffer of the known size:
//                               the floor of any decoder of this format.
//
// Both count the file's size per pass, so their rates compare. Rates are by
// the thread's CPU time (system time included, where the decoder's reads
// are), repetitions run in random order, and the run ends with the ratio of
// the two medians. Before timing, the output of both is compared with the
// records that went in, so a fast wrong decoder cannot pass.
//
// The DES rounds are those the library picks for this processor, unless
// JQ_DES_PATH names table, sse2 or avx2; the run says which it took.
//
// --jq_file_mib=N writes a file of N MiB instead of 32 (a small one keeps a
// profile under valgrind short); the library's own flags work as usual.
#include <benchmark/benchmark.h>
#include <openssl/des.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "bench_file.h"
#include "bench_options.h"
#include "des.h"
#include "feedcore.h"
#include "jqwrite.h"
#include "key_params.h"
#include "ratio_reporter.h"

namespace {

using jq::write::Bytes;

constexpr size_t kDefaultFileMiB = 32;
constexpr size_t kMinPlainSize = 300;
constexpr size_t kMaxPlainSize = 60000;
constexpr size_t kFixedHeaderSize = 9;
constexpr size_t kSecondHeaderSize = 6;
constexpr const char* kDecoderName = "DecryptJQFile";
constexpr const char* kReferenceName = "Reference_OpenSSL_DES_zlib";

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
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

private:
    uint64_t state_;
};

// Record text in the manner of a listings feed: numbered lines of fields
// separated by semicolons, drawn from a small vocabulary and a few numbers.
// Level-9 deflate shrinks it to roughly a third: neither random nor trivial.
class RecordText {
public:
    explicit RecordText(Prng& prng) : prng_(prng) {
        static constexpr char kLetters[] = "abcdefghiklmnoprstuvwyz";
        for (unsigned i = 0; i < 400; ++i) {
            std::string word;
            const unsigned length = 3 + prng_.below(8);
            for (unsigned j = 0; j < length; ++j)
                word += kLetters[prng_.below(sizeof kLetters - 1)];
            if (prng_.below(4) == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
            words_.push_back(word);
        }
    }

    Bytes make(size_t size) {
        std::string text;
        text.reserve(size + 200);
        char field[96];
        while (text.size() < size) {
            const unsigned day = 1 + prng_.below(28);
            const unsigned minute = prng_.below(24 * 60);
            std::snprintf(field, sizeof field, "%07u;CH%03u;2025-06-%02uT%02u:%02u;%u;", line_++,
                          prng_.below(120), day, minute / 60, minute % 60,
                          5 * (1 + prng_.below(36)));
            text += field;
            const unsigned count = 4 + prng_.below(12);
            for (unsigned i = 0; i < count; ++i) {
                // Skewed choice: some words recur far more often than others.
                const unsigned pick = prng_.below(20) * prng_.below(20);
                text += words_[pick % words_.size()];
                text += i + 1 == count ? ';' : ' ';
            }
            std::snprintf(field, sizeof field, "%u.%02u\n", prng_.below(1000), prng_.below(100));
            text += field;
        }
        text.resize(size);
        return Bytes(text.begin(), text.end());
    }

private:
    Prng& prng_;
    std::vector<std::string> words_;
    unsigned line_ = 0;
};

// One package as the reference sees it: where its encrypted payload lies in
// the file, its DES key and what the plain bytes hold.
struct ReferencePackage {
    size_t payloadOffset = 0;
    size_t payloadSize = 0;
    DES_cblock key{};
    bool compressed = false;
    uint16_t plainLength = 0;         // PlainPackageDataLength
    uint16_t uncompressedLength = 0;  // compressed packages only
};

struct DataSet {
    Bytes file;
    std::vector<ReferencePackage> packages;
    std::vector<Bytes> records;  // the plain data that went in, for the checks
    size_t plainBytes = 0;
    size_t compressedCount = 0;
    size_t compressedIn = 0;   // plain bytes of the compressed packages
    size_t compressedOut = 0;  // their zlib streams
};

uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

DataSet buildDataSet(size_t minimumSize) {
    DataSet set;
    Prng prng(0x4A51'2025'0601ull);
    RecordText text(prng);

    // A June file: the odd key word names May, the even one June.
    GcspBlock block = jq::write::builtInDefaultBlock();
    block.Month = 6;
    block.YearOffset = 35;
    block.OddKeyParameter = 0x15;
    block.EvenKeyParameter = 0x2A;
    const jq::KeyWords words = jq::deriveKeyWords(block);

    jq::write::BroadcastFile file;
    file.fileHeader(0x123).keyPackage(block);
    static constexpr uint8_t kTypes[] = {0x56, 0x61, 0x4C, 0x5D, 0xD7, 0x62};
    while (file.size() < minimumSize) {
        jq::write::DataPackage p;
        p.typeCode = kTypes[prng.below(sizeof kTypes)];
        p.countryCode = static_cast<uint16_t>(prng.below(1024));
        p.hostId = static_cast<uint16_t>(prng.below(4096));
        p.oddEvenFlag = static_cast<uint8_t>(prng.below(2));
        p.updateNumber = static_cast<uint8_t>(prng.below(64));
        p.versionNumber = static_cast<uint8_t>(prng.below(64));
        if (prng.below(3) == 0) {
            for (unsigned i = 0; i < 6; ++i)
                p.packetHeader.push_back(static_cast<uint8_t>(prng.next()));
        }
        // Sizes spread evenly on a log scale: many small records, some large.
        const double spread = std::log(double(kMaxPlainSize) / kMinPlainSize);
        const auto size = static_cast<size_t>(kMinPlainSize * std::exp(spread * prng.unit()));
        p.plain = text.make(std::min(size, kMaxPlainSize));
        p.compress = prng.below(2) == 0;
        if (!p.compress) p.compressMethod = static_cast<uint8_t>(prng.below(2));  // 0 or 1: stored

        const size_t offset = file.dataPackage(p);
        const uint8_t* at = file.bytes().data() + offset;
        const size_t headers = kFixedHeaderSize + p.packetHeader.size() + kSecondHeaderSize;

        ReferencePackage ref;
        ref.payloadOffset = offset + headers;
        ref.payloadSize = file.size() - ref.payloadOffset;
        ref.plainLength = be16(at + kFixedHeaderSize + p.packetHeader.size() + 4);
        ref.compressed = p.compress;
        if (p.compress) {
            ref.uncompressedLength = static_cast<uint16_t>(p.plain.size());
            ++set.compressedCount;
            set.compressedIn += p.plain.size();
            set.compressedOut += ref.plainLength - 2u;
        }
        const auto key = jq::packageKey(p.oddEvenFlag ? words.odd : words.even);
        std::memcpy(ref.key, key.data(), key.size());
        set.plainBytes += p.plain.size();
        set.packages.push_back(ref);
        set.records.push_back(std::move(p.plain));
    }
    set.file = file.bytes();
    return set;
}

// OpenSSL 3 deprecates its DES API; here it serves only as the yardstick.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

// Scratch buffers of the reference, allocated once: the floor pays for no
// allocation.
struct ReferenceBuffers {
    Bytes plain = Bytes(65536);
    Bytes inflated = Bytes(65536);
};

// Decrypts and inflates one package; the result is in buffers.plain (stored)
// or buffers.inflated (compressed). False if zlib fails or the size differs.
bool referenceDecode(const uint8_t* file, const ReferencePackage& p, ReferenceBuffers& buffers) {
    // OpenSSL's const_DES_cblock is not const-qualified: its inputs are
    // passed without const, and it only reads them.
    DES_cblock key;
    std::memcpy(key, p.key, sizeof key);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&key, &schedule);
    auto* in = const_cast<uint8_t*>(file + p.payloadOffset);
    uint8_t* plain = buffers.plain.data();
    for (size_t i = 0; i < p.payloadSize; i += 8) {
        DES_ecb_encrypt(reinterpret_cast<const_DES_cblock*>(in + i),
                        reinterpret_cast<DES_cblock*>(plain + i), &schedule, DES_DECRYPT);
    }
    if (!p.compressed) return true;
    uLongf size = p.uncompressedLength;
    const int rc = uncompress(buffers.inflated.data(), &size, plain + 2, p.plainLength - 2u);
    return rc == Z_OK && size == p.uncompressedLength;
}

#pragma GCC diagnostic pop

// Checks both paths against the records that went in; throws on a mismatch.
void checkOutputs(const DataSet& set, const JQChar* path) {
    PackageList list{};
    const JQStatus status = DecryptJQFile(path, &list);
    if (status != JQ_OK)
        throw std::runtime_error("DecryptJQFile failed: " + std::to_string(status));
    bool same = list.count == set.records.size();
    for (uint32_t i = 0; same && i < list.count; ++i) {
        const Bytes& want = set.records[i];
        const PackageRecord& got = list.elements[i];
        same =
            got.dataLength == want.size() && std::memcmp(got.data, want.data(), want.size()) == 0;
    }
    FreePackageList(&list);
    if (!same) throw std::runtime_error("DecryptJQFile output differs from the records written");

    ReferenceBuffers buffers;
    for (size_t i = 0; i < set.packages.size(); ++i) {
        const ReferencePackage& p = set.packages[i];
        const Bytes& want = set.records[i];
        const uint8_t* got = p.compressed ? buffers.inflated.data() : buffers.plain.data();
        if (!referenceDecode(set.file.data(), p, buffers) ||
            (!p.compressed && p.plainLength != want.size()) ||
            std::memcmp(got, want.data(), want.size()) != 0) {
            throw std::runtime_error("reference output differs from the records written");
        }
    }
}

void benchDecoder(benchmark::State& state, const JQChar* path, size_t fileSize, size_t count) {
    for (auto _ : state) {
        PackageList list{};
        const JQStatus status = DecryptJQFile(path, &list);
        if (status != JQ_OK || list.count != count) {
            FreePackageList(&list);
            state.SkipWithError("DecryptJQFile failed");
            break;
        }
        benchmark::DoNotOptimize(list.elements);
        FreePackageList(&list);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileSize));
}

void benchReference(benchmark::State& state, const DataSet& set) {
    ReferenceBuffers buffers;
    for (auto _ : state) {
        for (const ReferencePackage& p : set.packages) {
            if (!referenceDecode(set.file.data(), p, buffers)) {
                state.SkipWithError("reference decode failed");
                break;
            }
            benchmark::DoNotOptimize(buffers.plain.data());
            benchmark::DoNotOptimize(buffers.inflated.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.file.size()));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        unsigned long mib = kDefaultFileMiB;
        std::vector<char*> arguments =
            jq::bench::libraryArguments(argc, argv, "--jq_file_mib", 4096, mib);
        int libraryArgc = static_cast<int>(arguments.size()) - 1;
        benchmark::Initialize(&libraryArgc, arguments.data());
        if (benchmark::ReportUnrecognizedArguments(libraryArgc, arguments.data())) return 1;

        const DataSet set = buildDataSet(mib << 20);
        const jq::bench::TemporaryFile file(set.file);
        std::printf(
            "data file: %zu bytes, %zu packages (%zu deflated: %zu bytes of records in %zu of "
            "zlib streams), %zu bytes of records in all\n",
            set.file.size(), set.packages.size(), set.compressedCount, set.compressedIn,
            set.compressedOut, set.plainBytes);
        std::printf("DES rounds: %s\n", jq::des::pathName(jq::des::activePath()));
        checkOutputs(set, file.path());

        const size_t fileSize = set.file.size();
        const size_t count = set.packages.size();
        benchmark::RegisterBenchmark(kDecoderName, benchDecoder, file.path(), fileSize, count)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(kReferenceName, benchReference, std::cref(set))
            ->Unit(benchmark::kMillisecond);

        jq::bench::RatioReporter reporter(jq::bench::colourWanted(argc, argv));
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();

        const double decoder = reporter.rate(kDecoderName);
        const double reference = reporter.rate(kReferenceName);
        if (decoder > 0 && reference > 0) {
            std::printf(
                "decoder: %.1f MB/s, reference: %.1f MB/s (file bytes, 1 MB = 10^6 bytes)\n",
                decoder / 1e6, reference / 1e6);
            std::printf("ratio: %.2f\n", decoder / reference);
        } else {
            std::printf("ratio: not computed (both benchmarks must run)\n");
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_decrypt: %s\n", e.what());
        return 1;
    }
}
