// folder_scan.cpp - listing the folders and sorting their files into passes.
#include "folder_scan.h"

namespace jq::index {
namespace {

// An index list of feedcore's, released when the scan of its file ends.
class IndexListHolder {
public:
    explicit IndexListHolder(const DecoderEntryPoints& decoder) : decoder_(decoder) {}
    IndexListHolder(const IndexListHolder&) = delete;
    IndexListHolder& operator=(const IndexListHolder&) = delete;
    ~IndexListHolder() { decoder_.FreeIndexList(&list_); }
    IndexList& list() { return list_; }

private:
    const DecoderEntryPoints& decoder_;
    IndexList list_{};
};

JQChar upperAscii(JQChar c) {
    return c >= 'a' && c <= 'z' ? static_cast<JQChar>(c - 'a' + 'A') : c;
}

}  // namespace

bool tolvoBesideHost() { return platform::existsBesideHost(JQ_PATH("Tolvo.ini")); }

bool nameContainsUpper(const JQChar* fileName, const char* marker) {
    for (const JQChar* start = fileName; *start != 0; ++start) {
        size_t i = 0;
        while (marker[i] != 0 && upperAscii(start[i]) == static_cast<unsigned char>(marker[i])) ++i;
        if (marker[i] == 0) return true;
    }
    return false;
}

std::vector<DataFile> listDataFiles(const PathString& folder, const PathString& namePattern) {
    PathString prefix = folder;
    if (prefix.empty() || prefix.back() != platform::kPathSeparator) {
        prefix += platform::kPathSeparator;
    }
    std::vector<DataFile> files;
    for (PathString& name : platform::listFolder((prefix + namePattern).c_str())) {
        files.push_back({prefix + name, prefix.size()});
    }
    return files;
}

Pass passOfFile(const DataFile& file, const ScanRule& rule, const DecoderEntryPoints& decoder) {
    IndexListHolder holder(decoder);
    const IndexList& list = holder.list();
    if (decoder.PreAnalyzeJQFile(file.path.c_str(), &holder.list()) != JQ_OK) return Pass::Skip;
    for (uint32_t i = 0; list.elements != nullptr && i < list.count; ++i) {
        const IndexEntry& entry = list.elements[i];
        if (rule.takesType(entry.typeCode)) return rule.passOf(file.name(), entry);
    }
    return Pass::Skip;
}

ScannedFiles scanFolders(const std::vector<PathString>& folders, const ScanRule& rule,
                         const DecoderEntryPoints& decoder) {
    ScannedFiles files;
    for (const PathString& folder : folders) {
        for (DataFile& file : listDataFiles(folder, rule.namePattern)) {
            switch (passOfFile(file, rule, decoder)) {
                case Pass::First:
                    files.firstPass.push_back(std::move(file));
                    break;
                case Pass::Second:
                    files.secondPass.push_back(std::move(file));
                    break;
                case Pass::Skip:
                    break;
            }
        }
    }
    return files;
}

}  // namespace jq::index
