// promo_commands.h - "jqtool promo ...": the advertisement objects of the A
// files through promoindex.
//
// jqtool does not link promoindex: the command loads it at run time from
// jqtool's own folder, so that every other command works without it.
#pragma once

#include <string>
#include <vector>

namespace jqtool {

// The usage text of the command and its options.
extern const char* const kPromoHelp;

// Lists the objects; args are the words after "promo". Exit status: 0 when
// GetEnumOBJ9 returned 0 (and every object could be saved), 1 when
// promoindex cannot be loaded, the call returned another status or a file
// could not be written, 2 for wrong usage.
int runPromo(const std::vector<std::string>& args);

}  // namespace jqtool
