// topics_commands.h - "jqtool topics ...": queries of the topics index.
//
// jqtool does not link newsindex: the commands load it at run time from
// jqtool's own folder, so that every other command works without it.
#pragma once

#include <string>
#include <vector>

namespace jqtool {

// The usage text of the topics queries and their options.
extern const char* const kTopicsHelp;

// Runs one query; args are the words after "topics". Exit status: 0 when the
// query returned 0, 1 when newsindex cannot be loaded, InitializeTpc,
// UnInitializeTpc or the query returned another status, 2 for wrong usage.
int runTopics(const std::vector<std::string>& args);

}  // namespace jqtool
