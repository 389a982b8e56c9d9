// package.h - one package as the readers produce it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "byte_reader.h"

namespace jq {

// A byte array allocated with new[] and its length. The readers write plain
// data straight into one, and the package list takes the array over as it
// stands (releaseArray), so the data is never copied on its way to the host.
// The array may be longer than the length: the bytes past it are not data.
class OwnedBytes {
public:
    OwnedBytes() = default;
    // size bytes, left uninitialised: for buffers that are written in full.
    explicit OwnedBytes(size_t size) : bytes_(new uint8_t[size]), size_(size) {}
    OwnedBytes(OwnedBytes&& other) noexcept
        : bytes_(std::move(other.bytes_)), size_(std::exchange(other.size_, 0)) {}
    OwnedBytes& operator=(OwnedBytes&& other) noexcept {
        bytes_ = std::move(other.bytes_);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }
    OwnedBytes(const OwnedBytes&) = delete;
    OwnedBytes& operator=(const OwnedBytes&) = delete;

    // Copies of other bytes, for data made elsewhere (tests, fuzzers).
    void assign(const uint8_t* first, const uint8_t* last) {
        OwnedBytes copy(static_cast<size_t>(last - first));
        std::copy(first, last, copy.data());
        *this = std::move(copy);
    }
    OwnedBytes& operator=(const std::vector<uint8_t>& bytes) {
        assign(bytes.data(), bytes.data() + bytes.size());
        return *this;
    }
    OwnedBytes& operator=(std::initializer_list<uint8_t> bytes) {
        assign(bytes.begin(), bytes.end());
        return *this;
    }

    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const uint8_t* begin() const { return bytes_.get(); }
    const uint8_t* end() const { return bytes_.get() + size_; }
    ByteView view() const { return {bytes_.get(), size_}; }

    // Keeps the first size bytes (size <= size()). An array that would be
    // left with a block or more of unused bytes is replaced by an exact copy,
    // so that a short length in a long buffer does not hold the long buffer.
    void shrink(size_t size) {
        if (size_ - size >= kShrinkCopyLimit) {
            assign(begin(), begin() + size);
        } else {
            size_ = size;
        }
    }

    // Hands the array over to a caller who releases it with delete[]; null
    // when there are no bytes (the empty array is released here). Leaves
    // this empty.
    uint8_t* releaseArray() noexcept {
        size_t size = std::exchange(size_, 0);
        if (size == 0) {
            bytes_.reset();
            return nullptr;
        }
        return bytes_.release();
    }

    friend bool operator==(const OwnedBytes& a, const std::vector<uint8_t>& b) {
        return a.size_ == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }

private:
    static constexpr size_t kShrinkCopyLimit = 8;

    std::unique_ptr<uint8_t[]> bytes_;
    size_t size_ = 0;
};

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
    OwnedBytes data;
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
