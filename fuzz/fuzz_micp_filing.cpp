// Fuzzes the MICP index: type-245 packages parsed by the block record parser
// and filed over both passes, the name table built from the blocks kept, and
// the three queries on every name of the table and on names from the input.
//
// Input: a package run (package_run.h). Flag bit 6 puts the package in the
// second pass, bit 7 makes its file fail to decode. Packet header bytes from
// offset 8 on, which the parser ignores, are a name to ask for.
#include <algorithm>
#include <string>
#include <vector>

#include "dispatch.h"
#include "micp_queries.h"
#include "micp_tables.h"
#include "package.h"
#include "package_run.h"

namespace {

using jq::mediaindex::MicpTables;

constexpr size_t kBlockHeaderSize = 8;
// A datum declares its size, up to 4 GiB, and GetMICPData2 allocates that
// much, zero-filled: beyond 256 KiB the fuzzer would spend its time filling
// buffers, and beyond its memory limit stop. Larger data are assembled only
// in a host's buffer of 256 KiB, which the query refuses with 22.
constexpr uint32_t kAllocationLimit = 1u << 18;

// The largest total size a part of the name declares.
uint32_t declaredSize(const MicpTables& tables, const std::string& name) {
    uint32_t size = 0;
    const auto& names = tables.names();
    for (auto key = names.lower_bound(name + "_000"); key != names.upper_bound(name + "_999");
         ++key) {
        for (const jq::mediaindex::MicpElement& element : key->second->elements)
            size = std::max(
                {size, element.data.totalSize, static_cast<uint32_t>(element.data.data.size)});
    }
    return size;
}

void ask(const MicpTables& tables, const std::string& name) {
    const jq::index::DayZeroTime now = jq::index::dayZeroTime(0x20000000);
    const uint32_t size = jq::mediaindex::datumSize(tables, name, now);
    // A buffer of the size reported and one of a few bytes.
    for (const uint32_t length : {std::min(size, kAllocationLimit), 3u}) {
        std::vector<uint8_t> buffer(length);
        jq::mediaindex::datumInto(tables, name, buffer.data(), length, now);
    }
    if (declaredSize(tables, name) > kAllocationLimit) return;
    uint8_t* data = nullptr;
    uint32_t length = 0;
    if (jq::mediaindex::datumAllocated(tables, name, data, length, now) == JQ_OK)
        jq::mediaindex::releaseDatum(data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    const auto packages = jq::fuzz::packageRun(input, size);
    // The parsed records stay as long as the tables, like the kept parse lists.
    std::vector<ParseElement> elements(packages.size());
    std::vector<std::string> names;
    MicpTables tables;
    bool secondPass = false;
    for (size_t i = 0; i < packages.size(); ++i) {
        const jq::fuzz::RunPackage& p = *packages[i];
        // The passes run in order: once a package of the second comes, the
        // first has ended. Each package stands for a file of its own.
        secondPass = secondPass || (p.flags & 0x40) != 0;
        const jq::index::Pass pass = secondPass ? jq::index::Pass::Second : jq::index::Pass::First;
        if (p.header.size() > kBlockHeaderSize)
            names.emplace_back(p.header.begin() + kBlockHeaderSize, p.header.end());
        if (p.flags & 0x80) {
            tables.fileDecoded(pass, JQ_ERR_FORMAT);
            continue;
        }
        jq::Package package;
        package.header.TypeCode = 0xF5;
        package.packetHeader = p.header;
        package.data = p.data;
        const JQStatus status = jq::dispatchPackage(package, elements[i]);
        tables.fileDecoded(pass, status);
        if (status == JQ_OK) tables.takeParsed(pass, elements[i]);
    }
    if (tables.loadEnded() == JQ_OK) {
        for (const auto& [key, object] : tables.names())
            names.push_back(key.substr(0, key.size() - 4));
        for (const std::string& name : names) ask(tables, name);
    }
    tables.clear();
    for (ParseElement& element : elements) jq::releaseParseElement(element);
    return 0;
}
