// platform_win32.cpp - Windows backend of the platform interface (the product).
#include "platform.h"

#include <windows.h>

#include <new>

namespace jq::platform {

const JQChar kPathSeparator = L'\\';

namespace {

HANDLE toHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

File openWith(const JQChar* path, DWORD access, DWORD disposition) {
    if (path == nullptr) return {};
    HANDLE h = ::CreateFileW(path, access, FILE_SHARE_READ, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    return File::adopt(reinterpret_cast<intptr_t>(h));
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

File File::openForReading(const JQChar* path) {
    return openWith(path, GENERIC_READ, OPEN_EXISTING);
}

File File::createAlways(const JQChar* path) {
    return openWith(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
}

File File::openForAppend(const JQChar* path) {
    File file = openWith(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (file.isOpen() &&
        ::SetFilePointer(toHandle(file.handle_), 0, nullptr, FILE_END) ==
            INVALID_SET_FILE_POINTER &&
        ::GetLastError() != NO_ERROR) {
        file.close();
    }
    return file;
}

bool File::isOpen() const { return handle_ != -1; }

bool File::size(uint64_t& bytes) const {
    if (!isOpen()) return false;
    DWORD high = 0;
    const DWORD low = ::GetFileSize(toHandle(handle_), &high);
    if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return false;
    bytes = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

bool File::seek(uint64_t offset) {
    if (!isOpen()) return false;
    LONG high = static_cast<LONG>(offset >> 32);
    const DWORD low = ::SetFilePointer(toHandle(handle_), static_cast<LONG>(offset & 0xFFFFFFFFu),
                                       &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR);
}

bool File::read(void* buffer, size_t count, size_t& got) {
    got = 0;
    if (!isOpen()) return false;
    auto* out = static_cast<char*>(buffer);
    while (got < count) {
        const DWORD want =
            static_cast<DWORD>(count - got > 0x40000000u ? 0x40000000u : count - got);
        DWORD n = 0;
        if (!::ReadFile(toHandle(handle_), out + got, want, &n, nullptr)) return false;
        if (n == 0) break;
        got += n;
    }
    return true;
}

bool File::write(const void* buffer, size_t count) {
    if (!isOpen()) return false;
    const auto* in = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < count) {
        DWORD n = 0;
        const DWORD want =
            static_cast<DWORD>(count - done > 0x40000000u ? 0x40000000u : count - done);
        if (!::WriteFile(toHandle(handle_), in + done, want, &n, nullptr) || n == 0) return false;
        done += n;
    }
    return true;
}

void File::close() {
    if (handle_ != -1) ::CloseHandle(toHandle(handle_));
    handle_ = -1;
}

PathString hostExecutableFolder() {
    // The module path of the process (a null module), grown until it fits.
    std::wstring buffer(512, L'\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
    const size_t cut = buffer.rfind(L'\\');
    if (cut == std::wstring::npos) return {};
    return buffer.substr(0, cut + 1);
}

bool existsBesideHost(const JQChar* fileName) {
    const PathString folder = hostExecutableFolder();
    if (folder.empty()) return false;
    return File::openForReading((folder + fileName).c_str()).isOpen();
}

PathString sharedLibraryFileName(const JQChar* baseName) { return PathString(baseName) + L".dll"; }

std::string ansiFromUtf16(const JQChar* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size) - 1);  // without the terminating null
    return ansi;
}

// --- Module -------------------------------------------------------------------

Module Module::load(const JQChar* path) {
    Module module;
    if (path == nullptr) return module;
    module.handle_ = reinterpret_cast<void*>(::LoadLibraryW(path));
    return module;
}

bool Module::isLoaded() const { return handle_ != nullptr; }

void* Module::symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void Module::unload() {
    if (handle_ != nullptr) ::FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

// --- settings files -------------------------------------------------------------

int settingsInt(const JQChar* path, const JQChar* section, const JQChar* key, int defaultValue) {
    // Null names would ask for lists of names instead of a value.
    if (path == nullptr || section == nullptr || key == nullptr) return defaultValue;
    return static_cast<int>(::GetPrivateProfileIntW(section, key, defaultValue, path));
}

PathString settingsString(const JQChar* path, const JQChar* section, const JQChar* key,
                          const JQChar* defaultValue) {
    if (defaultValue == nullptr) defaultValue = L"";
    if (path == nullptr || section == nullptr || key == nullptr) {
        PathString value(defaultValue);
        const size_t end = value.find_last_not_of(L' ');
        value.resize(end == PathString::npos ? 0 : end + 1);
        if (value.size() > kSettingsStringUnits - 1) value.resize(kSettingsStringUnits - 1);
        return value;
    }
    wchar_t buffer[kSettingsStringUnits] = {};
    const DWORD n = ::GetPrivateProfileStringW(section, key, defaultValue, buffer,
                                               static_cast<DWORD>(kSettingsStringUnits), path);
    return PathString(buffer, n < kSettingsStringUnits ? n : kSettingsStringUnits - 1);
}

// --- folders --------------------------------------------------------------------

std::vector<PathString> listFolder(const JQChar* pattern) {
    std::vector<PathString> names;
    if (pattern == nullptr) return names;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    try {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                names.emplace_back(found.cFileName);
        } while (::FindNextFileW(search, &found));
    } catch (...) {
        ::FindClose(search);
        throw;
    }
    ::FindClose(search);
    return names;
}

// --- the library lock -----------------------------------------------------------

static_assert(sizeof(CRITICAL_SECTION) <= sizeof(RecursiveLock) && alignof(CRITICAL_SECTION) <= 8,
              "a CRITICAL_SECTION must fit into RecursiveLock's storage");

namespace {
CRITICAL_SECTION* section(unsigned char* storage) {
    return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}
}  // namespace

RecursiveLock::RecursiveLock() noexcept {
    ::InitializeCriticalSection(new (storage_) CRITICAL_SECTION);
}

RecursiveLock::~RecursiveLock() { ::DeleteCriticalSection(section(storage_)); }

void RecursiveLock::lock() noexcept { ::EnterCriticalSection(section(storage_)); }

void RecursiveLock::unlock() noexcept { ::LeaveCriticalSection(section(storage_)); }

// --- time -----------------------------------------------------------------------

uint64_t utcNowFileTime() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace jq::platform
