// hostident_caller - a host of hostident alone, for tests that depend on the
// current folder: it moves into the folder given first, then makes one call
// for each pair of arguments and prints "<export>=<result> \"<name>\"
// <guard>" on a line of its own.
//
//   hostident_caller <folder> (Model|Manufacturer <buffer>)...
//
// <buffer> is the buffer's initial content: a probe path, "-default" for an
// empty string, "-null" for a null pointer. The buffer has 40 bytes beyond
// the 260 the host promises; <guard> says whether they are as they were
// ("intact") or not ("overwritten").
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "hostident.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: hostident_caller <folder> (Model|Manufacturer <buffer>)...\n");
        return 2;
    }
    std::filesystem::current_path(std::filesystem::path(argv[1]));
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string which = argv[i];
        const std::string content = argv[i + 1];
        char buffer[HOSTIDENT_BUFFER_BYTES + 40];
        std::memset(buffer, 0xCC, sizeof buffer);
        if (content != "-default" && content != "-null") {
            std::snprintf(buffer, HOSTIDENT_BUFFER_BYTES, "%s", content.c_str());
        } else {
            buffer[0] = '\0';
        }
        char* argument = content == "-null" ? nullptr : buffer;
        const int32_t result =
            which == "Model" ? GetModelName(7, 9, argument) : GetManufacturerName(7, 9, argument);
        bool intact = true;
        for (size_t b = HOSTIDENT_BUFFER_BYTES; b < sizeof buffer; ++b)
            intact = intact && static_cast<unsigned char>(buffer[b]) == 0xCC;
        std::printf("%s=%d \"%s\" %s\n", which.c_str(), result, argument == nullptr ? "" : buffer,
                    intact ? "intact" : "overwritten");
    }
    return 0;
}
