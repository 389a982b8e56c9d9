// arguments.cpp - reading numbers from jqtool's command line.
#include "arguments.h"

namespace jqtool {

std::optional<uint64_t> number(const std::string& text, uint64_t maximum) {
    const bool hexadecimal =
        text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const unsigned base = hexadecimal ? 16 : 10;
    const size_t first = hexadecimal ? 2 : 0;
    if (text.size() <= first) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (hexadecimal && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (hexadecimal && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        if (digit > maximum || value > (maximum - digit) / base) return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

}  // namespace jqtool
