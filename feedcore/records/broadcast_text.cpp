// broadcast_text.cpp - the broadcast text decoder: ARIB STD-B24 8-unit text
// to Shift-JIS (code page 932).
//
// The state of one conversion (G0-G3, GL, GR, character size, output flag)
// lives in a Decoder on the stack; output goes straight into the caller's
// buffer, or is only counted when there is none. Nothing is allocated but the
// string decodeText hands to the records.
#include "broadcast_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace jq::records {
namespace {

// --- character tables --------------------------------------------------------

// The Shift-JIS code of the JIS X 0208 code c1 c2 (rows 1-84, cells 1-94,
// assigned or not).
constexpr uint16_t jisX0208ToShiftJis(unsigned c1, unsigned c2) {
    const unsigned lead = (c1 + 1) / 2 + (c1 <= 0x5E ? 0x70 : 0xB0);
    unsigned trail = c2 + 0x7E;
    if (c1 % 2 == 1) {
        trail = c2 + 0x1F;
        if (trail >= 0x7F) ++trail;  // Shift-JIS trail bytes skip 0x7F
    }
    return static_cast<uint16_t>(lead << 8 | trail);
}

// The ARIB STD-B24 additional symbols (JIS rows 85-94 of the Kanji set), put
// into the code-page-932 user-defined area F040-F9FC. Each range maps
// linearly; rows 87-89 and the cells outside the ranges have no code.
struct SymbolRange {
    uint16_t firstJis;
    uint16_t lastJis;
    uint16_t firstShiftJis;
};
constexpr SymbolRange kAdditionalSymbols[] = {
    {0x7521, 0x757E, 0xF29F},  // row 85, trail c2 + 0x7E
    {0x7621, 0x764B, 0xF340},  // row 86, trail c2 + 0x1F
    {0x7A21, 0x7A5F, 0xF540},  // row 90, trail c2 + 0x1F
    {0x7A60, 0x7A74, 0xF580},  //         trail c2 + 0x20
    {0x7B21, 0x7B51, 0xF59F},  // row 91, trail c2 + 0x7E
    {0x7C21, 0x7C5F, 0xF640},  // row 92, trail c2 + 0x1F
    {0x7C60, 0x7C7B, 0xF680},  //         trail c2 + 0x20
    {0x7D21, 0x7D7B, 0xF69F},  // row 93, trail c2 + 0x7E
    {0x7E21, 0x7E5F, 0xF740},  // row 94, trail c2 + 0x1F
    {0x7E60, 0x7E7D, 0xF780},  //         trail c2 + 0x20
};

constexpr uint16_t kNoCode = 0;

// The Shift-JIS code of a two-byte Kanji-set character, or kNoCode.
uint16_t kanjiToShiftJis(unsigned c1, unsigned c2) {
    if (c1 < 0x21 || c1 > 0x7E || c2 < 0x21 || c2 > 0x7E) return kNoCode;
    const unsigned code = c1 << 8 | c2;
    if (code < 0x7521) return jisX0208ToShiftJis(c1, c2);
    for (const SymbolRange& range : kAdditionalSymbols)
        if (code >= range.firstJis && code <= range.lastJis)
            return static_cast<uint16_t>(range.firstShiftJis + (code - range.firstJis));
    return kNoCode;
}

// One-byte sets, indexed by the 7-bit byte 0x21-0x7E; entries are Shift-JIS.
using ByteTable = std::array<uint16_t, 94>;

// Alphanumeric set (final byte 0x4A, also 0x36 and 0x49 in GL) in normal size:
// the full-width JIS X 0208 form of each ASCII graphic character. 0x22 and
// 0x27 have no full-width form in JIS X 0208 and take the closing quotation
// marks 8168 and 8166 (code page 932 has FA57 / FA56 only in its IBM
// extension); 0x5C is the yen sign 818F and 0x7E the overline 8150, as in
// JIS X 0201.
constexpr ByteTable kAlphanumeric = {
    0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169,  // ! " # $ % & ' (
    0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E, 0x824F,  // ) * + , - . / 0
    0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256, 0x8257,  // 1-8
    0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197,  // 9 : ; < = > ? @
    0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266, 0x8267,  // A-H
    0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E, 0x826F,  // I-P
    0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276, 0x8277,  // Q-X
    0x8278, 0x8279, 0x816D, 0x818F, 0x816E, 0x814F, 0x8151, 0x814D,  // Y Z [ yen ] ^ _ `
    0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287, 0x8288,  // a-h
    0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290,  // i-p
    0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297, 0x8298,  // q-x
    0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8150,                  // y z { | } overline
};

// A kana set: the first cells of its JIS X 0208 row, then the symbols the set
// holds at the end of its range.
template <size_t TailSize>
constexpr ByteTable kanaTable(unsigned row, unsigned cells,
                              const std::array<uint16_t, TailSize>& tail) {
    ByteTable table{};
    for (unsigned i = 0; i < cells; ++i) table[i] = jisX0208ToShiftJis(row, 0x21 + i);
    for (size_t i = 0; i < TailSize; ++i) table[table.size() - TailSize + i] = tail[i];
    return table;
}

// Hiragana set (final byte 0x30, also 0x37): 0x21-0x73 are JIS X 0208 row 4
// cells 1-83 (829F-82F1); 0x74-0x76 are unassigned and shown as the middle dot
// 8145; 0x77-0x7E are the iteration marks 8154 8155, the prolonged sound mark
// 815B, the full stop 8142, the corner brackets 8175 8176, the comma 8141 and
// the middle dot 8145.
constexpr ByteTable kHiragana = kanaTable<11>(
    0x24, 83,
    {{0x8145, 0x8145, 0x8145, 0x8154, 0x8155, 0x815B, 0x8142, 0x8175, 0x8176, 0x8141, 0x8145}});

// Katakana set (final byte 0x31, also 0x38, and 0x49 in GR): 0x21-0x76 are
// JIS X 0208 row 5 cells 1-86 (8340-8396); 0x77-0x7E are the iteration marks
// 8152 8153, then the same six symbols as in the hiragana set.
constexpr ByteTable kKatakana =
    kanaTable<8>(0x25, 86, {{0x8152, 0x8153, 0x815B, 0x8142, 0x8175, 0x8176, 0x8141, 0x8145}});

static_assert(kHiragana[0] == 0x829F && kHiragana[0x73 - 0x21] == 0x82F1);
static_assert(kKatakana[0] == 0x8340 && kKatakana[0x76 - 0x21] == 0x8396);

// --- decoder -----------------------------------------------------------------

// A code set as designated into one of G0-G3.
struct CodeSet {
    enum Kind : uint8_t { Graphic = 1, Redefinable2 = 2, Redefinable3 = 3 };
    uint8_t finalByte;
    Kind kind;
    uint8_t bytesPerCharacter;
};

constexpr uint16_t kIdeographicSpace = 0x8140;

// The string being built: written into the buffer while whole characters fit
// in capacity - 1 bytes, or only counted without a buffer. Once a character
// does not fit, nothing after it is written either, so the result is always a
// prefix of the full text that ends at a character boundary; the full text's
// size is counted all the same.
class Output {
public:
    Output(char* buffer, size_t capacity)
        : buffer_(buffer), limit_(buffer ? capacity - 1 : SIZE_MAX) {}

