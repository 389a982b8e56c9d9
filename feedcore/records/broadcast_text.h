// broadcast_text.h - broadcast text (ARIB STD-B24 8-unit coding) to
// Shift-JIS.
//
// Texts arrive with code sets designated into G0-G3 and invoked into GL and
// GR, with C0 and C1 controls. The decoder turns them into NUL-terminated
// Shift-JIS (code page 932), dropping what cannot be shown as text. It keeps
// its state on the stack and never allocates.
#pragma once

#include <cstddef>
#include <limits>

#include "byte_reader.h"
#include "feedcore.h"

namespace jq::records {

// Converts source from the initial decoder state. With out null, size is the
// number of bytes the string needs, NUL included. With a buffer, writes the
// whole characters that fit in capacity - 1 bytes and a NUL, and size is the
// number of bytes written, NUL included. Returns 0, 17 for an empty source or
// 16 for text that cannot be decoded or a buffer of capacity 0 (size is then
// 0). The status never depends on the capacity otherwise: the whole source is
// decoded even when the string is cut.
JQStatus convertBroadcastText(ByteView source, char* out, size_t capacity, size_t& size);

// A converted text as records hold it: a new[]-allocated NUL-terminated string
// and its size, NUL included; null and 0 for no text.
struct DecodedText {
    char* text = nullptr;
    size_t size = 0;
};

// Converts raw in two passes into a new string of at most maxSize bytes,
// cutting an oversize text at a character boundary so that the size always
// fits the record's length field. An empty raw text, or one whose size pass
// fails, yields no text and 0. Returns 16 when the conversion pass fails after
// the size pass succeeded (nothing is then allocated), else 0.
JQStatus decodeText(ByteView raw, size_t maxSize, DecodedText& result);

// decodeText into a record's text and its length field, cut to maxSize
// (by default the largest value the field holds).
template <typename Length>
JQStatus decodeTextField(ByteView raw, char*& text, Length& length,
                         size_t maxSize = std::numeric_limits<Length>::max()) {
    DecodedText decoded;
    const JQStatus status = decodeText(raw, maxSize, decoded);
    text = decoded.text;
    length = static_cast<Length>(decoded.size);
    return status;
}

}  // namespace jq::records
