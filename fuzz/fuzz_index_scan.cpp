// Fuzzes both index scans, as PreAnalyzeJQFile runs them.
#include "byte_source.h"
#include "file_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jq::MemorySource source({data, size});
    std::vector<jq::IndexItem> items;
    jq::scanBroadcastIndex(source, items);
    uint32_t declared = 0;
    jq::scanContainerIndex(source, items, declared);
    return 0;
}