    void character(uint16_t shiftJis) {
        if (shiftJis > 0xFF) {
            const char pair[] = {static_cast<char>(shiftJis >> 8), static_cast<char>(shiftJis)};
            append(pair, 2);
        } else {
            const char single = static_cast<char>(shiftJis);
            append(&single, 1);
        }
    }

    // Ends the string; returns its size as written, NUL included.
    size_t finish() {
        if (buffer_) buffer_[length_] = '\0';
        return length_ + 1;
    }

    // The size of the whole text, NUL included, whether it fitted or not.
    size_t needed() const { return needed_ + 1; }

private:
    void append(const char* bytes, size_t n) {
        needed_ += n;
        if (full_) return;
        if (n > limit_ - length_) {
            full_ = true;
            return;
        }
        if (buffer_) std::memcpy(buffer_ + length_, bytes, n);
        length_ += n;
    }

    char* buffer_;
    size_t limit_;
    size_t length_ = 0;
    size_t needed_ = 0;
    bool full_ = false;
};

class Decoder {
public:
    explicit Decoder(Output& output) : output_(output) {}

    bool decode(ByteView source);

private:
    enum class Half { Left, Right };  // GL (0x21-0x7E) or GR (0xA1-0xFE)

    bool step(ByteReader& r, bool inRun);
    bool controlCode(ByteReader& r, uint8_t b);
    void controlCode1(uint8_t b);
    void singleShift(ByteReader& r, const CodeSet& set);
    bool escape(ByteReader& r);
    bool designateOneByteSet(ByteReader& r, unsigned g);
    bool designateTwoByteSet(ByteReader& r);
    bool controlSequence(ByteReader& r, bool inRun);
    void character(ByteReader& r, const CodeSet& set, uint8_t first, Half half);
    void kanji(ByteReader& r, uint8_t c1, Half half);
    void write(uint16_t shiftJis) {
        output_.character(shiftJis);
        outputFlag_ = true;
    }

