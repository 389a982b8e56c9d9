// code_page_932.cpp - code page 932 through the JIS X 0208 table.
//
// The table lists each row's characters in cell order; on first use it is
// turned into one array sorted by code point, searched by halves. A JIS code
// becomes Shift-JIS by the usual arithmetic: two JIS rows share one lead
// byte.
#include "code_page_932.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "jis0208_table.h"

namespace jq::text {
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

constexpr char32_t kFirstHalfWidthKatakana = 0xFF61;
constexpr char32_t kLastHalfWidthKatakana = 0xFF9F;
constexpr char kUnmapped = '?';

// One code point of the table's UTF-8 text at text[i], which is well formed;
// leaves i after it.
char32_t nextTableCodePoint(std::u8string_view text, size_t& i) {
    const unsigned lead = text[i++];
    if (lead < 0x80) return lead;
    const unsigned count = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    char32_t value = lead & (0x3F >> count);
    for (unsigned k = 0; k < count; ++k) value = value << 6 | (text[i++] & 0x3F);
    return value;
}

std::vector<Mapping> buildTable() {
    std::vector<Mapping> table(std::begin(kCodePage932Forms), std::end(kCodePage932Forms));
    for (size_t r = 0; r < kJis0208RowCount; ++r) {
        const std::u8string_view cells = kJis0208Rows[r].cells;
        unsigned cell = 1;
        for (size_t i = 0; i < cells.size(); ++cell) {
            const char32_t c = nextTableCodePoint(cells, i);
            if (c != U'_') {
                table.push_back(
                    {c, static_cast<uint16_t>((kJis0208Rows[r].row + 0x20) << 8 | (cell + 0x20))});
            }
        }
    }
    std::sort(table.begin(), table.end());
    return table;
}

const std::vector<Mapping>& table() {
    static const std::vector<Mapping> kTable = buildTable();
    return kTable;
}

// The next code point of a UTF-16 text; an unpaired surrogate gives 0xFFFD.
char32_t nextCodePoint(const JQChar*& text) {
    const char32_t unit = static_cast<char16_t>(*text++);
    if (unit < 0xD800 || unit > 0xDFFF) return unit;
    const char32_t low = static_cast<char16_t>(*text);
    if (unit >= 0xDC00 || low < 0xDC00 || low > 0xDFFF) return 0xFFFD;
    ++text;
    return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace

uint16_t jisCodeOf(char32_t codePoint) {
    const std::vector<Mapping>& mappings = table();
    const auto found = std::lower_bound(mappings.begin(), mappings.end(), Mapping{codePoint, 0});
    return found != mappings.end() && found->codePoint == codePoint ? found->jis : 0;
}

void appendShiftJis(std::string& out, uint16_t jisCode) {
    const unsigned j1 = jisCode >> 8;
    const unsigned j2 = jisCode & 0xFF;
    const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    const unsigned s2 = j1 % 2 ? j2 + (j2 <= 0x5F ? 0x1F : 0x20) : j2 + 0x7E;
    out += static_cast<char>(s1);
    out += static_cast<char>(s2);
}

std::string shiftJisFromUtf16(const JQChar* text) {
    std::string out;
    while (*text != 0) {
        const char32_t c = nextCodePoint(text);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c >= kFirstHalfWidthKatakana && c <= kLastHalfWidthKatakana) {
            out += static_cast<char>(c - kFirstHalfWidthKatakana + 0xA1);
        } else if (const uint16_t jis = jisCodeOf(c)) {
            appendShiftJis(out, jis);
        } else {
            out += kUnmapped;
        }
    }
    return out;
}

}  // namespace jq::text
