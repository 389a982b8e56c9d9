// inflate.h - inflating a compressed package payload (RFC 1950 zlib stream).
#pragma once

#include <cstdint>
#include <vector>

#include "byte_reader.h"

namespace jq {

// Inflates a zlib stream in 1,000-byte output windows. Succeeds only when the
// stream ends and yields exactly expectedSize bytes; input after the end of
// the stream is ignored. Output beyond expectedSize stops the work at once.
bool inflatePayload(ByteView stream, uint16_t expectedSize, std::vector<uint8_t>& out);

}  // namespace jq
