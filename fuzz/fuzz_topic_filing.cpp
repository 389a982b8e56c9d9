// Fuzzes the topics index's filing of list and message packages over both
// passes, then runs every query over what it kept.
//
// Input: packages back to back, each a flag byte, a big-endian 16-bit data
// length, the packet header and the data; a package cut short by the end of
// the input takes what is left. Flag byte: bits 0-3 the packet header
// length, bits 4-5 the type (0x6F, 0x62, 0x6E, 0x61), bit 6 the second pass,
// bit 7 the container reading's message header. Each package gets its own
// buffers, so reading past one is caught.
#include <algorithm>
#include <memory>
#include <vector>

#include "topic_queries.h"
#include "topic_tables.h"

namespace {

using jq::newsindex::TopicTables;

struct Buffers {
    std::vector<uint8_t> header;
    std::vector<uint8_t> data;
};

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
    std::vector<std::unique_ptr<Buffers>> kept;
    TopicTables tables(tolvoNow);
    bool secondPass = false;
    size_t at = 0;
    while (size - at >= 3) {
        const uint8_t flags = input[at];
        const size_t headerLength = std::min<size_t>(flags & 0x0F, size - at - 3);
        const size_t dataLength =
            std::min<size_t>(input[at + 1] << 8 | input[at + 2], size - at - 3 - headerLength);
        at += 3;
        auto& b = *kept.emplace_back(std::make_unique<Buffers>());
        b.header.assign(input + at, input + at + headerLength);
        b.data.assign(input + at + headerLength, input + at + headerLength + dataLength);
        at += headerLength + dataLength;

        PackageRecord package{};
        package.TypeCode = kTypes[flags >> 4 & 0x03];
        package.PacketHeaderLength = static_cast<uint8_t>(headerLength);
        package.packetHeader = b.header.empty() ? nullptr : b.header.data();
        package.data = b.data.empty() ? nullptr : b.data.data();
        package.dataLength = static_cast<uint32_t>(dataLength);
        // The passes run in order: once a package of the second comes, the
        // first has ended. Each package stands for a file of its own.
        const bool second = secondPass || (flags & 0x40) != 0;
        if (second && !secondPass) tables.passEnded(jq::index::Pass::First);
        secondPass = second;
        const jq::index::Pass pass = second ? jq::index::Pass::Second : jq::index::Pass::First;
        tolvoLayout = (flags & 0x80) != 0;
        tables.fileDecoded(pass, JQ_OK);
        tables.takePackage(pass, package);
    }
    tables.passEnded(jq::index::Pass::Second);
    tables.loadEnded();
    askEverything(tables);
    return 0;
}
