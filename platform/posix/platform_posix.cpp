// platform_posix.cpp - POSIX backend of the platform interface (Linux port).
//
// Paths arrive as UTF-16 and are converted to UTF-8 for the system calls.
#include "platform.h"
#include "code_page_932.h"
#include "posix_text.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <new>

namespace jq::platform {

const JQChar kPathSeparator = u'/';

namespace {

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string toUtf8(const JQChar* path) {
    std::string out;
    for (size_t i = 0; path[i] != 0; ++i) {
        uint32_t c = path[i];
        if (c >= 0xD800 && c <= 0xDBFF && path[i + 1] >= 0xDC00 && path[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (path[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// UTF-8 to UTF-16; bytes that do not form a character become U+FFFD.
PathString fromUtf8(const std::string& text) {
    PathString out;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        uint32_t c = 0xFFFD;
        size_t length = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b >> 5) == 0x6 && i + 1 < text.size()) {
            c = ((b & 0x1Fu) << 6) | (text[i + 1] & 0x3F);
            length = 2;
        } else if ((b >> 4) == 0xE && i + 2 < text.size()) {
            c = ((b & 0x0Fu) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
            length = 3;
        } else if ((b >> 3) == 0x1E && i + 3 < text.size()) {
            c = ((b & 0x07u) << 18) | ((text[i + 1] & 0x3F) << 12) | ((text[i + 2] & 0x3F) << 6) |
                (text[i + 3] & 0x3F);
            length = 4;
        }
        i += length;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<JQChar>(0xD800 + (c >> 10));
            out += static_cast<JQChar>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<JQChar>(c);
        }
    }
    return out;
}

// Never throws: a path that cannot be converted for want of memory is a file
// that cannot be opened.
File openWith(const JQChar* path, int flags) noexcept {
    File file;
    if (path == nullptr) return file;
    int fd = -1;
    try {
        fd = ::open(toUtf8(path).c_str(), flags | O_CLOEXEC, 0644);
    } catch (...) {
        return file;
    }
    if (fd < 0) return file;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return file;
    }
    return File::adopt(fd);
}

}  // namespace

PathString posix::utf16FromUtf8(const std::string& text) { return fromUtf8(text); }

std::string posix::utf8FromUtf16(const JQChar* text) { return toUtf8(text); }

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

File::~File() { close(); }

File File::adopt(intptr_t handle) {
    File file;
    file.handle_ = handle;
    return file;
}

File File::openForReading(const JQChar* path) { return openWith(path, O_RDONLY); }

File File::createAlways(const JQChar* path) { return openWith(path, O_RDWR | O_CREAT | O_TRUNC); }

File File::openForAppend(const JQChar* path) {
    File file = openWith(path, O_RDWR | O_CREAT);
    if (file.isOpen() && ::lseek(static_cast<int>(file.handle_), 0, SEEK_END) < 0) file.close();
    return file;
}

bool File::isOpen() const { return handle_ >= 0; }

bool File::size(uint64_t& bytes) const {
    struct stat info {};
    if (!isOpen() || ::fstat(static_cast<int>(handle_), &info) != 0) return false;
    bytes = static_cast<uint64_t>(info.st_size);
    return true;
}

bool File::seek(uint64_t offset) {
    if (!isOpen() || offset > static_cast<uint64_t>(LLONG_MAX)) return false;
    return ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool File::read(void* buffer, size_t count, size_t& got) {
    got = 0;
    if (!isOpen()) return false;
    auto* out = static_cast<char*>(buffer);
    while (got < count) {
        const ssize_t n = ::read(static_cast<int>(handle_), out + got, count - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return true;
}

bool File::write(const void* buffer, size_t count) {
    if (!isOpen()) return false;
    const auto* in = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(static_cast<int>(handle_), in + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

void File::close() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

PathString hostExecutableFolder() {
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return {};
    buffer.resize(static_cast<size_t>(n));
    const size_t cut = buffer.rfind('/');
    if (cut == std::string::npos) return {};
    return fromUtf8(buffer.substr(0, cut + 1));
}

bool existsBesideHost(const JQChar* fileName) {
    const PathString folder = hostExecutableFolder();
    if (folder.empty()) return false;
    return File::openForReading((folder + fileName).c_str()).isOpen();
}

std::string ansiFromUtf16(const JQChar* text) { return text::shiftJisFromUtf16(text); }

PathString sharedLibraryFileName(const JQChar* baseName) {
    return u"lib" + PathString(baseName) + u".so";
}

// --- Module -------------------------------------------------------------------

Module Module::load(const JQChar* path) {
    Module module;
    if (path == nullptr) return module;
    try {
        module.handle_ = ::dlopen(toUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    } catch (...) {
        module.handle_ = nullptr;
    }
    return module;
}

bool Module::isLoaded() const { return handle_ != nullptr; }

void* Module::symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) return nullptr;
    return ::dlsym(handle_, name);
}

void Module::unload() {
    if (handle_ != nullptr) ::dlclose(handle_);
    handle_ = nullptr;
}

// --- settings files -------------------------------------------------------------
//
// The rules of Windows' profile reader:
// lines end at '\n' (at '\r' when no '\n' follows), blanks around a line are
// dropped, "[" up to the last "]" of a line names a section, any other line is
// a key: the text before the first '=' without its blanks is the name, the
// text after it without its blanks the value; a line without '=' is a key
// without a value, which reads as missing. Lines starting with ';' are
// comments. Lines before the first section belong to a section without a name.

namespace {

bool isBlank(JQChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' ||
           c == 0x1A;
}

JQChar asciiUpper(JQChar c) { return c >= u'a' && c <= u'z' ? static_cast<JQChar>(c - 32) : c; }

bool sameName(const JQChar* a, size_t aLength, const PathString& b) {
    if (aLength != b.size()) return false;
    for (size_t i = 0; i < aLength; ++i) {
        if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
    }
    return true;
}

PathString trimmed(const JQChar* text) {
    PathString value(text);
    const size_t begin = value.find_first_not_of(u" \t\n\v\f\r\x1A");
    if (begin == PathString::npos) return {};
    const size_t end = value.find_last_not_of(u" \t\n\v\f\r\x1A");
    return value.substr(begin, end - begin + 1);
}

// The default as Windows takes it: without trailing spaces, cut to the buffer.
PathString defaultString(const JQChar* defaultValue) {
    PathString value(defaultValue == nullptr ? u"" : defaultValue);
    const size_t end = value.find_last_not_of(u' ');
    value.resize(end == PathString::npos ? 0 : end + 1);
    if (value.size() > kSettingsStringUnits - 1) value.resize(kSettingsStringUnits - 1);
    return value;
}

// The whole file as UTF-16 units; false when it cannot be read.
bool readSettingsText(const JQChar* path, PathString& text) {
    File file = File::openForReading(path);
    uint64_t size = 0;
    if (!file.isOpen() || !file.size(size) || size > (64u << 20)) return false;
    std::string bytes(static_cast<size_t>(size), '\0');
    size_t got = 0;
    if (!file.read(bytes.data(), bytes.size(), got)) return false;
    bytes.resize(got);
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 &&
        ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        const bool little = byte(0) == 0xFF;
        text.clear();
        text.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text += static_cast<JQChar>(little ? byte(i) | (byte(i + 1) << 8)
                                               : (byte(i) << 8) | byte(i + 1));
        }
        return true;
    }
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        bytes.erase(0, 3);
    }
    text = fromUtf8(bytes);
    return true;
}

// Finds the value of key in the first section named section; false when the
// section, the key or its value is missing.
bool findSetting(const PathString& text, const PathString& section, const PathString& key,
                 PathString& value) {
    bool inSection = section.empty();  // keys before any section header
    size_t next = 0;
    while (next < text.size()) {
        const size_t start = next;
        size_t end = text.find(u'\n', start);
        if (end == PathString::npos) end = text.find(u'\r', start);
        next = end == PathString::npos ? text.size() : end + 1;
        if (end == PathString::npos) end = text.size();

        size_t first = start;
        size_t last = end;
        while (first < last && isBlank(text[first])) ++first;
        while (last > first && isBlank(text[last - 1])) --last;
        if (first == last) continue;
        const JQChar* line = text.data() + first;
        const size_t length = last - first;

        if (line[0] == u'[') {
            size_t close = length;
            while (close > 1 && line[close - 1] != u']') --close;
            if (close > 1) {
                // Only the first section of the name is searched.
                if (inSection) return false;
                inSection = sameName(line + 1, close - 2, section);
                continue;
            }
        }
        if (!inSection || line[0] == u';') continue;

        size_t equals = 0;
        while (equals < length && line[equals] != u'=') ++equals;
        size_t nameEnd = equals;
        while (nameEnd > 0 && isBlank(line[nameEnd - 1])) --nameEnd;
        if (!sameName(line, nameEnd, key)) continue;
        if (equals == length) return false;  // the first key of the name has no value
        size_t valueStart = equals + 1;
        while (valueStart < length && isBlank(line[valueStart])) ++valueStart;
        value.assign(line + valueStart, length - valueStart);
        return true;
    }
    return false;
}

// The value as GetPrivateProfileStringW copies it into a buffer of `units`
// units: a pair of matching quotes dropped, cut to units - 1.
PathString copiedValue(const PathString& value, size_t units) {
    const JQChar first = value.empty() ? u'\0' : value.front();
    const bool quoted =
        value.size() >= 2 && (first == u'"' || first == u'\'') && value.back() == first;
    const size_t from = quoted ? 1 : 0;
    const size_t fullLength = value.size() - from;
    size_t length = fullLength < units - 1 ? fullLength : units - 1;
    if (quoted && units >= fullLength && length > 0) --length;
    return value.substr(from, length);
}

// The value as GetPrivateProfileStringW reads it into a buffer of `units`
// units; false when the default applies.
bool readSetting(const JQChar* path, const JQChar* section, const JQChar* key, size_t units,
                 PathString& value) {
    if (path == nullptr || section == nullptr || key == nullptr) return false;
    PathString text;
    if (!readSettingsText(path, text)) return false;
    PathString raw;
    if (!findSetting(text, trimmed(section), trimmed(key), raw)) return false;
    value = copiedValue(raw, units);
    return true;
}

}  // namespace

int settingsInt(const JQChar* path, const JQChar* section, const JQChar* key, int defaultValue) {
    // GetPrivateProfileIntW reads the string into 30 units and converts it
    // like RtlUnicodeStringToInteger with base 0: leading blanks and control
    // characters, a sign, a base prefix "0x", "0o" or "0b" (lower case only),
    // digits up to the first unit that is none, modulo 2^32.
    PathString value;
    if (!readSetting(path, section, key, 30, value) || value.empty()) return defaultValue;
    size_t i = 0;
    while (i < value.size() && value[i] <= u' ') ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == u'-' || value[i] == u'+')) negative = value[i++] == u'-';
    uint32_t base = 10;
    if (i + 1 < value.size() && value[i] == u'0') {
        const JQChar prefix = value[i + 1];
        base = prefix == u'x' ? 16 : prefix == u'o' ? 8 : prefix == u'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    uint32_t number = 0;
    for (; i < value.size(); ++i) {
        const JQChar c = value[i];
        uint32_t digit = 36;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        if (c >= u'A' && c <= u'Z') digit = c - u'A' + 10;
        if (c >= u'a' && c <= u'z') digit = c - u'a' + 10;
        if (digit >= base) break;
        number = number * base + digit;
    }
    if (negative) number = 0u - number;
    return static_cast<int>(number);
}

PathString settingsString(const JQChar* path, const JQChar* section, const JQChar* key,
                          const JQChar* defaultValue) {
    PathString value;
    if (readSetting(path, section, key, kSettingsStringUnits, value)) return value;
    return defaultString(defaultValue);
}

// --- folders --------------------------------------------------------------------

namespace {

// '*' any run of units, '?' any one unit, other units equal when ASCII
// upper-casing makes them so.
bool matchesPattern(const PathString& name, const PathString& pattern) {
    size_t n = 0;
    size_t p = 0;
    size_t starPattern = PathString::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || asciiUpper(pattern[p]) == asciiUpper(name[n]))) {
            ++p;
            ++n;
        } else if (starPattern != PathString::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

}  // namespace

std::vector<PathString> listFolder(const JQChar* pattern) {
    std::vector<PathString> names;
    if (pattern == nullptr) return names;
    const PathString whole(pattern);
    const size_t cut = whole.rfind(kPathSeparator);
    const PathString folder = cut == PathString::npos ? PathString(u".")
                              : cut == 0              ? PathString(u"/")
                                                      : whole.substr(0, cut);
    const PathString namePattern = cut == PathString::npos ? whole : whole.substr(cut + 1);
    if (namePattern.empty()) return names;

    DIR* dir = ::opendir(toUtf8(folder.c_str()).c_str());
    if (dir == nullptr) return names;
    try {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string raw(entry->d_name);
            if (raw == "." || raw == "..") continue;
            PathString name = fromUtf8(raw);
            // A name that is not UTF-8 could not be opened by its UTF-16 form.
            if (toUtf8(name.c_str()) != raw) continue;
            if (!matchesPattern(name, namePattern)) continue;
            // The entry's own type settles most names without a stat; a link
            // is judged by what it points to, as the system would open it.
            if (entry->d_type == DT_DIR) continue;
            if (entry->d_type != DT_REG) {
                struct stat info {};
                if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0 || S_ISDIR(info.st_mode))
                    continue;
            }
            names.push_back(std::move(name));
        }
    } catch (...) {
        ::closedir(dir);
        throw;
    }
    ::closedir(dir);
    return names;
}

// --- the library lock -----------------------------------------------------------

static_assert(sizeof(pthread_mutex_t) <= sizeof(RecursiveLock) && alignof(pthread_mutex_t) <= 8,
              "a pthread_mutex_t must fit into RecursiveLock's storage");

namespace {
pthread_mutex_t* mutexIn(unsigned char* storage) {
    return std::launder(reinterpret_cast<pthread_mutex_t*>(storage));
}
}  // namespace

RecursiveLock::RecursiveLock() noexcept {
    pthread_mutexattr_t attributes;
    ::pthread_mutexattr_init(&attributes);
    ::pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    ::pthread_mutex_init(new (storage_) pthread_mutex_t, &attributes);
    ::pthread_mutexattr_destroy(&attributes);
}

RecursiveLock::~RecursiveLock() { ::pthread_mutex_destroy(mutexIn(storage_)); }

void RecursiveLock::lock() noexcept { ::pthread_mutex_lock(mutexIn(storage_)); }

void RecursiveLock::unlock() noexcept { ::pthread_mutex_unlock(mutexIn(storage_)); }

// --- time -----------------------------------------------------------------------

uint64_t utcNowFileTime() {
    // 1601-01-01 to 1970-01-01 in 100-nanosecond units.
    constexpr uint64_t kUnixEpoch = 116444736000000000ull;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return kUnixEpoch + static_cast<uint64_t>(now.tv_sec) * 10000000ull +
           static_cast<uint64_t>(now.tv_nsec) / 100u;
}

}  // namespace jq::platform
