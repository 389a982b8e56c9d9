// make_fuzz_corpora OUTDIR SAMPLES: writes the seed corpora of the fuzz
// targets, one folder per target, from files made by jqwrite and, for the
// record fuzzers, from the packages of the sample description SAMPLES.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "arib_text.h"
#include "byte_source.h"
#include "file_readers.h"
#include "jqwrite.h"
#include "key_params.h"
#include "micp_writer.h"
#include "object_package.h"
#include "record_data.h"
#include "topic_object.h"

namespace fs = std::filesystem;
using jq::write::BroadcastFile;
using jq::write::Bytes;
using jq::write::DataPackage;

namespace {

DataPackage package(uint8_t type, size_t objectSize, bool compress, uint8_t oddEven) {
    DataPackage p;
    p.typeCode = type;
    p.oddEvenFlag = oddEven;
    p.compress = compress;
    p.packetHeader = {0x00, 0x01, 0x02, 0x03, 0x12, 0x34, 0x56};
    p.plain = {0x12, 0x34};
    for (size_t i = 0; i < objectSize; ++i)
        p.plain.push_back(static_cast<uint8_t>("JQ feed "[i % 8]));
    return p;
}

std::vector<Bytes> broadcastSeeds() {
    std::vector<Bytes> seeds;
    GcspBlock april = jq::write::builtInDefaultBlock();
    april.Month = 4;
    for (int variant = 0; variant < 6; ++variant) {
        BroadcastFile f;
        if (variant & 1) f.fileHeader(0x0AB);
        if (variant & 2)
            f.keyPackage(april);
        else
            f.encryptWith(jq::write::builtInDefaultBlock());
        f.dataPackage(package(0x56, 10 + variant, false, 1));
        f.dataPackage(package(0x57, 300, true, 0));
        f.dataPackage(package(0x54, 40, variant > 3, 1));
        f.dataPackage(package(0xD7, 2, false, 0));
        seeds.push_back(f.bytes());
    }
    DataPackage bad = package(0x56, 8, true, 1);
    bad.unCompressedDataLength = 3;
    BroadcastFile faulty;
    faulty.dataPackage(bad);
    seeds.push_back(faulty.bytes());
    return seeds;
}

std::vector<Bytes> containerSeeds() {
    std::vector<Bytes> seeds;
    for (uint8_t type : {0x56, 0x57, 0xF5, 0x54}) {
        std::vector<jq::write::ContainerEntry> entries(3);
        for (size_t i = 0; i < entries.size(); ++i) {
            entries[i].hostId = static_cast<uint16_t>(i + 1);
            entries[i].headerSource = {0x01, 0x00, 0x02, 0x00, 0x34, 0x12, 0, 0};
            entries[i].data = {0x12, 0x34, uint8_t(i), 0x55};
            entries[i].gap = static_cast<uint32_t>(i);
        }
        seeds.push_back(jq::write::containerFile(type, entries));
    }
    return seeds;
}

// Broadcast texts: encoded Shift-JIS, and the designations, shifts and
// output-flag runs that the encoder never writes.
std::vector<Bytes> textSeeds() {
    std::vector<Bytes> seeds;
    for (const char* shiftJis : {"\x93\xFA\x96\x7B\x82\xA0\x83\x4A\x83\x5E\x82\xA2",
                                 "NHK \x93\xFA\x96\x7B\r\n\x81\x40\x83\x52\x81\x5B",
                                 "\xF2\x9F\xF5\x6F\xF7\x9D\x83\x4A\x82\xA0\x83\x4A"})
        seeds.push_back(jq::write::encodeAribText(shiftJis));
    seeds.push_back({0x1B, 0x24, 0x29, 0x20, 0x42, 0x1B, 0x24, 0x2B, 0x28, 0x41, 0x1B, 0x2A,
                     0x20, 0x30, 0x1B, 0x24, 0x42, 0x1B, 0x28, 0x4A, 0x1B, 0x24, 0x2A, 0x42,
                     0xB0, 0xA1, 0x1B, 0x7E, 0xC1, 0x1B, 0x6E, 0x24, 0x1B, 0x6F, 0x2B});
    seeds.push_back({0x0E, 0x41, 0x0F, 0x30, 0x21, 0x1D, 0x2B, 0x19, 0x24, 0x1B, 0x29, 0x49,
                     0x0E, 0x21, 0x1B, 0x7E, 0xA1, 0x89, 0x20, 0x8A, 0x20, 0x0D, 0xFF});
    seeds.push_back({0x77, 0x21, 0x9B, 0x30, 0x20, 0x66, 0x30, 0x21, 0x9B, 0x30, 0x20, 0x66,
                     0x41, 0x9B, 0x31, 0x20, 0x66, 0x43, 0x44, 0x9B, 0x30, 0x20, 0x66, 0x45});
    return seeds;
}

bool writeSeeds(const fs::path& folder, const std::vector<Bytes>& seeds) {
    fs::create_directories(folder);
    for (size_t i = 0; i < seeds.size(); ++i) {
        if (!jq::write::saveFile((folder / ("seed" + std::to_string(i))).string(), seeds[i]))
            return false;
    }
    return true;
}

// The packages of the sample files, built from the description SAMPLES.
bool samplePackages(const fs::path& description, std::vector<jq::Package>& packages) {
    std::FILE* in = std::fopen(description.string().c_str(), "rb");
    if (in == nullptr) return false;
    std::string text;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) text.append(chunk, n);
    std::fclose(in);
    std::vector<jq::write::DescribedFile> files;
    std::string error;
    if (!jq::write::buildFromDescription(text, files, error)) {
        std::fprintf(stderr, "make_fuzz_corpora: %s: %s\n", description.string().c_str(),
                     error.c_str());
        return false;
    }
    for (const auto& file : files) {
        jq::MemorySource source({file.bytes.data(), file.bytes.size()});
        std::vector<jq::Package> read;
        if (jq::readBroadcastFile(source, jq::defaultBlock(), read) != JQ_OK) continue;
        packages.insert(packages.end(), std::make_move_iterator(read.begin()),
                        std::make_move_iterator(read.end()));
    }
    return true;
}

