// package.h - one package as the readers produce it.
#pragma once

#include <cstdint>
#include <vector>

namespace jq {

// The header fields of a package, unpacked from their bit fields.
struct PackageHeader {
    uint8_t StartCode = 0;
    uint8_t TypeCode = 0;
    uint16_t CountryCode = 0;
    uint16_t HostID = 0;
    uint8_t UpdateNumber = 0;
    uint8_t VersionNumber = 0;
    uint8_t OddEvenFlag = 0;
    uint8_t PacketHeaderLength = 0;
    uint8_t CompressMethod = 0;
    uint16_t PackageDataLength = 0;
    uint16_t TotalCheckSum = 0;
    uint16_t PlainPackageDataLength = 0;
    uint16_t UnCompressedDataLength = 0;
};

// A package with its plain data, owned.
struct Package {
    PackageHeader header;
    std::vector<uint8_t> packetHeader;
    std::vector<uint8_t> data;
    uint64_t offset = 0;
};

inline constexpr uint8_t kCompressDeflate = 2;
// The optional file header of a broadcast file: 16 bytes, the first two the
// big-endian count of those that follow.
inline constexpr size_t kFileHeaderSize = 16;
inline constexpr uint16_t kFileHeaderLength = 14;
inline constexpr size_t kFixedHeaderSize = 9;
inline constexpr size_t kSecondHeaderSize = 6;
// Block counts from here on lie outside the format: their byte count does
// not fit the 16-bit payload size.
inline constexpr uint16_t kPackageDataLengthLimit = 8192;

}  // namespace jq
