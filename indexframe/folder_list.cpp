// folder_list.cpp - reading the settings file's folder list and copying a
// host's.
#include "folder_list.h"

namespace jq::index {
namespace {

const JQChar kSection[] = JQ_PATH("List");

// The key name of folder i: i in decimal. (Written out by hand: the digit
// table of std::to_string would be exported from the shared library.)
PathString decimal(int value) {
    PathString digits;
    do {
        digits.insert(digits.begin(), static_cast<JQChar>('0' + value % 10));
        value /= 10;
    } while (value > 0);
    return digits;
}

// The entry's path without its null, or false when the entry is not sound.
// Reads no unit past the length the host gave.
bool entryPath(const PathEntry& entry, PathString& path) {
    if (entry.text == nullptr || entry.length <= 1) return false;
    const uint32_t units = entry.length - 1;
    for (uint32_t i = 0; i < units; ++i) {
        if (entry.text[i] == 0) return false;
    }
    if (entry.text[units] != 0) return false;
    path.assign(entry.text, units);
    return true;
}

}  // namespace

std::vector<PathString> readFolderList(const JQChar* settingsPath) {
    std::vector<PathString> folders;
    if (!platform::File::openForReading(settingsPath).isOpen()) return folders;
    const int count = platform::settingsInt(settingsPath, kSection, JQ_PATH("Count"), 0);
    for (int i = 0; i < count; ++i) {
        PathString folder =
            platform::settingsString(settingsPath, kSection, decimal(i).c_str(), JQ_PATH(""));
        if (!folder.empty()) folders.push_back(std::move(folder));
    }
    return folders;
}

std::vector<PathString> copyFolderList(uint32_t count, const PathEntry* entries) {
    std::vector<PathString> folders;
    if (entries == nullptr) return folders;
    for (uint32_t i = 0; i < count; ++i) {
        PathString path;
        if (entryPath(entries[i], path)) folders.push_back(std::move(path));
    }
    return folders;
}

}  // namespace jq::index
