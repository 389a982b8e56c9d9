// description_syntax.cpp - tokens, numbers and byte items of the
// description language.
#include "description_syntax.h"

#include <stdexcept>

#include "arib_text.h"
#include "put_bytes.h"
#include "schedule_data.h"

namespace jq::write::description {

void fail(const std::string& message, size_t line) { throw DescriptionError{message, line}; }

namespace {

// ---- Helpers ---------------------------------------------------------------

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads one escape after a backslash at text[i]; leaves i on its last char.
char unescape(const std::string& text, size_t& i) {
    if (++i >= text.size()) fail("unterminated string");
    static const std::string kFrom = "\\\"nrt0", kTo("\\\"\n\r\t\0", 6);
    if (const size_t k = kFrom.find(text[i]); k != std::string::npos) return kTo[k];
    if (text[i] != 'x') fail(std::string("unknown escape \\") + text[i]);
    const int high = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
    const int low = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
    if (high < 0 || low < 0) fail("\\x needs two hexadecimal digits");
    i += 2;
    return static_cast<char>(high * 16 + low);
}

Token quotedToken(const std::string& text, size_t& i) {
    Token token{"", true};
    for (++i; i < text.size() && text[i] != '"'; ++i)
        token.text += text[i] == '\\' ? unescape(text, i) : text[i];
    if (i >= text.size()) fail("unterminated string");
    ++i;
    return token;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Deterministic filler that deflate cannot shrink (xorshift32).
void putRandom(Bytes& out, uint64_t count, uint32_t seed) {
    uint32_t state = seed ? seed : 0x9E3779B9u;
    for (uint64_t i = 0; i < count; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        out.push_back(static_cast<uint8_t>(state >> 24));
    }
}

// A typed item "kind:a[:b]".
void putTypedItem(Bytes& out, const std::string& item) {
    const size_t colon = item.find(':');
    const std::string kind = item.substr(0, colon);
    const std::string rest = item.substr(colon + 1);
    const size_t second = rest.find(':');
    const bool twoArgs = kind == "fill" || kind == "random";
    if (twoArgs != (second != std::string::npos)) fail("malformed item '" + item + "'");
    static const std::map<std::string, std::pair<unsigned, bool>> kNumbers = {
        {"u8", {1, true}},    {"be16", {2, true}},  {"be32", {4, true}},
        {"le16", {2, false}}, {"le32", {4, false}},
    };
    if (const auto it = kNumbers.find(kind); it != kNumbers.end()) {
        const uint64_t max = (uint64_t{1} << (8 * it->second.first)) - 1;
        const uint64_t value = parseNumber(rest, max, item);
        Put put;
        it->second.second ? put.be(value, it->second.first) : put.le(value, it->second.first);
        append(out, put.out);
    } else if (kind == "fill") {
        const uint64_t count = parseNumber(rest.substr(0, second), kMaxFill, item);
        out.insert(out.end(), count,
                   static_cast<uint8_t>(parseNumber(rest.substr(second + 1), 255, item)));
    } else if (kind == "arib") {
        if (rest.empty()) fail("arib: takes hexadecimal Shift-JIS (arib:82A0), not a string");
        Bytes shiftJis;
        putHexItem(shiftJis, rest);
        try {
            append(out, encodeAribText(std::string(shiftJis.begin(), shiftJis.end())));
        } catch (const std::invalid_argument& e) {
            fail("arib: " + std::string(e.what()) + " of the text");
        }
    } else if (kind == "random") {
        const uint64_t count = parseNumber(rest.substr(0, second), kMaxFill, item);
        putRandom(out, count,
                  static_cast<uint32_t>(parseNumber(rest.substr(second + 1), 0xFFFFFFFF, item)));
    } else {
        fail("unknown item '" + item + "'");
    }
}

}  // namespace

// ---- Tokens, numbers and bytes ---------------------------------------------

std::vector<Token> tokenize(const std::string& text) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < text.size()) {
        if (isSpace(text[i])) {
            ++i;
        } else if (text[i] == '#') {
            break;
        } else if (text[i] == '"') {
            tokens.push_back(quotedToken(text, i));
        } else {
            const size_t start = i;
            while (i < text.size() && !isSpace(text[i]) && text[i] != '#' && text[i] != '"') ++i;
            tokens.push_back({text.substr(start, i - start), false});
        }
    }
    return tokens;
}

uint64_t parseNumber(const std::string& text, uint64_t max, const std::string& what) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const unsigned base = hex ? 16 : 10;
    if (text.empty() || text.size() > 20) fail(what + ": '" + text + "' is not a number");
    uint64_t value = 0;
    for (size_t i = hex ? 2 : 0; i < text.size(); ++i) {
        const int digit = hexDigit(text[i]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base)
            fail(what + ": '" + text + "' is not a number");
        value = value * base + static_cast<unsigned>(digit);
        if (value > max) fail(what + ": " + text + " is above " + std::to_string(max));
    }
    return value;
}

