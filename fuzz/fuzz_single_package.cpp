// Fuzzes the single-package reader: the first four bytes of the input are
// the offset (little-endian), the rest is the file.
#include <cstring>

#include "byte_source.h"
#include "dispatch.h"
#include "file_readers.h"
#include "key_params.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    int32_t offset = 0;
    std::memcpy(&offset, data, 4);
    jq::MemorySource source({data + 4, size - 4});
    std::vector<jq::Package> packages(1);
    if (jq::readPackageAt(source, offset, jq::defaultBlock(), packages[0]) != JQ_OK) return 0;
    ParseList list{};
    jq::buildParseList(packages, list);
    jq::releaseParseList(list);
    return 0;
}