    Output& output_;
    ByteReader text_;
    // The bytes of a 9B 30 20 66 run still to decode; its closing sequence is
    // already consumed from text_.
    ByteReader run_;
    CodeSet g_[4] = {
        {0x42, CodeSet::Graphic, 2},  // Kanji
        {0x4A, CodeSet::Graphic, 1},  // alphanumeric
        {0x30, CodeSet::Graphic, 1},  // hiragana
        {0x31, CodeSet::Graphic, 1},  // katakana
    };
    unsigned gl_ = 0;  // index into g_
    unsigned gr_ = 2;
    bool middleSize_ = false;
    // Set by every character written, cleared by a Kanji-set code that has
    // no Shift-JIS form: a 9B 30 20 66 run is shown only in that case.
    bool outputFlag_ = true;
};

bool Decoder::decode(ByteView source) {
    text_ = ByteReader(source);
    for (;;) {
        const bool inRun = run_.canRead();
        ByteReader& r = inRun ? run_ : text_;
        if (!r.canRead()) return true;
        if (!step(r, inRun)) return false;
    }
}

// One character or control from r.
bool Decoder::step(ByteReader& r, bool inRun) {
    const uint8_t b = r.u8();
    if (b <= 0x20) return controlCode(r, b);
    if (b <= 0x7E) {
        character(r, g_[gl_], b, Half::Left);
    } else if (b == 0x9B) {
        return controlSequence(r, inRun);
    } else if (b <= 0xA0) {
        controlCode1(b);
    } else if (b <= 0xFE) {
        character(r, g_[gr_], b & 0x7F, Half::Right);
    }  // 0xFF: nothing
    return true;
}

// C0 controls and the space.
bool Decoder::controlCode(ByteReader& r, uint8_t b) {
    switch (b) {
        case 0x0D:  // APR: a line break
            output_.character(0x0D0A);
            break;
        case 0x0E:  // LS1
            gl_ = 1;
            break;
        case 0x0F:  // LS0
            gl_ = 0;
            break;
        case 0x19:  // SS2
            singleShift(r, g_[2]);
            break;
        case 0x1D:  // SS3
            singleShift(r, g_[3]);
            break;
        case 0x1B:
            return escape(r);
        case 0x20:
            output_.character(middleSize_ ? 0x20 : kIdeographicSpace);
            break;
        default:  // other controls are not shown
            break;
    }
    return true;
}

// C1 controls other than 9B: only the character size matters here.
void Decoder::controlCode1(uint8_t b) {
    if (b == 0x89) middleSize_ = true;   // MSZ
    if (b == 0x8A) middleSize_ = false;  // NSZ
}

// SS2 / SS3: the next character, if it is a GL byte, is taken from G2 / G3
// as if that set were in GL (so 0x49 reads as alphanumeric). A single shift
// only ever selects a graphic character: when the next byte is a control,
// a space or a GR byte, the shift lapses and that byte is decoded as usual;
// at the end of the text it does nothing.
void Decoder::singleShift(ByteReader& r, const CodeSet& set) {
    ByteReader probe = r;
    const uint8_t b = probe.u8();
    if (!probe.ok() || b < 0x21 || b > 0x7E) return;
    r = probe;
    character(r, set, b, Half::Left);
}

// ESC sequences: designations into G0-G3 and locking shifts. A sequence cut
// by the end of the text is as undecodable as an unknown one.
bool Decoder::escape(ByteReader& r) {
    const uint8_t b = r.u8();
    if (!r.ok()) return false;
    switch (b) {
        case 0x6E:  // LS2
            gl_ = 2;
            return true;
        case 0x6F:  // LS3
            gl_ = 3;
            return true;
        case 0x7E:  // LS1R
            gr_ = 1;
            return true;
        case 0x7D:  // LS2R
            gr_ = 2;
            return true;
        case 0x7C:  // LS3R
            gr_ = 3;
            return true;
        case 0x24:
            return designateTwoByteSet(r);
        case 0x28:
        case 0x29:
        case 0x2A:
        case 0x2B:
            return designateOneByteSet(r, b - 0x28u);
        default:
            return false;
    }
}

// ESC I F (graphic set) or ESC I 20 F (redefinable set), one byte per
// character.
bool Decoder::designateOneByteSet(ByteReader& r, unsigned g) {
    uint8_t f = r.u8();
    CodeSet::Kind kind = CodeSet::Graphic;
    if (f == 0x20) {
        kind = CodeSet::Redefinable2;
        f = r.u8();
    }
    if (!r.ok()) return false;
    g_[g] = {f, kind, 1};
    return true;
}

// ESC 24 F (G0), ESC 24 I F (G1-G3), ESC 24 I 20 F (redefinable, two bytes
// per character), ESC 24 I 28 F (redefinable, one byte per character). ESC 24
// 28 F is consumed and leaves G0 as it is: G0 takes a two-byte graphic set by
// ESC 24 F only.
bool Decoder::designateTwoByteSet(ByteReader& r) {
    const uint8_t i = r.u8();
    if (!r.ok()) return false;
    if (i < 0x28 || i > 0x2B) {
        g_[0] = {i, CodeSet::Graphic, 2};
        return true;
    }
    const unsigned g = i - 0x28u;
    const uint8_t f = r.u8();
    if (!r.ok()) return false;
    if (f == 0x20 || f == 0x28) {
        const uint8_t redefined = r.u8();
        if (!r.ok()) return false;
        g_[g] = f == 0x20 ? CodeSet{redefined, CodeSet::Redefinable2, 2}
                          : CodeSet{redefined, CodeSet::Redefinable3, 1};
    } else if (g != 0) {
        g_[g] = {f, CodeSet::Graphic, 2};
    }
    return true;
}

// The length of the run from r's position to the next 9B 31 20 66, and whether
// that closing sequence was found.
struct RunExtent {
    size_t length;
    bool closed;
};

RunExtent findRunEnd(ByteReader probe) {
    static constexpr uint8_t kClosing[] = {0x9B, 0x31, 0x20, 0x66};
    const size_t start = probe.position();
    size_t matched = 0;
    while (probe.canRead()) {
        const uint8_t b = probe.u8();
        if (b == kClosing[matched]) {
            if (++matched == sizeof kClosing) return {probe.position() - start - matched, true};
        } else {
            matched = b == kClosing[0] ? 1 : 0;  // 9B occurs only at the start of it
        }
    }
    return {probe.position() - start, false};
}

// 9B 30 20 66 opens a run that 9B 31 20 66 closes. The run is the text to show
// in place of a character that has no Shift-JIS form: it is decoded when the
// output flag is clear and skipped, with its closing, when it is set.
//
// A run without its closing extends to the end of the text. The run is
// decoded as a text of its own bytes, so that a character or sequence cut by
// the closing never reads the closing's bytes. An opening inside a run shares
// that run's closing (it is the next 9B 31 20 66 after it too): it is skipped
// with the rest of the run when the flag is set and ignored otherwise. So each
// byte is searched at most once and runs never nest.
bool Decoder::controlSequence(ByteReader& r, bool inRun) {
    const bool opening = r.u8() == 0x30 && r.u8() == 0x20 && r.u8() == 0x66;
    if (!opening || !r.ok()) return false;
    if (inRun) {
        if (outputFlag_) run_ = ByteReader();
        return true;
    }
    const RunExtent extent = findRunEnd(text_);
    ByteReader run = text_.sub(extent.length);
    if (extent.closed) text_.skip(4);
    if (!outputFlag_) run_ = run;
    return true;
}

// A character of set, whose first byte (masked to 7 bits) is first; further
// bytes come from r. A character cut by the end of the text is dropped.
void Decoder::character(ByteReader& r, const CodeSet& set, uint8_t first, Half half) {
    auto skipRest = [&r](size_t n) { r.skip(std::min(n, r.remaining())); };
    if (set.kind != CodeSet::Graphic) {  // redefinable characters are not shown
        skipRest(set.bytesPerCharacter - 1u);
        return;
    }
    const size_t index = first - 0x21u;
    switch (set.finalByte) {
        case 0x30:
        case 0x37:
            write(kHiragana[index]);
            break;
        case 0x49:
            if (half == Half::Right) {
                write(kKatakana[index]);
                break;
            }
            [[fallthrough]];
        case 0x36:
        case 0x4A:
            write(middleSize_ ? first : kAlphanumeric[index]);
            break;
        case 0x31:
        case 0x38:
            write(kKatakana[index]);
            break;
        case 0x39:
        case 0x3A:
        case 0x3B:
        case 0x42:
            kanji(r, first, half);
            break;
        case 0x70:
            break;
        default:  // a set without a Shift-JIS form
            skipRest(set.bytesPerCharacter - 1u);
            break;
    }
}

// A two-byte Kanji-set character. A code without a Shift-JIS form (rows 87-89,
// cells past the additional-symbol ranges, a second byte that is no GL or GR
// graphic byte) writes nothing and clears the output flag.
void Decoder::kanji(ByteReader& r, uint8_t c1, Half half) {
    if (!r.canRead()) return;
    uint8_t c2 = r.u8();
    if (half == Half::Right) c2 &= 0x7F;
    const uint16_t shiftJis = kanjiToShiftJis(c1, c2);
    if (shiftJis == kNoCode) {
        outputFlag_ = false;
        return;
    }
    write(shiftJis);
}

// One conversion into out (or only measured when out is null).
struct Conversion {
    JQStatus status = JQ_OK;
    size_t written = 0;  // NUL included
    size_t needed = 0;   // the whole text, NUL included
};

Conversion convert(ByteView source, char* out, size_t capacity) {
    if (source.empty() || source.data == nullptr) return {JQ_ERR_NULL_ARGUMENT};
    if (out != nullptr && capacity == 0) return {JQ_ERR_EXCEPTION};
    Output output(out, capacity);
    if (!Decoder(output).decode(source)) {
        if (out != nullptr) out[0] = '\0';
        return {JQ_ERR_EXCEPTION};
    }
    return {JQ_OK, output.finish(), output.needed()};
}

// Texts up to this size (or cut to it) are converted once, into a buffer on
// the stack, and copied; longer ones are measured first and converted into
// their own allocation. Both give the same result.
constexpr size_t kShortTextSize = 2048;

}  // namespace

