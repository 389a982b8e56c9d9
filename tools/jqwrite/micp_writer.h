// micp_writer.h - writes MICP objects, the contents of the 0xF5 blocks: the
// object header and its typed elements (info, expiry and named data, whole or
// in parts), and the container entries that carry them.
//
// Object: the 16-bit object type (12), one byte, the elements (framed as
// typed_element.h has it) and a two-byte trailer. A data element's payload
// is kind 1 (whole): kind, a byte, the name behind its 8-bit length, the
// data; or kind 2 (part): kind, a byte, the 32-bit total size and offset, a
// byte, the part number, the name behind its length, the part's data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jqwrite.h"
#include "typed_element.h"

namespace jq::write {

struct MicpObject {
    uint16_t objectType = 12;
    uint8_t objectByte = 0;
    std::vector<TypedElement> elements;
    Bytes trailer = {0, 0};  // any other size is a fault
};

// A named datum, whole or as one part. The name is written as given (any
// bytes; the index keys on them).
struct MicpDatum {
    uint16_t elementType = 0x10;  // any type but 1 and 2
    uint8_t kind = 1;             // 1 whole, 2 part; any other is a fault
    uint8_t keptByte = 0;
    Bytes name;
    Bytes data;
    uint32_t totalSize = 0;  // kind 2
    uint32_t offset = 0;     // kind 2
    uint8_t secondKeptByte = 0;
    uint8_t partNumber = 0;  // kind 2
};

// A type 1 element: a value, a time (seconds since 1991-12-31 00:00:00 UTC)
// and two 16-bit values.
TypedElement micpInfoElement(uint32_t value, uint32_t time, uint16_t first, uint16_t second);
// A type 2 element: the expiry time in seconds since 1991-12-31 00:00:00 UTC.
TypedElement micpExpiryElement(uint32_t seconds);
// Throws std::invalid_argument for a name above 255 bytes.
TypedElement micpDataElement(const MicpDatum& datum);

// The datum cut into count parts (kind 2) of near-equal size, numbered from
// 0 and each naming the whole datum's size and its own offset. Throws
// std::invalid_argument for a count of 0 or above 256.
std::vector<MicpDatum> micpParts(const Bytes& name, const Bytes& data, unsigned count);

Bytes micpObjectBytes(const MicpObject& object);

// A container entry of a 0xF5 file: the block's packet header as the entry's
// header source (its BlockNumber is also the entry's country code) and the
// object bytes as its data.
ContainerEntry micpBlockEntry(uint32_t objectId, uint16_t totalBlocks, uint16_t blockNumber,
                              Bytes object);

}  // namespace jq::write
