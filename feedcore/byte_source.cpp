// byte_source.cpp - header and exact reads over files and memory.
#include "byte_source.h"

#include <cstring>

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

bool FileSource::readAt(uint64_t offset, uint8_t* buffer, size_t count, size_t& got) {
    got = 0;
    if (count == 0) return true;
    if (offset >= size_) return true;
    return file_.seek(offset) && file_.read(buffer, count, got);
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
