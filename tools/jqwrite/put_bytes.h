// put_bytes.h - the byte writer of jqwrite, the mirror of the decoder's
// ByteReader: numbers big- or little-endian, texts behind their length, and
// the checks that refuse a value wider than its field.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "jqwrite.h"

namespace jq::write {

// Refuses what the writer cannot write, with what as the message.
inline void require(bool condition, const std::string& what) {
    if (!condition) throw std::invalid_argument(what);
}

// The low size bytes of v, most significant first.
inline void putBe(Bytes& out, uint64_t v, unsigned size) {
    for (unsigned i = size; i-- > 0;) out.push_back(static_cast<uint8_t>(v >> 8 * i));
}

// The low size bytes of v, least significant first.
inline void putLe(Bytes& out, uint64_t v, unsigned size) {
    for (unsigned i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(v >> 8 * i));
}

inline void putU8(Bytes& out, unsigned v) { out.push_back(static_cast<uint8_t>(v)); }
inline void putBe16(Bytes& out, unsigned v) { putBe(out, v, 2); }
inline void putBe24(Bytes& out, uint32_t v) { putBe(out, v, 3); }
inline void putBe32(Bytes& out, uint32_t v) { putBe(out, v, 4); }
inline void putLe16(Bytes& out, unsigned v) { putLe(out, v, 2); }
inline void putLe32(Bytes& out, uint32_t v) { putLe(out, v, 4); }

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
    // Room for both first: GCC 12 at -O3 otherwise sees the one-byte vector
    // grow and warns of an out-of-bounds copy (-Warray-bounds).
    out.reserve(out.size() + 1 + text.size());
    putU8(out, static_cast<unsigned>(text.size()));
    append(out, text);
}

}  // namespace jq::write
