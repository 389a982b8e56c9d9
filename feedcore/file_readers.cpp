// file_readers.cpp - walking whole files of both layouts.
#include "file_readers.h"

#include <algorithm>
#include <cstring>

#include "key_params.h"
#include "package_reader.h"
#include "package_walker.h"

namespace jq {
namespace {

constexpr size_t kContainerHeaderSize = 8;
constexpr size_t kEntryHeaderSize = 24;
constexpr uint8_t kMicpBlockType = 0xF5;

// Where the data packages start and which key parameters they use.
struct Probe {
    uint64_t dataStart = 0;
    GcspBlock block{};
};

JQStatus probeBroadcastFile(ByteSource& source, const GcspBlock& defaultBlock, Probe& probe) {
    if (source.size() == 0) return JQ_ERR_READ;
    uint8_t head[kFileHeaderSize];
    if (!source.readHeader(0, head, sizeof head)) return JQ_ERR_READ;
    const uint64_t start = ByteReader(head, sizeof head).u16be() == kFileHeaderLength ? kFileHeaderSize : 0;

    uint8_t key[kKeyPackageSize];
    if (!source.readHeader(start, key, sizeof key)) return JQ_ERR_READ;
    if (key[0] != kStartCode) return JQ_ERR_FORMAT;
    if (key[1] != kKeyPackageType) {
        probe.dataStart = start;
        probe.block = defaultBlock;
        return JQ_OK;
    }
    probe.block = unpackKeyPackage(key);
    if (probe.block.Terminator != kKeyPackageTerminator) return JQ_ERR_FORMAT;
    probe.dataStart = start + kKeyPackageSize;
    return JQ_OK;
}

// The container header: the total size must be the file's size.
JQStatus readContainerHeader(ByteSource& source, uint8_t& typeCode, uint8_t& count) {
    if (source.size() == 0) return JQ_ERR_READ;
    uint8_t head[kContainerHeaderSize];
    if (!source.readHeader(0, head, sizeof head)) return JQ_ERR_READ;
    ByteReader r(head, sizeof head);
    if (r.u32be() != source.size()) return JQ_ERR_READ;
    typeCode = r.u8();
    count = r.u8();
    return JQ_OK;
}

// One container entry header. Entries must lie whole in the file: a count
// that runs past the end is a damaged file, not a run of empty packages.
struct ContainerEntry {
    uint32_t entryLength = 0;
    uint16_t hostId = 0;
    uint16_t countryCode = 0;
    std::vector<uint8_t> packetHeader;
    uint32_t dataLength = 0;
};

JQStatus readContainerEntry(ByteSource& source, uint64_t offset, uint8_t typeCode, ContainerEntry& entry) {
    uint8_t b[kEntryHeaderSize];
    if (!source.readExact(offset, b, sizeof b)) return JQ_ERR_READ;
    ByteReader r(b, sizeof b);
    entry.entryLength = r.u32le();
    entry.hostId = r.u16le();
    r.skip(2);
    if (typeCode == kMicpBlockType) {
        entry.packetHeader.assign(b + 8, b + 16);
    } else {
        // Three little-endian words, turned into big-endian order.
        entry.packetHeader = {b[9], b[8], b[11], b[10], b[13], b[12]};
    }
    r.skip(6);
    entry.countryCode = r.u16le();
    r.skip(4);
    entry.dataLength = r.u32le();
    return JQ_OK;
}

}  // namespace

JQStatus scanBroadcastIndex(ByteSource& source, std::vector<IndexItem>& items) {
    items.clear();
    if (source.size() == 0) return JQ_ERR_READ;
    PackageWalker walker(source, true);
    while (walker.more()) {
        WalkStep step;
        const JQStatus status = walker.next(step);
        if (status != JQ_OK) return status;
        if (step.kind == WalkStep::Kind::FileHeader) continue;
        items.push_back({step.offset, step.typeCode, std::move(step.packetHeader)});
    }
    return JQ_OK;
}

JQStatus scanContainerIndex(ByteSource& source, std::vector<IndexItem>& items, uint32_t& declaredCount) {
    items.clear();
    declaredCount = 0;
    uint8_t typeCode = 0;
    uint8_t count = 0;
    const JQStatus status = readContainerHeader(source, typeCode, count);
    if (status != JQ_OK) return status;
    declaredCount = count;
    uint64_t offset = kContainerHeaderSize;
    for (unsigned i = 0; i < count; ++i) {
        ContainerEntry entry;
        if (readContainerEntry(source, offset, typeCode, entry) != JQ_OK) return JQ_ERR_READ;
        items.push_back({offset, typeCode, std::move(entry.packetHeader)});
        offset += entry.entryLength;
    }
    return JQ_OK;
}

JQStatus readBroadcastFile(ByteSource& source, const GcspBlock& defaultBlock, std::vector<Package>& packages) {
    packages.clear();
    Probe probe;
    JQStatus status = probeBroadcastFile(source, defaultBlock, probe);
    if (status != JQ_OK) return status;
    for (uint64_t offset = probe.dataStart; offset < source.size();) {
        Package package;
        uint64_t size = 0;
        status = readBroadcastPackage(source, offset, probe.block, package, size);
        if (status != JQ_OK) {
            packages.clear();
            return status;
        }
        packages.push_back(std::move(package));
        offset += size;
    }
    return JQ_OK;
}

JQStatus readContainerFile(ByteSource& source, std::vector<Package>& packages) {
    packages.clear();
    uint8_t typeCode = 0;
    uint8_t count = 0;
    JQStatus status = readContainerHeader(source, typeCode, count);
    if (status != JQ_OK) return status;
    uint64_t offset = kContainerHeaderSize;
    for (unsigned i = 0; i < count; ++i) {
        ContainerEntry entry;
        status = readContainerEntry(source, offset, typeCode, entry);
        // The data must be whole, too; its length is checked against the file
        // before anything is allocated for it.
        const uint64_t dataStart = offset + kEntryHeaderSize;
        if (status != JQ_OK || entry.dataLength > source.size() - std::min(dataStart, source.size())) {
            packages.clear();
            return JQ_ERR_READ;
        }
        Package package;
        package.offset = offset;
        package.header.TypeCode = typeCode;
        package.header.HostID = entry.hostId;
        package.header.CountryCode = entry.countryCode;
        package.header.PacketHeaderLength = static_cast<uint8_t>(entry.packetHeader.size());
        package.packetHeader = std::move(entry.packetHeader);
        package.data.resize(entry.dataLength);
        if (!source.readExact(dataStart, package.data.data(), entry.dataLength)) {
            packages.clear();
            return JQ_ERR_READ;
        }
        packages.push_back(std::move(package));
        offset += entry.entryLength;
    }
    return JQ_OK;
}

JQStatus readPackageAt(ByteSource& source, int32_t offset, const GcspBlock& defaultBlock, Package& package) {
    Probe probe;
    const JQStatus status = probeBroadcastFile(source, defaultBlock, probe);
    if (status != JQ_OK) return status;
    if (offset < 0) return JQ_ERR_READ;
    uint64_t size = 0;
    return readBroadcastPackage(source, static_cast<uint64_t>(offset), probe.block, package, size);
}

JQStatus findKeyParameters(ByteSource& source, GcspBlock& block) {
    if (source.size() == 0) return JQ_ERR_READ;
    PackageWalker walker(source, false);
    while (walker.more()) {
        WalkStep step;
        const JQStatus status = walker.next(step);
        if (status != JQ_OK) return status;
        if (step.kind != WalkStep::Kind::KeyPackage) continue;
        block = unpackKeyPackage(step.keyPackage);
        return block.Terminator == kKeyPackageTerminator ? JQ_OK : JQ_ERR_FORMAT;
    }
    return JQ_ERR_EXCEPTION;
}

JQStatus readFileHead(ByteSource& source, FileHeadInfo& info) {
    if (source.size() == 0) return JQ_ERR_READ;
    uint8_t head[kFileHeaderSize];
    if (!source.readHeader(0, head, sizeof head)) return JQ_ERR_READ;
    ByteReader r(head, sizeof head);
    info.HeaderLength = r.u16be();
    if (info.HeaderLength != kFileHeaderLength) return JQ_ERR_READ;
    info.HeaderValue = r.u16be() & 0x0FFF;
    std::memcpy(info.Bytes4To7, head + 4, 4);
    std::memcpy(info.Bytes8To11, head + 8, 4);
    std::memcpy(info.Bytes12To13, head + 12, 2);
    info.Byte14 = head[14];
    info.Byte15 = head[15];
    return JQ_OK;
}

}  // namespace jq
