// arib_text.h - writes broadcast texts: Shift-JIS in, ARIB STD-B24 8-unit
// bytes out, so that tests and samples can give programme titles and details
// as text instead of hand-coded escape sequences.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace jq::write {

// Encodes Shift-JIS text (code page 932) as ARIB STD-B24 8-unit text that the
// broadcast text decoder turns back into exactly the same Shift-JIS bytes.
//
// The encoding relies on the state every conversion starts in (G0 Kanji,
// G1 alphanumeric, G2 hiragana, G3 katakana, GL = G0, GR = G2, normal size)
// and never designates a set:
//  - a double-byte character of JIS X 0208 rows 1-84 (assigned or not, so
//    the NEC symbols of row 13 too) is its two-byte JIS code in GL (Kanji);
//    the ideographic space 81 40 is the byte 0x20 while the size is normal,
//    the Kanji code 2121 after that;
//  - hiragana (row 4 cells 1-83, and the iteration marks 8154 8155) are
//    hiragana-set bytes, katakana (row 5 cells 1-86, and the iteration marks
//    8152 8153) katakana-set bytes, both in GR; a lone character of the set GR does not hold goes
//    through a single shift (0x19 / 0x1D), a run of two or more first locks GR to its set (ESC 7D /
//    ESC 7C). A run counts the kana of that set up to the next kana of the other set, whatever lies
//    between;
//  - the six symbols that both kana sets hold (815B prolonged sound mark,
//    8142 8141 full stop and comma, 8175 8176 corner brackets, 8145 middle
//    dot) are a byte of whichever kana set GR holds;
//  - ASCII graphic characters are alphanumeric-set bytes in GL (SO 0x0E before
//    them, SI 0x0F before the next Kanji code) in middle size, where the
//    decoder keeps them one byte wide; the ASCII space is 0x20 in middle size.
//    Middle size (0x89) is set before the first ASCII character and kept;
//  - CR LF is 0x0D;
//  - the ARIB additional symbols, given as the code-page-932 user-defined
//    codes F29F-F2FC, F340-F36A, F540-F594, F59F-F5CF, F640-F69B, F69F-F6F9
//    and F740-F79D that the decoder gives them, are their Kanji-set codes
//    7521-7E7D.
//
// So every accepted text round-trips exactly. Throws std::invalid_argument,
// naming the offset, for bytes that are not Shift-JIS (a lead byte without a
// trail byte, a bad trail byte, 0x80, 0xA0, 0xFD-0xFF) and for Shift-JIS that
// the decoder cannot give back: the half-width katakana 0xA1-0xDF (the decoder
// writes no single byte above 0x7E), control characters other than CR LF (a
// lone CR or LF, TAB, NUL, DEL), the double-byte codes with lead byte 0xEB-0xEF
// (JIS rows 85-94, which the decoder reads as additional symbols) and the codes
// from 0xF040 up outside the ranges above.
std::vector<uint8_t> encodeAribText(std::string_view shiftJis);

}  // namespace jq::write
