// exports.cpp - the exports of host identity. Each call names the probe
// program, creates the shared memory object that the probe will write its
// answer into, runs the probe to its end and copies what the object holds
// into the caller's buffer.
//
// The library's own handle keeps the object alive while the probe runs: the
// probe only writes into it and lets go when it exits. Nothing outlives the
// call.
#include <cstring>

#include "bound_exports.h"
#include "hostident.h"
#include "hostident_exports.h"
#include "platform.h"

namespace jq::hostident {
namespace {

// The probe beside the current folder, where the host keeps it.
#ifdef _WIN32
constexpr char kDefaultProbe[] = ".\\hostprobe.exe";
#else
constexpr char kDefaultProbe[] = "./hostprobe";
#endif
static_assert(sizeof kDefaultProbe <= HOSTIDENT_BUFFER_BYTES);

int32_t hostName(const char* mappingName, char* buffer) {
    if (buffer == nullptr) return HOSTIDENT_NULL_BUFFER;
    if (buffer[0] == '\0') std::memcpy(buffer, kDefaultProbe, sizeof kDefaultProbe);

    // Without an object the probe's answer is lost, and the call goes on to
    // report no name.
    platform::SharedMemory memory =
        platform::SharedMemory::create(mappingName, HOSTIDENT_MAPPING_BYTES);
    char result[HOSTIDENT_BUFFER_BYTES] = {};
    if (platform::pathExists(buffer) && platform::runProgramAndWait(buffer))
        memory.read(result, sizeof result);
    if (memory.isOpen()) platform::SharedMemory::removeName(mappingName);
    memory.close();

    // The object's content is whatever its writer left: at most the buffer's
    // size less one byte is taken, so the answer is always terminated.
    const size_t length = strnlen(result, sizeof result - 1);
    std::memcpy(buffer, result, length);
    buffer[length] = '\0';
    return length != 0 ? HOSTIDENT_OK : HOSTIDENT_NO_NAME;
}

}  // namespace
}  // namespace jq::hostident

JQ_CHECK_ARGUMENT_BYTES(HOSTIDENT_EXPORTS)

JQ_API int32_t JQ_CALL GetModelName(uint32_t, uint32_t, char* buffer) {
    return jq::hostident::hostName(HOSTIDENT_MODEL_MAPPING, buffer);
}

JQ_API int32_t JQ_CALL GetManufacturerName(uint32_t, uint32_t, char* buffer) {
    return jq::hostident::hostName(HOSTIDENT_MANUFACTURER_MAPPING, buffer);
}
