// shift_jis.h - UTF-8 text to Shift-JIS, so that descriptions can give
// programme texts as readable Japanese.
#pragma once

#include <string>
#include <string_view>

namespace jq::write {

// Converts UTF-8 to Shift-JIS (code page 932): ASCII stays as it is (CR, LF
// and the other controls too: encodeAribText decides what it takes) and each
// character of JIS X 0208 becomes its double-byte code. Where code page 932
// reads a JIS code as another Unicode character than JIS X 0208 does, both
// are accepted: U+FF5E and U+301C for the wave dash 8160, U+2225 and U+2016
// for 8161, U+FF0D and U+2212 for the minus 817C, U+FFE0/U+00A2, U+FFE1/U+00A3
// and U+FFE2/U+00AC for 8191, 8192 and 81CA, and U+2014 beside U+2015 for the
// dash 815C. The same table on every target: no locale, no OS converter.
//
// Throws std::invalid_argument naming the byte offset for malformed UTF-8
// (overlong forms, surrogates, code points above U+10FFFF, cut sequences) and
// for a character outside ASCII and JIS X 0208 (half-width katakana, the NEC
// and IBM extensions of code page 932, emoji, ...).
std::string shiftJisFromUtf8(std::string_view utf8);

}  // namespace jq::write
