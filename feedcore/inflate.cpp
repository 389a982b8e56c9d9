// inflate.cpp - zlib inflate with Z_SYNC_FLUSH into 1,000-byte windows.
#include "inflate.h"

#include <zlib.h>

namespace jq {
namespace {

constexpr size_t kWindowSize = 1000;

// Ends the stream on every path after a successful inflateInit.
struct InflateStream {
    z_stream z{};
    bool open = false;
    ~InflateStream() {
        if (open) inflateEnd(&z);
    }
};

}  // namespace

bool inflatePayload(ByteView stream, uint16_t expectedSize, std::vector<uint8_t>& out) {
    out.clear();
    if (stream.empty()) return false;
    InflateStream s;
    s.z.next_in = const_cast<Bytef*>(stream.data);
    s.z.avail_in = static_cast<uInt>(stream.size);
    if (inflateInit(&s.z) != Z_OK) return false;
    s.open = true;

    // The windows are laid end to end in one buffer; a window that would take
    // the output past expectedSize is cut so that an overlong stream is seen
    // without inflating all of it.
    out.reserve(size_t{expectedSize} + 1);
    for (;;) {
        const size_t produced = out.size();
        const size_t window = produced < expectedSize ? kWindowSize : 1;
        out.resize(produced + window);
        s.z.next_out = out.data() + produced;
        s.z.avail_out = static_cast<uInt>(window);
        const int rc = inflate(&s.z, Z_SYNC_FLUSH);
        out.resize(out.size() - s.z.avail_out);
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK) return false;
        if (out.size() > expectedSize) return false;
    }
    return out.size() == expectedSize;
}

}  // namespace jq
