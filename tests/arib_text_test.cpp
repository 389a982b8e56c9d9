// arib_text_test.cpp - the Shift-JIS to ARIB STD-B24 8-unit text encoder.
//
// Known encodings of short texts, the refusals, and (natively) every JIS X 0208
// character of code page 932 checked against glibc iconv's EUC-JP, an
// independent table of the same JIS X 0208 codes.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "arib_text.h"
#include "jqwrite.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;

Bytes hex(const std::string& text) {
    Bytes out;
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    if (digits.size() % 2 != 0) throw std::invalid_argument("odd number of hex digits: " + text);
    for (size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Bytes encode(const std::string& shiftJisHex) {
    return jq::write::encodeAribText(text(hex(shiftJisHex)));
}

struct Known {
    const char* what;
    const char* shiftJis;
    const char* arib;
};

// Shift-JIS in, the expected 8-unit bytes out.
const Known kKnown[] = {
    {"empty", "", ""},
    // Hiragana stay in GR, where the initial state has them.
    {"hiragana \"aiu\"", "82A0 82A2 82A4", "A2 A4 A6"},
    {"last hiragana cell 83", "82F1", "F3"},
    {"hiragana iteration marks", "82A0 8154 8155", "A2 F7 F8"},
    // Katakana: a run locks GR to G3, a lone one is single-shifted.
    {"katakana run", "834A 835E 834A 8369", "1B7C AB BF AB CA"},
    {"last katakana cell 86", "8396 8396", "1B7C F6 F6"},
    {"lone katakana among hiragana", "82A0 834A 82A0", "A2 1D2B A2"},
    {"katakana iteration mark alone", "8152", "1D77"},
    {"back to hiragana after a katakana run", "834A 835E 82A0 82A2", "1B7C AB BF 1B7D A2 A4"},
    {"lone hiragana among katakana", "834A 835E 82A0 834A", "1B7C AB BF 19 22 AB"},
    {"kanji between katakana keep the run", "834A 93FA 834A", "1B7C AB 467C AB"},
    // The symbols both kana sets hold never need a shift.
    {"coffee: prolonged sound mark in katakana", "8352 815B 8371 815B", "1B7C B3 F9 D2 F9"},
    {"punctuation in hiragana", "8175 82A0 8141 82A2 8142 8176 8145", "FB A2 FD A4 FA FC FE"},
    // Kanji-set codes in GL.
    {"kanji \"Nihon\"", "93FA 967B", "467C 4B5C"},
    {"row 1, 3 and 84 codes", "8149 8260 EAA4", "212A 2341 7426"},
    {"unassigned cells keep their JIS code", "82F2 8397 85A0", "2474 2577 2A22"},
    {"NEC row 13", "8740 879C", "2D21 2D7C"},
    {"ideographic space in normal size", "8140 93FA", "20 467C"},
    // ASCII: middle size once, SO before alphanumerics, SI back to Kanji.
    {"ASCII word", "4E484B", "89 0E 4E484B"},
    {"ASCII then kanji", "4E484B 93FA 967B", "89 0E 4E484B 0F 467C 4B5C"},
    {"ASCII space in middle size", "41 20 42", "89 0E 41 20 42"},
    {"space first", "20 41", "89 20 0E 41"},
    {"ideographic space after ASCII is a Kanji code", "41 8140", "89 0E 41 0F 2121"},
    {"ASCII, hiragana, ASCII without SI", "41 82A0 42", "89 0E 41 A2 42"},
    {"every ASCII graphic edge", "21 5C 7E", "89 0E 21 5C 7E"},
    {"line break", "82A0 0D0A 41", "A2 0D 89 0E 41"},
    // ARIB additional symbols from the user-defined area.
    {"additional symbols, range ends", "F29F F2FC F340 F36A F540 F57E F580 F594 F59F F5CF",
     "7521 757E 7621 764B 7A21 7A5F 7A60 7A74 7B21 7B51"},
    {"additional symbols, more range ends",
     "F56F F640 F67E F680 F69B F69F F6F9 F740 F77E F780 F79D",
     "7A50 7C21 7C5F 7C60 7C7B 7D21 7D7B 7E21 7E5F 7E60 7E7D"},
};

TEST(AribText, KnownEncodings) {
    for (const Known& k : kKnown) EXPECT_EQ(encode(k.shiftJis), hex(k.arib)) << k.what;
}

TEST(AribText, RefusesWhatIsNotShiftJisOrHasNoAribForm) {
    const char* const refused[] = {
        // not Shift-JIS
        "82",
        "41 82",
        "82 20",
        "82 7F",
        "82 FD",
        "80",
        "A0",
        "FD",
        "FE",
        "FF",
        // half-width katakana
        "A1",
        "B1",
        "DF",
        // controls other than CR LF
        "0A",
        "0D",
        "41 0D 41",
        "0D 0D 0A 0A",
        "09",
        "00",
        "1B",
        "7F",
        // rows 85-94 and the user-defined and IBM areas outside the additional symbols
        "EB40",
        "ED40",
        "EEFC",
        "EFFC",
        "F040",
        "F29E",
        "F2FD",
        "F36B",
        "F595",
        "F59E",
        "F5D0",
        "F69C",
        "F69E",
        "F6FA",
        "F79E",
        "F840",
        "FA40",
        "FC4B",
    };
    for (const char* bytes : refused)
        EXPECT_THROW(encode("82A0 " + std::string(bytes)), std::invalid_argument) << bytes;
}

TEST(AribText, ErrorNamesTheOffset) {
    try {
        encode("82A0 41 B1");
        FAIL() << "half-width katakana accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("offset 3"), std::string::npos) << e.what();
    }
}

// The description's arib: item: stray bytes of a file show them as written.
TEST(AribText, DescriptionItem) {
    std::vector<jq::write::DescribedFile> files;
    std::string error;
    ASSERT_TRUE(
        jq::write::buildFromDescription("file t\n  stray 00 arib:4E484B93FA967B FF\n"
                                        "  stray arib:834A835E arib:82A0 arib:41 arib:42\nend\n",
                                        files, error))
        << error;
    ASSERT_EQ(files.size(), 1u);
    // Each item is a text of its own, written from the initial state: GR holds
    // hiragana and the size is normal again.
    EXPECT_EQ(files[0].bytes,
              hex("00 89 0E 4E484B 0F 467C 4B5C FF  1B7C AB BF  A2  89 0E 41  89 0E 42"));

    const struct {
        const char* line;
        const char* error;
    } bad[] = {
        {"stray arib:82A0B1", "line 2: arib: half-width katakana B1"},
        {"stray arib:82A", "not a run of hexadecimal bytes"},
        {"stray arib:82", "line 2: arib: lead byte 82"},
        {"stray arib:\"\xe3\x81\x82\"", "not a string"},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(jq::write::buildFromDescription("file t\n" + std::string(b.line) + "\nend\n",
                                                     files, error))
            << b.line;
        EXPECT_NE(error.find(b.error), std::string::npos) << b.line << ": " << error;
    }
}

#ifndef _WIN32

// The ten symbols of JIS X 0208 row 1 that the kana sets carry at 0x77-0x7E.
struct KanaSetSymbol {
    uint16_t jis;
    Bytes alone;  // the encoding of the character by itself
};
const KanaSetSymbol kKanaSetSymbols[] = {
    {0x2133, {0x1D, 0x77}}, {0x2134, {0x1D, 0x78}},  // katakana iteration marks
    {0x2135, {0xF7}},       {0x2136, {0xF8}},        // hiragana iteration marks
    {0x213C, {0xF9}},       {0x2123, {0xFA}},       {0x2156, {0xFB}},
    {0x2157, {0xFC}},       {0x2122, {0xFD}},       {0x2126, {0xFE}},
};

// Converts in to out with cd; false when iconv refuses.
bool convert(iconv_t cd, const std::string& in, std::string& out) {
    char buffer[8];
    char* inp = const_cast<char*>(in.data());
    char* outp = buffer;
    size_t inLeft = in.size(), outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) return false;
    out.assign(buffer, sizeof buffer - outLeft);
    return true;
}

// Every double-byte code of code page 932 that glibc converts to a JIS X 0208
// character of EUC-JP and back to the same code: the encoder writes that
// character by its JIS code. (The way back leaves out the NEC and IBM
// duplicates of row 2 symbols, such as FA5B for 81E6.)
TEST(AribText, EveryJisX0208CharacterMatchesIconv) {
    iconv_t toEuc = iconv_open("EUC-JP", "CP932");
    iconv_t toSjis = iconv_open("CP932", "EUC-JP");
    ASSERT_NE(toEuc, reinterpret_cast<iconv_t>(-1));
    ASSERT_NE(toSjis, reinterpret_cast<iconv_t>(-1));
    size_t checked = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string character{static_cast<char>(lead), static_cast<char>(trail)};
            std::string euc, back;
            if (!convert(toEuc, character, euc) || euc.size() != 2) continue;
            const auto e1 = static_cast<uint8_t>(euc[0]), e2 = static_cast<uint8_t>(euc[1]);
            if (e1 < 0xA1 || e1 > 0xFE || e2 < 0xA1 || e2 > 0xFE) continue;
            if (!convert(toSjis, euc, back) || back != character) continue;
            const unsigned c1 = e1 - 0x80u, c2 = e2 - 0x80u;
            const uint16_t jis = static_cast<uint16_t>(c1 << 8 | c2);
            Bytes expected{static_cast<uint8_t>(c1), static_cast<uint8_t>(c2)};
            if (jis == 0x2121) expected = {0x20};                           // normal-size space
            if (c1 == 0x24 && c2 <= 0x73) expected = {uint8_t(0x80 | c2)};  // hiragana in GR
            if (c1 == 0x25 && c2 <= 0x76) expected = {0x1D, uint8_t(c2)};   // katakana, SS3
            for (const KanaSetSymbol& s : kKanaSetSymbols)
                if (s.jis == jis) expected = s.alone;
            EXPECT_EQ(jq::write::encodeAribText(character), expected)
                << std::hex << lead << " " << trail;
            ++checked;
        }
    }
    iconv_close(toEuc);
    iconv_close(toSjis);
    // JIS X 0208 has 6,879 characters; a few of them (the wave dash, the double
    // vertical line and the like) are other code points in code page 932 than
    // in EUC-JP, and iconv converts them in neither direction.
    EXPECT_GT(checked, 6850u) << checked;
}

#endif  // _WIN32

}  // namespace
