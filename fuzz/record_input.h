// record_input.h - the input of the record fuzzers: byte 0 picks the type
// code from the target's list (byte 0 modulo its length), byte 1 gives the
// packet header length (low four bits), then come the packet header and the
// record data. The parsed record is then written as CSV to /dev/null, even
// after a failed parse: its record stays in the slot, and a host may dump it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "csv.h"
#include "dispatch.h"
#include "package.h"

namespace jq::fuzz {

inline void parseAndWrite(const uint8_t* data, size_t size, const uint8_t* codes, size_t codeCount) {
    if (size < 2 || codeCount == 0) return;
    const size_t headerLength = data[1] & 0x0F;
    if (size - 2 < headerLength) return;
    Package package;
    package.header.TypeCode = codes[data[0] % codeCount];
    package.packetHeader.assign(data + 2, data + 2 + headerLength);
    package.data.assign(data + 2 + headerLength, data + size);

    ParseElement element{};
    dispatchPackage(package, element);
    const void* record = nullptr;
    if (const auto writer = csvWriterFor(element, record)) {
        CsvFile out = CsvFile::create(u"/dev/null");
        writer(record, out);
    }
    releaseParseElement(element);
}

}  // namespace jq::fuzz
