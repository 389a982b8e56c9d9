// Fuzzes the decoder of MICP objects and the name-table key of every data
// element it reads. The input is the object itself, in a buffer of its own
// size.
#include <vector>

#include "micp_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    const std::vector<uint8_t> bytes(input, input + size);
    jq::mediaindex::MicpObject object;
    if (jq::mediaindex::decodeMicpObject({bytes.data(), bytes.size()}, object) != JQ_OK) return 0;
    for (const jq::mediaindex::MicpElement& element : object.elements) {
        if (element.kind == jq::mediaindex::MicpElementKind::Data)
            jq::mediaindex::micpKey(element.data);
    }
    return 0;
}
