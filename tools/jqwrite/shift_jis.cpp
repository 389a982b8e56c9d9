// shift_jis.cpp - UTF-8 to Shift-JIS through the product's JIS X 0208 table
// (code_page_932.h), refusing what the description must not hold.
#include "shift_jis.h"

#include <cstdint>
#include <cstdio>

#include "code_page_932.h"
#include "put_bytes.h"

namespace jq::write {
namespace {

// Reads one code point at text[i]; leaves i after it. Strict: the shortest
// form only, no surrogates, nothing above U+10FFFF.
char32_t nextCodePoint(std::u8string_view text, size_t& i) {
    const size_t start = i;
    const unsigned lead = text[i++];
    if (lead < 0x80) return lead;
    unsigned count = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 1, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 2, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 3, value = lead & 0x07, minimum = 0x10000;
    } else {
        refuse("malformed UTF-8", start);
    }
    for (unsigned k = 0; k < count; ++k, ++i) {
        if (i >= text.size() || (text[i] & 0xC0) != 0x80) refuse("malformed UTF-8", start);
        value = value << 6 | (text[i] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        refuse("malformed UTF-8", start);
    return value;
}

std::string describe(char32_t c, std::u8string_view text, size_t start, size_t end) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    const std::u8string_view glyph = text.substr(start, end - start);
    return std::string(name) + " '" + std::string(glyph.begin(), glyph.end()) + "'";
}

}  // namespace

std::string shiftJisFromUtf8(std::string_view utf8) {
    const std::u8string_view text(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size());
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t start = i;
        const char32_t c = nextCodePoint(text, i);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        const uint16_t jis = text::jisCodeOf(c);
        if (jis == 0) refuse(describe(c, text, start, i) + " is not in JIS X 0208", start);
        text::appendShiftJis(out, jis);
    }
    return out;
}

}  // namespace jq::write
