// index_frame.cpp - the load of an index library.
#include "index_frame.h"

namespace jq::index {

JQStatus Loader::load(IndexTables& tables, const std::vector<PathString>* folders) {
    clear(tables, false);
    if (!decoder_.isLoaded()) {
        const JQStatus status = source_(decoder_);
        if (status != JQ_OK) {
            clear(tables, true);
            return status;
        }
    }
    const ScannedFiles files =
        folders != nullptr
            ? scanFolders(*folders, rule_.scan, decoder())
            : scanFolders(readFolderList(platform::pathBesideHost(rule_.settingsFileName).c_str()),
                          rule_.scan, decoder());
    runPass(tables, Pass::First, files.firstPass);
    runPass(tables, Pass::Second, files.secondPass);
    const JQStatus status = tables.loadEnded();
    if (status != JQ_OK) clear(tables, true);
    return status;
}

void Loader::runPass(IndexTables& tables, Pass pass, const std::vector<DataFile>& files) {
    for (const DataFile& file : files) {
        if (rule_.loadKind == LoadKind::Packages) {
            loadPackages(tables, pass, file.path.c_str());
        } else {
            loadParses(tables, pass, file.path.c_str());
        }
    }
    tables.passEnded(pass);
}

// Decrypts one file and hands its packages of the library's types over; the
// list is kept for the tables.
void Loader::loadPackages(IndexTables& tables, Pass pass, const JQChar* path) {
    packageLists_.reserve(packageLists_.size() + 1);
    PackageList list{};
    const JQStatus status = decoder().DecryptJQFile(path, &list);
    tables.fileDecoded(pass, status);
    if (status != JQ_OK) return;
    packageLists_.push_back(list);  // cannot throw after the reserve
    for (uint32_t i = 0; list.elements != nullptr && i < list.count; ++i) {
        const PackageRecord& package = list.elements[i];
        if (rule_.scan.takesType(package.TypeCode)) tables.takePackage(pass, package);
    }
}

// Parses one file and hands its elements of the library's types over; the
// list is kept for the tables.
void Loader::loadParses(IndexTables& tables, Pass pass, const JQChar* path) {
    parseLists_.reserve(parseLists_.size() + 1);
    ParseList list{};
    const JQStatus status = decoder().AnalyzeJQFile(path, &list);
    tables.fileDecoded(pass, status);
    if (status != JQ_OK) {
        decoder().FreeParseList(&list);  // filled up to a failing parser
        return;
    }
    if (rule_.loadKind == LoadKind::Parses) parseLists_.push_back(list);
    // Released on every path, exceptions of the tables included, unless kept.
    struct Release {
        const Loader& loader;
        ParseList* list;
        ~Release() {
            if (list != nullptr) loader.decoder().FreeParseList(list);
        }
    } release{*this, rule_.loadKind == LoadKind::Parses ? nullptr : &list};
    for (uint32_t i = 0; list.elements != nullptr && i < list.count; ++i) {
        const ParseElement& element = list.elements[i];
        if (rule_.scan.takesType(element.recordType)) tables.takeParsed(pass, element);
    }
}

void Loader::clear(IndexTables& tables, bool unloadDecoder) {
    tables.clear();
    for (PackageList& list : packageLists_) decoder().FreePackageList(&list);
    packageLists_.clear();
    for (ParseList& list : parseLists_) decoder().FreeParseList(&list);
    parseLists_.clear();
    if (unloadDecoder) decoder_.unload();
}

}  // namespace jq::index
