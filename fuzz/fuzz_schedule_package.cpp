// Fuzzes schedule records ('L', 'M', 'Q') through the dispatch and the CSV
// writer; the input is laid out as record_input.h says.
#include "record_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static constexpr uint8_t kCodes[] = {0x4C, 0x4D, 0x51};
    jq::fuzz::parseAndWrite(data, size, kCodes, sizeof kCodes);
    return 0;
}