// A record fuzzer's input (record_input.h) for every package whose type is
// in codes: the code's index, the packet header length, the packet header,
// the data.
std::vector<Bytes> recordSeeds(const std::vector<jq::Package>& packages,
                               const std::vector<uint8_t>& codes) {
    std::vector<Bytes> seeds;
    for (const jq::Package& p : packages) {
        for (size_t i = 0; i < codes.size(); ++i) {
            if (codes[i] != p.header.TypeCode || p.packetHeader.size() > 15) continue;
            Bytes seed{uint8_t(i), uint8_t(p.packetHeader.size())};
            seed.insert(seed.end(), p.packetHeader.begin(), p.packetHeader.end());
            seed.insert(seed.end(), p.data.begin(), p.data.end());
            seeds.push_back(seed);
        }
    }
    return seeds;
}

// The JQID index fuzzer's input: runs of type-0xDF packages, each a header
// length byte, a big-endian data length, the packet header and the data.
// One seed per package and one with all of them.
// Seeds of the index fuzzers' package runs: per package of one of the type
// codes a flag byte (the packet header length in bits 0-3, flagOf's bits
// above), the big-endian data length, the header and the data; one seed per
// package and one of them all.
std::vector<Bytes> packageRunSeeds(const std::vector<jq::Package>& packages,
                                   const std::vector<uint8_t>& codes,
                                   uint8_t (*flagOf)(uint8_t typeCode)) {
    std::vector<Bytes> seeds;
    Bytes all;
    for (const jq::Package& p : packages) {
        const auto code = std::find(codes.begin(), codes.end(), p.header.TypeCode);
        if (code == codes.end() || p.packetHeader.size() > 15 || p.data.size() > 0xFFFF) continue;
        Bytes seed{uint8_t(flagOf(*code) | p.packetHeader.size()), uint8_t(p.data.size() >> 8),
                   uint8_t(p.data.size())};
        seed.insert(seed.end(), p.packetHeader.begin(), p.packetHeader.end());
        seed.insert(seed.end(), p.data.begin(), p.data.end());
        all.insert(all.end(), seed.begin(), seed.end());
        seeds.push_back(seed);
    }
    if (!all.empty()) seeds.push_back(all);
    return seeds;
}

uint8_t noFlags(uint8_t) { return 0; }

// The topic filing fuzzer's type in bits 4-5: 0x6F, 0x62, 0x6E, 0x61.
uint8_t topicTypeFlags(uint8_t typeCode) {
    const uint8_t types[] = {0x6F, 0x62, 0x6E, 0x61};
    return uint8_t((std::find(std::begin(types), std::end(types), typeCode) - types) << 4);
}

