// byte_source.h - where a reader's file bytes come from.
//
// The readers see a file as a size and reads at offsets. The exports read
// open files; fuzzers and tests read memory. Two kinds of read follow the
// file formats' rules: header reads fill missing bytes with zeros (a short
// read is not an error by itself), exact reads fail unless every byte came.
#pragma once

#include <cstddef>
#include <cstdint>

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
};

// An open file; the file stays owned by the caller.
class FileSource final : public ByteSource {
public:
    FileSource(platform::File& file, uint64_t size) : file_(file), size_(size) {}
    uint64_t size() const override { return size_; }
    bool readAt(uint64_t offset, uint8_t* buffer, size_t count, size_t& got) override;

private:
    platform::File& file_;
    uint64_t size_;
};

// Bytes in memory.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(ByteView bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size; }
    bool readAt(uint64_t offset, uint8_t* buffer, size_t count, size_t& got) override;

private:
    ByteView bytes_;
};

}  // namespace jq
