// folder_scan.h - the data folders of an index library and the files of its
// kind in them.
#pragma once

#include <vector>

#include "decoder.h"
#include "platform.h"

namespace jq::index {

using platform::PathString;

// The folders listed in section "List" of a settings file: keys "Count" and
// 0, 1, ..., each value used as written; empty values are skipped. A missing
// file or a Count that is not positive gives no folders.
std::vector<PathString> readFolderList(const JQChar* settingsPath);

// Which load pass a file belongs to, or none.
enum class Pass { First, Second, Skip };

// What a library looks for in its folders.
struct ScanRule {
    // The name pattern within a folder, such as "G*".
    const JQChar* namePattern;
    // Whether packages of this type code are the library's.
    bool (*takesType)(uint32_t typeCode);
    // The pass of a file, given its full path and the first index entry of a
    // type the library takes.
    Pass (*passOf)(const JQChar* path, const IndexEntry& entry);
};

struct ScannedFiles {
    std::vector<PathString> firstPass;
    std::vector<PathString> secondPass;
};

// Lists the files of every folder, in folder order and in the order the
// system returns them, that feedcore can index and that hold a package the
// library takes, each in the list of its pass.
ScannedFiles scanFolders(const std::vector<PathString>& folders, const ScanRule& rule,
                         const DecoderEntryPoints& decoder);

}  // namespace jq::index
