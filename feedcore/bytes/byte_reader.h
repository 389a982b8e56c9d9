// byte_reader.h - the one reader of untrusted bytes.
//
// A non-owning cursor over a byte range with a sticky error flag: a read that
// does not fit returns 0 (or an empty range), leaves the cursor where it was
// and sets the flag; every later read fails too. Bounds are tested as
// `n > size - pos`, which cannot overflow.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace jq {

// A borrowed, immutable byte range.
struct ByteView {
    const uint8_t* data = nullptr;
    size_t size = 0;

    bool empty() const { return size == 0; }
    const uint8_t* begin() const { return data; }
    const uint8_t* end() const { return data + size; }
};

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
    explicit ByteReader(ByteView view) : ByteReader(view.data, view.size) {}

    // True while no read has failed.
    bool ok() const { return !failed_; }
    // True when ok and at least n more bytes can be read.
    bool canRead(size_t n = 1) const { return !failed_ && n <= size_ - pos_; }
    size_t position() const { return pos_; }
    size_t remaining() const { return failed_ ? 0 : size_ - pos_; }
    bool atEnd() const { return remaining() == 0; }

    uint8_t u8() { return static_cast<uint8_t>(take(1) ? data_[pos_ - 1] : 0); }

    uint16_t u16be() {
        if (!take(2)) return 0;
        return static_cast<uint16_t>((data_[pos_ - 2] << 8) | data_[pos_ - 1]);
    }

    uint32_t u32be() {
        if (!take(4)) return 0;
        const uint8_t* p = data_ + pos_ - 4;
        return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    }

    uint16_t u16le() {
        if (!take(2)) return 0;
        return static_cast<uint16_t>(data_[pos_ - 2] | (data_[pos_ - 1] << 8));
    }

    uint32_t u32le() {
        if (!take(4)) return 0;
        const uint8_t* p = data_ + pos_ - 4;
        return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
    }

    // A number sent as a run of 0xFF bytes, each worth 255, ended by one byte
    // below 0xFF that is added. Fails when the run does not end in range.
    uint32_t ffExtended() {
        uint32_t value = 0;
        for (;;) {
            if (!canRead()) {
                failed_ = true;
                return 0;
            }
            const uint8_t b = data_[pos_++];
            value += b;
            if (b != 0xFF) return value;
        }
    }

    // The next n bytes as a view, consumed.
    ByteView bytes(size_t n) {
        if (!take(n)) return {};
        return {data_ + pos_ - n, n};
    }

    // Fills out with the next N bytes, consumed; with zeros when they do not
    // fit.
    template <size_t N>
    void copyTo(uint8_t (&out)[N]) {
        const ByteView view = bytes(N);
        if (view.size == N) {
            std::copy(view.begin(), view.end(), out);
        } else {
            std::fill(out, out + N, uint8_t{0});
        }
    }

    // A reader over exactly the next n bytes, consumed from this one. A
    // failure inside the sub-reader does not affect this reader.
    ByteReader sub(size_t n) {
        const ByteView view = bytes(n);
        ByteReader reader(view);
        if (!ok()) reader.failed_ = true;
        return reader;
    }

    // Everything not yet read, consumed.
    ByteView rest() { return bytes(remaining()); }

    void skip(size_t n) { take(n); }

private:
    bool take(size_t n) {
        if (failed_ || n > size_ - pos_) {
            failed_ = true;
            return false;
        }
        pos_ += n;
        return true;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool failed_ = false;
};

}  // namespace jq
