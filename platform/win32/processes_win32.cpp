// processes_win32.cpp - Windows backend of programs and shared memory: the
// shell starts a program, and named file mappings on the page file carry
// data between processes.
// clang-format off
#include "platform.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
// clang-format on

#include <cstring>

namespace jq::platform {

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA of 32-bit Windows");
#endif

std::string narrowPath(const JQChar* path) {
    return path == nullptr ? std::string() : ansiFromUtf16(path);
}

bool pathExists(const char* path) {
    return path != nullptr && path[0] != '\0' && ::PathFileExistsA(path) != FALSE;
}

bool runProgramAndWait(const char* path) {
    if (path == nullptr || path[0] == '\0') return false;
    SHELLEXECUTEINFOA info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = "open";
    info.lpFile = path;
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExA(&info)) return false;
    if (info.hProcess != nullptr) {
        ::WaitForInputIdle(info.hProcess, INFINITE);
        ::WaitForSingleObject(info.hProcess, INFINITE);
        ::CloseHandle(info.hProcess);
    }
    return true;
}

// --- SharedMemory -------------------------------------------------------------------

namespace {

HANDLE toHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

intptr_t createMapping(const char* name, size_t size) {
    if (name == nullptr || name[0] == '\0') return -1;
    const auto wide = static_cast<unsigned long long>(size);
    HANDLE h = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                    static_cast<DWORD>(wide >> 32),
                                    static_cast<DWORD>(wide & 0xFFFFFFFFu), name);
    return h == nullptr ? -1 : reinterpret_cast<intptr_t>(h);
}

// The whole object mapped, and how many bytes of it the view makes
// accessible: a mapping opened by name does not tell its size, but the view's
// committed pages do.
struct View {
    explicit View(intptr_t handle) {
        address = ::MapViewOfFile(toHandle(handle), FILE_MAP_ALL_ACCESS, 0, 0, 0);
        MEMORY_BASIC_INFORMATION region;
        if (address != nullptr && ::VirtualQuery(address, &region, sizeof region) == sizeof region)
            bytes = region.RegionSize;
    }
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    ~View() {
        if (address != nullptr) ::UnmapViewOfFile(address);
    }

    void* address = nullptr;
    size_t bytes = 0;
};

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
    memory.handle_ = createMapping(name, size);
    return memory;
}

SharedMemory SharedMemory::openForWriting(const char* name, size_t size) {
    SharedMemory memory;
    memory.handle_ = createMapping(name, size);
    return memory;
}

bool SharedMemory::isOpen() const { return handle_ != -1; }

size_t SharedMemory::read(void* buffer, size_t count) const {
    if (!isOpen() || count == 0) return 0;
    const View view(handle_);
    const size_t length = count < view.bytes ? count : view.bytes;
    if (length != 0) std::memcpy(buffer, view.address, length);
    return length;
}

size_t SharedMemory::write(const void* data, size_t count) {
    if (!isOpen() || count == 0) return 0;
    const View view(handle_);
    const size_t length = count < view.bytes ? count : view.bytes;
    if (length != 0) std::memcpy(view.address, data, length);
    return length;
}

void SharedMemory::close() {
    if (handle_ != -1) ::CloseHandle(toHandle(handle_));
    handle_ = -1;
}

void SharedMemory::removeName(const char*) {}

}  // namespace jq::platform
