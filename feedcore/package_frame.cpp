// package_frame.cpp - reading the headers of a broadcast data package.
#include "package_frame.h"

#include "key_params.h"

namespace jq {
namespace {

void unpackFixedHeader(ByteReader r, PackageHeader& h) {
    h.StartCode = r.u8();
    h.TypeCode = r.u8();
    const uint8_t countryHigh = r.u8() & 0x0F;
    h.CountryCode = static_cast<uint16_t>((countryHigh << 6) | (r.u8() & 0x3F));
    const uint8_t hostHigh = r.u8() & 0x3F;
    h.HostID = static_cast<uint16_t>((hostHigh << 6) | (r.u8() & 0x3F));
    const uint8_t flags = r.u8();
    h.OddEvenFlag = flags >> 7;
    h.UpdateNumber = flags & 0x3F;
    h.VersionNumber = r.u8() & 0x3F;
    h.PacketHeaderLength = r.u8();
}

void unpackSecondHeader(ByteReader r, PackageHeader& h) {
    const uint16_t lengthWord = r.u16be();
    h.CompressMethod = static_cast<uint8_t>(lengthWord >> 14);
    h.PackageDataLength = lengthWord & 0x3FFF;
    h.TotalCheckSum = r.u16be();
    h.PlainPackageDataLength = r.u16be();
}

}  // namespace

JQStatus readPackageFrame(ByteSource& source, uint64_t offset, PackageFrame& frame,
                          std::vector<uint8_t>* packetHeader) {
    frame = PackageFrame{};
    frame.offset = offset;
    PackageHeader& h = frame.header;

    uint8_t fixed[kFixedHeaderSize];
    if (!source.readHeader(offset, fixed, sizeof fixed)) return JQ_ERR_READ;
    unpackFixedHeader(ByteReader(fixed, sizeof fixed), h);
    if (h.StartCode != kStartCode || h.TypeCode == kKeyPackageType) return JQ_ERR_FORMAT;
    const uint64_t packetHeaderOffset = offset + kFixedHeaderSize;

    if (packetHeader != nullptr) {
        packetHeader->resize(h.PacketHeaderLength);
        if (!source.readHeader(packetHeaderOffset, packetHeader->data(), packetHeader->size())) {
            return JQ_ERR_READ;
        }
    }
    const uint64_t secondHeaderOffset = packetHeaderOffset + h.PacketHeaderLength;

    uint8_t second[kSecondHeaderSize];
    if (!source.readHeader(secondHeaderOffset, second, sizeof second)) return JQ_ERR_READ;
    unpackSecondHeader(ByteReader(second, sizeof second), h);
    frame.payloadOffset = secondHeaderOffset + kSecondHeaderSize;
    return h.PackageDataLength < kPackageDataLengthLimit ? JQ_OK : JQ_ERR_FORMAT;
}

}  // namespace jq
