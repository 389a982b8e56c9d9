// byte_source.cpp - header and exact reads over files and memory.
#include "byte_source.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace jq {

bool ByteSource::readHeader(uint64_t offset, uint8_t* buffer, size_t count, size_t* got) {
    if (count != 0) std::memset(buffer, 0, count);
    size_t n = 0;
    const bool ok = readAt(offset, buffer, count, n);
    if (got != nullptr) *got = n;
    return ok;
}

bool ByteSource::readExact(uint64_t offset, uint8_t* buffer, size_t count) {
    size_t n = 0;
    return readAt(offset, buffer, count, n) && n == count;
}

const uint8_t* ByteSource::view(uint64_t, size_t) { return nullptr; }

bool FileSource::readAt(uint64_t offset, uint8_t* buffer, size_t count, size_t& got) {
    got = 0;
    if (count == 0) return true;
    if (offset >= size_) return true;
    if (count >= kWindowSize) return readFromFile(offset, buffer, count, got);
    if (!windowHolds(offset, count) && !fillWindow(offset)) {
        return readFromFile(offset, buffer, count, got);
    }
    const size_t at = static_cast<size_t>(offset - windowOffset_);
    got = std::min(count, windowSize_ - at);
    std::memcpy(buffer, window_.get() + at, got);
    return true;
}

const uint8_t* FileSource::view(uint64_t offset, size_t count) {
    if (count == 0 || count > kWindowSize || offset >= size_ || count > size_ - offset) {
        return nullptr;
    }
    if (!windowContains(offset, count) && (!fillWindow(offset) || !windowContains(offset, count))) {
        return nullptr;
    }
    return window_.get() + static_cast<size_t>(offset - windowOffset_);
}

// Whether all count bytes at offset are in the window.
bool FileSource::windowContains(uint64_t offset, size_t count) const {
    if (window_ == nullptr || offset < windowOffset_ || count > windowSize_) return false;
    return offset - windowOffset_ <= windowSize_ - count;
}

// Whether the window has what a read of the file would give: all count
// bytes, or every byte up to the file's end.
bool FileSource::windowHolds(uint64_t offset, size_t count) const {
    if (window_ == nullptr || offset < windowOffset_) return false;
    const uint64_t end = windowOffset_ + windowSize_;
    return offset + count <= end || (windowAtEnd_ && offset <= end);
}

bool FileSource::fillWindow(uint64_t offset) {
    if (window_ == nullptr) {
        window_.reset(new (std::nothrow) uint8_t[kWindowSize]);
        if (window_ == nullptr) return false;
    }
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(kWindowSize, size_ - offset));
    size_t got = 0;
    if (!file_.seek(offset) || !file_.read(window_.get(), wanted, got)) {
        windowSize_ = 0;
        windowAtEnd_ = false;
        return false;
    }
    windowOffset_ = offset;
    windowSize_ = got;
    windowAtEnd_ = got < kWindowSize;
    return true;
}

bool FileSource::readFromFile(uint64_t offset, uint8_t* buffer, size_t count, size_t& got) {
    return file_.seek(offset) && file_.read(buffer, count, got);
}

const uint8_t* MemorySource::view(uint64_t offset, size_t count) {
    if (count == 0 || offset > bytes_.size || count > bytes_.size - offset) return nullptr;
    return bytes_.data + offset;
}

bool MemorySource::readAt(uint64_t offset, uint8_t* buffer, size_t count, size_t& got) {
    got = 0;
    if (offset >= bytes_.size) return true;
    const size_t available = static_cast<size_t>(bytes_.size - offset);
    got = count < available ? count : available;
    if (got != 0) std::memcpy(buffer, bytes_.data + offset, got);
    return true;
}

}  // namespace jq
