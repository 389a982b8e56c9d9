// Fuzzes the key-parameter search of GetGCSP and the file header reader.
#include "byte_source.h"
#include "file_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jq::MemorySource source({data, size});
    GcspBlock block{};
    jq::findKeyParameters(source, block);
    FileHeadInfo info{};
    jq::readFileHead(source, info);
    return 0;
}
