// put_bytes.h - the byte writer of jqwrite, the mirror of the decoder's
// ByteReader: numbers big- or little-endian, bit fields, 0xFF runs, texts
// behind their length, and the checks that refuse a value wider than its field.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "jqwrite.h"

namespace jq::write {

// Refuses what the writer cannot write, with what as the message.
inline void require(bool condition, const std::string& what) {
    if (!condition) throw std::invalid_argument(what);
}

// Refuses text or bytes given to the writer, naming the offset at fault.
[[noreturn]] inline void refuse(const std::string& what, size_t offset) {
    throw std::invalid_argument(what + " at offset " + std::to_string(offset));
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

// True when value is one of values.
template <typename T>
bool isOneOf(T value, std::initializer_list<T> values) {
    for (const T& v : values)
        if (v == value) return true;
    return false;
}

inline void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// One bit field: its value, its width and the name it is refused under when
// too wide (no name: written unchecked, as a flag or a value known to fit).
struct Bits {
    uint64_t value;
    unsigned width;
    const char* name = nullptr;
};

// The fields packed most significant first, each named one checked in order.
inline uint64_t pack(std::initializer_list<Bits> fields) {
    uint64_t packed = 0;
    for (const Bits& f : fields) {
        if (f.name) requireBits(f.value, f.width, f.name);
        packed = packed << f.width | f.value;
    }
    return packed;
}

// Bytes built front to back; each call appends one field and returns the
// writer, so that a record reads as the list of its fields.
class Put {
public:
    Bytes out;

    Put& u8(uint64_t v) {
        out.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    // The low size bytes of v, most significant first.
    Put& be(uint64_t v, unsigned size) {
        for (unsigned i = size; i-- > 0;) u8(v >> 8 * i);
        return *this;
    }
    // The same for a field of size bytes that refuses, under name, a wider v.
    Put& be(uint64_t v, unsigned size, const char* name) {
        requireBits(v, 8 * size, name);
        return be(v, size);
    }
    Put& le(uint64_t v, unsigned size) {
        for (unsigned i = 0; i < size; ++i) u8(v >> 8 * i);
        return *this;
    }
    Put& be16(uint64_t v) { return be(v, 2); }
    Put& be24(uint64_t v) { return be(v, 3); }
    Put& be32(uint64_t v) { return be(v, 4); }
    Put& le16(uint64_t v) { return le(v, 2); }
    Put& le32(uint64_t v) { return le(v, 4); }
    // The fields of pack() in size bytes, big-endian.
    Put& bits(std::initializer_list<Bits> fields, unsigned size = 1) {
        return be(pack(fields), size);
    }
    // An optional field, written only when it holds a value.
    template <typename T>
    Put& maybe(const std::optional<T>& v, unsigned size = sizeof(T)) {
        return v ? be(*v, size) : *this;
    }
    Put& bytes(const Bytes& more) {
        // Room first: GCC 12 at -O3 otherwise sees a small vector grow and
        // warns of an out-of-bounds copy (-Warray-bounds).
        out.reserve(out.size() + more.size());
        append(out, more);
        return *this;
    }
    Put& zeros(size_t n) {
        out.resize(out.size() + n, 0);
        return *this;
    }
    // A number as a 0xFF run: one FF per 255, then the remainder.
    Put& run(uint64_t v) {
        out.insert(out.end(), v / 255, 0xFF);
        return u8(v % 255);
    }
    // Bytes after their 8- or 16-bit length: a text, or an entry behind its length L.
    Put& text8(const Bytes& text, const char* what) {
        requireAtMost(text.size(), 255, what);
        out.reserve(out.size() + 1 + text.size());
        return u8(text.size()).bytes(text);
    }
    Put& text16(const Bytes& text, const char* what) {
        requireAtMost(text.size(), 0xFFFF, what);
        return be16(text.size()).bytes(text);
    }
    // A three-character code (a language or a country).
    Put& code(const std::string& text, const char* what) {
        require(text.size() == 3, std::string(what) + " has 3 characters, not '" + text + "'");
        out.insert(out.end(), text.begin(), text.end());
        return *this;
    }

    operator Bytes() { return std::move(out); }
};

}  // namespace jq::write
