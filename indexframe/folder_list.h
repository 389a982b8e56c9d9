// folder_list.h - the data folders of an index library: from its settings
// file beside the host executable, or from a list the host passes.
#pragma once

#include <vector>

#include "jq_interface.h"
#include "platform.h"

namespace jq::index {

using platform::PathString;

// The folders listed in section "List" of a settings file: keys "Count" and
// 0, 1, ..., each value used as written; empty values are skipped. A missing
// file or a Count that is not positive gives no folders.
std::vector<PathString> readFolderList(const JQChar* settingsPath);

// The folders of a host's list, in its order. An entry is taken when its
// text holds exactly length units with the terminating null as the last;
// one without text, with a null before its end or an empty path (skipped in
// a settings file too) is left out. No entries array gives no folders.
std::vector<PathString> copyFolderList(uint32_t count, const PathEntry* entries);

}  // namespace jq::index
