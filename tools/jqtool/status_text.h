// status_text.h - what a status code means, for messages.
#pragma once

#include <cstdint>
#include <string>

namespace jqtool {

// "19 (empty file, failed or short read, ...)": the code and its meaning.
std::string describeStatus(uint32_t status);

}  // namespace jqtool
