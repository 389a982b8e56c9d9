// Tests of the topics index as a host sees it: jqtool, feedcore and newsindex
// are copied into a fresh folder with data folders written there, and
// "jqtool topics ..." is run in it, with the folders on its command line or
// in a topics.ini. jqtool needs feedcore to start, so the life cycle without
// feedcore is run by newsindex_probe, a host of newsindex alone.
#include <gtest/gtest.h>

#include <fstream>

#include "child_run.h"
#include "jqwrite.h"
#include "record_data.h"
#include "test_files.h"
#include "topic_object.h"

namespace jq {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t kHost = 2143;
constexpr uint8_t kMessage6E = 0x6E;
constexpr uint8_t kMessage61 = 0x61;
constexpr uint8_t kOtherType = 0xE2;  // a type the topics index does not take

write::Bytes bytesOf(const std::string& text) { return write::Bytes(text.begin(), text.end()); }

// A topic list entry; the object reference names the topic's ServiceID.
write::TopicEntry topic(uint8_t major, uint8_t minor, const std::string& title,
                        const std::string& details = "", uint8_t service = 0, uint8_t message = 0) {
    write::TopicEntry e;
    e.majorCategory = major;
    e.minorCategory = minor;
    e.title = bytesOf(title);
    e.details = bytesOf(details);
    e.objectId = static_cast<uint16_t>(0x1000 + major * 256 + minor);
    e.serviceId = service;
    e.messageId = message;
    return e;
}

write::DataPackage listPackage(uint8_t type, const std::vector<write::TopicEntry>& entries,
                               uint16_t host = kHost) {
    write::DataPackage p;
    p.typeCode = type;
    p.hostId = host;
    p.packetHeader = write::topicListPacketHeader(entries.empty() ? 0 : entries[0].majorCategory);
    p.plain = write::topicListData(type, entries);
    return p;
}

write::TypedElement element(uint16_t type, const write::Bytes& payload) {
    write::TypedElement e;
    e.type = type;
    e.payload = payload;
    return e;
}

write::TypedElement element(uint16_t type, const std::string& payload) {
    return element(type, bytesOf(payload));
}

write::TopicMessage message(uint8_t service, uint8_t messageId,
                            const std::vector<write::TypedElement>& elements,
                            uint16_t objectType = 6) {
    write::TopicObject object;
    object.objectType = objectType;
    object.elements = elements;
    write::TopicMessage m;
    m.serviceId = service;
    m.messageId = messageId;
    m.serialNumber = 0x0100;
    m.smk = 0x0002;  // accepted
    m.object = write::topicObjectBytes(object);
    return m;
}

write::DataPackage messagePackage(const write::TopicMessage& m, uint8_t type = kMessage6E) {
    write::DataPackage p;
    p.typeCode = type;
    p.hostId = kHost;
    p.packetHeader = write::topicMessagePacketHeader(m);
    p.plain = write::topicMessageData(m);
    return p;
}

void jqFile(const fs::path& path, const std::vector<write::DataPackage>& packages) {
    write::BroadcastFile f;
    f.fileHeader();
    for (const write::DataPackage& p : packages) f.dataPackage(p);
    test::writeBytes(path, f.bytes());
}

// A container entry whose packet header, as the container reading turns its
// three little-endian words round, is the six bytes given.
write::ContainerEntry containerEntry(const write::Bytes& header, const write::Bytes& data,
                                     uint16_t host) {
    write::ContainerEntry e;
    e.hostId = host;
    e.headerSource = {header[1], header[0], header[3], header[2], header[5], header[4], 0, 0};
    e.data = data;
    return e;
}

class TopicsHost : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = test::copyFromProgramFolder(test::programFileName("jqtool"), folder_.path());
        test::copyFromProgramFolder(test::libraryFileName("feedcore"), folder_.path());
        test::copyFromProgramFolder(test::libraryFileName("newsindex"), folder_.path());
    }

    // The child's output with Windows line ends made plain.
    test::ChildResult topics(std::vector<std::string> args) {
        args.insert(args.begin(), "topics");
        test::ChildResult r = test::runChild(host_, args, folder_.path() / "output.txt");
        std::erase(r.output, '\r');
        return r;
    }

    // The output of a query that must succeed.
    std::string answer(const std::vector<std::string>& args) {
        const test::ChildResult r = topics(args);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return r.output;
    }

    // A topics.ini whose section "List" holds Count and the keys 0, 1, ...
    void settings(const std::string& count, const std::vector<std::string>& folders) {
        std::ofstream ini(folder_.path() / "topics.ini");
        ini << "[List]\nCount=" << count << "\n";
        for (size_t i = 0; i < folders.size(); ++i) ini << i << "=" << folders[i] << "\n";
    }

    fs::path dataFolder(const std::string& name) {
        const fs::path folder = folder_.path() / name;
        fs::create_directories(folder);
        return folder;
    }

    // One file holding one major category with this title.
    fs::path majorFile(const std::string& folder, const std::string& name, uint8_t major,
                       const std::string& title) {
        const fs::path path = dataFolder(folder) / name;
        jqFile(path, {listPackage(write::kTopicList, {topic(major, 0, title)})});
        return dataFolder(folder);
    }

    test::TempFolder folder_{"newsindex"};
    fs::path host_;
};

