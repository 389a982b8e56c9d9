// platform_posix.cpp - POSIX backend of the platform interface (Linux port).
//
// Paths arrive as UTF-16 and are converted to UTF-8 for the system calls.
#include "platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

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
            c = ((b & 0x07u) << 18) | ((text[i + 1] & 0x3F) << 12) |
                ((text[i + 2] & 0x3F) << 6) | (text[i + 3] & 0x3F);
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

}  // namespace jq::platform
