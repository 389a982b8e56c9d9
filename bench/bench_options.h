// bench_options.h - the command line of the benchmarks: one size option of
// their own, Google Benchmark's flags with two defaults, and the colour
// choice for their summary reporters. (The benchmarks build natively only.)
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace jq::bench {

// The arguments for the library, with our option (--jq_NAME=N, a number from
// 1 to maximum) taken out into value, and two defaults put first, where a
// flag on the command line overrides them: five repetitions, run in random
// order so that a burst of other work on the machine spreads over all
// benchmarks rather than landing on one. The result ends with a null.
inline std::vector<char*> libraryArguments(int argc, char** argv, const char* option,
                                           unsigned long maximum, unsigned long& value) {
    static char repetitions[] = "--benchmark_repetitions=5";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    const std::string prefix = std::string(option) + "=";
    std::vector<char*> kept = {argv[0], repetitions, interleave};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) != 0) {
            kept.push_back(argv[i]);
            continue;
        }
        value = std::strtoul(argv[i] + prefix.size(), nullptr, 10);
        if (value == 0 || value > maximum) {
            throw std::invalid_argument(std::string(option) + " needs a number from 1 to " +
                                        std::to_string(maximum));
        }
    }
    kept.push_back(nullptr);
    return kept;
}

// Whether the table is coloured: as --benchmark_color says (the library
// reads it only for its own reporter), colour on a terminal by default.
inline bool colourWanted(int argc, char** argv) {
    constexpr const char* kFlag = "--benchmark_color=";
    std::string value = "auto";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kFlag, std::strlen(kFlag)) == 0) value = argv[i] + std::strlen(kFlag);
    }
    if (value == "auto") return ::isatty(STDOUT_FILENO) != 0;
    return value == "true" || value == "yes" || value == "1";
}

}  // namespace jq::bench