std::string majorLines(uint32_t index, uint8_t major, const std::string& title,
                       uint16_t host = kHost) {
    return "entry: " + std::to_string(index) + "\nHostID: " + std::to_string(host) +
           "\nMajorCategoryID: " + std::to_string(major) +
           "\nTitleLength: " + std::to_string(title.size() + 1) + "\nTitle: \"" + title + "\"\n";
}

// The probe in a folder without feedcore, then in one with feedcore and no
// topics.ini: before InitializeTpc and after UnInitializeTpc every query is
// not initialised; a failed load keeps the context, so a null output is
// refused first; with feedcore the empty index finds nothing.
TEST(TopicsAlone, LifeCycleWithAndWithoutFeedcore) {
    const std::string before =
        "GetMajorIDList.before=4097\nGetMajorIDList.null.before=4097\n"
        "GetMinorIDList.before=4097\nGetMinorIDList.null.before=4097\n"
        "GetTopicsData.before=4097\nGetTopicsData.null.before=4097\nUnInitializeTpc.before=4097\n";
    const std::string after =
        "UnInitializeTpc=0\nUnInitializeTpc.again=4097\n"
        "GetMajorIDList.after=4097\nGetMajorIDList.null.after=4097\n"
        "GetMinorIDList.after=4097\nGetMinorIDList.null.after=4097\n"
        "GetTopicsData.after=4097\nGetTopicsData.null.after=4097\ndone\n";
    for (const bool withFeedcore : {false, true}) {
        test::TempFolder folder("newsindex-alone");
        const fs::path probe =
            test::copyFromProgramFolder(test::programFileName("newsindex_probe"), folder.path());
        test::copyFromProgramFolder(test::libraryFileName("newsindex"), folder.path());
        if (withFeedcore)
            test::copyFromProgramFolder(test::libraryFileName("feedcore"), folder.path());
        test::ChildResult r = test::runChild(probe, {}, folder.path() / "output.txt");
        std::erase(r.output, '\r');
        EXPECT_EQ(r.exitCode, 0) << r.output;
        const std::string loaded =
            withFeedcore ? "InitializeTpc=0\nGetMajorIDList=4099\nGetMajorIDList.null=17\n"
                           "GetMinorIDList=4099\nGetMinorIDList.null=17\n"
                           "GetTopicsData=4099\nGetTopicsData.null=17\n"
                         : "InitializeTpc=23\nGetMajorIDList=4097\nGetMajorIDList.null=17\n"
                           "GetMinorIDList=4097\nGetMinorIDList.null=17\n"
                           "GetTopicsData=4097\nGetTopicsData.null=17\n";
        EXPECT_EQ(r.output, before + loaded + after)
            << "feedcore beside the probe: " << withFeedcore;
    }
}

