// index_frame.cpp - the load of an index library.
#include "index_frame.h"

namespace jq::index {

JQStatus IndexFrame::load() {
    if (decoder_.isLoaded()) {
        clear(false);
    } else {
        const PathString decoderPath =
            platform::pathBesideHost(platform::sharedLibraryFileName(JQ_PATH("feedcore")).c_str());
        const JQStatus status = decoder_.load(decoderPath.c_str());
        if (status != JQ_OK) {
            clear(true);
            return status;
        }
    }
    const PathString settingsPath = platform::pathBesideHost(rule_.settingsFileName);
    const ScannedFiles files =
        scanFolders(readFolderList(settingsPath.c_str()), rule_.scan, decoder_.entryPoints());
    runPass(files.firstPass);  // only the second pass decides
    const JQStatus status = runPass(files.secondPass);
    if (status != JQ_OK) clear(true);
    return status;
}

// A pass's status is that of its last step: 0 for no files.
JQStatus IndexFrame::runPass(const std::vector<PathString>& files) {
    JQStatus status = JQ_OK;
    for (const PathString& path : files) loadFile(path, status);
    return status;
}

// Each step sets the pass status: the decryption when it fails, else each
// package the library takes. The package list is kept for the tables.
void IndexFrame::loadFile(const PathString& path, JQStatus& status) {
    packageLists_.reserve(packageLists_.size() + 1);
    PackageList list{};
    const JQStatus decrypted = decoder_.entryPoints().DecryptJQFile(path.c_str(), &list);
    if (decrypted != JQ_OK) {
        status = decrypted;
        return;
    }
    packageLists_.push_back(list);  // cannot throw after the reserve
    for (uint32_t i = 0; list.elements != nullptr && i < list.count; ++i) {
        const PackageRecord& package = list.elements[i];
        if (rule_.scan.takesType(package.TypeCode)) status = tables_.addPackage(package);
    }
}

void IndexFrame::clear(bool unloadDecoder) {
    tables_.clear();
    for (PackageList& list : packageLists_) decoder_.entryPoints().FreePackageList(&list);
    packageLists_.clear();
    if (unloadDecoder) decoder_.unload();
}

}  // namespace jq::index
