// paths.h - file names of the writer, held as UTF-8 strings.
#pragma once

#include <filesystem>
#include <string>

namespace jq::write {

// The path named by a UTF-8 string, on every platform (a narrow string would
// be read in the Windows code page).
inline std::filesystem::path pathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace jq::write
