// description_syntax.h - the words of the description language: tokens,
// numbers, byte items and a statement's attributes, and the schedule and
// record blocks that description.cpp opens (see the grammar there). Internal
// to jqwrite.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
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

// The largest 32-bit value.
inline constexpr uint64_t kMax32 = 0xFFFFFFFF;

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

// The field a numeric attribute sets: an integer, a bool or an optional one.
class FieldRef {
public:
    template <typename T>
    FieldRef(T& field) : field_(&field), set_(&setAs<T>), holds_(&holdsAs<T>) {}

    void set(uint64_t value) const { set_(field_, value); }
    bool holdsValue() const { return holds_(field_); }

private:
    template <typename T>
    static void setAs(void* field, uint64_t value) {
        T& f = *static_cast<T*>(field);
        if constexpr (requires { f.has_value(); })
            f = static_cast<typename T::value_type>(value);
        else
            f = static_cast<T>(value);
    }
    template <typename T>
    static bool holdsAs(const void* field) {
        if constexpr (requires(const T& f) { f.has_value(); })
            return static_cast<const T*>(field)->has_value();
        return false;
    }

    void* field_;
    void (*set_)(void*, uint64_t);
    bool (*holds_)(const void*);
};

// A numeric attribute of a statement: its name, its largest value, the field
// it sets when given, and whether the statement needs it.
struct Attr {
    const char* name;
    uint64_t max;
    FieldRef field;
    bool required = false;
};

// Takes the attributes given, in the table's order; the others leave their
// fields as they are, and a required one missing fails.
void takeAttrs(Args& args, std::initializer_list<Attr> table);
// takeAttrs for a statement that has these attributes and no others, nor items.
void takeOnly(Args& args, std::initializer_list<Attr> table);

// The same for a fault statement, whose values replace computed ones: each
// may be given once over the block's fault statements; then no other
// attributes, and items only where allowed.
void takeFaults(Args& args, std::initializer_list<Attr> table, bool itemsAllowed = false);

// The BYTES items of a statement that takes no more attributes.
Bytes bytesOf(const Args& args);
// The same, appended to out.
void appendBytes(const Args& args, Bytes& out);

// The parts of text between separators ("a,b" gives "a" and "b").
std::vector<std::string> split(const std::string& text, char separator);

// "a<separator>b..." with one number for each of maxima, each up to its max.
std::vector<uint64_t> numbers(const std::string& text, char separator,
                              const std::vector<uint64_t>& maxima, const std::string& what);

// The list attribute name, numbers up to max separated by commas ("1,2,0x10");
// empty when absent or given empty ("name=").
template <typename T>
std::vector<T> takeList(Args& args, const std::string& name, uint64_t max) {
    const std::optional<std::string> word = args.takeWord(name);
    std::vector<T> values;
    if (!word || word->empty()) return values;
    for (const std::string& part : split(*word, ','))
        values.push_back(static_cast<T>(parseNumber(part, max, name)));
    return values;
}

// A three-character code attribute (a language or country), fallback when absent.
std::string takeCode(Args& args, const std::string& name, const std::string& fallback);

// A calendar date YYYY-MM-DD.
struct Date {
    int year;
    unsigned month;
    unsigned day;
};
Date dateOf(const std::string& text, const std::string& what);

// A day attribute as a number or a date; modified: the Modified Julian Date
// rather than the JulianDay of schedules.
std::optional<uint16_t> takeDay(Args& args, const std::string& name, bool modified);

// ---- Blocks -----------------------------------------------------------------

// One block, from its opening statement to its 'end'. Errors are
// DescriptionError or std::invalid_argument.
class RecordBlock {
public:
    virtual ~RecordBlock() = default;

    // One statement, read on line, inside the block; true when it was its 'end'.
    bool statement(const std::string& keyword, Args& args, size_t line);

    // The innermost block still open and the line that opened it; line 0 is
    // the line that opened this block.
    virtual std::pair<std::string, size_t> openBlock() const { return {"the record block", 0}; }

    // The packet header and record data, once statement() returned true.
    const Bytes& packetHeader() const { return header_; }
    const Bytes& data() const { return data_; }

protected:
    virtual void entry(const std::string& keyword, Args& args) = 0;
    virtual void finish() = 0;
    // True while an inner block is open: its 'end' goes to entry().
    virtual bool inner() const { return false; }

    Bytes header_;
    Bytes data_;
    size_t line_ = 0;  // the line of the statement being read
};

// The block that keyword opens in a package of typeCode; nothing when
// keyword opens no block. Fails when the block does not suit the type.
std::unique_ptr<RecordBlock> openRecordBlock(const std::string& keyword, uint8_t typeCode,
                                             Args& args);

// The programme schedule of a package of typeCode (0x4C, 0x4D or 0x51), from
// its 'schedule' statement to its 'end'.
std::unique_ptr<RecordBlock> openSchedule(uint8_t typeCode, Args& args);

}  // namespace jq::write::description
