// arib_text.cpp - Shift-JIS to ARIB STD-B24 8-unit text.
//
// Two passes: the Shift-JIS text is first read into characters, each with the
// code sets that can carry it, then written with the fewest shifts the rules
// of arib_text.h allow. Choosing a locking or a single shift needs to see the
// next kana, hence the separate passes.
//
// Code sets of ARIB STD-B24 used here, as the decoder reads them (index = the
// 7-bit byte):
//   Kanji (G0, final byte 0x42)        two bytes, the JIS X 0208 code c1 c2
//   alphanumeric (G1, 0x4A)            0x21-0x7E: ASCII in middle size
//   hiragana (G2, 0x30)                0x21-0x73: JIS X 0208 row 4 cells 1-83
//   katakana (G3, 0x31)                0x21-0x76: JIS X 0208 row 5 cells 1-86
//   both kana sets                     0x77 0x78: the set's own iteration marks
//                                      (hiragana 8154 8155, katakana 8152 8153);
//                                      0x79-0x7E: 815B 8142 8175 8176 8141 8145
// Controls: SO 0x0E (GL = G1), SI 0x0F (GL = G0), SS2 0x19 / SS3 0x1D (one
// character from G2 / G3), ESC 7D / ESC 7C (GR = G2 / G3), MSZ 0x89 (middle
// size), CR 0x0D (a line break, CR LF).
#include "arib_text.h"

#include <cstdio>
#include <optional>
#include <string>

#include "put_bytes.h"

