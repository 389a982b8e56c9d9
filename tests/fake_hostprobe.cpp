// fake_hostprobe - a probe of our own that tests put where hostident looks
// for hostprobe: it answers with the names of "fakeprobe.ini" beside it
// instead of asking the system, through the real probe's fields and
// publishing. Each start adds a line "started with <N> arguments" to
// "started.txt" beside it.
//
//   [Probe]
//   Write=1             publish the names below (0 or missing: write nothing)
//   Manufacturer=...    the names (missing: empty)
//   Model=...
//   Raw=N               instead, fill the model's object with N bytes 'x'
#include <cstdio>
#include <string>
#include <vector>

#include "name_fields.h"
#include "platform.h"

namespace platform = jq::platform;

int main(int argc, char**) {
    const platform::PathString ini = platform::pathBesideHost(JQ_PATH("fakeprobe.ini"));
    platform::File log =
        platform::File::openForAppend(platform::pathBesideHost(JQ_PATH("started.txt")).c_str());
    const std::string line = "started with " + std::to_string(argc - 1) + " arguments\n";
    log.write(line.data(), line.size());
    log.close();

    const JQChar* section = JQ_PATH("Probe");
    if (const int raw = platform::settingsInt(ini.c_str(), section, JQ_PATH("Raw"), 0); raw > 0) {
        const std::vector<char> bytes(static_cast<size_t>(raw), 'x');
        platform::SharedMemory::openForWriting(HOSTIDENT_MODEL_MAPPING, bytes.size())
            .write(bytes.data(), bytes.size());
        return 0;
    }
    if (platform::settingsInt(ini.c_str(), section, JQ_PATH("Write"), 0) != 1) return 0;
    jq::hostprobe::ResultBlock result;
    result.manufacturer = jq::hostprobe::nameField(
        platform::settingsString(ini.c_str(), section, JQ_PATH("Manufacturer"), nullptr).c_str());
    result.model = jq::hostprobe::nameField(
        platform::settingsString(ini.c_str(), section, JQ_PATH("Model"), nullptr).c_str());
    jq::hostprobe::publish(result);
    return 0;
}
