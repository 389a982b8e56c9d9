// arguments.h - reading numbers from jqtool's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace jqtool {

// A decimal or 0x-hexadecimal number of at most maximum; nothing for any
// other text (signs, blanks, trailing characters, values above maximum).
std::optional<uint64_t> number(const std::string& text, uint64_t maximum);

}  // namespace jqtool
