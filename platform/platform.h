// platform.h - the one interface between the libraries and the operating system.
//
// Two backends implement it: win32/ (the product) and posix/ (the Linux port).
// Paths are null-terminated UTF-16 strings of the host's character type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jq_interface.h"

// A path literal of the target's character type.
#ifdef _WIN32
#define JQ_PATH(text) L##text
#else
#define JQ_PATH(text) u##text
#endif

namespace jq::platform {

using PathString = std::basic_string<JQChar>;

// The folder separator of the target: '\' on Windows, '/' elsewhere.
extern const JQChar kPathSeparator;

// An open file; closed when the object goes away. Never copied.
class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    ~File();

    // The open functions never throw; a file that cannot be opened is closed.
    // Opens an existing file for reading, with shared read access.
    static File openForReading(const JQChar* path);
    // Creates or truncates a file for reading and writing, shared read access.
    static File createAlways(const JQChar* path);
    // Opens or creates a file for reading and writing, positioned at its end.
    static File openForAppend(const JQChar* path);

    bool isOpen() const;
    // Size in bytes; false when it cannot be determined.
    bool size(uint64_t& bytes) const;
    // Moves the file position to an absolute offset; false on failure.
    bool seek(uint64_t offset);
    // Reads up to count bytes; got is the number read (0 at the end of the
    // file). False only when the read itself failed.
    bool read(void* buffer, size_t count, size_t& got);
    // Writes all count bytes; false on failure.
    bool write(const void* buffer, size_t count);
    void close();

    // Takes ownership of a backend handle (used by the backends themselves).
    static File adopt(intptr_t handle);

private:
    intptr_t handle_ = -1;
};

// Folder of the host's executable (not of this library), with the separator
// at its end; empty when it cannot be determined.
PathString hostExecutableFolder();

// True when a file of that name beside the host's executable can be opened
// for reading. Asked anew on every call.
bool existsBesideHost(const JQChar* fileName);

// The file name of a shared library of this target: "feedcore" gives
// "feedcore.dll" on Windows and "libfeedcore.so" elsewhere.
PathString sharedLibraryFileName(const JQChar* baseName);

// The host executable's folder followed by fileName; empty when the folder
// cannot be determined.
PathString pathBesideHost(const JQChar* fileName);

// --- texts ----------------------------------------------------------------------

// A null-terminated UTF-16 text in the system's ANSI code page
// (WideCharToMultiByte with CP_ACP); on systems without one in code page 932
// (Shift-JIS), the code of the data's texts. Characters the code page lacks
// become '?'.
std::string ansiFromUtf16(const JQChar* text);

// --- libraries loaded at run time -------------------------------------------

// A shared library loaded by full path (LoadLibraryW / dlopen with RTLD_NOW |
// RTLD_LOCAL); unloaded when the object goes away. Never copied.
class Module {
public:
    Module() = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    Module(Module&& other) noexcept;
    Module& operator=(Module&& other) noexcept;
    ~Module();

    // Never throws; a library that cannot be loaded gives a module that is not
    // loaded.
    static Module load(const JQChar* path);

    bool isLoaded() const;
    // The address of an exported entry point (GetProcAddress / dlsym); null
    // when it is missing or nothing is loaded.
    void* symbol(const char* name) const;
    // The entry point as a function pointer type.
    template <typename Function>
    Function entryPoint(const char* name) const {
        return reinterpret_cast<Function>(symbol(name));
    }
    // FreeLibrary / dlclose; does nothing when nothing is loaded.
    void unload();

private:
    void* handle_ = nullptr;
};

// --- settings files -----------------------------------------------------------

// The settings reads of GetPrivateProfileIntW and GetPrivateProfileStringW. On
// Windows they are those functions; elsewhere a reader of the same rules: the
// file as UTF-8 (a UTF-8 or UTF-16LE byte order mark is honoured), sections
// "[Name]" and lines "name=value", names matched case-insensitively (ASCII),
// blanks around names and values trimmed, a value in matching single or double
// quotes taken without them, the first section of a name and in it the first
// key of a name searched. A null path, section or key gives the default.

// Buffer size of a settings string in UTF-16 units, its terminating null
// included: a value has at most kSettingsStringUnits - 1 characters.
inline constexpr size_t kSettingsStringUnits = 512;

// The value as an integer: an optional sign and the digits that follow, up to
// the first other character ("12abc" gives 12, "abc" 0, "-5" -5), modulo 2^32.
// As in Windows (checked under Wine), a lower-case prefix "0x", "0o" or "0b"
// selects base 16, 8 or 2 ("0x10" gives 16). defaultValue when the file,
// section or key is missing or the value empty.
int settingsInt(const JQChar* path, const JQChar* section, const JQChar* key, int defaultValue);

// The value, cut to kSettingsStringUnits - 1 units; defaultValue (without its
// trailing blanks, null meaning "") when the file, section or key is missing.
// A key present with an empty value gives "".
PathString settingsString(const JQChar* path, const JQChar* section, const JQChar* key,
                          const JQChar* defaultValue);

// --- folders --------------------------------------------------------------------