namespace jq::write {
namespace {

enum class Kind {
    Kanji,       // value: the JIS code
    Hiragana,    // value: the hiragana-set byte
    Katakana,    // value: the katakana-set byte
    EitherKana,  // value: the byte both kana sets hold it at
    Ascii,       // value: the ASCII graphic character
    Space,       // the ASCII space
    LineBreak,   // CR LF
};

struct Character {
    Kind kind;
    uint16_t value;
};

// The ARIB additional symbols: Shift-JIS user-defined codes and the JIS codes
// they stand for, ranges as the decoder maps them.
struct SymbolRange {
    uint16_t firstShiftJis;
    uint16_t lastShiftJis;
    uint16_t firstJis;
};
constexpr SymbolRange kAdditionalSymbols[] = {
    {0xF29F, 0xF2FC, 0x7521}, {0xF340, 0xF36A, 0x7621}, {0xF540, 0xF57E, 0x7A21},
    {0xF580, 0xF594, 0x7A60}, {0xF59F, 0xF5CF, 0x7B21}, {0xF640, 0xF67E, 0x7C21},
    {0xF680, 0xF69B, 0x7C60}, {0xF69F, 0xF6F9, 0x7D21}, {0xF740, 0xF77E, 0x7E21},
    {0xF780, 0xF79D, 0x7E60},
};

// The kana-set bytes 0x77-0x7E by Shift-JIS code.
struct KanaSymbol {
    uint16_t shiftJis;
    Kind kind;
    uint8_t byte;
};
constexpr KanaSymbol kKanaSymbols[] = {
    {0x8154, Kind::Hiragana, 0x77},   {0x8155, Kind::Hiragana, 0x78},
    {0x8152, Kind::Katakana, 0x77},   {0x8153, Kind::Katakana, 0x78},
    {0x815B, Kind::EitherKana, 0x79}, {0x8142, Kind::EitherKana, 0x7A},
    {0x8175, Kind::EitherKana, 0x7B}, {0x8176, Kind::EitherKana, 0x7C},
    {0x8141, Kind::EitherKana, 0x7D}, {0x8145, Kind::EitherKana, 0x7E},
};

constexpr uint16_t kIdeographicSpace = 0x2121;  // JIS code of Shift-JIS 81 40

std::string hex(unsigned value, int digits) {
    char text[8];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

bool isLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrailByte(uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The JIS code of a double-byte Shift-JIS code that the decoder gives back,
// or nothing.
std::optional<uint16_t> jisCode(uint8_t lead, uint8_t trail) {
    if (lead <= 0xEA) {  // rows 1-84
        unsigned c1 = 2u * (lead - (lead <= 0x9F ? 0x70u : 0xB0u)) - 1;
        unsigned c2;
        if (trail >= 0x9F) {
            ++c1;
            c2 = trail - 0x7Eu;
        } else {
            c2 = trail - (trail >= 0x80 ? 0x20u : 0x1Fu);
        }
        return static_cast<uint16_t>(c1 << 8 | c2);
    }
    const unsigned code = lead << 8 | trail;
    for (const SymbolRange& range : kAdditionalSymbols)
        if (code >= range.firstShiftJis && code <= range.lastShiftJis)
            return static_cast<uint16_t>(range.firstJis + (code - range.firstShiftJis));
    return std::nullopt;
}

Character doubleByteCharacter(uint8_t lead, uint8_t trail, size_t offset) {
    const std::optional<uint16_t> jis = jisCode(lead, trail);
    if (!jis) refuse("Shift-JIS " + hex(lead << 8 | trail, 4) + " has no ARIB 8-unit form", offset);
    const unsigned row = *jis >> 8;
    const unsigned cell = *jis & 0xFF;
    if (row == 0x24 && cell <= 0x73) return {Kind::Hiragana, static_cast<uint16_t>(cell)};
    if (row == 0x25 && cell <= 0x76) return {Kind::Katakana, static_cast<uint16_t>(cell)};
    for (const KanaSymbol& symbol : kKanaSymbols)
        if (symbol.shiftJis == (lead << 8 | trail)) return {symbol.kind, symbol.byte};
    return {Kind::Kanji, *jis};
}

std::vector<Character> readShiftJis(std::string_view text) {
    std::vector<Character> characters;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<uint8_t>(text[i]);
        if (b >= 0x21 && b <= 0x7E) {
            characters.push_back({Kind::Ascii, b});
        } else if (b == 0x20) {
            characters.push_back({Kind::Space, b});
        } else if (b == 0x0D && i + 1 < text.size() && text[i + 1] == '\n') {
            characters.push_back({Kind::LineBreak, b});
            ++i;
        } else if (b < 0x20 || b == 0x7F) {
            refuse("control character " + hex(b, 2) + " (only CR LF has an ARIB 8-unit form)", i);
        } else if (b >= 0xA1 && b <= 0xDF) {
            refuse("half-width katakana " + hex(b, 2) + " has no ARIB 8-unit form", i);
        } else if (!isLeadByte(b)) {
            refuse("byte " + hex(b, 2) + " is not Shift-JIS", i);
        } else if (i + 1 >= text.size() || !isTrailByte(static_cast<uint8_t>(text[i + 1]))) {
            refuse("lead byte " + hex(b, 2) + " without a valid trail byte", i);
        } else {
            characters.push_back(doubleByteCharacter(b, static_cast<uint8_t>(text[i + 1]), i));
            ++i;
        }
    }
    return characters;
}

class Writer {
public:
    std::vector<uint8_t> write(const std::vector<Character>& characters) {
        for (size_t i = 0; i < characters.size(); ++i) {
            const Character& c = characters[i];
            switch (c.kind) {
                case Kind::Kanji:
                    kanji(c.value);
                    break;
                case Kind::Hiragana:
                case Kind::Katakana:
                    kana(characters, i);
                    break;
                case Kind::EitherKana:
                    put(0x80 | c.value);
                    break;
                case Kind::Ascii:
                    middleSize();
                    if (!glAlphanumeric_) put(0x0E);  // SO
                    glAlphanumeric_ = true;
                    put(c.value);
                    break;
                case Kind::Space:
                    middleSize();
                    put(0x20);
                    break;
                case Kind::LineBreak:
                    put(0x0D);
                    break;
            }
        }
        return std::move(out_);
    }

private:
    void put(unsigned byte) { out_.push_back(static_cast<uint8_t>(byte)); }

    void middleSize() {
        if (!middle_) put(0x89);  // MSZ
        middle_ = true;
    }

    void kanji(uint16_t jis) {
        if (jis == kIdeographicSpace && !middle_) {
            put(0x20);
            return;
        }
        if (glAlphanumeric_) put(0x0F);  // SI
        glAlphanumeric_ = false;
        put(jis >> 8);
        put(jis & 0xFF);
    }

    void kana(const std::vector<Character>& characters, size_t i) {
        const Kind set = characters[i].kind;
        const unsigned byte = characters[i].value;
        if (set != gr_) {
            Kind next = set == Kind::Hiragana ? Kind::Katakana : Kind::Hiragana;
            for (size_t j = i + 1; j < characters.size(); ++j) {
                const Kind k = characters[j].kind;
                if (k == Kind::Hiragana || k == Kind::Katakana) {
                    next = k;
                    break;
                }
            }
            if (next != set) {  // a lone character: single shift, 7-bit byte
                put(set == Kind::Hiragana ? 0x19 : 0x1D);
                put(byte);
                return;
            }
            put(0x1B);  // locking shift into GR
            put(set == Kind::Hiragana ? 0x7D : 0x7C);
            gr_ = set;
        }
        put(0x80 | byte);
    }

    std::vector<uint8_t> out_;
    bool glAlphanumeric_ = false;  // GL holds G1, else G0
    Kind gr_ = Kind::Hiragana;     // the kana set in GR
    bool middle_ = false;
};

}  // namespace

std::vector<uint8_t> encodeAribText(std::string_view shiftJis) {
    return Writer().write(readShiftJis(shiftJis));
}

}  // namespace jq::write
