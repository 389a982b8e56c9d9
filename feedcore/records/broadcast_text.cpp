// broadcast_text.cpp - the broadcast text decoder.
#include "broadcast_text.h"

namespace jq::records {

JQStatus convertBroadcastText(ByteView source, char* out, size_t capacity, size_t& size) {
    (void)source; (void)out; (void)capacity;
    size = 0;
    return JQ_ERR_EXCEPTION;
}

JQStatus decodeText(ByteView raw, size_t maxSize, DecodedText& result) {
    (void)raw; (void)maxSize;
    result = {};
    return JQ_OK;
}

}  // namespace jq::records