// Message objects with elements of every kind, well-formed and faulty.
std::vector<Bytes> topicObjectSeeds() {
    using jq::write::TopicObject;
    using jq::write::TypedElement;
    const auto element = [](uint16_t type, Bytes payload) {
        TypedElement e;
        e.type = type;
        e.payload = std::move(payload);
        return e;
    };
    TopicObject object;
    object.messageTime = 0x12345678;
    object.elements = {element(2, {'t', 'i', 't', 'l', 'e'}),
                       jq::write::topicExpiryElement(86400),
                       element(6, {'b', 'o', 'd', 'y'}),
                       jq::write::topicValuesElement(1, 2, 3, 4),
                       element(8, {0x01, 0x02}),
                       element(9, {}),
                       element(3, {0xAA})};
    std::vector<Bytes> seeds{jq::write::topicObjectBytes(object)};
    TopicObject empty;
    seeds.push_back(jq::write::topicObjectBytes(empty));
    TopicObject faulty = object;
    faulty.elements[1].payload.pop_back();  // a short expiry
    seeds.push_back(jq::write::topicObjectBytes(faulty));
    faulty = object;
    faulty.elements[0].length = 0x4000;  // past the message
    seeds.push_back(jq::write::topicObjectBytes(faulty));
    return seeds;
}

// MICP objects with elements of every kind, well-formed and faulty.
std::vector<Bytes> micpObjectSeeds() {
    using jq::write::MicpDatum;
    using jq::write::MicpObject;
    const Bytes logo = {'L', 'O', 'G', 'O'};
    MicpDatum whole;
    whole.name = logo;
    whole.data = {0x89, 'P', 'N', 'G', 0, 1, 2, 3};
    MicpObject object;
    object.elements = {jq::write::micpInfoElement(1, 0x12345678, 2, 3),
                       jq::write::micpExpiryElement(0xF0000000), jq::write::micpDataElement(whole)};
    for (const MicpDatum& part : jq::write::micpParts({'M', 'A', 'P'}, Bytes(40, 'm'), 3))
        object.elements.push_back(jq::write::micpDataElement(part));
    std::vector<Bytes> seeds{jq::write::micpObjectBytes(object), jq::write::micpObjectBytes({})};
    MicpObject faulty = object;
    faulty.elements[1].payload.pop_back();  // a short expiry
    seeds.push_back(jq::write::micpObjectBytes(faulty));
    faulty = object;
    faulty.elements[2].length = 0x4000;  // past the list
    seeds.push_back(jq::write::micpObjectBytes(faulty));
    whole.kind = 3;
    faulty.elements[2] = jq::write::micpDataElement(whole);
    seeds.push_back(jq::write::micpObjectBytes(faulty));
    return seeds;
}

// Type-0xF5 packages: a whole datum, a datum in parts over three blocks of
// one object, an object of two blocks and a second block number of one of
// them. After the block's packet header, the names the filing fuzzer asks for.
std::vector<jq::Package> micpPackages() {
    std::vector<jq::Package> packages;
    const auto block = [&packages](uint32_t id, uint16_t total, uint16_t number,
                                   std::vector<jq::write::TypedElement> elements,
                                   const Bytes& name) {
        jq::Package& p = packages.emplace_back();
        p.header.TypeCode = 0xF5;
        p.packetHeader = jq::write::micpPacketHeader(id, total, number);
        p.packetHeader.insert(p.packetHeader.end(), name.begin(), name.end());
        jq::write::MicpObject object;
        object.elements = std::move(elements);
        p.data = jq::write::micpObjectBytes(object);
    };
    jq::write::MicpDatum whole;
    whole.name = {'T', 'E', 'X', 'T'};
    whole.data = Bytes(20, 't');
    block(300, 1, 1, {jq::write::micpDataElement(whole), jq::write::micpExpiryElement(100)},
          whole.name);
    const std::vector<jq::write::MicpDatum> parts =
        jq::write::micpParts({'M', 'A', 'P'}, Bytes(30, 'm'), 3);
    for (uint16_t i = 0; i < 3; ++i)
        block(301, 3, uint16_t(i + 1), {jq::write::micpDataElement(parts[i])}, {'M', 'A', 'P'});
    whole.name = {'A', 'B', 'C', '_', '1'};
    block(302, 2, 1, {jq::write::micpDataElement(whole)}, {'A', 'B', 'C'});
    block(302, 2, 2, {jq::write::micpInfoElement(1, 2, 3, 4)}, {});
    return packages;
}

uint8_t secondPassFlag(uint8_t) { return 0x40; }

// Every type code, in order: byte 0 of fuzz_any_record is the code itself.
std::vector<uint8_t> everyCode() {
    std::vector<uint8_t> codes(256);
    for (size_t i = 0; i < codes.size(); ++i) codes[i] = uint8_t(i);
    return codes;
}

