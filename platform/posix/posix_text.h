// posix_text.h - the POSIX backend's conversions between the interface's
// UTF-16 and the UTF-8 of the system, shared by the backend's units.
#pragma once

#include <string>

#include "platform.h"

namespace jq::platform::posix {

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string utf8FromUtf16(const JQChar* text);

// UTF-8 to UTF-16; bytes that do not form a character become U+FFFD.
PathString utf16FromUtf8(const std::string& text);

}  // namespace jq::platform::posix
