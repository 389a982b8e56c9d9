// test_files.h - data files for tests: written into a temporary folder and
// named by the decoder's path type.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "feedcore.h"

namespace jq::test {

using JQString = std::basic_string<JQChar>;

inline JQString toJQ(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return path.u16string();
#endif
}

inline std::filesystem::path writeBytes(const std::filesystem::path& file,
                                        const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return file;
}

}  // namespace jq::test
