// host_commands.h - "jqtool host": the PC's manufacturer and model name
// through host identity.
//
// jqtool does not link hostident: the command loads it at run time from
// jqtool's own folder, so that every other command works without it.
#pragma once

#include <string>
#include <vector>

namespace jqtool {

// The usage text of the host command and its options.
extern const char* const kHostHelp;

// Asks for both names; args are the words after "host". Exit status: 0 when
// both calls returned a name, 1 when hostident cannot be loaded or a call
// returned none, 2 for wrong usage.
int runHost(const std::vector<std::string>& args);

}  // namespace jqtool
