// host_folder_list.h - the folder list a host hands an index library in place
// of its settings file: a record {count, entries} over paths that the list
// owns, each entry's length counting the terminating null.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "jq_interface.h"
#include "platform.h"

namespace jqtool {

// List is the library's record type (TopicFolderList, OBJ9FolderList).
template <typename List>
class HostFolderList {
public:
    explicit HostFolderList(const std::vector<std::string>& folders) {
        for (const std::string& folder : folders) {
#ifdef _WIN32
            paths_.push_back(std::filesystem::path(folder).wstring());
#else
            paths_.push_back(std::filesystem::path(folder).u16string());
#endif
        }
        for (const jq::platform::PathString& path : paths_)
            entries_.push_back({static_cast<uint32_t>(path.size() + 1), path.c_str()});
        list_.count = static_cast<uint32_t>(entries_.size());
        list_.entries = entries_.empty() ? nullptr : entries_.data();
    }
    HostFolderList(const HostFolderList&) = delete;
    HostFolderList& operator=(const HostFolderList&) = delete;

    const List* get() const { return &list_; }

private:
    std::vector<jq::platform::PathString> paths_;
    std::vector<PathEntry> entries_;
    List list_{};
};

}  // namespace jqtool
