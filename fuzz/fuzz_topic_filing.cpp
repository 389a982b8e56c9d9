// Fuzzes the topics index's filing of list and message packages over both
// passes, then runs every query over what it kept.
//
// Input: a package run (package_run.h). Flag bits 4-5 the type (0x6F, 0x62,
// 0x6E, 0x61), bit 6 the second pass, bit 7 the container reading's message
// header.
#include "package_run.h"
#include "topic_queries.h"
#include "topic_tables.h"

namespace {

using jq::newsindex::TopicTables;

bool tolvoLayout = false;
bool tolvoNow() { return tolvoLayout; }

constexpr uint8_t kTypes[4] = {0x6F, 0x62, 0x6E, 0x61};

void askEverything(const TopicTables& tables) {
    MajorIDList majors{};
    jq::newsindex::majorCategories(tables, majors);
    jq::newsindex::releaseMajorList(majors);
    for (uint32_t major = 0; major < 32; ++major) {
        MinorIDList minors{};
        jq::newsindex::topicsOfCategory(tables, static_cast<uint8_t>(major), minors);
        jq::newsindex::releaseMinorList(minors);
    }
    tables.messages().forEach([&tables](uint32_t key, const auto*) {
        TopicsData data{};
        jq::newsindex::topicContent(tables, static_cast<uint8_t>(key >> 8),
                                    static_cast<uint8_t>(key), true, 0, data);
        jq::newsindex::releaseTopicsData(data);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    const auto packages = jq::fuzz::packageRun(input, size);
    TopicTables tables(tolvoNow);
    bool secondPass = false;
    for (const auto& p : packages) {
        // The passes run in order: once a package of the second comes, the
        // first has ended. Each package stands for a file of its own.
        const bool second = secondPass || (p->flags & 0x40) != 0;
        if (second && !secondPass) tables.passEnded(jq::index::Pass::First);
        secondPass = second;
        const jq::index::Pass pass = second ? jq::index::Pass::Second : jq::index::Pass::First;
        tolvoLayout = (p->flags & 0x80) != 0;
        tables.fileDecoded(pass, JQ_OK);
        tables.takePackage(pass, p->record(kTypes[p->flags >> 4 & 0x03]));
    }
    tables.passEnded(jq::index::Pass::Second);
    tables.loadEnded();
    askEverything(tables);
    return 0;
}
