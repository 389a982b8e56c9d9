// put_bytes.h - appends big-endian numbers and checks field widths, for the
// record writers of jqwrite.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "jqwrite.h"

namespace jq::write {

inline void putU8(Bytes& out, unsigned v) { out.push_back(static_cast<uint8_t>(v)); }

inline void putBe16(Bytes& out, unsigned v) {
    putU8(out, v >> 8);
    putU8(out, v);
}

inline void putBe24(Bytes& out, uint32_t v) {
    putU8(out, v >> 16);
    putBe16(out, v & 0xFFFF);
}

inline void putBe32(Bytes& out, uint32_t v) {
    putBe16(out, v >> 16);
    putBe16(out, v & 0xFFFF);
}

inline void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// Refuses a value wider than its field: what names the field.
inline void requireBits(uint64_t value, unsigned bits, const char* what) {
    if (value >> bits)
        throw std::invalid_argument(std::string(what) + " " + std::to_string(value) +
                                    " does not fit " + std::to_string(bits) + " bits");
}

inline void requireAtMost(uint64_t size, uint64_t max, const char* what) {
    if (size > max)
        throw std::invalid_argument(std::string(what) + " of " + std::to_string(size) +
                                    " is above " + std::to_string(max));
}

// Bytes after their 8-bit length: a text, or an entry behind its length L.
inline void putText8(Bytes& out, const Bytes& text, const char* what) {
    requireAtMost(text.size(), 255, what);
    putU8(out, static_cast<unsigned>(text.size()));
    append(out, text);
}

}  // namespace jq::write
