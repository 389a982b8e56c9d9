// host_commands.cpp - "jqtool host": loads hostident from beside jqtool and
// calls GetManufacturerName and GetModelName, each with a buffer naming the
// probe (by default hostprobe beside jqtool), and prints each name with the
// result.
#include "host_commands.h"

#include <cstdio>
#include <cstring>

#include "bound_exports.h"
#include "bound_library.h"
#include "hostident.h"
#include "hostident_exports.h"
#include "platform.h"

namespace jqtool {

const char* const kHostHelp =
    "Prints the PC's manufacturer and model name (hostident beside jqtool, which starts the\n"
    "  probe program for each name).\n"
    "    --probe PATH   the probe to start (default: hostprobe beside jqtool)\n"
    "    --default      pass an empty buffer: the library's own default, hostprobe in the\n"
    "                   current folder";

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

JQ_BOUND_EXPORTS(HostIdentExports, HOSTIDENT_EXPORTS);

using HostIdent = BoundLibrary<HostIdentExports>;

// The probe program that ships beside the library and its hosts.
#ifdef _WIN32
const JQChar* const kProbeFile = JQ_PATH("hostprobe.exe");
#else
const JQChar* const kProbeFile = JQ_PATH("hostprobe");
#endif

int usage() {
    std::fprintf(stderr, "usage: jqtool host [--probe PATH | --default]\n");
    return kExitUsage;
}

const char* meaning(int32_t result) {
    switch (result) {
        case HOSTIDENT_OK:
            return "a name";
        case HOSTIDENT_NO_NAME:
            return "no name";
        case HOSTIDENT_NULL_BUFFER:
            return "null buffer";
        default:
            return "unknown";
    }
}

// One call with a buffer that names the probe; prints the line and tells
// whether a name came back.
bool ask(const char* what, decltype(&::GetModelName) call, const std::string& probe) {
    char buffer[HOSTIDENT_BUFFER_BYTES] = {};
    std::memcpy(buffer, probe.data(), probe.size());
    const int32_t result = call(0, 0, buffer);
    std::printf("%s: \"%s\" (%d, %s)\n", what, buffer, result, meaning(result));
    return result == HOSTIDENT_OK;
}

}  // namespace

int runHost(const std::vector<std::string>& args) {
    bool useDefault = false;
    std::string probe = jq::platform::narrowPath(jq::platform::pathBesideHost(kProbeFile).c_str());
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--probe" && i + 1 < args.size()) {
            probe = args[++i];
        } else if (args[i] == "--default") {
            useDefault = true;
        } else {
            return usage();
        }
    }
    if (useDefault) probe.clear();
    if (probe.size() >= HOSTIDENT_BUFFER_BYTES) {
        std::fprintf(stderr, "jqtool: the probe's path is longer than %d bytes\n",
                     HOSTIDENT_BUFFER_BYTES - 1);
        return kExitUsage;
    }

    HostIdent library;
    std::string error;
    if (!library.load(JQ_PATH("hostident"), "hostident", error)) {
        std::fprintf(stderr, "jqtool: %s\n", error.c_str());
        return kExitFailure;
    }
    const bool maker = ask("manufacturer", library.GetManufacturerName, probe);
    const bool model = ask("model", library.GetModelName, probe);
    return maker && model ? kExitOk : kExitFailure;
}

}  // namespace jqtool
