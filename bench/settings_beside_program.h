// settings_beside_program.h - a settings file beside the benchmark program
// for the length of the run, as the index libraries look for theirs beside
// the host executable.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "platform.h"

namespace jq::bench {

class SettingsBesideProgram {
public:
    SettingsBesideProgram(const char* fileName, const std::string& content)
        : path_(std::filesystem::path(jq::platform::hostExecutableFolder()) / fileName) {
        std::ofstream(path_) << content;
    }
    // A settings file whose section "List" names one data folder.
    static std::string folderList(const std::filesystem::path& folder) {
        return "[List]\nCount=1\n0=" + folder.string() + "\n";
    }
    ~SettingsBesideProgram() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    SettingsBesideProgram(const SettingsBesideProgram&) = delete;
    SettingsBesideProgram& operator=(const SettingsBesideProgram&) = delete;

private:
    std::filesystem::path path_;
};

}  // namespace jq::bench
