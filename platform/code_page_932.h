// code_page_932.h - code page 932 (Shift-JIS) without the operating system: the
// ANSI code page of the data's texts, for targets that have no such thing.
//
// Characters are ASCII, the half-width katakana U+FF61-U+FF9F and the
// characters of JIS X 0208 (jis0208_table.h), with code page 932's own
// readings of seven JIS codes beside the standard ones. The same table on
// every target: no locale, no converter of the system.
#pragma once

#include <cstdint>
#include <string>

#include "jq_interface.h"

namespace jq::text {

// The JIS X 0208 code (row + 0x20, cell + 0x20) of a character; 0 for one
// outside the set.
uint16_t jisCodeOf(char32_t codePoint);

// Appends the two Shift-JIS bytes of a JIS X 0208 code.
void appendShiftJis(std::string& out, uint16_t jisCode);

// A null-terminated UTF-16 text in code page 932, each character it lacks
// (and each unpaired surrogate) as '?', as the Windows converter writes them.
std::string shiftJisFromUtf16(const JQChar* text);

}  // namespace jq::text
