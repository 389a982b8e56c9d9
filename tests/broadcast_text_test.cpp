// broadcast_text_test.cpp - the broadcast text decoder.
//
// Known decodings of every code set, control and escape form, the output flag
// runs, failures, every prefix of tricky texts, the cut at the buffer's
// capacity, the two-pass helper; then (natively) the Kanji set and the
// one-byte tables against glibc iconv, and every character the jqwrite
// encoder writes decoded back.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "arib_text.h"
#include "records/broadcast_text.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes hex(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    if (digits.size() % 2 != 0) throw std::invalid_argument("odd hex: " + std::string(text));
    Bytes out;
    for (size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

std::string chars(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

ByteView view(const Bytes& bytes) { return {bytes.data(), bytes.size()}; }

struct Converted {
    JQStatus status;
    std::string text;
};

// Both passes: the size, then a buffer of exactly that size followed by a
// guard byte. They must agree.
Converted convert(const Bytes& source) {
    size_t needed = 99;
    const JQStatus status = convertBroadcastText(view(source), nullptr, 0, needed);
    if (status != JQ_OK) {
        EXPECT_EQ(needed, 0u);
        return {status, {}};
    }
    std::vector<char> buffer(needed + 1, '#');
    size_t written = 0;
    EXPECT_EQ(convertBroadcastText(view(source), buffer.data(), needed, written), JQ_OK);
    EXPECT_EQ(written, needed);
    EXPECT_EQ(buffer[needed - 1], '\0');
    EXPECT_EQ(buffer[needed], '#');
    return {status, std::string(buffer.data(), needed - 1)};
}

struct Known {
    const char* what;
    const char* source;
    const char* shiftJis;
};

void expectDecodings(const Known* begin, const Known* end) {
    for (const Known* k = begin; k != end; ++k) {
        const Converted c = convert(hex(k->source));
        EXPECT_EQ(c.status, JQ_OK) << k->what;
        EXPECT_EQ(c.text, chars(hex(k->shiftJis))) << k->what;
    }
}

const Known kCharacterSets[] = {
    {"alphanumeric in normal size", "0E 41", "8260"},
    {"alphanumeric in middle size", "89 0E 41", "41"},
    {"normal size again", "89 8A 0E 41", "8260"},
    {"space in normal size", "20", "8140"},
    {"space in middle size", "89 20", "20"},
    {"hiragana in GR", "A4 A2", "82A2 82A0"},
    {"kana are full-width in middle size too", "89 A4", "82A2"},
    {"Kanji in GL", "30 21 4B 5C", "889F 967B"},
    {"G0 designated Kanji again", "1B 24 42 30 21", "889F"},
    {"Kanji in GR: both bytes masked", "1B 24 2A 42 B0 A1 B0 21", "889F 889F"},
    {"rows 1 and 84", "21 21 74 26", "8140 EAA4"},
    {"lead byte step after row 62", "5E 21 5F 21", "9F9F E040"},
    {"trail byte skips 7F", "31 5F 31 60", "897E 8980"},
    {"additional symbols", "75 21 75 7E 76 21 76 4B 7A 50 7A 5F 7A 60 7A 74",
     "F29F F2FC F340 F36A F56F F57E F580 F594"},
    {"more additional symbols", "7B 51 7C 5F 7C 60 7C 7B 7D 7B 7E 5F 7E 60 7E 7D",
     "F5CF F67E F680 F69B F6F9 F77E F780 F79D"},
    {"codes without a symbol", "76 4C 77 21 79 7E 7A 75 7B 52 7E 7E", ""},
    {"second byte not graphic", "30 0D 30 A0", ""},
    {"CR is a line break", "0D", "0D0A"},
    {"other C0 and C1 controls, 7F, A0, FF", "00 07 0A 0C 16 1C 1F 7F 80 90 9D A0 FF", ""},
    {"SO and SI", "0E 41 0F 30 21", "8260 889F"},
    {"LS2 and LS3 into GL", "1B 6E 24 1B 6F 2B", "82A2 834A"},
    {"LS3R, LS2R", "1B 7C AB 1B 7D A4", "834A 82A2"},
    {"LS1R: alphanumeric in GR", "1B 7E C1 89 C1", "8260 41"},
    {"hiragana symbols", "1B 6E 73 74 76 77 78 79 7A 7B 7C 7D 7E",
     "82F1 8145 8145 8154 8155 815B 8142 8175 8176 8141 8145"},
    {"katakana symbols", "1B 6F 76 77 78 79 7A 7B 7C 7D 7E",
     "8396 8152 8153 815B 8142 8175 8176 8141 8145"},
    {"final byte 49 in GL is alphanumeric", "1B 29 49 0E 21 89 21", "8149 21"},
    {"final byte 49 in GR is katakana", "1B 29 49 1B 7E A1", "8340"},
    {"final bytes 36, 37, 38", "1B 28 36 41 1B 28 37 24 1B 28 38 2B", "8260 82A2 834A"},
    {"final bytes 39, 3A, 3B", "1B 24 39 30 21 1B 24 3A 30 22 1B 24 3B 30 23", "889F 88A0 88A1"},
    // The final byte decides the width of a known set, whatever the designation said.
    {"Kanji designated as a one-byte set", "1B 28 42 30 21", "889F"},
    {"final byte 70 consumes one byte", "1B 24 28 70 1B 28 70 41 0D", "0D0A"},
    {"unknown one-byte set", "1B 2A 40 A1 0D", "0D0A"},
    {"unknown two-byte set", "1B 24 2A 40 A1 0D", ""},
    {"G0 by 24 F: unknown two-byte set", "1B 24 40 30 0D", ""},
    {"redefinable one-byte set", "1B 28 20 41 21 0D", "0D0A"},
    {"redefinable two-byte set", "1B 24 28 20 41 21 0D", ""},
    {"redefinable by 24 I 28 F: one byte", "1B 24 29 28 41 0E 21 0D", "0D0A"},
    {"redefinable set with a known final byte", "1B 29 20 4A 0E 41", ""},
    {"24 28 F leaves G0 as it is", "1B 24 28 4A 30 21", "889F"},
    {"two-byte set into G1", "1B 24 29 42 0E 30 21", "889F"},
    {"one-byte set into G0", "1B 28 4A 41", "8260"},
};

TEST(BroadcastText, CodeSetsControlsAndEscapes) {
    expectDecodings(std::begin(kCharacterSets), std::end(kCharacterSets));
}

const Known kSingleShifts[] = {
    {"SS2 takes G2 while GR holds G3", "1B 7C 19 24", "82A2"},
    {"SS3, then GL is G0 again", "1D 2B 30 21", "834A 889F"},
    {"a control after SS2 is decoded, the shift lapses", "19 0D 24", "0D0A"},
    {"a space after SS2", "19 20", "8140"},
    {"a GR byte after SS2 is a GR character", "1B 7C 19 A4", "8343"},
    {"an escape after SS3", "1D 1B 7C AB", "834A"},
    {"SS2 twice", "19 19 24", "82A2"},
    {"SS2 at the end", "30 21 19", "889F"},
    {"shifted final byte 49 reads as alphanumeric", "1B 2B 49 1D 21", "8149"},
    {"shifted two-byte set", "1B 24 2B 42 1D 30 21", "889F"},
    {"shifted two-byte character cut by the end", "1B 24 2B 42 1D 30", ""},
};

TEST(BroadcastText, SingleShifts) {
    expectDecodings(std::begin(kSingleShifts), std::end(kSingleShifts));
}

// 77 21 is a Kanji-set code without a Shift-JIS form: it clears the output
// flag, which makes the next run visible.
const Known kRuns[] = {
    {"flag set at the start: run skipped", "9B 30 20 66 30 21 9B 31 20 66 0E 41", "8260"},
    {"flag cleared: run decoded", "77 21 9B 30 20 66 30 21 9B 31 20 66 0E 41", "889F 8260"},
    {"a character sets the flag again", "77 21 30 22 9B 30 20 66 30 21 9B 31 20 66", "88A0"},
    {"space and CR do not set it", "77 21 20 0D 9B 30 20 66 30 21 9B 31 20 66", "8140 0D0A 889F"},
    {"a middle-size alphanumeric sets it", "77 21 89 0E 41 9B 30 20 66 42 9B 31 20 66", "41"},
    {"a redefinable character does not", "77 21 1B 29 20 41 0E 21 0F 9B 30 20 66 30 21 9B 31 20 66",
     "889F"},
    {"unclosed run skipped to the end", "9B 30 20 66 30 21 0E 41", ""},
    {"unclosed run decoded to the end", "77 21 9B 30 20 66 30 21 0E 41", "889F 8260"},
    {"skipped run is not checked", "9B 30 20 66 1B 40 9B 9B 31 20 66 0E 41", "8260"},
    {"nested opening, flag set: rest of the run skipped",
     "77 21 9B 30 20 66 0E 41 9B 30 20 66 42 9B 31 20 66 43", "8260 8262"},
    {"nested opening, flag clear: ignored",
     "77 21 9B 30 20 66 0E 41 0F 77 21 0E 9B 30 20 66 42 9B 31 20 66 43", "8260 8261 8262"},
    {"character cut by the closing", "77 21 9B 30 20 66 30 9B 31 20 66 0E 41", "8260"},
    {"two runs", "77 21 9B 30 20 66 9B 31 20 66 9B 30 20 66 30 21 9B 31 20 66", "889F"},
};

TEST(BroadcastText, OutputFlagRuns) { expectDecodings(std::begin(kRuns), std::end(kRuns)); }

TEST(BroadcastText, Failures) {
    const struct {
        const char* source;
        JQStatus status;
    } cases[] = {
        {"", JQ_ERR_NULL_ARGUMENT},
        {"1B", 16},
        {"1B 24", 16},
        {"1B 24 29", 16},
        {"1B 24 29 20", 16},
        {"1B 24 28 28", 16},
        {"1B 28", 16},
        {"1B 28 20", 16},
        {"1B 40", 16},
        {"1B 7B", 16},
        {"1B 25 40", 16},
        {"30 21 1B 40", 16},  // after some output
        {"9B", 16},
        {"9B 30", 16},
        {"9B 30 20", 16},
        {"9B 30 20 67", 16},
        {"9B 30 21 66", 16},
        {"9B 31 20 66", 16},                          // a closing without opening
        {"9B 30 20 66 9B 31 20 66 9B 31 20 66", 16},  // one closing too many
        {"77 21 9B 30 20 66 1B 9B 31 20 66", 16},     // escape cut by the closing
        {"77 21 9B 30 20 66 9B 32 9B 31 20 66", 16},  // bad sequence inside a decoded run
    };
    for (const auto& c : cases) EXPECT_EQ(convert(hex(c.source)).status, c.status) << c.source;

    const Bytes text = hex("30 21");
    char buffer[4] = "xyz";
    size_t size = 99;
    EXPECT_EQ(convertBroadcastText(view(text), buffer, 0, size), JQ_ERR_EXCEPTION);
    EXPECT_EQ(size, 0u);
    EXPECT_STREQ(buffer, "xyz");
    EXPECT_EQ(convertBroadcastText({nullptr, 5}, nullptr, 0, size), JQ_ERR_NULL_ARGUMENT);
}

// Every prefix of a valid text decodes or fails cleanly, and what it decodes
// is the start of the whole text's string: nothing is read past the end. Each
// prefix sits in a heap block of its exact size, for AddressSanitizer.
TEST(BroadcastText, EveryPrefix) {
    const char* const sources[] = {
        "1B 24 29 20 42 1B 24 2B 28 41 1B 2A 20 30 1B 24 42 1B 28 4A 1B 24 2A 42 30 21",
        "0E 41 0F 30 21 1D 2B 19 24 1B 24 2B 42 1D 30 21 A4 A2 89 20 8A 20 0D FF",
        "77 21 9B 30 20 66 30 21 9B 30 20 66 41 9B 31 20 66 43 44 9B 30 20 66 45 46",
        "1B 24 2A 42 B0 A1 1B 7C AB 1B 7E C1 1B 6E 24 1B 6F 2B",
    };
    for (const char* text : sources) {
        const Bytes source = hex(text);
        const Converted whole = convert(source);
        ASSERT_EQ(whole.status, JQ_OK) << text;
        for (size_t n = 0; n < source.size(); ++n) {
            const Bytes prefix(source.begin(), source.begin() + static_cast<ptrdiff_t>(n));
            const Converted part = convert(prefix);
            if (n == 0) {
                EXPECT_EQ(part.status, JQ_ERR_NULL_ARGUMENT);
            } else if (part.status == JQ_OK) {
                EXPECT_EQ(whole.text.compare(0, part.text.size(), part.text), 0)
                    << text << " / " << n;
            } else {
                EXPECT_EQ(part.status, JQ_ERR_EXCEPTION) << text << " / " << n;
            }
        }
    }
    // Prefixes that end inside an escape or control sequence fail; those that
    // end inside a character drop it.
    EXPECT_EQ(convert(hex("1B 24 29 20")).status, JQ_ERR_EXCEPTION);
    EXPECT_EQ(convert(hex("9B 30 20")).status, JQ_ERR_EXCEPTION);
    EXPECT_EQ(convert(hex("30 21 30")).text, chars(hex("889F")));
}

// A buffer smaller than the string gets the whole characters that fit before
// the NUL, never half of one, and nothing past its capacity.
TEST(BroadcastText, CapacityCutsAtCharacterBoundary) {
    const Bytes source = hex("89 0E 41 0D 0F 30 21");  // 41, 0D 0A, 88 9F
    const std::string whole = chars(hex("41 0D0A 889F"));
    const size_t expectedLength[] = {0, 0, 1, 1, 3, 3, 5, 5};  // by capacity
    for (size_t capacity = 1; capacity < std::size(expectedLength); ++capacity) {
        std::vector<char> buffer(capacity + 2, '#');
        size_t size = 0;
        ASSERT_EQ(convertBroadcastText(view(source), buffer.data(), capacity, size), JQ_OK);
        const size_t length = expectedLength[capacity];
        EXPECT_EQ(size, length + 1) << capacity;
        EXPECT_EQ(std::string(buffer.data()), whole.substr(0, length)) << capacity;
        EXPECT_EQ(buffer[capacity], '#') << capacity;
    }
    // Once a character does not fit, a shorter one after it is not written.
    char buffer[2];
    size_t size = 0;
    ASSERT_EQ(convertBroadcastText(view(hex("30 21 89 0E 41")), buffer, 2, size), JQ_OK);
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(buffer[0], '\0');
    // The status does not depend on where the string is cut.
    EXPECT_EQ(convertBroadcastText(view(hex("30 21 30 21 1B 40")), buffer, 2, size),
              JQ_ERR_EXCEPTION);
}

// No text for an empty or undecodable source; a text too long for the
// caller's length field is cut at a character boundary.
TEST(BroadcastText, DecodeTextStatusesAndCuts) {
    const Bytes kana(300, 0xA4);  // 600 bytes of Shift-JIS
    auto kanaText = [](size_t characters) {
        std::string s;
        for (size_t i = 0; i < characters; ++i) s += "\x82\xA2";
        return s;
    };
    const struct {
        Bytes raw;
        size_t maxSize;
        JQStatus status;
        bool hasText;
        std::string text;
    } cases[] = {
        {{}, 255, JQ_OK, false, ""},
        {hex("30 21 1B 40"), 255, JQ_OK, false, ""},  // the size pass fails
        {hex("30 21 0E 41"), 255, JQ_OK, true, chars(hex("889F 8260"))},
        {hex("0E 89"), 255, JQ_OK, true, ""},  // controls only: an empty string
        {hex("30 21"), 0, JQ_ERR_EXCEPTION, false, ""},
        {kana, 255, JQ_OK, true, kanaText(127)},
        {kana, 254, JQ_OK, true, kanaText(126)},
        {kana, 65534, JQ_OK, true, kanaText(300)},
        {kana, 601, JQ_OK, true, kanaText(300)},
        {kana, 600, JQ_OK, true, kanaText(299)},
        // Short texts take one pass through a 2,048-byte scratch buffer,
        // longer ones two: the results meet at that size.
        {Bytes(1023, 0xA4), 65534, JQ_OK, true, kanaText(1023)},
        {Bytes(1024, 0xA4), 65534, JQ_OK, true, kanaText(1024)},
        {Bytes(1500, 0xA4), 2048, JQ_OK, true, kanaText(1023)},
        {Bytes(1500, 0xA4), 2049, JQ_OK, true, kanaText(1024)},
        {Bytes(1500, 0xA4), 4000, JQ_OK, true, kanaText(1500)},
    };
    for (const auto& c : cases) {
        DecodedText d;
        EXPECT_EQ(decodeText(view(c.raw), c.maxSize, d), c.status) << c.maxSize;
        ASSERT_EQ(d.text != nullptr, c.hasText) << c.maxSize;
        EXPECT_EQ(d.size, c.hasText ? c.text.size() + 1 : 0) << c.maxSize;
        if (d.text) {
            EXPECT_EQ(std::string(d.text), c.text) << c.maxSize;
        }
        delete[] d.text;
    }
}

// Many openings without a closing, nested in a run or skipped: linear time,
// and no recursion that a long text could exhaust.
TEST(BroadcastText, UnclosedRunsStayLinear) {
    const Bytes opening = hex("9B 30 20 66");
    const struct {
        const char* start;
        const char* shiftJis;
    } cases[] = {
        {"", ""},              // flag set: skipped
        {"77 21", ""},         // decoded; the last byte is half a Kanji-set code
        {"77 21 0E", "8260"},  // decoded up to the alphanumeric A
    };
    for (const auto& c : cases) {
        Bytes text = hex(c.start);
        while (text.size() < (1u << 20)) text.insert(text.end(), opening.begin(), opening.end());
        text.push_back(0x41);
        const auto began = std::chrono::steady_clock::now();
        const Converted converted = convert(text);
        const auto took = std::chrono::steady_clock::now() - began;
        EXPECT_EQ(converted.status, JQ_OK) << c.start;
        EXPECT_EQ(converted.text, chars(hex(c.shiftJis))) << c.start;
        EXPECT_LT(took, std::chrono::seconds(5)) << c.start;
    }
}

#ifndef _WIN32

// Converts with iconv; false when iconv refuses.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(from);
    }
    ~Iconv() { iconv_close(cd_); }

    bool operator()(const std::string& in, std::string& out) {
        char buffer[16];
        char* inp = const_cast<char*>(in.data());
        char* outp = buffer;
        size_t inLeft = in.size(), outLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) return false;
        out.assign(buffer, sizeof buffer - outLeft);
        return true;
    }

