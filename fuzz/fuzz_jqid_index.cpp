// Fuzzes the JQID index's table builder with a run of type-223 packages, then
// decodes every entry it kept and asks for the links of every JQID.
//
// Input: packages back to back, each a byte giving the packet header length
// (low four bits), a big-endian 16-bit data length, the packet header and the
// data; a package cut short by the end of the input takes what is left. Each
// package gets its own buffers, so reading past one is caught.
#include <algorithm>
#include <memory>
#include <vector>

#include "jqid_queries.h"
#include "jqid_tables.h"
#include "jqid_entries.h"

namespace {

struct Buffers {
    std::vector<uint8_t> header;
    std::vector<uint8_t> data;
};

void askAbout(const jq::idindex::JqidTables& tables, uint64_t jqid) {
    JQIDEntry entry{};
    jq::idindex::decodeEntry(tables, jqid, entry);
    jq::records::releaseJqidEntry(entry);
    JQIDList list{};
    if (jq::idindex::linkedJqids(tables, jqid, nullptr, {}, list) == JQ_OK) delete[] list.items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    std::vector<std::unique_ptr<Buffers>> kept;
    jq::idindex::JqidTables tables;
    size_t at = 0;
    while (size - at >= 3) {
        const size_t headerLength = std::min<size_t>(input[at] & 0x0F, size - at - 3);
        const size_t dataLength =
            std::min<size_t>(input[at + 1] << 8 | input[at + 2], size - at - 3 - headerLength);
        at += 3;
        auto& b = *kept.emplace_back(std::make_unique<Buffers>());
        b.header.assign(input + at, input + at + headerLength);
        b.data.assign(input + at + headerLength, input + at + headerLength + dataLength);
        at += headerLength + dataLength;

        PackageRecord package{};
        package.TypeCode = 223;
        package.PacketHeaderLength = static_cast<uint8_t>(headerLength);
        package.packetHeader = b.header.empty() ? nullptr : b.header.data();
        package.data = b.data.empty() ? nullptr : b.data.data();
        package.dataLength = static_cast<uint32_t>(dataLength);
        tables.addPackage(package);
    }
    tables.finish();
    for (const jq::idindex::MainEntry& entry : tables.mainEntries()) askAbout(tables, entry.jqid);
    for (const jq::idindex::LinkEntry& link : tables.links()) askAbout(tables, link.jqid2);
    return 0;
}
