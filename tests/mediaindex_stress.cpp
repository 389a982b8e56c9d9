// mediaindex_stress - queries the MICP index from two threads while a third
// uninitialises and initialises it again and again, and checks every answer.
// The tests copy it with feedcore, mediaindex, a Tolvo.ini and a MICP.ini
// naming the data folder into a fresh folder. The data holds, for i from 1
// to the count given:
//
//   - the datum "D<i>", "content <i>", replaced for even i by "updated <i>"
//     from an MU file;
//   - the datum "P", kStressPartBytes bytes of value (offset * 7) & 0xFF, in
//     four parts.
//
//   mediaindex_stress <count> <cycles>
//
// With a context the queries answer from it; while the context is gone each
// builds a temporary index of the whole data set. Either way every answer
// must be the data set's: any other, "not found" included, is wrong. After
// each uninitialisation the cycler waits until a query has run entirely
// while the context was gone, so that both kinds of answer are checked.
// Prints "cycles=<n> right=<n> withoutContext=<n> wrong=<n>"; exits 0 when
// no answer was wrong and some came from temporary indexes.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "mediaindex.h"

namespace {

constexpr int kQueryThreads = 2;
constexpr uint32_t kStressPartBytes = 4000;

std::basic_string<JQChar> wide(const std::string& text) {
    return std::basic_string<JQChar>(text.begin(), text.end());
}

std::string content(uint32_t i) {
    return (i % 2 == 0 ? "updated " : "content ") + std::to_string(i);
}

bool isParts(const uint8_t* data, uint32_t length) {
    if (data == nullptr || length != kStressPartBytes) return false;
    for (uint32_t k = 0; k < length; ++k) {
        if (data[k] != static_cast<uint8_t>(k * 7)) return false;
    }
    return true;
}

// One round of the three queries; true when every answer was right.
bool askRound(uint32_t i) {
    const std::string expected = content(i);
    const std::basic_string<JQChar> name = wide("D" + std::to_string(i));
    bool right = GetMICPDataSize(name.c_str()) == expected.size();
    std::vector<uint8_t> buffer(expected.size());
    right =
        right &&
        GetMICPData(name.c_str(), buffer.data(), static_cast<uint32_t>(buffer.size())) == JQ_OK &&
        std::memcmp(buffer.data(), expected.data(), expected.size()) == 0;
    uint8_t* data = nullptr;
    uint32_t length = 0;
    right =
        right && GetMICPData2(wide("P").c_str(), &data, &length) == JQ_OK && isParts(data, length);
    FreeMICPData(&data);
    return right;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mediaindex_stress <count> <cycles>\n");
        return 2;
    }
    const auto count = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const int cycles = std::atoi(argv[2]);
    if (count == 0 || InitializeMICP() != JQ_OK) {
        std::fprintf(stderr, "mediaindex_stress: the first load failed\n");
        return 1;
    }

    std::atomic<bool> done{false};
    std::atomic<bool> contextGone{false};
    std::atomic<long> right{0};
    std::atomic<long> withoutContext{0};
    std::atomic<long> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kQueryThreads; ++t) {
        threads.emplace_back([&, t] {
            for (uint32_t i = 1 + t; !done.load(); i = i % count + 1) {
                const bool goneBefore = contextGone.load();
                if (!askRound(i)) {
                    ++wrong;
                } else if (goneBefore && contextGone.load()) {
                    ++withoutContext;
                } else {
                    ++right;
                }
                // The lock is not fair: a pause between rounds keeps the
                // queries from starving the cycler on a slow machine.
                std::this_thread::yield();
            }
        });
    }
    int cycled = 0;
    for (; cycled < cycles; ++cycled) {
        if (UnInitializeMICP() != JQ_OK) ++wrong;
        const long before = withoutContext.load();
        contextGone = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (withoutContext.load() == before && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        contextGone = false;
        if (InitializeMICP() != JQ_OK) ++wrong;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    done = true;
    for (std::thread& thread : threads) thread.join();
    if (UnInitializeMICP() != JQ_OK) ++wrong;
    std::printf("cycles=%d right=%ld withoutContext=%ld wrong=%ld\n", cycled, right.load(),
                withoutContext.load(), wrong.load());
    return wrong == 0 && right > 0 && withoutContext > 0 ? 0 : 1;
}
