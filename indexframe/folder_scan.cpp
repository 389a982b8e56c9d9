// folder_scan.cpp - reading the folder list and scanning the folders.
#include "folder_scan.h"

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

// An index list of feedcore's, released when the scan of its file ends.
class IndexListHolder {
public:
    explicit IndexListHolder(const DecoderEntryPoints& decoder) : decoder_(decoder) {}
    IndexListHolder(const IndexListHolder&) = delete;
    IndexListHolder& operator=(const IndexListHolder&) = delete;
    ~IndexListHolder() { decoder_.FreeIndexList(&list_); }
    IndexList* get() { return &list_; }

private:
    const DecoderEntryPoints& decoder_;
    IndexList list_{};
};

// The pass of one file: from the first index entry of a type the library
// takes; Skip when feedcore cannot index it or it holds no such entry.
Pass passOfFile(const PathString& path, const ScanRule& rule, const DecoderEntryPoints& decoder) {
    IndexListHolder holder(decoder);
    IndexList& list = *holder.get();
    if (decoder.PreAnalyzeJQFile(path.c_str(), &list) != JQ_OK) return Pass::Skip;
    for (uint32_t i = 0; list.elements != nullptr && i < list.count; ++i) {
        const IndexEntry& entry = list.elements[i];
        if (rule.takesType(entry.typeCode)) return rule.passOf(path.c_str(), entry);
    }
    return Pass::Skip;
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

ScannedFiles scanFolders(const std::vector<PathString>& folders, const ScanRule& rule,
                         const DecoderEntryPoints& decoder) {
    ScannedFiles files;
    for (const PathString& folder : folders) {
        PathString prefix = folder;
        if (prefix.back() != platform::kPathSeparator) prefix += platform::kPathSeparator;
        for (const PathString& name : platform::listFolder((prefix + rule.namePattern).c_str())) {
            PathString path = prefix + name;
            switch (passOfFile(path, rule, decoder)) {
                case Pass::First:
                    files.firstPass.push_back(std::move(path));
                    break;
                case Pass::Second:
                    files.secondPass.push_back(std::move(path));
                    break;
                case Pass::Skip:
                    break;
            }
        }
    }
    return files;
}

}  // namespace jq::index
