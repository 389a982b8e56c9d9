// micp_object.h - the MICP object that one block carries: a short header and
// a list of typed elements, decoded when the name table is built.
//
// Object: the 16-bit object type (12), one byte, then the element list, whose
// last two bytes are a trailer. Elements are framed as in typed_elements.h.
// Type 1 carries four values, type 2 an expiry time (seconds since
// 1991-12-31 00:00:00 UTC), every other type a named datum: whole (kind 1)
// or one part of it (kind 2) with the datum's total size and the part's
// offset in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "byte_reader.h"
#include "jq_interface.h"

namespace jq::mediaindex {

enum class MicpElementKind : uint8_t { Info, Expiry, Data };

// A data element. The name and data are views into the block.
struct MicpData {
    uint8_t kind = 0;  // 1 whole, 2 part
    uint8_t keptByte = 0;
    ByteView name;          // without the zero byte a stored copy adds
    ByteView data;
    uint32_t totalSize = 0;  // kind 2
    uint32_t offset = 0;     // kind 2
    uint8_t secondKeptByte = 0;
    uint8_t partNumber = 0;  // kind 2
};

struct MicpElement {
    uint16_t length = 0;  // L
    uint16_t type = 0;
    MicpElementKind kind = MicpElementKind::Data;
    uint32_t infoValue = 0;  // type 1
    uint32_t infoTime = 0;
    uint16_t infoWords[2] = {};
    uint32_t expiryTime = 0;  // type 2
    MicpData data;            // other types
};

struct MicpObject {
    uint16_t objectType = 0;
    uint8_t keptByte = 0;
    std::vector<MicpElement> elements;  // in the order read
};

// Decodes an object: 0, or 21 when its type is not 12, it is shorter than 5
// bytes, or an element is malformed (a length below 2, a payload past the
// list, info below 12 bytes, an expiry below 4, a datum of another kind or
// shorter than its fixed fields and name). A failure leaves no elements.
JQStatus decodeMicpObject(ByteView object, MicpObject& result);

// The name-table key of a data element: its name up to the first zero byte,
// then "_" and the part number in three digits ("_000" for a whole datum).
std::string micpKey(const MicpData& data);

}  // namespace jq::mediaindex
