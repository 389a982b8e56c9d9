// package_reader.cpp - reading one broadcast package.
#include "package_reader.h"

#include <utility>

#include "checksum.h"
#include "inflate.h"
#include "key_params.h"

namespace jq {
namespace {

constexpr size_t kChunkSize = 16376;
constexpr size_t kChunkLimit = 0x3FFF;

void unpackFixedHeader(const uint8_t (&b)[kFixedHeaderSize], PackageHeader& h) {
    ByteReader r(b, sizeof b);
    h.StartCode = r.u8();
    h.TypeCode = r.u8();
    const uint8_t country = r.u8();
    h.CountryCode = static_cast<uint16_t>(((country & 0x0F) << 6) | (r.u8() & 0x3F));
    const uint8_t host = r.u8();
    h.HostID = static_cast<uint16_t>(((host & 0x3F) << 6) | (r.u8() & 0x3F));
    const uint8_t flags = r.u8();
    h.OddEvenFlag = flags >> 7;
    h.UpdateNumber = flags & 0x3F;
    h.VersionNumber = r.u8() & 0x3F;
    h.PacketHeaderLength = r.u8();
}

void unpackSecondHeader(const uint8_t (&b)[kSecondHeaderSize], PackageHeader& h) {
    ByteReader r(b, sizeof b);
    const uint16_t first = r.u16be();
    h.CompressMethod = static_cast<uint8_t>(first >> 14);
    h.PackageDataLength = first & 0x3FFF;
    h.TotalCheckSum = r.u16be();
    h.PlainPackageDataLength = r.u16be();
}

// Checks the plain bytes and turns them into the package's data. A stored
// payload becomes the data itself, cut to its plain length: no second copy.
JQStatus finishPlainData(std::vector<uint8_t>& plain, Package& out) {
    PackageHeader& h = out.header;
    if (h.PlainPackageDataLength > plain.size()) return JQ_ERR_CHECKSUM;
    if (packageChecksum(h.PlainPackageDataLength, plain.data()) != h.TotalCheckSum) {
        return JQ_ERR_CHECKSUM;
    }
    if (h.CompressMethod != kCompressDeflate) {
        plain.resize(h.PlainPackageDataLength);
        out.data = std::move(plain);
        return JQ_OK;
    }
    if (h.PlainPackageDataLength < 3) return JQ_ERR_INFLATE;
    ByteReader r(plain.data(), h.PlainPackageDataLength);
    h.UnCompressedDataLength = r.u16be();
    if (!inflatePayload(r.rest(), h.UnCompressedDataLength, out.data)) return JQ_ERR_INFLATE;
    return JQ_OK;
}

}  // namespace

bool decryptPayload(const des::KeySchedule& schedule, const uint8_t* in, uint8_t* out, size_t size) {
    if (size == 0) return false;
    for (size_t done = 0; done < size;) {
        const size_t chunk = size - done > kChunkSize ? kChunkSize : size - done;
        if (chunk <= 4 || chunk > kChunkLimit || chunk % 8 != 0) return false;
        des::cryptEcb(schedule, in + done, out + done, chunk);
        done += chunk;
    }
    return true;
}

JQStatus readBroadcastPackage(ByteSource& source, uint64_t offset, const GcspBlock& block,
                              Package& out, uint64_t& size) {
    out = Package{};
    out.offset = offset;
    PackageHeader& h = out.header;

    uint8_t fixed[kFixedHeaderSize];
    if (!source.readHeader(offset, fixed, sizeof fixed)) return JQ_ERR_READ;
    unpackFixedHeader(fixed, h);
    if (h.StartCode != kStartCode || h.TypeCode == kKeyPackageType) return JQ_ERR_FORMAT;
    uint64_t at = offset + sizeof fixed;

    out.packetHeader.resize(h.PacketHeaderLength);
    if (!source.readHeader(at, out.packetHeader.data(), out.packetHeader.size())) return JQ_ERR_READ;
    at += h.PacketHeaderLength;

    uint8_t second[kSecondHeaderSize];
    if (!source.readHeader(at, second, sizeof second)) return JQ_ERR_READ;
    unpackSecondHeader(second, h);
    at += sizeof second;
    if (h.PackageDataLength >= kPackageDataLengthLimit) return JQ_ERR_FORMAT;

    // A payload that is not whole in the file is never decrypted.
    const size_t payloadSize = size_t{h.PackageDataLength} * 8;
    std::vector<uint8_t> payload(payloadSize);
    if (!source.readExact(at, payload.data(), payloadSize)) return JQ_ERR_READ;

    const KeyWords words = deriveKeyWords(block);
    const auto key = packageKey(h.OddEvenFlag ? words.odd : words.even);
    const des::KeySchedule schedule = des::makeSchedule(key.data(), des::Direction::Decrypt);
    std::vector<uint8_t> plain(payloadSize);
    if (!decryptPayload(schedule, payload.data(), plain.data(), payloadSize)) return JQ_ERR_DECRYPT;

    const JQStatus status = finishPlainData(plain, out);
    if (status != JQ_OK) return status;
    size = at + payloadSize - offset;
    return JQ_OK;
}

}  // namespace jq
