// folder_scan.h - the files of an index library's kind in its data folders,
// and the load pass each belongs to.
#pragma once

#include <vector>

#include "decoder.h"
#include "platform.h"

namespace jq::index {

using platform::PathString;

// Which load pass a file belongs to, or none.
enum class Pass { First, Second, Skip };

// A data file: its full path and where its name starts in it.
struct DataFile {
    PathString path;
    size_t nameStart = 0;
    const JQChar* name() const { return path.c_str() + nameStart; }
};

// What a library looks for in its folders; chosen when its context is made.
struct ScanRule {
    // The name pattern within a folder, such as "G*", or "*" for every file.
    PathString namePattern;
    // Whether packages of this type code are the library's.
    bool (*takesType)(uint32_t typeCode) = nullptr;
    // The pass of a file, given its name (without folder) and the first index
    // entry of a type the library takes.
    Pass (*passOf)(const JQChar* fileName, const IndexEntry& entry) = nullptr;
};

// Whether a "Tolvo.ini" lies beside the host executable: the mode in which
// feedcore reads every file as a container and the libraries that follow it
// take every file of a folder. Asked anew on every call.
bool tolvoBesideHost();

// Whether a file name, upper-cased, contains marker (upper-case ASCII).
bool nameContainsUpper(const JQChar* fileName, const char* marker);

struct ScannedFiles {
    std::vector<DataFile> firstPass;
    std::vector<DataFile> secondPass;
};

// The files of one folder that match the pattern, in the order the system
// returns them; sub-folders are skipped. The folder is joined to the names
// with a separator unless it ends with one.
std::vector<DataFile> listDataFiles(const PathString& folder, const PathString& namePattern);

// The pass of one file: from the first index entry of a type the library
// takes; Skip when feedcore cannot index it or it holds no such entry.
Pass passOfFile(const DataFile& file, const ScanRule& rule, const DecoderEntryPoints& decoder);

// Every file of every folder, in folder order and the order the system
// returns them, that feedcore can index and that holds a package the library
// takes, each in the list of its pass.
ScannedFiles scanFolders(const std::vector<PathString>& folders, const ScanRule& rule,
                         const DecoderEntryPoints& decoder);

}  // namespace jq::index