private:
    iconv_t cd_;
};

std::string utf8(unsigned codePoint) {
    std::string s;
    if (codePoint < 0x800) {
        s += static_cast<char>(0xC0 | codePoint >> 6);
    } else {
        s += static_cast<char>(0xE0 | codePoint >> 12);
        s += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    }
    s += static_cast<char>(0x80 | (codePoint & 0x3F));
    return s;
}

// Every code of rows 1-84 that glibc's EUC-JP (JIS X 0208) or EUC-JP-MS (with
// the NEC symbols of row 13) converts to code page 932 decodes to the same
// bytes. The exceptions are the NEC row 13 symbols that duplicate row 2 ones:
// code page 932 gives their row 2 code for both.
TEST(BroadcastTextOracle, KanjiSetMatchesIconv) {
    Iconv fromEuc("CP932", "EUC-JP"), fromEucMs("CP932", "EUC-JP-MS");
    size_t checked = 0, duplicates = 0;
    for (unsigned c1 = 0x21; c1 <= 0x74; ++c1) {
        for (unsigned c2 = 0x21; c2 <= 0x7E; ++c2) {
            const std::string euc{static_cast<char>(c1 | 0x80), static_cast<char>(c2 | 0x80)};
            std::string expected;
            if (!fromEuc(euc, expected) && !fromEucMs(euc, expected)) continue;
            const std::string got = convert({uint8_t(c1), uint8_t(c2)}).text;
            if (c1 == 0x2D && got != expected && static_cast<uint8_t>(expected[0]) == 0x81) {
                ++duplicates;
                continue;
            }
            EXPECT_EQ(got, expected) << std::hex << c1 << " " << c2;
            ++checked;
        }
    }
    // JIS X 0208 has 6,879 characters, row 13 has 83 NEC symbols.
    EXPECT_GE(checked + duplicates, 6879u + 83u);
    EXPECT_LE(duplicates, 12u) << checked << " checked";
}

