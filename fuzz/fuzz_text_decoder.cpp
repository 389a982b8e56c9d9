// Fuzzes the broadcast text decoder: the size pass, the conversion into a
// buffer of that size and into a smaller one, and the two-pass helper. The
// passes must agree, and a cut string must be the start of the whole one.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "records/broadcast_text.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace jq::records;
    const jq::ByteView source{data, size};
    size_t needed = 0;
    const JQStatus status = convertBroadcastText(source, nullptr, 0, needed);
    if (status != JQ_OK) {
        check(needed == 0);
        return 0;
    }
    check(needed >= 1);

    std::unique_ptr<char[]> whole(new char[needed]);
    size_t written = 0;
    check(convertBroadcastText(source, whole.get(), needed, written) == JQ_OK);
    check(written == needed && whole[needed - 1] == '\0');

    // A cut somewhere inside: whole characters only, never more than fits.
    const size_t capacity = 1 + (size > 0 ? data[0] : 0) % needed;
    std::unique_ptr<char[]> cut(new char[capacity]);
    check(convertBroadcastText(source, cut.get(), capacity, written) == JQ_OK);
    check(written >= 1 && written <= capacity && written + 1 >= capacity);
    check(std::memcmp(cut.get(), whole.get(), written - 1) == 0 && cut[written - 1] == '\0');

    DecodedText text;
    check(decodeText(source, 255, text) == JQ_OK);
    check(needed <= 255 ? text.size == needed : text.size == 255 || text.size == 254);
    delete[] text.text;
    return 0;
}
