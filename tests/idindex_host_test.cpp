// Tests of the JQID index as a host sees it: jqtool, feedcore and idindex are
// copied into a fresh folder with a JQID.ini and data folders written here,
// and "jqtool jqid ..." is run there. jqtool needs feedcore to start, so a
// folder without feedcore gets idindex_probe, a host of idindex alone.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "child_run.h"
#include "jqid_data.h"
#include "jqwrite.h"
#include "test_files.h"

namespace jq {
namespace {

namespace fs = std::filesystem;
using write::JqidEntry;
using write::JqidTable;

constexpr uint32_t kForever = UINT32_MAX;  // an expiry in 2128

// Seconds since 1991-12-31 00:00:00 UTC now, from the real clock.
uint32_t secondsNow() {
    const auto unix = std::chrono::duration_cast<std::chrono::seconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
    return static_cast<uint32_t>(unix - 694137600);  // 1991-12-31 in Unix time
}

JqidEntry idEntry(uint64_t jqid, uint32_t id, uint32_t effective = 0, uint32_t expiry = kForever) {
    JqidEntry e;
    e.jqid = jqid;
    e.id = id;
    e.effectiveDate = effective;
    e.expiryDate = expiry;
    return e;
}

JqidEntry linkEntry(uint64_t from, uint64_t to, uint32_t effective = 0, uint32_t expiry = kForever) {
    JqidEntry e = idEntry(from, 0, effective, expiry);
    e.secondJqid = to;
    return e;
}

JqidEntry uriEntry(uint64_t jqid, const std::string& uri) {
    JqidEntry e = idEntry(jqid, 0);
    e.mimeType = {'t', 'e', 'x', 't'};
    e.uri.assign(uri.begin(), uri.end());
    return e;
}

JqidTable table(uint16_t grt, std::vector<JqidEntry> entries, uint8_t updateFlag = 0) {
    JqidTable t;
    t.currentGrt = grt;
    t.updateFlagCur = updateFlag;
    t.entries = std::move(entries);
    return t;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class IndexHost : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = test::copyFromProgramFolder(test::programFileName("jqtool"), folder_.path());
        test::copyFromProgramFolder(test::libraryFileName("feedcore"), folder_.path());
        test::copyFromProgramFolder(test::libraryFileName("idindex"), folder_.path());
    }

    // The child's output with Windows line ends made plain.
    test::ChildResult jqid(std::vector<std::string> args) {
        args.insert(args.begin(), "jqid");
        test::ChildResult r = test::runChild(host_, args, folder_.path() / "output.txt");
        std::erase(r.output, '\r');
        return r;
    }

    // A JQID.ini whose section "List" holds Count and the keys 0, 1, ...
    void settings(const std::string& count, const std::vector<std::string>& folders) {
        std::ofstream ini(folder_.path() / "JQID.ini");
        ini << "[List]\nCount=" << count << "\n";
        for (size_t i = 0; i < folders.size(); ++i) ini << i << "=" << folders[i] << "\n";
    }

    fs::path dataFolder(const std::string& name) {
        const fs::path folder = folder_.path() / name;
        fs::create_directories(folder);
        return folder;
    }

    // A file of one type-0xDF package per table, in order; at its end, when
    // asked, a package of CurrentGRT 1007, which names no kind of table.
    static void jqFile(const fs::path& path, const std::vector<JqidTable>& tables,
                       bool unknownKindLast = false) {
        write::BroadcastFile f;
        f.fileHeader();
        write::DataPackage p;
        p.typeCode = write::kJqidTable;
        for (const JqidTable& t : tables) {
            p.packetHeader = write::jqidPacketHeader(t);
            p.plain = write::jqidData(t);
            f.dataPackage(p);
        }
        if (unknownKindLast) {
            p.packetHeader = {0x03, 0xEF, 0, 0, 0, 0};
            p.plain = {0, 0, 0, 0};
            f.dataPackage(p);
        }
        test::writeBytes(path, f.bytes());
    }

