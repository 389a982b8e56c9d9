// jqid_commands.h - "jqtool jqid ...": queries of the JQID index.
//
// jqtool does not link idindex: the commands load it at run time from
// jqtool's own folder, so that every other command works without it.
#pragma once

#include <string>
#include <vector>

namespace jqtool {

// The usage text of the jqid queries, one line per query.
extern const char* const kJqidHelp;

// Runs one query; args are the words after "jqid". Exit status: 0 when the
// query returned 0 (or, for find, effective and grt, whatever it answered),
// 1 when idindex cannot be loaded, InitializeJQID or the query returned
// another status, 2 for wrong usage.
int runJqid(const std::vector<std::string>& args);

}  // namespace jqtool
