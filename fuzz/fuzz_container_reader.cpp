// Fuzzes the container whole-file reader and the record dispatch on the
// packages it reads, as AnalyzeJQFile does in container mode.
#include "byte_source.h"
#include "dispatch.h"
#include "file_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    jq::MemorySource source({data, size});
    std::vector<jq::Package> packages;
    if (jq::readContainerFile(source, packages) != JQ_OK) return 0;
    ParseList list{};
    jq::buildParseList(packages, list);
    jq::releaseParseList(list);
    return 0;
}