TEST_F(TopicsHost, FoldersOfTopicsIniOrOfTheCaller) {
    const fs::path a = majorFile("a", "T1.jq", 1, "from a");
    const fs::path b = majorFile("b", "T1.jq", 2, "from b");
    const fs::path c = majorFile("c", "T1.jq", 3, "from c");
    settings("1", {a.string()});
    EXPECT_EQ(answer({"majors"}),
              "count: 1\n" + majorLines(0, 1, "from a") + "status: 0 (success)\n");

    // The caller's list replaces topics.ini; a missing folder is skipped.
    EXPECT_EQ(answer({"majors", "--folder", b.string(), "--folder",
                      (folder_.path() / "none").string(), "--folder", c.string()}),
              "count: 2\n" + majorLines(0, 2, "from b") + majorLines(1, 3, "from c") +
                  "status: 0 (success)\n");

    // A list of no folders loads nothing, although topics.ini names one.
    test::ChildResult r = topics({"majors", "--no-folders"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output, "count: 0\nstatus: 4099 (nothing found)\n");
    r = topics({"minors", "1", "--no-folders"});
    EXPECT_EQ(r.output, "count: 0\nstatus: 4099 (nothing found)\n");
    r = topics({"data", "0", "0", "--no-folders"});
    EXPECT_NE(r.output.find("status: 4099 "), std::string::npos) << r.output;

    // Without topics.ini, and with a Count that is not positive: no folders.
    settings("0", {a.string()});
    EXPECT_EQ(topics({"majors"}).output, "count: 0\nstatus: 4099 (nothing found)\n");
    fs::remove(folder_.path() / "topics.ini");
    EXPECT_EQ(topics({"majors"}).output, "count: 0\nstatus: 4099 (nothing found)\n");
    EXPECT_EQ(answer({"majors", "--folder", a.string()}),
              "count: 1\n" + majorLines(0, 1, "from a") + "status: 0 (success)\n");
}

TEST_F(TopicsHost, OnlyTFilesAreScannedWithoutTolvo) {
    const fs::path data = majorFile("data", "T1.jq", 1, "T file");
    majorFile("data", "X1.jq", 2, "X file");
    majorFile("data", "t2.jq", 3, "lower-case t");  // the prefix matches in any case
    // A folder named like a data file is not descended into.
    majorFile("data/T3", "T3.jq", 4, "sub-folder");
    EXPECT_EQ(answer({"majors", "--folder", data.string()}),
              "count: 2\n" + majorLines(0, 1, "T file") + majorLines(1, 3, "lower-case t") +
                  "status: 0 (success)\n");
}

TEST_F(TopicsHost, WithTolvoEveryFileIsReadAsAContainer) {
    const fs::path data = dataFolder("data");
    const write::Bytes listHeader = {0x00, 0x20, 0, 0, 0, 0};  // major 4
    test::writeBytes(data / "X-lists.jq",
                     write::containerFile(
                         write::kTopicList,
                         {containerEntry(listHeader,
                                         write::topicListData(write::kTopicList,
                                                              {topic(4, 0, "container"),
                                                               topic(4, 1, "topic", "", 0x2A, 0)}),
                                         77)}));
    // The message header 05 01 00 2A 00 02 has the SerialNumber first: the
    // message is ServiceID 0x2A, MessageID 0.
    write::TopicMessage m = message(0x2A, 0, {element(2, "tolvo content")});
    m.serialNumber = 0x0105;
    const write::Bytes header = write::tolvoTopicMessagePacketHeader(m);
    ASSERT_EQ(header, (write::Bytes{0x05, 0x01, 0x00, 0x2A, 0x00, 0x02}));
    test::writeBytes(
        data / "message.bin",
        write::containerFile(kMessage6E, {containerEntry(header, write::topicMessageData(m), 77)}));
    // A broadcast file is no container: skipped, whatever its name.
    majorFile("data", "T1.jq", 1, "broadcast");
    std::ofstream(folder_.path() / "Tolvo.ini") << "";

    EXPECT_EQ(answer({"majors", "--folder", data.string()}),
              "count: 1\n" + majorLines(0, 4, "container", 77) + "status: 0 (success)\n");
    EXPECT_EQ(
        answer({"minors", "4", "--folder", data.string()}),
        "count: 1\nentry: 0\nHostID: 77\nMinorCategoryID: 1\nTitleLength: 6\nTitle: \"topic\"\n"
        "DetailsLength: 0\nDetails: (none)\nServiceID: 42\nMessageID: 0\nstatus: 0 (success)\n");
    EXPECT_EQ(answer({"data", "0x2A", "0", "--folder", data.string()}),
              "Type2Length: 13\nType2Data: \"tolvo content\"\nType6Length: 0\nType6Data: (none)\n"
              "Type8Length: 0\nType8Data: (none)\nstatus: 0 (success)\n");
    // Read in the broadcast layout, the same header would name service 1, message 5.
    EXPECT_NE(topics({"data", "1", "5", "--folder", data.string()}).output.find("status: 4099 "),
              std::string::npos);
}

TEST_F(TopicsHost, TpuFilesLoadLastAndReplaceEntriesOfTheirKeys) {
    const std::vector<write::DataPackage> plain = {
        listPackage(write::kTopicList, {topic(1, 0, "plain major"), topic(1, 1, "plain one"),
                                        topic(1, 2, "plain two"), topic(1, 3, "plain 6F")}),
        messagePackage(message(7, 1, {element(2, "plain message")}))};
    const std::vector<write::DataPackage> update = {
        listPackage(write::kTopicList, {topic(1, 0, "update major"), topic(1, 2, "update two")}),
        // Type 0x62 yields to type 0x6F after the replacement, and fills a
        // key that no 0x6F entry has.
        listPackage(write::kPackedTopicList,
                    {topic(1, 3, "update 62", "", 9), topic(1, 4, "update 62 only", "", 9)}, 100),
        messagePackage(message(7, 1, {element(2, "update message")}))};
    const std::string minors =
        "count: 4\n"
        "entry: 0\nHostID: 2143\nMinorCategoryID: 1\nTitleLength: 10\nTitle: \"plain one\"\n"
        "DetailsLength: 0\nDetails: (none)\nServiceID: 0\nMessageID: 0\n"
        "entry: 1\nHostID: 2143\nMinorCategoryID: 2\nTitleLength: 11\nTitle: \"update two\"\n"
        "DetailsLength: 0\nDetails: (none)\nServiceID: 0\nMessageID: 0\n"
        "entry: 2\nHostID: 2143\nMinorCategoryID: 3\nTitleLength: 9\nTitle: \"plain 6F\"\n"
        "DetailsLength: 0\nDetails: (none)\nServiceID: 0\nMessageID: 0\n"
        "entry: 3\nHostID: 100\nMinorCategoryID: 4\nTitleLength: 15\nTitle: \"update 62 only\"\n"
        "DetailsLength: 0\nDetails: (none)\nServiceID: 9\nMessageID: 0\n"
        "status: 0 (success)\n";
    // Neither the order of the folders nor that of the files in a folder
    // matters: the plain file first would win among plain files, the TPU file
    // first among those in one folder, whatever the file system's order.
    const fs::path plainFolder = dataFolder("plain");
    const fs::path updateFolder = dataFolder("update");
    const fs::path both = dataFolder("both");
    jqFile(plainFolder / "T1.jq", plain);
    jqFile(updateFolder / "T0-tpu.jq", update);
    jqFile(both / "T1.jq", plain);
    jqFile(both / "T0-tpu.jq", update);
    const std::vector<std::vector<std::string>> folderLists = {
        {"--folder", plainFolder.string(), "--folder", updateFolder.string()},
        {"--folder", updateFolder.string(), "--folder", plainFolder.string()},
        {"--folder", both.string()}};
    for (const std::vector<std::string>& folders : folderLists) {
        SCOPED_TRACE(folders[1]);
        const auto query = [&folders](std::vector<std::string> args) {
            args.insert(args.end(), folders.begin(), folders.end());
            return args;
        };
        EXPECT_EQ(answer(query({"majors"})),
                  "count: 1\n" + majorLines(0, 1, "update major") + "status: 0 (success)\n");
        EXPECT_EQ(answer(query({"minors", "1"})), minors);
        EXPECT_NE(answer(query({"data", "7", "1"}))
                      .find("Type2Length: 14\nType2Data: \"update message\"\n"),
                  std::string::npos);
    }

    // Among the plain files the first entry of a key stays: the first folder's.
    const fs::path first = majorFile("first", "T1.jq", 3, "first folder");
    const fs::path second = majorFile("second", "T1.jq", 3, "second folder");
    EXPECT_EQ(answer({"majors", "--folder", first.string(), "--folder", second.string()}),
              "count: 1\n" + majorLines(0, 3, "first folder") + "status: 0 (success)\n");
    EXPECT_EQ(answer({"majors", "--folder", second.string(), "--folder", first.string()}),
              "count: 1\n" + majorLines(0, 3, "second folder") + "status: 0 (success)\n");
}

TEST_F(TopicsHost, PackagesOfOtherTypesAreNotFiled) {
    const fs::path data = dataFolder("data");
    // A topic list under another type code, alone and beside a message; a
    // topic list without packet header.
    write::DataPackage foreign = listPackage(write::kTopicList, {topic(9, 0, "foreign")});
    foreign.typeCode = kOtherType;
    jqFile(data / "T1.jq", {foreign, foreign});
    write::DataPackage foreignFirst = foreign;
    foreignFirst.plain = write::topicListData(write::kTopicList, {topic(10, 0, "foreign first")});
    jqFile(data / "T2.jq",
           {foreignFirst, messagePackage(message(3, 4, {element(8, "kept")}), kMessage61)});
    write::DataPackage headerless = listPackage(write::kTopicList, {topic(11, 0, "no header")});
    headerless.packetHeader.clear();
    jqFile(data / "T3.jq", {headerless, listPackage(write::kTopicList, {topic(12, 0, "filed")})});

    EXPECT_EQ(answer({"majors", "--folder", data.string()}),
              "count: 1\n" + majorLines(0, 12, "filed") + "status: 0 (success)\n");
    EXPECT_EQ(answer({"data", "3", "4", "--folder", data.string()}),
              "Type2Length: 0\nType2Data: (none)\nType6Length: 0\nType6Data: (none)\n"
              "Type8Length: 4\nType8Data: \"kept\"\nstatus: 0 (success)\n");
}

TEST_F(TopicsHost, ResultsByteForByte) {
    const fs::path data = dataFolder("data");
    write::TopicEntry shiftJis = topic(7, 0, "");
    shiftJis.title = {0x83, 0x6A, 0x83, 0x85, 0x81, 0x5B, 0x83, 0x58};  // "news" in katakana
    write::TopicEntry untitled = topic(5, 0, "");
    untitled.objectId.reset();  // no texts, no reference
    write::TopicEntry packed = topic(3, 4, "Packed", "From 0x62", 7);
    jqFile(data / "T1.jq",
           {listPackage(
                write::kTopicList,
                {shiftJis, topic(2, 0, "Sports"), untitled, topic(3, 9, "Nine", "", 7, 9),
                 topic(3, 1, "One", "First \"topic\"", 7, 1), topic(4, 1, "Elsewhere", "", 8, 1)}),
            listPackage(write::kPackedTopicList, {packed}, 100),
            messagePackage(message(7, 1,
                                   {element(2, write::Bytes{'H', 'i', 0x00, 0x01, 0xFF, '\\'}),
                                    element(3, "skipped"), element(8, write::Bytes{0, 1, 2})})),
            messagePackage(message(
                7, 9,
                {element(2, ""), element(6, "six"), element(9, "kept"), element(6, "six again")})),
            messagePackage(message(7, 2, {element(2, "wrong object type")}, 5))});
    settings("1", {data.string()});

    EXPECT_EQ(answer({"majors"}),
              "count: 3\n" + majorLines(0, 2, "Sports") +
                  "entry: 1\nHostID: 2143\nMajorCategoryID: 5\nTitleLength: 0\nTitle: (none)\n"
                  "entry: 2\nHostID: 2143\nMajorCategoryID: 7\nTitleLength: 9\n"
                  "Title: \"\\x83j\\x83\\x85\\x81[\\x83X\"\n"
                  "status: 0 (success)\n");
    const std::string major3 =
        "count: 3\n"
        "entry: 0\nHostID: 2143\nMinorCategoryID: 1\nTitleLength: 4\nTitle: \"One\"\n"
        "DetailsLength: 14\nDetails: \"First \\x22topic\\x22\"\nServiceID: 7\nMessageID: 1\n"
        "entry: 1\nHostID: 100\nMinorCategoryID: 4\nTitleLength: 7\nTitle: \"Packed\"\n"
        "DetailsLength: 10\nDetails: \"From 0x62\"\nServiceID: 7\nMessageID: 0\n"
        "entry: 2\nHostID: 2143\nMinorCategoryID: 9\nTitleLength: 5\nTitle: \"Nine\"\n"
        "DetailsLength: 0\nDetails: (none)\nServiceID: 7\nMessageID: 9\n"
        "status: 0 (success)\n";
    EXPECT_EQ(answer({"minors", "3"}), major3);
    EXPECT_EQ(answer({"minors", "259"}), major3);  // the low 8 bits name the category
    test::ChildResult r = topics({"minors", "5"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output, "count: 0\nstatus: 4099 (nothing found)\n");

    EXPECT_EQ(
        answer({"data", "7", "1"}),
        "Type2Length: 6\nType2Data: \"Hi\\x00\\x01\\xFF\\x5C\"\nType6Length: 0\nType6Data: (none)\n"
        "Type8Length: 3\nType8Data: \"\\x00\\x01\\x02\"\nstatus: 0 (success)\n");
    // An empty type 2 payload gives a length of 0 and no buffer; the last
    // element of a type counts.
    EXPECT_EQ(answer({"data", "0x107", "0x209"}),
              "Type2Length: 0\nType2Data: (none)\nType6Length: 9\nType6Data: \"six again\"\n"
              "Type8Length: 0\nType8Data: (none)\nstatus: 0 (success)\n");
    r = topics({"data", "7", "2"});  // undecodable
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("status: 4099 "), std::string::npos) << r.output;
    EXPECT_NE(topics({"data", "9", "7"}).output.find("status: 4099 "), std::string::npos);

    // A reload leaves the same tables; a null output is refused.
    EXPECT_EQ(answer({"minors", "3", "--init-twice"}), major3);
    for (const std::vector<std::string>& query :
         {std::vector<std::string>{"majors"}, {"minors", "3"}, {"data", "7", "1"}}) {
        std::vector<std::string> args = query;
        args.push_back("--null-output");
        r = topics(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.output,
                  "status: 17 (a required argument is null, or a package has no payload bytes)\n")
            << query[0];
    }
}

TEST_F(TopicsHost, ExpiredMessagesOnlyWhenAsked) {
    const fs::path data = dataFolder("data");
    constexpr uint32_t kPast = 86400;         // 1992-01-01 00:00:00 UTC
    constexpr uint32_t kFuture = 0xFFFFFFFF;  // in 2128
    jqFile(
        data / "T1.jq",
        {messagePackage(message(
             8, 1, {write::topicExpiryElement(kPast), element(2, "old news"), element(8, "more")})),
         messagePackage(message(8, 2,
                                {element(2, "still news"), write::topicExpiryElement(kFuture),
                                 write::topicValuesElement(1, 2, 3, 4)})),
         // The last expiry element decides.
         messagePackage(message(8, 3,
                                {write::topicExpiryElement(kFuture), element(2, "stale"),
                                 write::topicExpiryElement(kPast)}))});
    settings("1", {data.string()});

    const std::string oldNews =
        "Type2Length: 8\nType2Data: \"old news\"\nType6Length: 0\n"
        "Type6Data: (none)\nType8Length: 4\nType8Data: \"more\"\n";
    EXPECT_EQ(answer({"data", "8", "1"}), oldNews + "status: 0 (success)\n");
    // Expired: no buffers left to release.
    test::ChildResult r = topics({"data", "8", "1", "--check-expiry"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.output,
              "Type2Length: 8\nType2Data: (none)\nType6Length: 0\nType6Data: (none)\n"
              "Type8Length: 4\nType8Data: (none)\nstatus: 4099 (nothing found)\n");
    EXPECT_NE(answer({"data", "8", "2", "--check-expiry"}).find("Type2Data: \"still news\"\n"),
              std::string::npos);
    EXPECT_NE(topics({"data", "8", "3", "--check-expiry"})
                  .output.find("Type2Data: (none)\n"
                               "Type6Length: 0\n"),
              std::string::npos);
    EXPECT_NE(topics({"data", "8", "3", "--check-expiry"}).output.find("status: 4099 "),
              std::string::npos);
    EXPECT_NE(answer({"data", "8", "3"}).find("Type2Data: \"stale\"\n"), std::string::npos);
}

TEST_F(TopicsHost, WrongUsageAndAMissingLibrary) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"nothing"},
                                                 {"minors"},
                                                 {"minors", "1", "2"},
                                                 {"minors", "x1"},
                                                 {"data", "1"},
                                                 {"data", "1", "0x100000000"},
                                                 {"majors", "--check-expiry"},
                                                 {"majors", "--folder"},
                                                 {"majors", "--no-folders", "--folder", "x"}}) {
        const test::ChildResult r = topics(args);
        EXPECT_EQ(r.exitCode, 2) << (args.empty() ? "(none)" : args[0]) << ": " << r.output;
    }
    EXPECT_EQ(topics({"--help"}).exitCode, 0);

    fs::remove(folder_.path() / test::libraryFileName("newsindex"));
    const test::ChildResult r = topics({"majors"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("cannot load the newsindex library"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace jq
