// jqwrite.cpp - encodes packages, key packages and whole files.
//
// Each function builds the bytes the decoder reads, field by field, and
// refuses values that do not fit their fields: a test that asks for an
// impossible package should fail loudly rather than get a silently different
// one. Deliberate faults are only those the package description names.
#include "jqwrite.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "checksum.h"
#include "config.h"
#include "des.h"
#include "key_params.h"
#include "paths.h"
#include "put_bytes.h"

namespace jq::write {
namespace {

// The largest payload: PackageDataLength is kept below 8,192 blocks so that
// the byte count stays a 16-bit number.
constexpr size_t kMaxPayload = 65528;

void checkFields(const DataPackage& p) {
    require(p.countryCode < 1024, "countryCode does not fit 10 bits");
    require(p.hostId < 4096, "hostId does not fit 12 bits");
    require(p.oddEvenFlag <= 1, "oddEvenFlag must be 0 or 1");
    require(p.updateNumber < 64, "updateNumber does not fit 6 bits");
    require(p.versionNumber < 64, "versionNumber does not fit 6 bits");
    require(p.packetHeader.size() <= 255, "packet header longer than 255 bytes");
    require(p.compressMethod < 4, "compressMethod does not fit 2 bits");
    require(!p.packageDataLength || *p.packageDataLength < 0x4000,
            "packageDataLength does not fit 14 bits");
    // An override that cannot take effect is a mistake in the caller.
    require(p.compress || !p.compressedStream, "compressedStream needs compress");
    require(p.compress || !p.unCompressedDataLength, "unCompressedDataLength needs compress");
}

Bytes deflateStream(const Bytes& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    Bytes stream(size);
    const int rc = compress2(stream.data(), &size, plain.data(), static_cast<uLong>(plain.size()),
                             Z_BEST_COMPRESSION);
    if (rc != Z_OK) throw std::runtime_error("zlib compress2 failed");
    stream.resize(size);
    return stream;
}

// The meaningful bytes at the start of the decrypted payload.
Bytes plainPayload(const DataPackage& p) {
    if (!p.compress) return p.plain;
    require(p.unCompressedDataLength || p.plain.size() <= 0xFFFF,
            "plain data longer than 65,535 bytes cannot be compressed");
    return Put()
        .be16(p.unCompressedDataLength.value_or(static_cast<uint16_t>(p.plain.size())))
        .bytes(p.compressedStream ? *p.compressedStream : deflateStream(p.plain));
}

uint16_t selectKeyWord(const DataPackage& p, const GcspBlock& block) {
    const KeyWords words = deriveKeyWords(block);
    const bool odd = (p.oddEvenFlag == 1) != p.wrongKey;
    return odd ? words.odd : words.even;
}

void encrypt(Bytes& payload, uint16_t keyWord) {
    const std::array<uint8_t, 8> key = packageKey(keyWord);
    const des::KeySchedule schedule = des::makeSchedule(key.data(), des::Direction::Encrypt);
    des::cryptEcb(schedule, payload.data(), payload.data(), payload.size());
}

// The checksum the decoder will compute from the header as written: over the
// declared plain length, so that a wrong plain length is the only fault. Past
// the end of the payload it counts zero bytes (the decoder refuses that
// package before summing anyway).
uint16_t checksumFor(const Bytes& padded, uint16_t plainLength) {
    Bytes summed(padded.begin(), padded.begin() + std::min<size_t>(padded.size(), plainLength));
    summed.resize(plainLength, 0);
    return packageChecksum(plainLength, summed.data());
}

uint8_t bitsOf(uint8_t value, unsigned width, const char* what) {
    require(value < (1u << width), what);
    return value;
}

}  // namespace

GcspBlock builtInDefaultBlock() {
    constexpr uint8_t kBytes[14] = FEEDCORE_DEFAULT_GCSP_BYTES;
    GcspBlock block;
    static_assert(sizeof block == sizeof kBytes);
    std::memcpy(&block, kBytes, sizeof block);
    return block;
}

std::array<uint8_t, 12> packKeyPackage(const GcspBlock& b) {
    const uint8_t flags8 = bitsOf(b.Flag8, 1, "Flag8 must be 0 or 1");
    const uint8_t flags9 = bitsOf(b.Flag9, 1, "Flag9 must be 0 or 1");
    const uint8_t flags10 = bitsOf(b.Flag10, 1, "Flag10 must be 0 or 1");
    std::array<uint8_t, 12> out{};
    out[0] = kStartCode;
    out[1] = kKeyPackageType;
    out[2] = bitsOf(b.Param2, 6, "Param2 does not fit 6 bits");
    out[3] = static_cast<uint8_t>(bitsOf(b.Param3, 5, "Param3 does not fit 5 bits") | flags8 << 5);
    out[4] = static_cast<uint8_t>(bitsOf(b.Param4, 5, "Param4 does not fit 5 bits") | flags9 << 5);
    out[5] = static_cast<uint8_t>(bitsOf(b.Month, 4, "Month does not fit 4 bits") | flags10 << 5);
    out[6] = bitsOf(b.Param6, 3, "Param6 does not fit 3 bits");
    out[7] = bitsOf(b.YearOffset, 6, "YearOffset does not fit 6 bits");
    out[8] = bitsOf(b.OddKeyParameter, 6, "OddKeyParameter does not fit 6 bits");
    out[9] = bitsOf(b.EvenKeyParameter, 6, "EvenKeyParameter does not fit 6 bits");
    out[10] = b.Terminator;
    return out;
}

Bytes encodeDataPackage(const DataPackage& p, const GcspBlock& block) {
    checkFields(p);
    Bytes payload = plainPayload(p);
    require(payload.size() <= kMaxPayload, "plain package data longer than 65,528 bytes");
    const auto plainLength = static_cast<uint16_t>(payload.size());
    payload.resize((payload.size() + 7) / 8 * 8, 0);

    const uint16_t plainField = p.plainPackageDataLength.value_or(plainLength);
    const uint16_t checksum = p.totalCheckSum.value_or(checksumFor(payload, plainField));
    const auto blocks = p.packageDataLength.value_or(static_cast<uint16_t>(payload.size() / 8));
    const uint8_t method = p.compress ? 2 : p.compressMethod;
    encrypt(payload, selectKeyWord(p, block));

    // The 6-bit halves of CountryCode and HostID each take a byte.
    return Put()
        .u8(p.startCode)
        .u8(p.typeCode)
        .u8(p.countryCode >> 6)
        .u8(p.countryCode & 0x3F)
        .u8(p.hostId >> 6)
        .u8(p.hostId & 0x3F)
        .u8(p.oddEvenFlag << 7 | p.updateNumber)
        .u8(p.versionNumber)
        .text8(p.packetHeader, "packet header")
        .be16(method << 14 | blocks)
        .be16(checksum)
        .be16(plainField)
        .bytes(payload);
}

BroadcastFile& BroadcastFile::fileHeader(uint16_t value12, const std::array<uint8_t, 12>& rest) {
    require(value12 < 0x1000, "file header value does not fit 12 bits");
    append(bytes_, Put().be16(14).be16(value12));
    bytes_.insert(bytes_.end(), rest.begin(), rest.end());
    return *this;
}

BroadcastFile& BroadcastFile::keyPackage(const GcspBlock& block) {
    const std::array<uint8_t, 12> package = packKeyPackage(block);
    bytes_.insert(bytes_.end(), package.begin(), package.end());
    block_ = block;
    return *this;
}

BroadcastFile& BroadcastFile::encryptWith(const GcspBlock& block) {
    block_ = block;
    return *this;
}

uint32_t BroadcastFile::dataPackage(const DataPackage& package) {
    const auto offset = static_cast<uint32_t>(bytes_.size());
    append(bytes_, encodeDataPackage(package, block_));
    return offset;
}

BroadcastFile& BroadcastFile::raw(const Bytes& bytes) {
    append(bytes_, bytes);
    return *this;
}

BroadcastFile& BroadcastFile::truncate(size_t size) {
    require(size <= bytes_.size(), "truncate beyond the end of the file");
    bytes_.resize(size);
    return *this;
}

Bytes containerFile(uint8_t typeCode, const std::vector<ContainerEntry>& entries,
                    std::optional<uint32_t> totalSize, std::optional<uint8_t> packageCount) {
    require(packageCount || entries.size() <= 255, "a container holds at most 255 packages");
    Put out;
    out.be32(0);  // the total size, filled in below
    out.u8(typeCode).u8(packageCount.value_or(static_cast<uint8_t>(entries.size()))).be16(0);
    for (const ContainerEntry& e : entries) {
        const auto dataLength = static_cast<uint32_t>(e.data.size());
        out.le32(e.entryLength.value_or(24 + dataLength + e.gap)).le16(e.hostId).le16(0);
        out.bytes(Bytes(e.headerSource.begin(), e.headerSource.begin() + 6));
        out.le16(e.countryCode);  // entry bytes 14-15: source bytes 6-7 give way
        out.le32(0).le32(dataLength).bytes(e.data).zeros(e.gap);
    }
    const uint32_t size = totalSize.value_or(static_cast<uint32_t>(out.out.size()));
    for (unsigned i = 0; i < 4; ++i) out.out[i] = static_cast<uint8_t>(size >> (24 - 8 * i));
    return out;
}

bool saveFile(const std::string& path, const Bytes& bytes) {
    namespace fs = std::filesystem;
    const fs::path target = pathFromUtf8(path);
    fs::path temporary = target;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) {
        // Some platforms refuse to rename over an existing file.
        fs::remove(target, ec);
        fs::rename(temporary, target, ec);
    }
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace jq::write