TEST(BroadcastTextOracle, OneByteTablesMatchIconv) {
    Iconv fromUtf8("CP932", "UTF-8");
    auto expectCharacter = [&](const Bytes& source, unsigned codePoint) {
        std::string expected;
        ASSERT_TRUE(fromUtf8(utf8(codePoint), expected)) << std::hex << codePoint;
        EXPECT_EQ(convert(source).text, expected) << std::hex << codePoint;
    };
    // Code points of the kana-set symbols 0x77-0x7E after the iteration marks.
    const unsigned commonSymbols[] = {0x30FC, 0x3002, 0x300C, 0x300D, 0x3001, 0x30FB};
    for (unsigned b = 0x21; b <= 0x7E; ++b) {
        const uint8_t gr = static_cast<uint8_t>(b | 0x80);
        unsigned hiragana = 0x3041 + (b - 0x21), katakana = 0x30A1 + (b - 0x21);
        if (b >= 0x74) hiragana = 0x30FB;  // unassigned cells: middle dot
        if (b == 0x77 || b == 0x78) hiragana = 0x309D + (b - 0x77);
        if (b == 0x77 || b == 0x78) katakana = 0x30FD + (b - 0x77);
        if (b >= 0x79) hiragana = katakana = commonSymbols[b - 0x79];
        expectCharacter({gr}, hiragana);
        expectCharacter({0x1B, 0x7C, gr}, katakana);

        // The alphanumeric set's full-width forms. Code page 932 has full-width
        // quotation marks only in its IBM extension (FA57, FA56); the set gives
        // the JIS X 0208 closing quotation marks instead.
        unsigned alphanumeric = 0xFF01 + (b - 0x21);
        if (b == 0x22) alphanumeric = 0x201D;
        if (b == 0x27) alphanumeric = 0x2019;
        if (b == 0x5C) alphanumeric = 0xFFE5;
        if (b == 0x7E) alphanumeric = 0xFFE3;
        expectCharacter({0x0E, uint8_t(b)}, alphanumeric);
        EXPECT_EQ(convert({0x89, 0x0E, uint8_t(b)}).text, std::string(1, char(b)));
    }
}

