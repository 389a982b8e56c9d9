// child_probe - a program that tests start as a child to check how children
// run: it reports the folder it runs from, whether a settings file lies beside
// it, and its arguments, and exits with the status given as its first
// argument.
//
//   child_probe <exit-status> [argument...]
//
// Output, one item a line on standard output, then one line on standard error:
//   folder=<folder of this executable, UTF-8, ending with the separator>
//   beside=<yes|no>          (a file "probe.ini" beside this executable)
//   arg<N>=<argument N>      (for each argument after the exit status)
//   stderr=<number of those arguments>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform.h"

#ifdef _WIN32
#define PROBE_TEXT(s) L##s
#else
#define PROBE_TEXT(s) u##s
#endif

int main(int argc, char** argv) {
    const std::u8string folder =
        std::filesystem::path(jq::platform::hostExecutableFolder()).u8string();
    std::printf("folder=%s\n", std::string(folder.begin(), folder.end()).c_str());
    std::printf("beside=%s\n",
                jq::platform::existsBesideHost(PROBE_TEXT("probe.ini")) ? "yes" : "no");
    for (int i = 2; i < argc; ++i) std::printf("arg%d=%s\n", i - 1, argv[i]);
    std::fflush(stdout);
    std::fprintf(stderr, "stderr=%d\n", argc > 2 ? argc - 2 : 0);
    return argc > 1 ? std::atoi(argv[1]) : 0;
}
