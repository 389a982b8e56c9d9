// child_run.h - running a program as a child process from a test.
//
// Rules that depend on the host executable's folder are tested by copying a
// program (and the libraries and settings files it needs) into a fresh
// temporary folder and running the copy. Nothing is ever dropped beside a
// shared test program: tests run in parallel.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace jq::test {

// Folder of the running test program, where the build puts the libraries and
// the helper programs.
std::filesystem::path programFolder();

// File name of a program of this target: "jqtool" gives "jqtool.exe" on
// Windows and "jqtool" elsewhere.
std::string programFileName(std::string_view baseName);

// File name of a shared library of this target: "feedcore" gives
// "feedcore.dll" on Windows and "libfeedcore.so" elsewhere.
std::string libraryFileName(std::string_view baseName);

// A new, empty folder in the system's temporary folder, removed with all it
// holds when the object goes away.
class TempFolder {
public:
    explicit TempFolder(std::string_view tag = "test");
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Copies a file from the test program's folder into `folder`; returns the
// copy's path. Throws std::filesystem::filesystem_error when that fails.
std::filesystem::path copyFromProgramFolder(std::string_view fileName,
                                            const std::filesystem::path& folder);

// What a child program did.
struct ChildResult {
    // The program's exit status as the shell reports it; on Linux only its low
    // 8 bits survive, and 128 + N for a program killed by signal N.
    int exitCode = -1;
    // Its standard output and standard error, as raw bytes. A Windows program
    // writing in text mode ends its lines with "\r\n".
    std::string output;
};

// Runs `program` with `args` through the shell (std::system), standard output
// and standard error both redirected to a fresh file named after `outputFile`
// (".N" added, N counting the runs), and returns its exit status and that
// file's content. The working folder is the test's own.
// Arguments may hold spaces but no double quotes.
ChildResult runChild(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const std::filesystem::path& outputFile);

// The whole content of a file as raw bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& file);

}  // namespace jq::test
