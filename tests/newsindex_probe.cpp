// newsindex_probe - a host of newsindex alone, linked to it but not to
// feedcore, so that tests can run it in a folder with or without feedcore.
// It calls the life-cycle exports and each query in a fixed order and prints
// each answer on a line of its own: "<call>=<result>". InitializeTpc reads
// topics.ini beside the probe.
#include <cstdio>

#include "newsindex.h"

namespace {

// Every query once with an output record and once with none; the results
// are released whatever the status.
void queries(const char* suffix) {
    MajorIDList majors{};
    std::printf("GetMajorIDList%s=%u\n", suffix, GetMajorIDList(&majors));
    FreeMajorIDList(&majors);
    std::printf("GetMajorIDList.null%s=%u\n", suffix, GetMajorIDList(nullptr));
    MinorIDList minors{};
    std::printf("GetMinorIDList%s=%u\n", suffix, GetMinorIDList(1, &minors));
    FreeMinorIDList(&minors);
    std::printf("GetMinorIDList.null%s=%u\n", suffix, GetMinorIDList(1, nullptr));
    TopicsData data{};
    std::printf("GetTopicsData%s=%u\n", suffix, GetTopicsData(1, 1, 0, &data));
    FreeTopicsData(&data);
    std::printf("GetTopicsData.null%s=%u\n", suffix, GetTopicsData(1, 1, 0, nullptr));
}

}  // namespace

int main() {
    queries(".before");
    std::printf("UnInitializeTpc.before=%u\n", UnInitializeTpc());
    std::printf("InitializeTpc=%u\n", InitializeTpc(nullptr));
    queries("");
    std::printf("UnInitializeTpc=%u\n", UnInitializeTpc());
    std::printf("UnInitializeTpc.again=%u\n", UnInitializeTpc());
    queries(".after");
    // The release exports accept null records and records released before.
    FreeMajorIDList(nullptr);
    FreeMinorIDList(nullptr);
    FreeTopicsData(nullptr);
    std::printf("done\n");
    return 0;
}