void putHexItem(Bytes& out, const std::string& item) {
    if (item.size() % 2 != 0) fail("'" + item + "' is not a run of hexadecimal bytes");
    for (size_t i = 0; i < item.size(); i += 2) {
        const int high = hexDigit(item[i]);
        const int low = hexDigit(item[i + 1]);
        if (high < 0 || low < 0) fail("'" + item + "' is not a run of hexadecimal bytes");
        out.push_back(static_cast<uint8_t>(high * 16 + low));
    }
}

Bytes parseBytes(const std::vector<Token>& items, size_t first) {
    Bytes out;
    for (size_t i = first; i < items.size(); ++i) {
        const Token& item = items[i];
        if (item.quoted)
            out.insert(out.end(), item.text.begin(), item.text.end());
        else if (item.text.find(':') != std::string::npos)
            putTypedItem(out, item.text);
        else
            putHexItem(out, item.text);
    }
    return out;
}

// ---- Statements -------------------------------------------------------------

Args::Args(const std::vector<Token>& tokens) {
    for (size_t i = 1; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        const size_t eq = t.quoted ? std::string::npos : t.text.find('=');
        if (eq == std::string::npos || eq == 0) {
            items.push_back(t);
        } else if (!attrs_.emplace(t.text.substr(0, eq), t.text.substr(eq + 1)).second) {
            fail("attribute '" + t.text.substr(0, eq) + "' given twice");
        }
    }
}

std::optional<uint64_t> Args::take(const std::string& name, uint64_t max) {
    const std::optional<std::string> word = takeWord(name);
    if (!word) return std::nullopt;
    return parseNumber(*word, max, name);
}

uint64_t Args::require(const std::string& name, uint64_t max) {
    const std::optional<uint64_t> value = take(name, max);
    if (!value) fail("missing attribute " + name + "=");
    return *value;
}

std::optional<std::string> Args::takeWord(const std::string& name) {
    const auto it = attrs_.find(name);
    if (it == attrs_.end()) return std::nullopt;
    std::string word = it->second;
    attrs_.erase(it);
    return word;
}

void Args::done(bool itemsAllowed) const {
    if (!attrs_.empty()) fail("unknown attribute '" + attrs_.begin()->first + "'");
    if (!itemsAllowed && !items.empty()) fail("unexpected '" + items.front().text + "'");
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::vector<uint64_t> numbers(const std::string& text, char separator,
                              const std::vector<uint64_t>& maxima, const std::string& what) {
    const std::vector<std::string> parts = split(text, separator);
    if (parts.size() != maxima.size())
        fail(what + ": '" + text + "' needs " + std::to_string(maxima.size()) +
             " numbers separated by '" + separator + "'");
    std::vector<uint64_t> values;
    for (size_t i = 0; i < parts.size(); ++i)
        values.push_back(parseNumber(parts[i], maxima[i], what));
    return values;
}

void takeAttrs(Args& args, std::initializer_list<Attr> table) {
    for (const Attr& attr : table) {
        const std::optional<uint64_t> value =
            attr.required ? args.require(attr.name, attr.max) : args.take(attr.name, attr.max);
        if (value) attr.field.set(*value);
    }
}

void takeOnly(Args& args, std::initializer_list<Attr> table) {
    takeAttrs(args, table);
    args.done(false);
}

void takeFaults(Args& args, std::initializer_list<Attr> table, bool itemsAllowed) {
    if (args.empty()) fail("fault names no fault");
    for (const Attr& attr : table) {
        const auto value = args.take(attr.name, attr.max);
        if (!value) continue;
        if (attr.field.holdsValue()) fail(std::string("fault ") + attr.name + " given twice");
        attr.field.set(*value);
    }
    args.done(itemsAllowed);
}

Bytes bytesOf(const Args& args) {
    args.done(true);
    return parseBytes(args.items);
}

void appendBytes(const Args& args, Bytes& out) { append(out, bytesOf(args)); }

std::string takeCode(Args& args, const std::string& name, const std::string& fallback) {
    const std::string code = args.takeWord(name).value_or(fallback);
    if (code.size() != 3) fail(name + "= takes 3 characters, not '" + code + "'");
    return code;
}

Date dateOf(const std::string& text, const std::string& what) {
    const std::vector<uint64_t> date = numbers(text, '-', {9999, 12, 31}, what);
    return {static_cast<int>(date[0]), static_cast<unsigned>(date[1]),
            static_cast<unsigned>(date[2])};
}

std::optional<uint16_t> takeDay(Args& args, const std::string& name, bool modified) {
    const std::optional<std::string> word = args.takeWord(name);
    if (!word) return std::nullopt;
    if (word->find('-') == std::string::npos)
        return static_cast<uint16_t>(parseNumber(*word, 0xFFFF, name));
    const Date d = dateOf(*word, name);
    try {
        return modified ? modifiedJulianDateOf(d.year, d.month, d.day)
                        : julianDayOf(d.year, d.month, d.day);
    } catch (const std::invalid_argument& e) {
        fail(name + ": " + e.what());
    }
}

}  // namespace jq::write::description
