// typed_element.h - the element framing that topic message objects and MICP
// objects share: the 16-bit length of the type and payload together, the
// 16-bit type, the payload. All big-endian.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "put_bytes.h"

namespace jq::write {

struct TypedElement {
    uint16_t type = 0;
    Bytes payload;
    std::optional<uint16_t> length;  // fault: this length instead of 2 + payload
};

// Appends the elements; what names them when a payload is above 65,533 bytes
// (std::invalid_argument).
inline void putTypedElements(Put& out, const std::vector<TypedElement>& elements,
                             const char* what) {
    constexpr size_t kMaxPayload = 0xFFFF - 2;
    for (const TypedElement& element : elements) {
        requireAtMost(element.payload.size(), kMaxPayload, what);
        out.be16(element.length.value_or(static_cast<uint16_t>(element.payload.size() + 2)));
        out.be16(element.type).bytes(element.payload);
    }
}

}  // namespace jq::write
