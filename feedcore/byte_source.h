// byte_source.h - where a reader's file bytes come from.
//
// The readers see a file as a size and reads at offsets. The exports read
// open files; fuzzers and tests read memory. Two kinds of read follow the
// file formats' rules: header reads fill missing bytes with zeros (a short
// read is not an error by itself), exact reads fail unless every byte came.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "byte_reader.h"
#include "platform.h"

namespace jq {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // Reads up to count bytes at offset; got is the number read (0 at or past
    // the end). False only when the read itself failed.
    virtual bool readAt(uint64_t offset, uint8_t* buffer, size_t count, size_t& got) = 0;

    // Header read: the bytes past the end count as 0. got may be null.
    bool readHeader(uint64_t offset, uint8_t* buffer, size_t count, size_t* got = nullptr);
    // Exact read: false unless all count bytes were read.
    bool readExact(uint64_t offset, uint8_t* buffer, size_t count);

    // The count bytes at offset in memory the source already holds, valid
    // until its next read, so that a payload can be decrypted from there
    // without a copy. Null when the source cannot offer them whole that way;
    // readExact then reads them, or fails for bytes that are not in the file.
    virtual const uint8_t* view(uint64_t offset, size_t count);
};

// An open file; the file stays owned by the caller. Reads below the window
// size are served from a window read ahead, so that a file of many small
// packages costs one system read per window instead of a seek and a read per
// header and payload. A window that cannot be had (no memory, a failed read)
// leaves the read to the file itself.
class FileSource final : public ByteSource {
public:
    static constexpr size_t kWindowSize = 64 * 1024;

    FileSource(platform::File& file, uint64_t size) : file_(file), size_(size) {}
    uint64_t size() const override { return size_; }
    bool readAt(uint64_t offset, uint8_t* buffer, size_t count, size_t& got) override;
    // Served from the window, which is refilled from offset when it does not
    // hold all count bytes.
    const uint8_t* view(uint64_t offset, size_t count) override;

private:
    bool windowContains(uint64_t offset, size_t count) const;
    bool windowHolds(uint64_t offset, size_t count) const;
    bool fillWindow(uint64_t offset);
    bool readFromFile(uint64_t offset, uint8_t* buffer, size_t count, size_t& got);

    platform::File& file_;
    uint64_t size_;
    std::unique_ptr<uint8_t[]> window_;
    uint64_t windowOffset_ = 0;
    size_t windowSize_ = 0;
    bool windowAtEnd_ = false;  // the read that filled it stopped at the file's end
};

// Bytes in memory.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(ByteView bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size; }
    bool readAt(uint64_t offset, uint8_t* buffer, size_t count, size_t& got) override;
    const uint8_t* view(uint64_t offset, size_t count) override;

private:
    ByteView bytes_;
};

}  // namespace jq
