// newsindex_stress - queries the topics index from several threads while
// the main thread reloads it and another thread uninitialises and
// initialises it again, and checks every answer. The tests copy it with
// feedcore, newsindex and a topics.ini naming the data folder into a fresh
// folder. The data holds, for i from 1 to the count given (at most 255):
//
//   - major categories 1 to 8, titled "major <m>";
//   - topic (1 + i % 8, i) titled "topic <i>", naming message (1, i);
//   - message (1, i) with the type 2 payload "content <i>", replaced for even
//     i by "updated <i>" from a TPU file.
//
//   newsindex_stress <count> <reloads> <data folder>
//
// Every load ends with that whole data set and holds the library lock while
// it runs, so a query answers either from the whole data set or, while the
// context is gone, 4097. Anything else is wrong, including "nothing found".
// Prints "reloads=<n> cycles=<n> right=<n> notReady=<n> wrong=<n>"; exits 0
// when no answer was wrong and some were right.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "newsindex.h"

namespace {

constexpr int kQueryThreads = 3;
constexpr uint32_t kMajors = 8;
constexpr uint8_t kService = 1;

enum class Answer { Right, NotReady, Wrong };

uint32_t majorOf(uint32_t i) { return 1 + i % kMajors; }

std::string content(uint32_t i) {
    return (i % 2 == 0 ? "updated " : "content ") + std::to_string(i);
}

// A stored text: its bytes and the zero byte its length counts.
bool isText(const uint8_t* bytes, uint32_t length, const std::string& text) {
    return bytes != nullptr && length == text.size() + 1 &&
           std::memcmp(bytes, text.data(), text.size()) == 0 && bytes[text.size()] == 0;
}

// 4097 is the answer of an index without context; every other status but 0
// is wrong.
Answer byStatus(JQStatus status, bool right) {
    if (status == JQ_OK) return right ? Answer::Right : Answer::Wrong;
    return status == JQ_ERR_NOT_INITIALIZED ? Answer::NotReady : Answer::Wrong;
}

Answer askMajors() {
    MajorIDList list{};
    const JQStatus status = GetMajorIDList(&list);
    bool right = status == JQ_OK && list.count == kMajors && list.entries != nullptr;
    for (uint32_t j = 0; right && j < kMajors; ++j) {
        const MajorIDEntry& e = list.entries[j];
        right = e.MajorCategoryID == j + 1 &&
                isText(e.Title, e.TitleLength, "major " + std::to_string(j + 1));
    }
    FreeMajorIDList(&list);
    return byStatus(status, right);
}

Answer askMinors(uint32_t count, uint32_t i) {
    const uint32_t major = majorOf(i);
    MinorIDList list{};
    const JQStatus status = GetMinorIDList(major, &list);
    // The topics of the category, ascending.
    std::vector<uint32_t> expected;
    for (uint32_t k = 1; k <= count; ++k) {
        if (majorOf(k) == major) expected.push_back(k);
    }
    bool right = status == JQ_OK && list.count == expected.size() && list.entries != nullptr;
    for (uint32_t j = 0; right && j < list.count; ++j) {
        const MinorIDEntry& e = list.entries[j];
        right = e.MinorCategoryID == expected[j] && e.ServiceID == kService &&
                e.MessageID == expected[j] &&
                isText(e.Title, e.TitleLength, "topic " + std::to_string(expected[j])) &&
                e.Details == nullptr && e.DetailsLength == 0;
    }
    FreeMinorIDList(&list);
    return byStatus(status, right);
}

Answer askContent(uint32_t i) {
    TopicsData data{};
    const JQStatus status = GetTopicsData(kService, i, 1, &data);
    const std::string expected = content(i);
    const bool right = data.Type2Data != nullptr && data.Type2Length == expected.size() &&
                       std::memcmp(data.Type2Data, expected.data(), expected.size()) == 0 &&
                       data.Type6Data == nullptr && data.Type8Data == nullptr;
    FreeTopicsData(&data);
    return byStatus(status, right);
}

struct Tally {
    std::atomic<long> right{0};
    std::atomic<long> notReady{0};
    std::atomic<long> wrong{0};

    void add(Answer answer) {
        switch (answer) {
            case Answer::Right:
                ++right;
                break;
            case Answer::NotReady:
                ++notReady;
                break;
            case Answer::Wrong:
                ++wrong;
                break;
        }
    }
};

// The folder as the library's path type.
std::basic_string<JQChar> folderPath(const char* folder) {
#ifdef _WIN32
    return std::filesystem::path(folder).wstring();
#else
    return std::filesystem::path(folder).u16string();
#endif
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: newsindex_stress <count> <reloads> <data folder>\n");
        return 2;
    }
    const auto count = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const int reloads = std::atoi(argv[2]);
    const std::basic_string<JQChar> folder = folderPath(argv[3]);
    const PathEntry entry = {static_cast<uint32_t>(folder.size() + 1), folder.c_str()};
    const TopicFolderList folders = {1, &entry};
    if (count == 0 || count > 255 || InitializeTpc(&folders) != JQ_OK) {
        std::fprintf(stderr, "newsindex_stress: the first load failed\n");
        return 1;
    }

    std::atomic<bool> done{false};
    Tally tally;
    std::vector<std::thread> threads;
    for (int t = 0; t < kQueryThreads; ++t) {
        threads.emplace_back([&, t] {
            for (uint32_t i = 1 + t; !done.load(); i = i % count + 1) {
                tally.add(askMajors());
                tally.add(askMinors(count, i));
                tally.add(askContent(i));
                // The lock is not fair: without a pause between rounds the
                // queries can keep the reloading thread waiting for minutes
                // on a slow (sanitized, loaded) machine.
                std::this_thread::yield();
            }
        });
    }
    // Takes the context away and makes a new one from topics.ini.
    std::atomic<int> cycles{0};
    threads.emplace_back([&] {
        while (!done.load()) {
            if (UnInitializeTpc() != JQ_OK) ++tally.wrong;
            std::this_thread::yield();
            if (InitializeTpc(nullptr) != JQ_OK) ++tally.wrong;
            ++cycles;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    // Reloads, from the host's list and from topics.ini in turn.
    int reloaded = 0;
    for (; reloaded < reloads; ++reloaded) {
        if (InitializeTpc(reloaded % 2 == 0 ? &folders : nullptr) != JQ_OK) ++tally.wrong;
    }
    done = true;
    for (std::thread& thread : threads) thread.join();
    if (UnInitializeTpc() != JQ_OK) ++tally.wrong;
    std::printf("reloads=%d cycles=%d right=%ld notReady=%ld wrong=%ld\n", reloaded, cycles.load(),
                tally.right.load(), tally.notReady.load(), tally.wrong.load());
    return tally.wrong == 0 && tally.right > 0 ? 0 : 1;
}
