// counted_text.h - texts stored with a terminating zero byte that their 8-bit
// stored size counts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_reader.h"

namespace jq::records {

// The most bytes a stored text keeps: a 255-byte text would otherwise be
// stored with size 0.
constexpr size_t kCountedTextMaxBytes = 0xFF - 1;

// The bytes a stored copy keeps of a text.
inline size_t countedTextBytes(ByteView text) {
    return text.size < kCountedTextMaxBytes ? text.size : kCountedTextMaxBytes;
}

// The stored size of a text: its kept bytes and the zero byte; 0 for none.
inline uint8_t countedTextSize(ByteView text) {
    return text.empty() ? 0 : static_cast<uint8_t>(countedTextBytes(text) + 1);
}

}  // namespace jq::records
