// child_run.cpp - running a program as a child process from a test.
//
// std::system hands the command to the target's shell: /bin/sh -c on Linux,
// cmd.exe /c on Windows (and under Wine). cmd.exe drops the first and the last
// double quote of a command that starts with one, so the whole command is
// wrapped in one more pair of quotes there.
#include "child_run.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "platform.h"

namespace jq::test {

namespace fs = std::filesystem;

namespace {

fs::path pathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

#ifdef _WIN32
using CommandString = std::wstring;

CommandString quoted(const std::wstring& text) {
    if (text.find(L'"') != std::wstring::npos) {
        throw std::invalid_argument("runChild: double quote in a command argument");
    }
    return L"\"" + text + L"\"";
}

int runCommand(const CommandString& command) {
    // cmd.exe /c gives back the exit status of the program unchanged.
    return ::_wsystem((L"\"" + command + L"\"").c_str());
}
#else
using CommandString = std::string;

CommandString quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

int runCommand(const CommandString& command) {
    const int status = std::system(command.c_str());
    if (status == -1) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}
#endif

// Plain ASCII text (the shell's own syntax) as a command string.
CommandString ascii(std::string_view text) { return CommandString(text.begin(), text.end()); }

// A path (or an argument, carried as a path to convert it from UTF-8) in the
// shell's character type.
CommandString commandText(const fs::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return path.string();
#endif
}

}  // namespace

fs::path programFolder() {
    const platform::PathString folder = platform::hostExecutableFolder();
    if (folder.empty()) throw std::runtime_error("the test program's folder is unknown");
    return fs::path(folder);
}

std::string programFileName(std::string_view baseName) {
#ifdef _WIN32
    return std::string(baseName) + ".exe";
#else
    return std::string(baseName);
#endif
}

std::string libraryFileName(std::string_view baseName) {
#ifdef _WIN32
    return std::string(baseName) + ".dll";
#else
    return "lib" + std::string(baseName) + ".so";
#endif
}

TempFolder::TempFolder(std::string_view tag) {
    static std::atomic<unsigned> counter{0};
    std::random_device device;
    std::mt19937_64 random(
        device() ^
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        counter.fetch_add(1));
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ostringstream name;
        name << "jq-" << tag << '-' << std::hex << random();
        fs::path candidate = base / name.str();
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = std::move(candidate);
            return;
        }
    }
    throw std::runtime_error("no fresh temporary folder could be created in " + base.string());
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path copyFromProgramFolder(std::string_view fileName, const fs::path& folder) {
    const fs::path name = pathFromUtf8(std::string(fileName));
    const fs::path target = folder / name;
    fs::copy_file(programFolder() / name, target, fs::copy_options::overwrite_existing);
    return target;
}

ChildResult runChild(const fs::path& program, const std::vector<std::string>& args,
                     const fs::path& outputFile) {
    // Each run writes a file of its own beside outputFile: under Wine, a
    // helper process that the first program of a new wineserver starts can
    // inherit that program's output file and keep it open, and a second
    // redirection to the same file would then fail and leave the first
    // run's output to be read as the second's.
    static std::atomic<unsigned> runs{0};
    fs::path output = outputFile;
    output += "." + std::to_string(runs.fetch_add(1));
    CommandString command = quoted(commandText(program));
    for (const std::string& arg : args)
        command += ascii(" ") + quoted(commandText(pathFromUtf8(arg)));
    command += ascii(" > ") + quoted(commandText(output)) + ascii(" 2>&1");

    std::fflush(nullptr);
    ChildResult result;
    result.exitCode = runCommand(command);
    result.output = readFile(output);
    return result;
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace jq::test
