// platform.h - the one interface between the libraries and the operating system.
//
// Two backends implement it: win32/ (the product) and posix/ (the Linux port).
// Paths are null-terminated UTF-16 strings of the host's character type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "feedcore.h"

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

}  // namespace jq::platform
