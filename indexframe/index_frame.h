// index_frame.h - what the stateful index libraries share: feedcore loaded
// beside the host, the folder list, the scan for the library's files, the two
// load passes, and the decoded lists kept for the library's tables.
#pragma once

#include <vector>

#include "decoder.h"
#include "folder_list.h"
#include "folder_scan.h"

namespace jq::index {

// How a library has its files decoded, and so which lists it keeps.
enum class LoadKind {
    Packages,  // DecryptJQFile: plain package data, kept as package lists
    Parses,    // AnalyzeJQFile: parsed records, kept as parse lists
    // AnalyzeJQFile, each parse list released as soon as its elements have
    // been handed over: the tables copy what they keep.
    ParsesPerFile,
};

struct LibraryRule {
    const JQChar* settingsFileName;  // beside the host executable
    ScanRule scan;
    LoadKind loadKind = LoadKind::Packages;
};

// The tables of one library, as the load fills them. The frame hands over
// each decoded file's status and then its elements of a type the library
// takes, pass by pass in load order; what they point into stays valid until
// the next clear.
class IndexTables {
public:
    virtual ~IndexTables() = default;
    // The status of decoding one file of the pass: 0, or the failure that
    // kept the file out.
    virtual void fileDecoded(Pass pass, JQStatus status) = 0;
    // The libraries of LoadKind::Packages take packages, the others parse
    // elements.
    virtual void takePackage(Pass, const PackageRecord&) {}
    virtual void takeParsed(Pass, const ParseElement&) {}
    virtual void passEnded(Pass) {}
    // The load's result, folded from what the library was told; its derived
    // tables are built here. A result other than 0 discards the load.
    virtual JQStatus loadEnded() = 0;
    // Empties every table.
    virtual void clear() = 0;
};

// The load without the tables it fills: the decoder, the rule and the kept
// lists.
class Loader {
public:
    explicit Loader(LibraryRule rule, DecoderSource source = loadDecoderBesideHost)
        : rule_(std::move(rule)), source_(source) {}
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;

    // Reloads everything from disk into the tables: clears what the last load
    // kept and loads feedcore unless it is loaded; then takes the folders
    // given or those of the settings file, scans them and runs the two
    // passes. Returns 0, 23 when feedcore cannot be loaded, or the tables'
    // result; on any status but 0 the tables end empty and feedcore unloaded.
    JQStatus load(IndexTables& tables, const std::vector<PathString>* folders);

    // Empties the tables, releases the kept lists and, when asked, unloads
    // feedcore.
    void clear(IndexTables& tables, bool unloadDecoder);

    bool decoderLoaded() const { return decoder_.isLoaded(); }
    const DecoderEntryPoints& decoder() const { return decoder_.entryPoints(); }

private:
    void runPass(IndexTables& tables, Pass pass, const std::vector<DataFile>& files);
    void loadPackages(IndexTables& tables, Pass pass, const JQChar* path);
    void loadParses(IndexTables& tables, Pass pass, const JQChar* path);

    LibraryRule rule_;
    DecoderSource source_;
    Decoder decoder_;
    std::vector<PackageList> packageLists_;  // every list of the last load, in load order
    std::vector<ParseList> parseLists_;
};

// A library's frame with the tables it owns: they are cleared while the kept
// lists they point into still exist, and destroyed after them.
template <typename Tables>
class IndexFrame {
public:
    explicit IndexFrame(LibraryRule rule, DecoderSource source = loadDecoderBesideHost)
        : loader_(std::move(rule), source) {}
    ~IndexFrame() { loader_.clear(tables_, true); }

    // Loads from the settings file's folders, or from the folders given.
    JQStatus load() { return loader_.load(tables_, nullptr); }
    JQStatus load(const std::vector<PathString>& folders) {
        return loader_.load(tables_, &folders);
    }
    void clear(bool unloadDecoder) { loader_.clear(tables_, unloadDecoder); }

    // Whether feedcore is loaded, so that the tables answer.
    bool ready() const { return loader_.decoderLoaded(); }
    const Tables& tables() const { return tables_; }
    Tables& tables() { return tables_; }

private:
    Tables tables_;  // declared first: destroyed last
    Loader loader_;
};

}  // namespace jq::index