#endif  // _WIN32

// Every double-byte character the encoder writes from rows 1-84 and the
// user-defined area comes back as the same Shift-JIS bytes, alone and all in
// one text.
TEST(BroadcastTextRoundTrip, EveryDoubleByteCharacter) {
    auto decodeBack = [](const std::string& shiftJis) {
        const Bytes arib = jq::write::encodeAribText(shiftJis);
        DecodedText d;
        EXPECT_EQ(decodeText(view(arib), 65535, d), JQ_OK);
        std::string text = d.text ? std::string(d.text, d.size ? d.size - 1 : 0) : "<none>";
        delete[] d.text;
        return text;
    };
    std::string all;
    size_t count = 0;
    for (unsigned lead = 0x81; lead <= 0xF7; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const std::string character{static_cast<char>(lead), static_cast<char>(trail)};
            Bytes arib;
            try {
                arib = jq::write::encodeAribText(character);
            } catch (const std::invalid_argument&) {
                EXPECT_GE(lead, 0xEBu) << std::hex << lead << " " << trail;
                continue;
            }
            EXPECT_EQ(decodeBack(character), character) << std::hex << lead << " " << trail;
            all += character;
            ++count;
        }
    }
    EXPECT_EQ(count, 84u * 94u + 94 + 43 + 84 + 49 + 91 + 91 + 93);
    EXPECT_EQ(decodeBack(all), all);
}

TEST(BroadcastTextRoundTrip, MixedTexts) {
    const char* const texts[] = {
        "82A0 82A2 834A 835E 834A 8369 82A4",            // kana runs and a lone one
        "4E484B 93FA 967B 20 4E 8140 41",                // ASCII, kanji, both spaces
        "8140 93FA 0D0A 0D0A 41 0D0A 82A0",              // line breaks
        "8352 815B 8371 815B 82A0 8142 8175 8176 8145",  // symbols of both kana sets
        "21 5C 7E 7A 20 30 F29F F79D 834A 8152 8154",    // edges of the tables
    };
    for (const char* text : texts) {
        const std::string shiftJis = chars(hex(text));
        const Bytes arib = jq::write::encodeAribText(shiftJis);
        EXPECT_EQ(convert(arib).text, shiftJis) << text;
    }
}

}  // namespace
}  // namespace jq::records
