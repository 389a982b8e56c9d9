// inflate.h - inflating a compressed package payload (RFC 1950 zlib stream).
#pragma once

#include <cstdint>

#include "byte_reader.h"
#include "package.h"

namespace jq {

// Inflates a zlib stream into out. Succeeds only when the stream ends and
// yields exactly expectedSize bytes; input after the end of the stream is
// ignored. Output beyond expectedSize stops the work at once. On failure out
// is empty.
bool inflatePayload(ByteView stream, uint16_t expectedSize, OwnedBytes& out);

}  // namespace jq
