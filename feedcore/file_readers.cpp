// file_readers.cpp - walking whole files of both layouts.
#include "file_readers.h"

#include <algorithm>

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
    const uint64_t start =
        ByteReader(head, sizeof head).u16be() == kFileHeaderLength ? kFileHeaderSize : 0;

    uint8_t key[kKeyPackageSize];
    if (!source.readHeader(start, key, sizeof key)) return JQ_ERR_READ;
    ByteReader r(key, sizeof key);
    if (r.u8() != kStartCode) return JQ_ERR_FORMAT;
    if (r.u8() != kKeyPackageType) {
        probe.dataStart = start;
        probe.block = defaultBlock;
        return JQ_OK;
    }
    probe.block = unpackKeyPackage(key);
    if (probe.block.Terminator != kKeyPackageTerminator) return JQ_ERR_FORMAT;
    probe.dataStart = start + kKeyPackageSize;
    return JQ_OK;
}

// Entry bytes 8-15 as the packet header: as they stand for MICP blocks, else
// their three little-endian words turned into big-endian order.
std::vector<uint8_t> packetHeaderOf(ByteView source, uint8_t typeCode) {
    if (typeCode == kMicpBlockType) return {source.begin(), source.end()};
    ByteReader r(source);
    std::vector<uint8_t> header;
    header.reserve(6);
    for (int i = 0; i < 3; ++i) {
        const uint16_t word = r.u16le();
        header.push_back(static_cast<uint8_t>(word >> 8));
        header.push_back(static_cast<uint8_t>(word & 0xFF));
    }
    return header;
}

// The next container entry as a package: the header fields the entry
// carries and its data as stored.
bool readStoredPackage(ContainerEntries& entries, Package& package) {
    ContainerEntry entry;
    if (entries.next(entry) != JQ_OK) return false;
    package.offset = entry.offset;
    package.header.TypeCode = entries.typeCode();
    package.header.HostID = entry.hostId;
    package.header.CountryCode = entry.countryCode;
    package.header.PacketHeaderLength = static_cast<uint8_t>(entry.packetHeader.size());
    package.packetHeader = std::move(entry.packetHeader);
    return entries.readData(entry, package.data);
}

}  // namespace

JQStatus ContainerEntries::open() {
    if (source_.size() == 0) return JQ_ERR_READ;
    uint8_t head[kContainerHeaderSize];
    if (!source_.readHeader(0, head, sizeof head)) return JQ_ERR_READ;
    ByteReader r(head, sizeof head);
    if (r.u32be() != source_.size()) return JQ_ERR_READ;
    typeCode_ = r.u8();
    count_ = r.u8();
    offset_ = kContainerHeaderSize;
    return JQ_OK;
}

JQStatus ContainerEntries::next(ContainerEntry& entry) {
    uint8_t b[kEntryHeaderSize];
    if (!source_.readExact(offset_, b, sizeof b)) return JQ_ERR_READ;
    ByteReader r(b, sizeof b);
    entry.offset = offset_;
    entry.entryLength = r.u32le();
    entry.hostId = r.u16le();
    r.skip(2);
    const ByteView headerSource = r.bytes(8);
    r.skip(4);
    entry.dataLength = r.u32le();

    entry.packetHeader = packetHeaderOf(headerSource, typeCode_);
    // The country code shares bytes 14-15 with the packet header source.
    ByteReader country(headerSource);
    country.skip(6);
    entry.countryCode = country.u16le();

    offset_ += entry.entryLength;
    ++read_;
    return JQ_OK;
}

bool ContainerEntries::readData(const ContainerEntry& entry, OwnedBytes& data) {
    const uint64_t dataOffset = entry.offset + kEntryHeaderSize;
    if (entry.dataLength > source_.size() - std::min(dataOffset, source_.size())) return false;
    data = OwnedBytes(entry.dataLength);
    return source_.readExact(dataOffset, data.data(), data.size());
}

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

JQStatus scanContainerIndex(ByteSource& source, std::vector<IndexItem>& items,
                            uint32_t& declaredCount) {
    items.clear();
    declaredCount = 0;
    ContainerEntries entries(source);
    const JQStatus status = entries.open();
    if (status != JQ_OK) return status;
    declaredCount = entries.count();
    while (entries.more()) {
        ContainerEntry entry;
        if (entries.next(entry) != JQ_OK) return JQ_ERR_READ;
        items.push_back({entry.offset, entries.typeCode(), std::move(entry.packetHeader)});
    }
    return JQ_OK;
}

JQStatus readBroadcastFile(ByteSource& source, const GcspBlock& defaultBlock,
                           std::vector<Package>& packages) {
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
    ContainerEntries entries(source);
    const JQStatus status = entries.open();
    if (status != JQ_OK) return status;
    while (entries.more()) {
        Package package;
        if (!readStoredPackage(entries, package)) {
            packages.clear();
            return JQ_ERR_READ;
        }
        packages.push_back(std::move(package));
    }
    return JQ_OK;
}

JQStatus readPackageAt(ByteSource& source, int32_t offset, const GcspBlock& defaultBlock,
                       Package& package) {
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
    r.copyTo(info.Bytes4To7);
    r.copyTo(info.Bytes8To11);
    r.copyTo(info.Bytes12To13);
    info.Byte14 = r.u8();
    info.Byte15 = r.u8();
    return JQ_OK;
}

}  // namespace jq
