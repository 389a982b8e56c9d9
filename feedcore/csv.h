// csv.h - CSV dump output: the line formatter and the file a writer appends
// to.
//
// Lines follow the conventions of the Windows wsprintfA function: %d and %i
// signed decimal, %u unsigned, %x and %X hexadecimal, the I64 prefix for
// 64-bit values, %c, %s, flags '-' and '0', a width and, for strings, a
// precision. Each piece is formatted into a 260-byte buffer, so it holds at
// most 259 characters; text taken from records is written separately.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

#include "byte_reader.h"
#include "platform.h"

namespace jq {

inline constexpr size_t kCsvBufferSize = 260;

// One argument of a formatted line: an integer or a C string.
struct FormatArg {
    int64_t integer = 0;
    const char* text = nullptr;

    FormatArg() = default;
    template <typename T, typename = std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>>>
    FormatArg(T value) : integer(static_cast<int64_t>(value)) {}
    FormatArg(const char* value) : text(value) {}
};

// Formats into buffer (always null-terminated) and returns the length.
size_t formatLine(char (&buffer)[kCsvBufferSize], const char* format,
                  std::initializer_list<FormatArg> args);

// An open CSV file. Writes that fail are dropped: a dump reports nothing.
class CsvFile {
public:
    // Replaces the file (the header lines).
    static CsvFile create(const JQChar* path);
    // Opens or creates the file and moves to its end (a family's lines).
    static CsvFile append(const JQChar* path);

    bool isOpen() const { return file_.isOpen(); }

    template <typename... Args>
    void line(const char* format, const Args&... args) {
        char buffer[kCsvBufferSize];
        write(buffer, formatLine(buffer, format, {FormatArg(args)...}));
    }
    // Bytes as the record holds them.
    void text(ByteView bytes) { write(reinterpret_cast<const char*>(bytes.data), bytes.size); }
    // A record's stored text (NUL included) or byte array; nothing when null.
    void stored(const void* bytes, size_t count) {
        if (bytes != nullptr) write(static_cast<const char*>(bytes), count);
    }
    void write(const char* bytes, size_t count);

private:
    explicit CsvFile(platform::File file) : file_(std::move(file)) {}
    platform::File file_;
};

}  // namespace jq
