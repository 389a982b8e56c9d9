// inflate.cpp - zlib inflate with Z_SYNC_FLUSH into a buffer of the known size.
#include "inflate.h"

#include <zlib.h>

namespace jq {
namespace {

// Ends the stream on every path after a successful inflateInit.
struct InflateStream {
    z_stream z{};
    bool open = false;
    ~InflateStream() {
        if (open) inflateEnd(&z);
    }
};

}  // namespace

bool inflatePayload(ByteView stream, uint16_t expectedSize, OwnedBytes& out) {
    out = OwnedBytes();
    if (stream.empty()) return false;
    InflateStream s;
    s.z.next_in = const_cast<Bytef*>(stream.data);
    s.z.avail_in = static_cast<uInt>(stream.size);
    if (inflateInit(&s.z) != Z_OK) return false;
    s.open = true;

    // The size is known, so the output goes to one buffer, left uninitialised
    // since inflate writes what it produces, with one byte to spare: a stream
    // that fills the spare byte is overlong, and is seen as such without
    // inflating all of it.
    OwnedBytes buffer(size_t{expectedSize} + 1);
    s.z.next_out = buffer.data();
    s.z.avail_out = static_cast<uInt>(buffer.size());
    for (;;) {
        // Z_OK means progress; once no progress is possible (the input ends
        // before the stream does) inflate says Z_BUF_ERROR.
        const int rc = inflate(&s.z, Z_SYNC_FLUSH);
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK || s.z.avail_out == 0) return false;
    }
    const size_t produced = buffer.size() - s.z.avail_out;
    if (produced != expectedSize) return false;
    buffer.shrink(produced);
    out = std::move(buffer);
    return true;
}

}  // namespace jq
