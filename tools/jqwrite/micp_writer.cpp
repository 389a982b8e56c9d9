// micp_writer.cpp - MICP objects and their block packages.
#include "micp_writer.h"

#include <algorithm>

#include "put_bytes.h"
#include "record_data.h"

namespace jq::write {

namespace {

constexpr uint16_t kInfoType = 1;
constexpr uint16_t kExpiryType = 2;
constexpr uint8_t kPartKind = 2;

}  // namespace

TypedElement micpInfoElement(uint32_t value, uint32_t time, uint16_t first, uint16_t second) {
    return {kInfoType, Put().be32(value).be32(time).be16(first).be16(second).out, {}};
}

TypedElement micpExpiryElement(uint32_t seconds) {
    return {kExpiryType, Put().be32(seconds).out, {}};
}

TypedElement micpDataElement(const MicpDatum& datum) {
    Put out;
    out.u8(datum.kind).u8(datum.keptByte);
    if (datum.kind == kPartKind)
        out.be32(datum.totalSize).be32(datum.offset).u8(datum.secondKeptByte).u8(datum.partNumber);
    out.text8(datum.name, "an MICP name").bytes(datum.data);
    return {datum.elementType, std::move(out.out), {}};
}

std::vector<MicpDatum> micpParts(const Bytes& name, const Bytes& data, unsigned count) {
    require(count >= 1 && count <= 256, "an MICP datum has 1 to 256 parts");
    std::vector<MicpDatum> parts;
    const size_t size = data.size();
    for (unsigned i = 0; i < count; ++i) {
        const size_t begin = size * i / count;
        const size_t end = size * (i + 1) / count;
        MicpDatum& part = parts.emplace_back();
        part.elementType = 0x11;
        part.kind = kPartKind;
        part.name = name;
        part.data.assign(data.begin() + begin, data.begin() + end);
        part.totalSize = static_cast<uint32_t>(size);
        part.offset = static_cast<uint32_t>(begin);
        part.partNumber = static_cast<uint8_t>(i);
    }
    return parts;
}

Bytes micpObjectBytes(const MicpObject& object) {
    Put out;
    out.be16(object.objectType).u8(object.objectByte);
    putTypedElements(out, object.elements, "an MICP element payload");
    return out.bytes(object.trailer).out;
}

ContainerEntry micpBlockEntry(uint32_t objectId, uint16_t totalBlocks, uint16_t blockNumber,
                              Bytes object) {
    ContainerEntry entry;
    const Bytes header = micpPacketHeader(objectId, totalBlocks, blockNumber);
    std::copy(header.begin(), header.end(), entry.headerSource.begin());
    entry.countryCode = static_cast<uint16_t>(header[6] | header[7] << 8);
    entry.data = std::move(object);
    return entry;
}

}  // namespace jq::write
