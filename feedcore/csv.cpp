// csv.cpp - the wsprintfA-style line formatter and CSV file output.
#include "csv.h"

namespace jq {
namespace {

// Appends to a fixed buffer, dropping what does not fit.
class BoundedOutput {
public:
    explicit BoundedOutput(char (&buffer)[kCsvBufferSize]) : buffer_(buffer) {}
    void put(char c) {
        if (length_ < kCsvBufferSize - 1) buffer_[length_++] = c;
    }
    void pad(char c, size_t count) {
        for (size_t i = 0; i < count; ++i) put(c);
    }
    size_t finish() {
        buffer_[length_] = '\0';
        return length_;
    }

private:
    char (&buffer_)[kCsvBufferSize];
    size_t length_ = 0;
};

struct Directive {
    bool leftAlign = false;
    bool zeroPad = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
    bool wide = false;  // I64
    char conversion = 0;
};

// Parses flags, width, precision and size prefix after a '%'.
const char* parseDirective(const char* p, Directive& directive) {
    for (; *p == '-' || *p == '0' || *p == '#'; ++p) {
        if (*p == '-') directive.leftAlign = true;
        if (*p == '0') directive.zeroPad = true;
    }
    for (; *p >= '0' && *p <= '9'; ++p) directive.width = directive.width * 10 + static_cast<size_t>(*p - '0');
    if (*p == '.') {
        directive.hasPrecision = true;
        for (++p; *p >= '0' && *p <= '9'; ++p) {
            directive.precision = directive.precision * 10 + static_cast<size_t>(*p - '0');
        }
    }
    if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
        directive.wide = true;
        p += 3;
    } else if (*p == 'l' || *p == 'h') {
        ++p;
    }
    directive.conversion = *p;
    return *p ? p + 1 : p;
}

// The digits of an integer argument, most significant first, and its sign.
size_t integerDigits(const Directive& directive, int64_t value, char (&digits)[24], bool& negative) {
    uint64_t magnitude = 0;
    unsigned base = 10;
    const char* alphabet = "0123456789abcdef";
    negative = false;
    switch (directive.conversion) {
    case 'd':
    case 'i': {
        const int64_t v = directive.wide ? value : static_cast<int32_t>(value);
        negative = v < 0;
        magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        break;
    }
    case 'X':
        alphabet = "0123456789ABCDEF";
        [[fallthrough]];
    case 'x':
        base = 16;
        [[fallthrough]];
    default:
        magnitude = directive.wide ? static_cast<uint64_t>(value) : static_cast<uint32_t>(value);
        break;
    }
    char reversed[24];
    size_t count = 0;
    do {
        reversed[count++] = alphabet[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    for (size_t i = 0; i < count; ++i) digits[i] = reversed[count - 1 - i];
    return count;
}

void putInteger(BoundedOutput& out, const Directive& directive, int64_t value) {
    char digits[24];
    bool negative = false;
    const size_t count = integerDigits(directive, value, digits, negative);
    const size_t length = count + (negative ? 1 : 0);
    const size_t fill = directive.width > length ? directive.width - length : 0;
    if (!directive.leftAlign && !directive.zeroPad) out.pad(' ', fill);
    if (negative) out.put('-');
    if (!directive.leftAlign && directive.zeroPad) out.pad('0', fill);
    for (size_t i = 0; i < count; ++i) out.put(digits[i]);
    if (directive.leftAlign) out.pad(' ', fill);
}

void putText(BoundedOutput& out, const Directive& directive, const char* text) {
    if (text == nullptr) text = "(null)";
    size_t length = 0;
    while (text[length] != '\0' && (!directive.hasPrecision || length < directive.precision)) ++length;
    const size_t fill = directive.width > length ? directive.width - length : 0;
    if (!directive.leftAlign) out.pad(directive.zeroPad ? '0' : ' ', fill);
    for (size_t i = 0; i < length; ++i) out.put(text[i]);
    if (directive.leftAlign) out.pad(' ', fill);
}

}  // namespace

size_t formatLine(char (&buffer)[kCsvBufferSize], const char* format, std::initializer_list<FormatArg> args) {
    BoundedOutput out(buffer);
    const FormatArg* arg = args.begin();
    const FormatArg none;
    auto nextArg = [&]() -> const FormatArg& { return arg != args.end() ? *arg++ : none; };
    for (const char* p = format; *p != '\0';) {
        if (*p != '%') {
            out.put(*p++);
            continue;
        }
        Directive directive;
        p = parseDirective(p + 1, directive);
        switch (directive.conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
            putInteger(out, directive, nextArg().integer);
            break;
        case 'c':
            out.put(static_cast<char>(nextArg().integer));
            break;
        case 's':
            putText(out, directive, nextArg().text);
            break;
        case '\0':
            break;
        default:
            out.put(directive.conversion);  // "%%" and unknown conversions
            break;
        }
    }
    return out.finish();
}

CsvFile CsvFile::create(const JQChar* path) { return CsvFile(platform::File::createAlways(path)); }

CsvFile CsvFile::append(const JQChar* path) { return CsvFile(platform::File::openForAppend(path)); }

void CsvFile::write(const char* bytes, size_t count) {
    if (count != 0) file_.write(bytes, count);
}

}  // namespace jq
