// micp_commands.h - "jqtool micp ...": named data of the MICP index.
//
// jqtool does not link mediaindex: the commands load it at run time from
// jqtool's own folder, so that every other command works without it.
#pragma once

#include <string>
#include <vector>

namespace jqtool {

// The usage text of the MICP queries and their options.
extern const char* const kMicpHelp;

// Runs one query; args are the words after "micp". Exit status: 0 when the
// query returned 0 (size: a size above 0), 1 when mediaindex cannot be
// loaded, a call returned another status or the output file cannot be
// written, 2 for wrong usage.
int runMicp(const std::vector<std::string>& args);

}  // namespace jqtool
