// Several threads query the topics index while others reload, uninitialise
// and initialise it: a copy of newsindex_stress runs with feedcore,
// newsindex and its own topics.ini.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "child_run.h"
#include "jqwrite.h"
#include "record_data.h"
#include "test_files.h"
#include "topic_object.h"

namespace jq {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kTopics = 200;

write::Bytes bytesOf(const std::string& text) { return write::Bytes(text.begin(), text.end()); }

void writeFile(const fs::path& path, const std::vector<write::DataPackage>& packages) {
    write::BroadcastFile f;
    f.fileHeader();
    for (const write::DataPackage& p : packages) f.dataPackage(p);
    test::writeBytes(path, f.bytes());
}

write::DataPackage messagePackage(uint8_t messageId, const std::string& payload) {
    write::TypedElement element;
    element.type = 2;
    element.payload = bytesOf(payload);
    write::TopicObject object;
    object.elements = {element};
    write::TopicMessage m;
    m.serviceId = 1;
    m.messageId = messageId;
    m.smk = 0x0002;
    m.object = write::topicObjectBytes(object);
    return write::recordPackage(0x6E, write::topicMessagePacketHeader(m),
                                write::topicMessageData(m));
}

// The data set newsindex_stress expects: majors 1 to 8, topic (1 + i % 8, i)
// naming message (1, i), whose content a TPU file replaces for even i.
void writeData(const fs::path& folder) {
    std::vector<write::TopicEntry> entries;
    for (uint8_t m = 1; m <= 8; ++m) {
        write::TopicEntry major;
        major.majorCategory = m;
        major.title = bytesOf("major " + std::to_string(m));
        entries.push_back(major);
    }
    std::vector<write::DataPackage> messages;
    std::vector<write::DataPackage> updates;
    for (uint32_t i = 1; i <= kTopics; ++i) {
        write::TopicEntry topic;
        topic.majorCategory = static_cast<uint8_t>(1 + i % 8);
        topic.minorCategory = static_cast<uint8_t>(i);
        topic.title = bytesOf("topic " + std::to_string(i));
        topic.objectId = static_cast<uint16_t>(i);
        topic.serviceId = 1;
        topic.messageId = static_cast<uint8_t>(i);
        entries.push_back(topic);
        messages.push_back(messagePackage(static_cast<uint8_t>(i), "content " + std::to_string(i)));
        if (i % 2 == 0) {
            updates.push_back(
                messagePackage(static_cast<uint8_t>(i), "updated " + std::to_string(i)));
        }
    }
    fs::create_directories(folder);
    writeFile(folder / "T0001.jq",
              {write::recordPackage(write::kTopicList, write::topicListPacketHeader(0),
                                    write::topicListData(write::kTopicList, entries))});
    writeFile(folder / "T0002.jq", messages);
    writeFile(folder / "T0003TPU.jq", updates);
}

TEST(NewsindexConcurrency, QueriesDuringReloadsSeeWholeTables) {
    test::TempFolder folder("newsindex-stress");
    const fs::path host =
        test::copyFromProgramFolder(test::programFileName("newsindex_stress"), folder.path());
    test::copyFromProgramFolder(test::libraryFileName("feedcore"), folder.path());
    test::copyFromProgramFolder(test::libraryFileName("newsindex"), folder.path());
    const fs::path data = folder.path() / "data";
    writeData(data);
    std::ofstream(folder.path() / "topics.ini") << "[List]\nCount=1\n0=" << data.string() << "\n";

    const test::ChildResult r = test::runChild(
        host, {std::to_string(kTopics), "100", data.string()}, folder.path() / "output.txt");
    std::printf("%s", r.output.c_str());  // how many queries ran meanwhile
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("reloads=100 "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(" wrong=0"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace jq
