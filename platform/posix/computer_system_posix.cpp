// computer_system_posix.cpp - POSIX backend of the computer system's names:
// the DMI strings that Linux publishes under /sys/class/dmi/id.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform.h"
#include "posix_text.h"

namespace jq::platform {

namespace {

// A DMI string file: a short text and a line feed. False when it cannot be
// read.
bool readDmiName(const char* path, PathString& name) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string text;
    char chunk[256];
    bool ok = true;
    // The firmware's strings are short; more than a page is not a name.
    while (text.size() < 4096) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        text.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    if (!ok) return false;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    name = posix::utf16FromUtf8(text);
    return true;
}

}  // namespace

bool queryComputerSystem(ComputerSystemNames& names) {
    names = {};
    const bool vendor = readDmiName("/sys/class/dmi/id/sys_vendor", names.manufacturer);
    const bool product = readDmiName("/sys/class/dmi/id/product_name", names.model);
    return vendor || product;
}

}  // namespace jq::platform
