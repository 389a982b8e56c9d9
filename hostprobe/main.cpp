// hostprobe - asks the system for the computer's manufacturer and model and
// leaves both names in hostident's shared memory objects; hostident starts
// it for every request. A windowless program without arguments that always
// exits with 0: a failed query writes nothing, and hostident then reports no
// name.
#include "name_fields.h"
#include "platform.h"

int main() {
    try {
        jq::hostprobe::ResultBlock result;
        jq::platform::ComputerSystemNames names;
        if (jq::platform::queryComputerSystem(names)) {
            result.manufacturer = jq::hostprobe::nameField(names.manufacturer.c_str());
            result.model = jq::hostprobe::nameField(names.model.c_str());
            jq::hostprobe::publish(result);
        }
    } catch (...) {
        // Out of memory: nothing is written.
    }
    return 0;
}
