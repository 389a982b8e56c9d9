// shift_jis.cpp - UTF-8 to Shift-JIS through the JIS X 0208 table.
//
// The table (jis0208_table.cpp) lists each row's characters in cell order;
// on first use it is turned into one array sorted by code point, searched
// by halves. A JIS code (row + 0x20, cell + 0x20) becomes Shift-JIS by the
// usual arithmetic: two JIS rows share one lead byte.
#include "shift_jis.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "jis0208_table.h"

namespace jq::write {
namespace {

struct Mapping {
    char32_t codePoint;
    uint16_t jis;
    bool operator<(const Mapping& other) const { return codePoint < other.codePoint; }
};

// Code page 932's readings of JIS codes whose JIS X 0208 reading differs.
constexpr Mapping kCodePage932Forms[] = {
    {0xFF5E, 0x2141}, {0x2225, 0x2142}, {0xFF0D, 0x215D}, {0xFFE0, 0x2171},
    {0xFFE1, 0x2172}, {0xFFE2, 0x224C}, {0x2014, 0x213D},
};

[[noreturn]] void refuse(const std::string& what, size_t offset) {
    throw std::invalid_argument(what + " at offset " + std::to_string(offset));
}

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

std::vector<Mapping> buildTable() {
    std::vector<Mapping> table(std::begin(kCodePage932Forms), std::end(kCodePage932Forms));
    for (size_t r = 0; r < kJis0208RowCount; ++r) {
        const std::u8string_view cells = kJis0208Rows[r].cells;
        unsigned cell = 1;
        for (size_t i = 0; i < cells.size(); ++cell) {
            const char32_t c = nextCodePoint(cells, i);
            if (c != U'_')
                table.push_back(
                    {c, static_cast<uint16_t>((kJis0208Rows[r].row + 0x20) << 8 | (cell + 0x20))});
        }
    }
    std::sort(table.begin(), table.end());
    return table;
}

const std::vector<Mapping>& table() {
    static const std::vector<Mapping> kTable = buildTable();
    return kTable;
}

void putShiftJis(std::string& out, uint16_t jis) {
    const unsigned j1 = jis >> 8;
    const unsigned j2 = jis & 0xFF;
    const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    const unsigned s2 = j1 % 2 ? j2 + (j2 <= 0x5F ? 0x1F : 0x20) : j2 + 0x7E;
    out += static_cast<char>(s1);
    out += static_cast<char>(s2);
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
    const std::vector<Mapping>& mappings = table();
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t start = i;
        const char32_t c = nextCodePoint(text, i);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        const auto found = std::lower_bound(mappings.begin(), mappings.end(), Mapping{c, 0});
        if (found == mappings.end() || found->codePoint != c)
            refuse(describe(c, text, start, i) + " is not in JIS X 0208", start);
        putShiftJis(out, found->jis);
    }
    return out;
}

}  // namespace jq::write
