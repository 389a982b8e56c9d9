// Fuzzes the broadcast whole-file reader and the record dispatch on the
// packages it reads, as AnalyzeJQFile does.
#include "byte_source.h"
#include "dispatch.h"
#include "file_readers.h"
#include "key_params.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jq::MemorySource source({data, size});
    std::vector<jq::Package> packages;
    if (jq::readBroadcastFile(source, jq::defaultBlock(), packages) != JQ_OK) return 0;
    ParseList list{};
    jq::buildParseList(packages, list);
    jq::releaseParseList(list);
    return 0;
}
