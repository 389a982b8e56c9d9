// processes_posix.cpp - POSIX backend of programs and shared memory: stat,
// posix_spawn and waitpid, and POSIX shared memory objects in place of
// Windows' named file mappings.
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform.h"
#include "posix_text.h"

extern char** environ;

namespace jq::platform {

std::string narrowPath(const JQChar* path) {
    return path == nullptr ? std::string() : posix::utf8FromUtf16(path);
}

bool pathExists(const char* path) {
    struct stat info {};
    return path != nullptr && path[0] != '\0' && ::stat(path, &info) == 0;
}

bool runProgramAndWait(const char* path) {
    if (path == nullptr || path[0] == '\0') return false;
    char* const arguments[] = {const_cast<char*>(path), nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, path, nullptr, nullptr, arguments, environ) != 0) return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

// --- SharedMemory -------------------------------------------------------------------

namespace {

// The object's name in the shared memory namespace: one leading slash. A
// name that is empty or holds a slash of its own names no object.
bool objectName(const char* name, std::string& out) noexcept {
    if (name == nullptr || name[0] == '\0' || std::strchr(name, '/') != nullptr) return false;
    try {
        out = std::string("/") + name;
    } catch (...) {
        return false;
    }
    return true;
}

size_t objectSize(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size < 0) return 0;
    return static_cast<size_t>(info.st_size);
}

}  // namespace

SharedMemory::SharedMemory(SharedMemory&& other) noexcept : handle_(other.handle_) {
    other.handle_ = -1;
}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

SharedMemory::~SharedMemory() { close(); }

SharedMemory SharedMemory::create(const char* name, size_t size) {
    SharedMemory memory;
    std::string path;
    if (!objectName(name, path)) return memory;
    const int fd = ::shm_open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return memory;
    if (objectSize(fd) < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        return memory;
    }
    memory.handle_ = fd;
    return memory;
}

SharedMemory SharedMemory::openForWriting(const char* name, size_t) {
    SharedMemory memory;
    std::string path;
    if (!objectName(name, path)) return memory;
    memory.handle_ = ::shm_open(path.c_str(), O_RDWR | O_CLOEXEC, 0);
    return memory;
}

bool SharedMemory::isOpen() const { return handle_ >= 0; }

size_t SharedMemory::read(void* buffer, size_t count) const {
    if (!isOpen() || count == 0) return 0;
    const int fd = static_cast<int>(handle_);
    const size_t size = objectSize(fd);
    const size_t length = count < size ? count : size;
    if (length == 0) return 0;
    void* view = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) return 0;
    std::memcpy(buffer, view, length);
    ::munmap(view, length);
    return length;
}

size_t SharedMemory::write(const void* data, size_t count) {
    if (!isOpen() || count == 0) return 0;
    const int fd = static_cast<int>(handle_);
    const size_t size = objectSize(fd);
    const size_t length = count < size ? count : size;
    if (length == 0) return 0;
    void* view = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) return 0;
    std::memcpy(view, data, length);
    ::munmap(view, length);
    return length;
}

void SharedMemory::close() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

void SharedMemory::removeName(const char* name) {
    std::string path;
    if (objectName(name, path)) ::shm_unlink(path.c_str());
}

}  // namespace jq::platform
