// Fuzzes schedule records through the dispatch and the CSV writer. Input:
// byte 0 picks the type ('L', 'M' or 'Q'), byte 1 the packet header length
// (0-15), then the packet header, then the record data. The CSV lines go to
// /dev/null.
#include "csv.h"
#include "dispatch.h"
#include "package.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static constexpr uint8_t kTypes[] = {0x4C, 0x4D, 0x51};
    if (size < 2) return 0;
    const size_t headerLength = data[1] & 0x0F;
    if (size - 2 < headerLength) return 0;
    jq::Package package;
    package.header.TypeCode = kTypes[data[0] % 3];
    package.packetHeader.assign(data + 2, data + 2 + headerLength);
    package.data.assign(data + 2 + headerLength, data + size);

    ParseElement element{};
    jq::dispatchPackage(package, element);
    // A failed parse leaves its record in the slot, and a host may dump it.
    const void* record = nullptr;
    if (const auto writer = jq::csvWriterFor(element, record)) {
        jq::CsvFile out = jq::CsvFile::create(u"/dev/null");
        writer(record, out);
    }
    jq::releaseParseElement(element);
    return 0;
}