    test::TempFolder folder_{"idindex"};
    fs::path host_;
};

TEST(IndexAlone, WithoutFeedcoreQueriesAnswerNotInitialised) {
    test::TempFolder folder("idindex-alone");
    const fs::path probe =
        test::copyFromProgramFolder(test::programFileName("idindex_probe"), folder.path());
    test::copyFromProgramFolder(test::libraryFileName("idindex"), folder.path());
    test::ChildResult r = test::runChild(probe, {}, folder.path() / "output.txt");
    std::erase(r.output, '\r');
    EXPECT_EQ(r.exitCode, 0) << r.output;
    // The failed load keeps the context: arguments are checked first, and
    // UnInitializeJQID succeeds once.
    EXPECT_EQ(r.output,
              "IsFindJQID.before=0\nGetJQIDData.before=4097\nUnInitializeJQID.before=4097\n"
              "InitializeJQID=23\nGetJQIDData=4097\nGetJQIDData.null=17\nGetPAD2JQID=4097\n"
              "GetPAD2JQID.null=17\nGetGRT2JQIDList=4097\nGetGRT2JQIDList.null=17\nIsFindJQID=0\n"
              "UnInitializeJQID=0\nUnInitializeJQID.again=4097\n");
}

TEST_F(IndexHost, AFailedSecondPassEmptiesTheIndex) {
    const fs::path data = dataFolder("data");
    // A package of no known kind ends the only first-pass file: no matter.
    jqFile(data / "G1.jq", {table(1100, {idEntry(0x044C00000001, 7)})}, true);
    settings("1", {data.string()});
    test::ChildResult r = jqid({"find", "0x044C00000001"});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_PRED2(contains, r.output, "found: 1\n");

    // The same at the end of the second pass discards the load.
    jqFile(data / "G2.jq", {table(1001, {idEntry(0x03E900000001, 1)}, 1)}, true);
    r = jqid({"get", "0x044C00000001"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_PRED2(contains, r.output, "InitializeJQID: status 21 ");
    EXPECT_FALSE(contains(r.output, "status: ")) << r.output;  // no query after a failed load
    r = jqid({"get", "0x044C00000001", "--keep-going"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_PRED2(contains, r.output, "status: 4097 ");
    EXPECT_FALSE(contains(r.output, "UnInitializeJQID")) << r.output;
    r = jqid({"get", "0x044C00000001", "--keep-going", "--null-output"});
    EXPECT_PRED2(contains, r.output, "status: 17 ");
    r = jqid({"msid", "1", "2", "--keep-going", "--null-output"});
    EXPECT_PRED2(contains, r.output, "status: 17 ");
    r = jqid({"links", "0x044C00000001", "--keep-going"});
    EXPECT_PRED2(contains, r.output, "status: 4097 ");
    r = jqid({"find", "0x044C00000001", "--keep-going"});
    EXPECT_PRED2(contains, r.output, "found: 0\n");
    r = jqid({"grt", "0xC44C00000001", "--keep-going"});
    EXPECT_PRED2(contains, r.output, "GRT: 0\n");

    fs::remove(folder_.path() / test::libraryFileName("idindex"));
    r = jqid({"find", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_PRED2(contains, r.output, "cannot load the idindex library");
    EXPECT_EQ(jqid({"find"}).exitCode, 2);
    EXPECT_EQ(jqid({"find", "12x"}).exitCode, 2);
    EXPECT_EQ(jqid({"find", "1", "1", "1"}).exitCode, 2);
}

TEST_F(IndexHost, FoldersOfTheSettingsFile) {
    const fs::path first = dataFolder("first");
    const fs::path third = dataFolder("third");
    const fs::path unlisted = dataFolder("unlisted");
    jqFile(first / "G1.jq", {table(1001, {idEntry(0x03E900000001, 1)})});
    jqFile(first / "X1.jq", {table(1001, {idEntry(0x03E900000002, 2)})});  // not a G file
    jqFile(third / "G3.jq", {table(1001, {idEntry(0x03E900000003, 3)})});
    jqFile(unlisted / "G4.jq", {table(1001, {idEntry(0x03E900000004, 4)})});
    // A folder named like a data file is neither read nor descended into.
    const fs::path subFolder = dataFolder("third/G5");
    jqFile(subFolder / "G5.jq", {table(1001, {idEntry(0x03E900000005, 5)})});

    // Key 1 is empty, the first folder ends in a separator and the third not.
    settings("3", {first.string() + static_cast<char>(fs::path::preferred_separator), "",
                   third.string(), unlisted.string()});
    const std::pair<const char*, const char*> expected[] = {
        {"0x03E900000001", "found: 1\n"}, {"0x03E900000002", "found: 0\n"},
        {"0x03E900000003", "found: 1\n"}, {"0x03E900000004", "found: 0\n"},
        {"0x03E900000005", "found: 0\n"}};
    for (const auto& [jqidText, answer] : expected) {
        const test::ChildResult r = jqid({"find", jqidText});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_PRED2(contains, r.output, answer) << jqidText;
    }
    const test::ChildResult r = jqid({"grt-list", "1001"});
    EXPECT_PRED2(contains, r.output, "count: 2\n0x03E900000001\n0x03E900000003\nstatus: 0 ");

    // No settings file: an empty index, not an error.
    fs::remove(folder_.path() / "JQID.ini");
    EXPECT_PRED2(contains, jqid({"grt-list", "1001"}).output, "status: 4099 ");
}

TEST_F(IndexHost, FilesWhoseFirstTableIsFlaggedLoadLast) {
    constexpr uint64_t kContested = 0x03EE00000001;
    const fs::path one = dataFolder("one");
    const fs::path two = dataFolder("two");
    // The flag of the first JQID table decides, not those of later ones.
    const std::vector<JqidTable> flagged = {table(1001, {idEntry(0x03E900000009, 9)}, 1),
                                            table(1006, {uriEntry(kContested, "flagged")}, 0)};
    const std::vector<JqidTable> plain = {table(1001, {idEntry(0x03E900000008, 8)}, 0),
                                          table(1006, {uriEntry(kContested, "plain")}, 1)};
    // Later folders win within a pass, so both orders are tried.
    for (const bool flaggedFirst : {true, false}) {
        jqFile(one / "G1.jq", flaggedFirst ? flagged : plain);
        jqFile(two / "G2.jq", flaggedFirst ? plain : flagged);
        settings("2", {one.string(), two.string()});
        const test::ChildResult r = jqid({"get", "0x03EE00000001"});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_PRED2(contains, r.output, "kind: 1006\n");
        EXPECT_PRED2(contains, r.output,
                     "record: UriRecord\nJQID: 0x03EE00000001\nMimeTypeSize: 5\nMimeType: \"text\"\n"
                     "UriSize: 8\nUri: \"flagged\"\n")
            << "flagged file first: " << flaggedFirst;
    }
}

TEST_F(IndexHost, LaterPackagesWinAndLinksAreKeptOnce) {
    constexpr uint64_t kA = 0x044C00000010, kB = 0x044C00000011, kC = 0x04B000000012,
                       kD = 0x051400000013, kE = 0x044C00000020, kF = 0x044C00000021;
    const fs::path data = dataFolder("data");
    JqidEntry event1 = idEntry(0xC0014000004D, 0);
    event1.gcn = 5;
    event1.eventId = 77;
    JqidEntry event2 = event1;
    event2.idType = 1;  // the same JQID, now by time slot
    event2.mjd = 60827;  // 2025-06-01
    event2.startMinute = 1439;
    event2.startSecond = 30;
    event2.dureMinute = 90;
    event2.dureSecond = 5;
    JqidEntry event3 = event1;
    event3.gcn = 6;
    jqFile(data / "G1.jq",
           {table(500, {event1}), table(16384, {linkEntry(kA, kB), linkEntry(kA, kC), linkEntry(kE, kF)}),
            table(1100, {idEntry(kB, 1), idEntry(kB, 2)}),  // within a package the first wins
            table(500, {event2, event3}), table(16384, {linkEntry(kD, kA), linkEntry(kE, kF)})});
    settings("1", {data.string()});

    test::ChildResult r = jqid({"get", "0xC0014000004D"});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_PRED2(contains, r.output,
                 "kind: 0\nlength: 24\nrecord: EventRecord\nJQID: 0xC0014000004D\nGCN: 5\nIDType: 1\n"
                 "EffectiveDate: 1991-12-31 00:00:00 (0)\nExpiryDate: 2128-02-06 06:28:15 (4294967295)\n"
                 "EventID: 0\nMJD: 60827\nMJDYear: 2025\nMJDMonth: 6\nMJDDay: 1\nStartMinute: 1439\n"
                 "StartHour: 23\nStartMin: 59\nStartSecond: 30\nDureMinute: 90\nDureSecond: 5\n");
    // The event now lies by time slot: no EventID to match.
    EXPECT_PRED2(contains, jqid({"event", "5", "77"}).output, "status: 4099 ");
    r = jqid({"get", "0x044C00000011"});
    EXPECT_PRED2(contains, r.output, "record: LongIdRecord\nJQID: 0x044C00000011\nID: 1\n");

    for (const bool reload : {false, true}) {
        std::vector<std::string> args = {"links", "0x044C00000010"};
        if (reload) args.push_back("--init-twice");
        r = jqid(args);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_PRED2(contains, r.output,
                     "count: 3\n0x044C00000011\n0x04B000000012\n0x051400000013\nstatus: 0 ")
            << "reloaded: " << reload;
        r = jqid(reload ? std::vector<std::string>{"links", "0x044C00000020", "--init-twice"}
                        : std::vector<std::string>{"links", "0x044C00000020"});
        EXPECT_PRED2(contains, r.output, "count: 1\n0x044C00000021\nstatus: 0 ");
    }
    EXPECT_PRED2(contains, jqid({"links", "0x044C00000011"}).output, "count: 1\n0x044C00000010\n");
    EXPECT_PRED2(contains, jqid({"grt-links", "0x044C00000010", "1100"}).output,
                 "count: 1\n0x044C00000011\nstatus: 0 ");
    EXPECT_PRED2(contains, jqid({"grt-links", "0x044C00000010", "1300"}).output,
                 "count: 1\n0x051400000013\nstatus: 0 ");
    EXPECT_PRED2(contains, jqid({"grt-links", "0x044C00000010", "1101"}).output, "status: 4099 ");
    // A JQID known only as the second of a link is not found; the first is.
    EXPECT_PRED2(contains, jqid({"find", "0x04B000000012"}).output, "found: 0\n");
    EXPECT_PRED2(contains, jqid({"find", "0x051400000013"}).output, "found: 1\n");
    EXPECT_PRED2(contains, jqid({"get", "0x051400000013"}).output, "status: 4099 ");
}

TEST_F(IndexHost, ValidityAroundNow) {
    const uint32_t now = secondsNow();
    constexpr uint64_t kValid = 0x044C00000001, kExpired = 0x044C00000002, kFuture = 0x044C00000003;
    const fs::path data = dataFolder("data");
    JqidEntry event = idEntry(0xC0014000004D, 0, now - 3600, now + 3600);
    event.gcn = 5;
    event.eventId = 77;
    JqidEntry message = idEntry(0x051400000001, 0x12, now - 3600, now + 3600);
    message.serviceId = 0x34;
    jqFile(data / "G1.jq",
           {table(1100, {idEntry(kValid, 11, now - 3600, now + 3600), idEntry(kExpired, 12, now - 7200, now - 1),
                         idEntry(kFuture, 13, now + 3600, now + 7200),
                         idEntry(0x04B000000004, 14)}),  // kind 1100 under another GRT
            table(1200, {idEntry(0x04B000000001, 21, 0, now - 1), idEntry(0x04B000000002, 21)}),
            table(500, {event}), table(1300, {message}),
            table(16384, {linkEntry(kValid, kExpired, now - 3600, now + 3600),
                          linkEntry(kValid, kFuture, now - 7200, now - 1)})});
    settings("1", {data.string()});

    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"grt-list", "1100"}, "count: 3\n0x044C00000001\n0x044C00000002\n0x044C00000003\nstatus: 0 "},
        {{"grt-list", "1100", "1"}, "count: 1\n0x044C00000001\nstatus: 0 "},
        {{"grt-list", "1000"}, "status: 22 "},
        {{"grt-list", "16383"}, "status: 22 "},
        {{"grt-list", "1001"}, "status: 4099 "},
        {{"find", "0x044C00000002"}, "found: 1\n"},
        {{"find", "0x044C00000002", "1"}, "found: 0\n"},
        {{"find", "0x044C00000002", "2"}, "found: 1\n"},  // only 1 asks for validity
        {{"effective", "0x044C00000001"}, "effective: 1\n"},
        {{"effective", "0x044C00000002"}, "effective: 0\n"},
        {{"effective", "0x044C00000003"}, "effective: 0\n"},
        {{"pad", "11", "1"}, "JQID: 0x044C00000001\nstatus: 0 "},
        {{"pad", "12"}, "JQID: 0x044C00000002\nstatus: 0 "},
        {{"pad", "12", "1"}, "status: 4099 "},
        {{"pad", "13", "1"}, "status: 4099 "},
        {{"pad", "14"}, "status: 4099 "},
        // Equal TADs: the lower JQID answers, and it has expired.
        {{"tad", "21"}, "JQID: 0x04B000000001\nstatus: 0 "},
        {{"tad", "21", "1"}, "status: 4099 "},
        {{"event", "5", "77", "1"}, "JQID: 0xC0014000004D\nstatus: 0 "},
        {{"event", "5", "78"}, "status: 4099 "},
        {{"msid", "0x112", "0x34", "1"}, "JQID: 0x051400000001\nstatus: 0 "},
        {{"msid", "0x12", "0x35"}, "status: 4099 "},
        {{"links", "0x044C00000001"}, "count: 2\n0x044C00000002\n0x044C00000003\nstatus: 0 "},
        {{"links", "0x044C00000001", "1"}, "count: 1\n0x044C00000002\nstatus: 0 "},
        {{"links", "0x044C00000003", "1"}, "status: 4099 "},
        {{"grt", "0x044C00000001"}, "GRT: 1100\n"},
    };
    for (const auto& [args, answer] : cases) {
        const test::ChildResult r = jqid(args);
        EXPECT_PRED2(contains, r.output, answer) << args[0] << " " << args[1];
    }
}

}  // namespace
}  // namespace jq
