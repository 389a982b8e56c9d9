// Fuzzes the decoder of topic message objects, and the content query over a
// message holding the input as its object, with and without the expiry
// check. The input is the object itself, in a buffer of its own size.
#include <cstring>
#include <vector>

#include "topic_message.h"
#include "topic_queries.h"
#include "topic_tables.h"

namespace {

bool noTolvo() { return false; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    const std::vector<uint8_t> object(input, input + size);
    jq::newsindex::TopicMessage message;
    jq::newsindex::decodeTopicMessage({object.data(), object.size()}, message);

    // The same bytes as the object of a message package: SMK 0x0002 first.
    std::vector<uint8_t> data{0x00, 0x02};
    data.insert(data.end(), input, input + size);
    uint8_t header[6] = {0x01, 0x02, 0x00, 0x00, 0x00, 0x02};
    PackageRecord package{};
    package.TypeCode = 0x6E;
    package.PacketHeaderLength = sizeof header;
    package.packetHeader = header;
    package.data = data.data();
    package.dataLength = static_cast<uint32_t>(data.size());
    jq::newsindex::TopicTables tables(noTolvo);
    tables.file(jq::index::Pass::First, package);
    tables.loadEnded();
    for (const bool checkExpiry : {false, true}) {
        TopicsData result{};
        jq::newsindex::topicContent(tables, 0x02, 0x01, checkExpiry, 0, result);
        jq::newsindex::releaseTopicsData(result);
    }
    return 0;
}
