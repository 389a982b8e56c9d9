// bench_file.h - a benchmark's data file in the temporary folder.
#pragma once

#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#include "feedcore.h"
#include "jqwrite.h"

namespace jq::bench {

// Written when made, removed when the run ends.
class TemporaryFile {
public:
    explicit TemporaryFile(const jq::write::Bytes& bytes) {
        path_ = std::filesystem::temp_directory_path() /
                ("jq-bench-" + std::to_string(std::random_device{}()) + ".jq");
        if (!jq::write::saveFile(path_.string(), bytes)) {
            throw std::runtime_error("cannot write " + path_.string());
        }
        utf16_ = path_.u16string();
    }
    ~TemporaryFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const JQChar* path() const { return utf16_.c_str(); }

private:
    std::filesystem::path path_;
    std::u16string utf16_;
};

}  // namespace jq::bench
