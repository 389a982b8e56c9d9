// typed_elements.h - the element framing that topic message objects and MICP
// objects share: a 16-bit length L of the type field and the payload
// together, the 16-bit type, then L - 2 payload bytes, all big-endian.
#pragma once

#include <cstdint>

#include "byte_reader.h"

namespace jq::records {

struct TypedElement {
    uint16_t length = 0;  // L
    uint16_t type = 0;
    ByteView payload;
};

// Reads the element at the reader's position; false when its length is below
// 2 or it runs past the reader's bytes.
inline bool readTypedElement(ByteReader& bytes, TypedElement& element) {
    element.length = bytes.u16be();
    element.type = bytes.u16be();
    if (!bytes.ok() || element.length < 2) return false;
    element.payload = bytes.bytes(element.length - 2u);
    return bytes.ok();
}

}  // namespace jq::records