// A files for the folder fuzzer: objects of one PAID from this PC's HostID
// and from others, in one file and over the key package's two key words,
// compressed and plain, an empty object and a package that fails.
std::vector<Bytes> promoSeeds() {
    using jq::write::objectPackage;
    std::vector<Bytes> seeds;
    GcspBlock may = jq::write::builtInDefaultBlock();
    may.Month = 5;
    BroadcastFile rule;
    rule.fileHeader(0x056).keyPackage(may);
    rule.dataPackage(objectPackage(0x56, 1, 0x1111, Bytes(20, 'a'), 2143));
    rule.dataPackage(objectPackage(0xD7, 1, 0x1111, Bytes(30, 'b'), 300));
    rule.dataPackage(objectPackage(0xD7, 2, 0x2222, Bytes(5, 'c'), 300));
    rule.dataPackage(objectPackage(0x56, 2, 0x2222, Bytes(6, 'd'), 2143));
    DataPackage packed = objectPackage(0x56, 0x80000000, 0x3333, Bytes(400, 'e'), 301);
    packed.compress = true;
    packed.oddEvenFlag = 0;
    rule.dataPackage(packed);
    rule.dataPackage(objectPackage(0xD7, 3, 0x4444, {}, 2143));
    rule.dataPackage(objectPackage(0x57, 4, 0x5555, Bytes(3, 'f'), 300));
    seeds.push_back(rule.bytes());
    BroadcastFile failing;
    failing.dataPackage(objectPackage(0x56, 5, 0x6666, Bytes(8, 'g'), 300));
    DataPackage bad = objectPackage(0xD7, 6, 0x7777, Bytes(8, 'h'), 300);
    bad.totalCheckSum = 0;
    failing.dataPackage(bad);
    seeds.push_back(failing.bytes());
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_fuzz_corpora OUTDIR SAMPLES\n");
        return 2;
    }
    const fs::path out = argv[1];
    const std::vector<Bytes> broadcast = broadcastSeeds();
    const std::vector<Bytes> container = containerSeeds();
    std::vector<Bytes> both = broadcast;
    both.insert(both.end(), container.begin(), container.end());

    // The single-package reader's input: a little-endian offset, then a file.
    std::vector<Bytes> single;
    for (const Bytes& file : broadcast) {
        for (uint32_t offset : {0u, 16u, 28u}) {
            Bytes seed = {uint8_t(offset), uint8_t(offset >> 8), 0, 0};
            seed.insert(seed.end(), file.begin(), file.end());
            single.push_back(seed);
        }
    }
    std::vector<jq::Package> samples;
    if (!samplePackages(argv[2], samples)) {
        std::fprintf(stderr, "make_fuzz_corpora: cannot read the samples %s\n", argv[2]);
        return 1;
    }
    // The record fuzzers and their type codes, in the order of their inputs.
    const struct {
        const char* target;
        std::vector<uint8_t> codes;
    } recordTargets[] = {
        {"fuzz_schedule_package", {0x4C, 0x4D, 0x51}},
        {"fuzz_any_record", everyCode()},
        {"fuzz_channel_map", {0xF3}},
        {"fuzz_dictionary", {0x5D, 0xE2}},
        {"fuzz_jqid_table", {0xDF}},
        {"fuzz_topic_list", {0x62, 0x6F}},
    };
    bool ok = true;
    for (const auto& t : recordTargets) {
        const std::vector<Bytes> seeds = recordSeeds(samples, t.codes);
        if (!seeds.empty()) ok = ok && writeSeeds(out / t.target, seeds);
    }
    ok = ok && writeSeeds(out / "fuzz_jqid_index", packageRunSeeds(samples, {0xDF}, noFlags));
    ok = ok && writeSeeds(out / "fuzz_topic_filing",
                          packageRunSeeds(samples, {0x6F, 0x62, 0x6E, 0x61}, topicTypeFlags));
    ok = ok && writeSeeds(out / "fuzz_topic_message", topicObjectSeeds());
    std::vector<Bytes> micpRuns = packageRunSeeds(micpPackages(), {0xF5}, noFlags);
    const std::vector<Bytes> updates = packageRunSeeds(micpPackages(), {0xF5}, secondPassFlag);
    micpRuns.push_back(micpRuns.back());  // all first-pass blocks, then all as updates
    jq::write::append(micpRuns.back(), updates.back());
    ok = ok && writeSeeds(out / "fuzz_micp_filing", micpRuns) &&
         writeSeeds(out / "fuzz_micp_object", micpObjectSeeds());
    ok = ok && writeSeeds(out / "fuzz_promo_folder", promoSeeds());
    ok = ok && writeSeeds(out / "fuzz_broadcast_reader", broadcast) &&
         writeSeeds(out / "fuzz_container_reader", container) &&
         writeSeeds(out / "fuzz_index_scan", both) &&
         writeSeeds(out / "fuzz_single_package", single) &&
         writeSeeds(out / "fuzz_key_parameters", both) &&
         writeSeeds(out / "fuzz_text_decoder", textSeeds());
    if (!ok) {
        std::fprintf(stderr, "make_fuzz_corpora: cannot write below %s\n", out.string().c_str());
        return 1;
    }
    return 0;
}