JQStatus convertBroadcastText(ByteView source, char* out, size_t capacity, size_t& size) {
    const Conversion conversion = convert(source, out, capacity);
    size = conversion.status != JQ_OK ? 0 : out != nullptr ? conversion.written : conversion.needed;
    return conversion.status;
}

JQStatus decodeText(ByteView raw, size_t maxSize, DecodedText& result) {
    result = {};
    if (raw.empty()) return JQ_OK;
    if (maxSize == 0) {  // no room even for the NUL of a decodable text
        return convert(raw, nullptr, 0).status == JQ_OK ? JQ_ERR_EXCEPTION : JQ_OK;
    }
    char scratch[kShortTextSize];
    const size_t scratchSize = std::min(maxSize, sizeof scratch);
    const Conversion first = convert(raw, scratch, scratchSize);
    if (first.status != JQ_OK) return JQ_OK;  // undecodable: no text
    std::unique_ptr<char[]> text;
    size_t written = first.written;
    // The scratch conversion is the result when the whole text fitted, or
    // when it was cut at maxSize itself.
    if (first.needed <= scratchSize || scratchSize == maxSize) {
        text.reset(new char[written]);
        std::memcpy(text.get(), scratch, written);
    } else {
        const size_t capacity = std::min(first.needed, maxSize);
        text.reset(new char[capacity]);
        if (convertBroadcastText(raw, text.get(), capacity, written) != JQ_OK) {
            return JQ_ERR_EXCEPTION;
        }
    }
    result = {text.release(), written};
    return JQ_OK;
}

}  // namespace jq::records