// The names (without folder) of the files that match a pattern of a folder
// path, the separator and a name pattern with '*' and '?' (for example <folder>\G*), in
// the order in which the system returns them (FindFirstFileW / FindNextFileW;
// opendir / readdir elsewhere, matching case-insensitively for ASCII as
// Windows does). Folders are skipped. A folder that does not exist, or a
// pattern that matches nothing, gives an empty list.
std::vector<PathString> listFolder(const JQChar* pattern);

// --- the library lock -----------------------------------------------------------

// A recursive lock: a CRITICAL_SECTION on Windows, a recursive pthread mutex
// elsewhere. Usable with std::lock_guard. Neither copied nor moved; an index
// library owns one as a static object.
class RecursiveLock {
public:
    RecursiveLock() noexcept;
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;
    ~RecursiveLock();

    void lock() noexcept;
    void unlock() noexcept;

private:
    // Room for a CRITICAL_SECTION or a pthread_mutex_t of either word size;
    // the backends check that theirs fits.
    alignas(8) unsigned char storage_[64];
};

// --- time ---------------------------------------------------------------------

// The current UTC time in 100-nanosecond units since 1601-01-01 (the FILETIME
// epoch): GetSystemTimeAsFileTime, or CLOCK_REALTIME elsewhere.
uint64_t utcNowFileTime();

// --- machine settings -------------------------------------------------------------

// A 32-bit setting of the machine, such as the HostID of the receiving PC. On
// Windows the value `name` of the key `keyPath` under HKEY_LOCAL_MACHINE, in
// the registry view of the process (a 32-bit process reads the 32-bit view),
// taken only when it reads as exactly 4 bytes, little-endian; its type is not
// looked at. Elsewhere the key `name` of section "[keyPath]" in the file
// kMachineSettingsFile, or in the file that the environment variable
// kMachineSettingsVariable names when it is set and not empty, read by the
// settings reader above; the value is taken when it is a decimal or 0x
// hexadecimal number below 2^32 with nothing else around it. False, and value
// untouched, when the setting is missing or not of that form.
bool machineSetting32(const char* keyPath, const char* name, uint32_t& value);

// Where the POSIX backend keeps the machine settings.
inline constexpr const char* kMachineSettingsFile = "/etc/jqdecoder/machine.ini";
inline constexpr const char* kMachineSettingsVariable = "JQ_MACHINE_SETTINGS";

// --- programs and shared memory ---------------------------------------------------
//
// Paths and names here are 8-bit strings: in the system's ANSI code page on
// Windows, bytes as they are elsewhere.

// A path as the system's 8-bit calls take it: in the ANSI code page on
// Windows (characters it lacks become '?'), UTF-8 elsewhere.
std::string narrowPath(const JQChar* path);

// True when a file or folder exists at the path (PathFileExistsA; stat
// elsewhere). A relative path is taken from the current folder.
bool pathExists(const char* path);

// Starts the program at the path without arguments and waits until it has
// ended: on Windows through the shell ("open", shown normally), waiting until
// it is idle for input and then until it exits; elsewhere with posix_spawn
// and waitpid. False when it could not be started.
bool runProgramAndWait(const char* path);

// A named shared memory object: a file mapping on the page file on Windows,
// a POSIX shared memory object named "/" + name elsewhere. Closed when the
// object goes away; never copied. The functions never throw.
class SharedMemory {
public:
    SharedMemory() = default;
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;
    SharedMemory(SharedMemory&& other) noexcept;
    SharedMemory& operator=(SharedMemory&& other) noexcept;
    ~SharedMemory();

    // Creates the object with `size` bytes, or opens it if it exists. On
    // Windows the object lives while any process holds it open; elsewhere its
    // name stays until removeName, and an existing object smaller than `size`
    // is grown to it.
    static SharedMemory create(const char* name, size_t size);
    // Opens the object to write into it. On Windows this creates it with
    // `size` bytes if it does not exist (it then goes with the last handle);
    // elsewhere only an existing object is opened, never resized, so that no
    // name is left behind that nobody removes.
    static SharedMemory openForWriting(const char* name, size_t size);

    bool isOpen() const;
    // Copies the first min(count, object size) bytes of the object into
    // buffer; returns how many were copied (0 when nothing could be mapped).
    size_t read(void* buffer, size_t count) const;
    // Copies min(count, object size) bytes of data to the start of the
    // object; returns how many were written.
    size_t write(const void* data, size_t count);
    // Closes this process's handle.
    void close();
    // Removes the name, so that a later create makes a fresh object: nothing
    // on Windows, where the object goes with its last handle; shm_unlink
    // elsewhere (objects still open stay usable).
    static void removeName(const char* name);

private:
    intptr_t handle_ = -1;
};

// --- the computer system -----------------------------------------------------------

// The names under which the computer system's maker and model present it. A
// property that is missing or null gives an empty name.
struct ComputerSystemNames {
    PathString manufacturer;
    PathString model;
};

// Asks the system for its maker and model: Windows Management Instrumentation
// (Win32_ComputerSystem's Manufacturer and Model, the first object of the
// query); elsewhere the DMI names in /sys/class/dmi/id/sys_vendor and
// product_name, UTF-8, a trailing line feed dropped. False when no answer
// could be had (WMI or the connection unavailable, the query failed; neither
// DMI file readable): the names are then empty.
bool queryComputerSystem(ComputerSystemNames& names);

}  // namespace jq::platform
