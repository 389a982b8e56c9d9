// description_syntax.h - the words of the description language: tokens,
// numbers, byte items and a statement's attributes. Shared by the file and
// the schedule statements; internal to jqwrite.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "jqwrite.h"

namespace jq::write::description {

// A malformed statement; line 0 means the line being read.
struct DescriptionError {
    std::string message;
    size_t line = 0;
};

[[noreturn]] void fail(const std::string& message, size_t line = 0);

struct Token {
    std::string text;  // decoded bytes for a quoted token
    bool quoted = false;
};

// The tokens of one line, up to a '#' outside quotes.
std::vector<Token> tokenize(const std::string& text);

// The largest count of fill:, random: and a gap.
inline constexpr uint64_t kMaxFill = 1 << 24;

// A decimal or 0x-hexadecimal number up to max; what names it in errors.
uint64_t parseNumber(const std::string& text, uint64_t max, const std::string& what);

// Appends a run of hexadecimal bytes ("0D7F").
void putHexItem(Bytes& out, const std::string& item);

// The bytes of BYTES items from items[first] on.
Bytes parseBytes(const std::vector<Token>& items, size_t first = 0);

// A statement's words after the keyword: name=value attributes and the rest.
class Args {
public:
    explicit Args(const std::vector<Token>& tokens);

    std::vector<Token> items;

    bool empty() const { return attrs_.empty() && items.empty(); }
    bool has(const std::string& name) const { return attrs_.count(name) != 0; }

    // Takes an attribute's value as a number, if it is there.
    std::optional<uint64_t> take(const std::string& name, uint64_t max);
    uint64_t require(const std::string& name, uint64_t max);
    // Takes an attribute's value as it is written.
    std::optional<std::string> takeWord(const std::string& name);

    // Fails on attributes nobody took, and on items when none are allowed.
    void done(bool itemsAllowed) const;

private:
    std::map<std::string, std::string> attrs_;
};

// A numeric attribute as T, or fallback when it is absent.
template <typename T>
T takeOr(Args& args, const std::string& name, uint64_t max, T fallback = 0) {
    return static_cast<T>(args.take(name, max).value_or(fallback));
}

// The parts of text between separators ("a,b" gives "a" and "b").
std::vector<std::string> split(const std::string& text, char separator);

}  // namespace jq::write::description
