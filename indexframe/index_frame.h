// index_frame.h - what the index libraries share: feedcore loaded beside the
// host, the folder list of a settings file, the scan for the library's files,
// the two load passes and the package data kept for the library's tables.
#pragma once

#include <vector>

#include "decoder.h"
#include "folder_scan.h"

namespace jq::index {

// The tables of one library, filled package by package during a load.
class IndexTables {
public:
    virtual ~IndexTables() = default;
    // Merges one package of a type the library takes; its data stays valid
    // until the next clear. Returns the package's status.
    virtual JQStatus addPackage(const PackageRecord& package) = 0;
    // Empties every table.
    virtual void clear() = 0;
};

struct LibraryRule {
    const JQChar* settingsFileName;  // beside the host executable
    ScanRule scan;
};

class IndexFrame {
public:
    IndexFrame(const LibraryRule& rule, IndexTables& tables) : rule_(rule), tables_(tables) {}
    IndexFrame(const IndexFrame&) = delete;
    IndexFrame& operator=(const IndexFrame&) = delete;
    ~IndexFrame() { clear(true); }

    // Reloads everything from disk: loads feedcore unless it is loaded,
    // otherwise clears what the last load kept; then reads the folder list,
    // scans and runs the two passes. Returns 0, 23 when feedcore cannot be
    // loaded, or the status of the second pass's last step; on any status but
    // 0 the tables end empty and feedcore unloaded.
    JQStatus load();

    // Empties the tables, releases the kept package lists and, when asked,
    // unloads feedcore.
    void clear(bool unloadDecoder);

    bool decoderLoaded() const { return decoder_.isLoaded(); }

private:
    JQStatus runPass(const std::vector<PathString>& files);
    void loadFile(const PathString& path, JQStatus& status);

    const LibraryRule& rule_;
    IndexTables& tables_;
    Decoder decoder_;
    std::vector<PackageList> packageLists_;  // every list of the last load, in load order
};

}  // namespace jq::index
