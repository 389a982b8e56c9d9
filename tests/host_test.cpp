// Tests of the rules that depend on the host executable's folder: the
// reference host jqtool is copied with the decoder into a fresh folder and
// run there, with and without a "Tolvo.ini" beside it.
#include <gtest/gtest.h>

#include <fstream>

#include "child_run.h"
#include "arib_text.h"
#include "jqwrite.h"
#include "schedule_data.h"
#include "test_files.h"

namespace jq {
namespace {

namespace fs = std::filesystem;

class Host : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = test::copyFromProgramFolder(test::programFileName("jqtool"), folder_.path());
        test::copyFromProgramFolder(test::libraryFileName("feedcore"), folder_.path());
    }
    test::ChildResult run(const std::vector<std::string>& args) {
        return test::runChild(host_, args, folder_.path() / "output.txt");
    }
    fs::path data(const char* name, const write::Bytes& bytes) {
        return test::writeBytes(folder_.path() / name, bytes);
    }
    void setContainerMode(bool on) {
        const fs::path switchFile = folder_.path() / "Tolvo.ini";
        if (on) {
            std::ofstream(switchFile) << "";
        } else {
            fs::remove(switchFile);
        }
    }

    test::TempFolder folder_{"host"};
    fs::path host_;
};

write::Bytes containerWithOneObject() {
    write::ContainerEntry entry;
    entry.hostId = 5;
    entry.headerSource = {0x00, 0x00, 0x34, 0x12, 0x02, 0x01, 0, 0};
    entry.data = {0x01, 0x02, 0xAA};
    return write::containerFile(0x56, {entry});
}

write::Bytes broadcastWithOneObject() {
    write::DataPackage p;
    p.typeCode = 0x56;
    p.packetHeader = {0x00, 0x00, 0x12, 0x34, 0x01, 0x02};
    p.plain = {0x01, 0x02, 0xAA};
    write::BroadcastFile f;
    f.fileHeader().dataPackage(p);
    return f.bytes();
}

TEST_F(Host, ModeIsDecidedOnEveryCall) {
    const std::string container = data("container.jq", containerWithOneObject()).string();
    const std::string broadcast = data("broadcast.jq", broadcastWithOneObject()).string();

    test::ChildResult r = run({"packages", broadcast});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("16,0x56,"), std::string::npos) << r.output;
    r = run({"packages", container});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("status 21"), std::string::npos) << r.output;

    setContainerMode(true);
    r = run({"packages", container});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("8,0x56,0,5,"), std::string::npos) << r.output;
    r = run({"list", container});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("8,0x56,6,00 00 12 34 01 02"), std::string::npos) << r.output;
    r = run({"packages", broadcast});  // its first bytes are no container size
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("status 19"), std::string::npos) << r.output;
    // The key-parameter search and the header reader keep the broadcast layout.
    r = run({"info", broadcast});
    EXPECT_NE(r.output.find("file header: value"), std::string::npos) << r.output;

    setContainerMode(false);
    r = run({"packages", container});
    EXPECT_EQ(r.exitCode, 1);
}

TEST_F(Host, DumpWritesOneCsvPerPackageAndReportsFailures) {
    data("G1.jq", broadcastWithOneObject());
    write::BroadcastFile bad;
    bad.raw({0x41, 0x42, 0x43});
    data("G2.jq", bad.bytes());
    const fs::path out = folder_.path() / "dump";
    test::ChildResult r = run({"dump", (folder_.path() / "G1.jq").string(), out.string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    const std::string csv = test::readFile(out / "G1.jq.000.csv");
    EXPECT_NE(csv.find("PAID,CRM,ObjectSize\n0x00001234,0x0102,1\n"), std::string::npos) << csv;

    fs::create_directory(folder_.path() / "data");
    fs::rename(folder_.path() / "G1.jq", folder_.path() / "data" / "G1.jq");
    fs::rename(folder_.path() / "G2.jq", folder_.path() / "data" / "G2.jq");
    r = run({"dump", (folder_.path() / "data").string(), out.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("G2.jq"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("status 21 (wrong format"), std::string::npos) << r.output;

    r = run({"dump", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.output.find("usage: jqtool dump"), std::string::npos);
    r = run({"frobnicate"});
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(Host, DumpWritesScheduleTextsAsShiftJis) {
    // "News 番組" in Shift-JIS, through the broadcast coding and back.
    const std::string title = "News \x94\xD4\x91\x67";
    write::ScheduleItem item;
    item.startMinute = 1200;
    item.title = write::encodeAribText(title);
    item.bookCode = "123";
    write::Schedule schedule;
    schedule.typeCode = write::kScheduleQ;
    schedule.gcn = 0x0A0B;
    schedule.julianDay = 1;
    schedule.items = {item};
    write::BroadcastFile f;
    f.dataPackage(write::schedulePackage(schedule));
    data("Q1.jq", f.bytes());

    const fs::path out = folder_.path() / "dump";
    test::ChildResult r = run({"dump", (folder_.path() / "Q1.jq").string(), out.string()});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const std::string csv = test::readFile(out / "Q1.jq.000.csv");
    EXPECT_NE(csv.find("0x0A0B,1,1992,1,1,0,1\n"), std::string::npos) << csv;
    const std::string row = ",1200,0x00,0x00,0,0x000000,10," + title + std::string(1, '\0') +
                            ",0,,0,,4," + std::string("123\0", 4) + ",0x00,0\n";
    EXPECT_NE(csv.find(row), std::string::npos) << csv;
}

}  // namespace
}  // namespace jq
