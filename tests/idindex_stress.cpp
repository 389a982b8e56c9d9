// idindex_stress - queries the JQID index from several threads while another
// thread reloads it, and checks every answer. The tests copy it with feedcore,
// idindex and a JQID.ini into a fresh folder; the data holds, for i from 1 to
// the count given, a PAD entry (1100, i) with ID i and a link from it to
// (1200, i).
//
//   idindex_stress <count> <reloads>
//
// Prints "reloads=<n> queries=<n> wrong=<n>"; exits 0 when every answer was
// right.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "idindex.h"

namespace {

constexpr int kQueryThreads = 3;

uint64_t padJqid(uint32_t i) { return uint64_t{1100} << 32 | i; }
uint64_t tadJqid(uint32_t i) { return uint64_t{1200} << 32 | i; }

// One round of questions about entry i; false when an answer is wrong.
bool askAbout(uint32_t i) {
    uint64_t jqid = 0;
    if (GetPAD2JQID(i, &jqid, 1) != JQ_OK || jqid != padJqid(i)) return false;
    if (IsFindJQID(padJqid(i), 1) != 1) return false;
    JQIDList list{};
    const JQStatus listed = GetJQIDLinkList(padJqid(i), &list, 0);
    const bool linked = listed == JQ_OK && list.count == 1 && list.items[0] == tadJqid(i);
    FreeJQIDList(&list);
    if (!linked) return false;
    JQIDEntry entry{};
    const JQStatus decoded = GetJQIDData(padJqid(i), &entry, 0);
    const bool right = decoded == JQ_OK && entry.longId1100 != nullptr && entry.longId1100->ID == i;
    FreeJQIDData(&entry);
    return right;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: idindex_stress <count> <reloads>\n");
        return 2;
    }
    const auto count = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const int reloads = std::atoi(argv[2]);
    if (count == 0 || InitializeJQID() != JQ_OK) {
        std::fprintf(stderr, "idindex_stress: the first load failed\n");
        return 1;
    }

    std::atomic<bool> done{false};
    std::atomic<long> queries{0};
    std::atomic<long> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kQueryThreads; ++t) {
        threads.emplace_back([&, t] {
            for (uint32_t i = 1 + t; !done.load(); i = i % count + 1) {
                if (!askAbout(i)) ++wrong;
                ++queries;
            }
        });
    }
    int reloaded = 0;
    for (; reloaded < reloads; ++reloaded) {
        if (InitializeJQID() != JQ_OK) ++wrong;
    }
    done = true;
    for (std::thread& thread : threads) thread.join();
    UnInitializeJQID();
    std::printf("reloads=%d queries=%ld wrong=%ld\n", reloaded, queries.load(), wrong.load());
    return wrong == 0 && queries > 0 ? 0 : 1;
}
