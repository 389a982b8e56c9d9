// Tests of the MICP index as a host sees it: mediaindex_probe, a host of
// mediaindex alone, is copied with feedcore and mediaindex into a fresh
// folder with a MICP.ini and data folders written there, and run with the
// calls to make. The M files are containers, which feedcore reads when a
// Tolvo.ini lies beside the host.
#include <gtest/gtest.h>

#include <fstream>

#include "child_run.h"
#include "jqwrite.h"
#include "micp_writer.h"
#include "test_files.h"

namespace jq {
namespace {

namespace fs = std::filesystem;
using write::Bytes;
using write::TypedElement;

constexpr uint8_t kMicpBlock = 0xF5;
constexpr uint32_t kPast = 86400;  // 1992-01-01 00:00:00 UTC

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

TypedElement whole(const std::string& name, const Bytes& data) {
    write::MicpDatum datum;
    datum.name = bytesOf(name);
    datum.data = data;
    return write::micpDataElement(datum);
}

TypedElement whole(const std::string& name, const std::string& data) {
    return whole(name, bytesOf(data));
}

write::ContainerEntry block(uint32_t objectId, uint16_t total, uint16_t number,
                            std::vector<TypedElement> elements) {
    write::MicpObject object;
    object.elements = std::move(elements);
    return write::micpBlockEntry(objectId, total, number, write::micpObjectBytes(object));
}

class MicpHost : public ::testing::Test {
protected:
    void SetUp() override {
        probe_ =
            test::copyFromProgramFolder(test::programFileName("mediaindex_probe"), folder_.path());
        test::copyFromProgramFolder(test::libraryFileName("feedcore"), folder_.path());
        test::copyFromProgramFolder(test::libraryFileName("mediaindex"), folder_.path());
        std::ofstream(folder_.path() / "Tolvo.ini") << "";
    }

    // The probe's answers with Windows line ends made plain.
    std::string calls(const std::vector<std::string>& args) {
        test::ChildResult r = test::runChild(probe_, args, folder_.path() / "output.txt");
        std::erase(r.output, '\r');
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return r.output;
    }

    // A MICP.ini whose section "List" holds Count and the keys 0, 1, ...
    void settings(const std::string& count, const std::vector<fs::path>& folders) {
        std::ofstream ini(folder_.path() / "MICP.ini");
        ini << "[List]\nCount=" << count << "\n";
        for (size_t i = 0; i < folders.size(); ++i) ini << i << "=" << folders[i].string() << "\n";
    }

    fs::path dataFolder(const std::string& name) {
        const fs::path folder = folder_.path() / name;
        fs::create_directories(folder);
        return folder;
    }

    static void micpFile(const fs::path& path, const std::vector<write::ContainerEntry>& blocks) {
        test::writeBytes(path, write::containerFile(kMicpBlock, blocks));
    }

    fs::path out(const std::string& name) const { return folder_.path() / name; }
    Bytes bytesIn(const std::string& name) const {
        const std::string content = test::readFile(out(name));
        return Bytes(content.begin(), content.end());
    }

    test::TempFolder folder_{"mediaindex"};
    fs::path probe_;
};

std::string sizeLine(const std::string& name, uint32_t size) {
    return "GetMICPDataSize(" + name + ")=" + std::to_string(size) + "\n";
}

TEST_F(MicpHost, WithoutFeedcoreNothingIsFound) {
    fs::remove(folder_.path() / test::libraryFileName("feedcore"));
    const fs::path data = dataFolder("data");
    micpFile(data / "M1.jq", {block(1, 1, 1, {whole("A", "a")})});
    settings("1", {data});
    EXPECT_EQ(calls({"uninit",
                     "size",
                     "A",
                     "get",
                     "A",
                     "4",
                     out("o1").string(),
                     "init",
                     "size",
                     "A",
                     "get",
                     "A",
                     "4",
                     out("o2").string(),
                     "get2",
                     "A",
                     out("o3").string(),
                     "nulls",
                     "uninit",
                     "uninit"}),
              "UnInitializeMICP=4097\n" + sizeLine("A", 0) +
                  "GetMICPData(A,4)=4099\ncanary=intact\n"
                  "InitializeMICP=23\n" +
                  sizeLine("A", 0) +
                  "GetMICPData(A,4)=4099\ncanary=intact\n"
                  "GetMICPData2(A)=4099 length=0\nFreeMICPData=null\n"
                  "GetMICPDataSize.null=0\nGetMICPData.null=17,17\nGetMICPData2.null=17,17,17\n"
                  "UnInitializeMICP=0\nUnInitializeMICP=4097\n");
}

TEST_F(MicpHost, FoldersOfMicpIniAndTheMPrefix) {
    const fs::path a = dataFolder("a");
    const fs::path b = dataFolder("b");
    micpFile(a / "M1.jq", {block(1, 1, 1, {whole("A", "a")})});
    micpFile(a / "m2.jq", {block(2, 1, 1, {whole("LOWER", "l")})});  // any letter case
    micpFile(a / "X1.jq", {block(3, 1, 1, {whole("OTHER", "x")})});
    micpFile(b / "M1.jq", {block(4, 1, 1, {whole("B", "bb")})});
    const std::vector<std::string> query = {"init", "size",  "A",    "size", "LOWER",
                                            "size", "OTHER", "size", "B"};
    const std::string nothing = "InitializeMICP=0\n" + sizeLine("A", 0) + sizeLine("LOWER", 0) +
                                sizeLine("OTHER", 0) + sizeLine("B", 0);
    EXPECT_EQ(calls(query), nothing);  // no MICP.ini
    settings("0", {a, b});
    EXPECT_EQ(calls(query), nothing);
    settings("-1", {a, b});
    EXPECT_EQ(calls(query), nothing);
    settings("3", {a, folder_.path() / "none", b});
    EXPECT_EQ(calls(query), "InitializeMICP=0\n" + sizeLine("A", 1) + sizeLine("LOWER", 1) +
                                sizeLine("OTHER", 0) + sizeLine("B", 2));
}

TEST_F(MicpHost, MuFilesReplaceTheBlocksOfTheirObjects) {
    const fs::path a = dataFolder("a");
    const fs::path b = dataFolder("b");
    const fs::path bad = dataFolder("bad");
    micpFile(a / "M1.jq",
             {block(300, 2, 1, {whole("A", "first")}), block(300, 2, 2, {whole("A2", "second")}),
              block(301, 1, 1, {whole("K", "kept")})});
    // One update file in lower case beside the plain file, one elsewhere.
    micpFile(a / "M2mu.jq", {block(300, 1, 1, {whole("A", "update")})});
    // In one file too, each block removes the earlier blocks of its object.
    micpFile(b / "MU3.jq",
             {block(302, 2, 1, {whole("B", "b")}), block(302, 2, 2, {whole("C", "c")})});
    // An update file that feedcore lists but cannot parse: a block without bytes.
    write::ContainerEntry empty = block(303, 1, 1, {});
    empty.data.clear();
    micpFile(bad / "MU4.jq", {empty});

    const std::vector<std::string> query = {
        "init", "get2", "A", out("a.out").string(), "size", "A2", "size", "K", "size",
        "B",    "get2", "C", out("c.out").string()};
    const std::string loaded = "InitializeMICP=0\nGetMICPData2(A)=0 length=6\nFreeMICPData=null\n" +
                               sizeLine("A2", 0) + sizeLine("K", 4) + sizeLine("B", 0) +
                               "GetMICPData2(C)=0 length=1\nFreeMICPData=null\n";
    // The failing update file before the last one does not count.
    settings("3", {bad, a, b});
    EXPECT_EQ(calls(query), loaded);
    EXPECT_EQ(bytesIn("a.out"), bytesOf("update"));
    EXPECT_EQ(bytesIn("c.out"), bytesOf("c"));

    // As the last update file it is InitializeMICP's result and empties all.
    settings("3", {a, b, bad});
    EXPECT_EQ(calls({"init", "size", "K", "get", "K", "4", out("k").string(), "uninit"}),
              "InitializeMICP=17\n" + sizeLine("K", 0) +
                  "GetMICPData(K,4)=4099\ncanary=intact\nUnInitializeMICP=0\n");
}

TEST_F(MicpHost, PartsOverBlocksAndFilesByteForByte) {
    Bytes map(3000);
    for (size_t i = 0; i < map.size(); ++i) map[i] = static_cast<uint8_t>(i * 7 + i / 256);
    const std::vector<write::MicpDatum> parts = write::micpParts(bytesOf("MAP"), map, 3);
    Bytes logo(500);
    for (size_t i = 0; i < logo.size(); ++i) logo[i] = static_cast<uint8_t>(255 - i);
    const fs::path data = dataFolder("data");
    micpFile(data / "M1.jq",
             {block(400, 3, 1, {write::micpDataElement(parts[0])}),
              block(400, 3, 2, {write::micpDataElement(parts[1])}),
              block(401, 1, 1, {whole("LOGO", logo)}),
              block(402, 1, 1, {whole("OLD", "old"), write::micpExpiryElement(kPast)})});
    micpFile(data / "M2.jq", {block(400, 3, 3, {write::micpDataElement(parts[2])})});
    settings("1", {data});

    EXPECT_EQ(calls({"init",
                     "size",
                     "MAP",
                     "get",
                     "MAP",
                     "3000",
                     out("map").string(),
                     "get",
                     "MAP",
                     "2999",
                     out("short").string(),
                     "get2",
                     "MAP",
                     out("map2").string(),
                     "size",
                     "LOGO",
                     "get2",
                     "LOGO",
                     out("logo").string(),
                     "size",
                     "OLD",
                     "get",
                     "OLD",
                     "8",
                     out("old").string(),
                     "get2",
                     "OLD",
                     out("old2").string(),
                     "init",
                     "get2",
                     "MAP",
                     out("again").string(),
                     "uninit"}),
              "InitializeMICP=0\n" + sizeLine("MAP", 3000) +
                  "GetMICPData(MAP,3000)=0\ncanary=intact\n"
                  "GetMICPData(MAP,2999)=22\ncanary=intact\n"
                  "GetMICPData2(MAP)=0 length=3000\nFreeMICPData=null\n" +
                  sizeLine("LOGO", 500) + "GetMICPData2(LOGO)=0 length=500\nFreeMICPData=null\n" +
                  sizeLine("OLD", 0) +
                  "GetMICPData(OLD,8)=4099\ncanary=intact\n"
                  "GetMICPData2(OLD)=4099 length=3\nFreeMICPData=null\n"
                  "InitializeMICP=0\nGetMICPData2(MAP)=0 length=3000\nFreeMICPData=null\n"
                  "UnInitializeMICP=0\n");
    EXPECT_EQ(bytesIn("map"), map);
    EXPECT_EQ(bytesIn("map2"), map);
    EXPECT_EQ(bytesIn("again"), map);
    EXPECT_EQ(bytesIn("logo"), logo);
    EXPECT_FALSE(fs::exists(out("old2")));
}

TEST_F(MicpHost, QueriesWithoutInitializeUseATemporaryIndex) {
    const fs::path data = dataFolder("data");
    micpFile(data / "M1.jq", {block(1, 1, 1, {whole("TEXT", "temporary")})});
    settings("1", {data});
    EXPECT_EQ(calls({"size", "TEXT", "get", "TEXT", "9", out("text").string(), "get2", "TEXT",
                     out("text2").string(), "nulls", "uninit"}),
              sizeLine("TEXT", 9) +
                  "GetMICPData(TEXT,9)=0\ncanary=intact\n"
                  "GetMICPData2(TEXT)=0 length=9\nFreeMICPData=null\n"
                  "GetMICPDataSize.null=0\nGetMICPData.null=17,17\nGetMICPData2.null=17,17,17\n"
                  "UnInitializeMICP=4097\n");
    EXPECT_EQ(bytesIn("text"), bytesOf("temporary"));
    EXPECT_EQ(bytesIn("text2"), bytesOf("temporary"));
}

// jqtool micp, the reference host's view of the same calls: the datum in a
// file, whole through the library's buffer or as the N bytes of the host's.
TEST_F(MicpHost, JqtoolWritesTheDatumToAFile) {
    const fs::path jqtool =
        test::copyFromProgramFolder(test::programFileName("jqtool"), folder_.path());
    const fs::path data = dataFolder("data");
    micpFile(data / "M1.jq", {block(7, 1, 1, {whole("NOTE", "a short note")})});
    settings("1", {data});
    const auto run = [&](const std::vector<std::string>& args) {
        test::ChildResult r = test::runChild(jqtool, args, out("jqtool.txt"));
        std::erase(r.output, '\r');
        return std::to_string(r.exitCode) + " " + r.output;
    };
    EXPECT_EQ(run({"micp", "size", "NOTE"}), "0 size: 12\n");
    EXPECT_EQ(run({"micp", "size", "NOTE", "--init"}), "0 size: 12\n");
    EXPECT_EQ(run({"micp", "get", "NOTE", out("whole").string()}),
              "0 length: 12\nstatus: 0 (success)\n");
    EXPECT_EQ(bytesIn("whole"), bytesOf("a short note"));
    EXPECT_EQ(run({"micp", "get", "--buffer", "14", "--init", "NOTE", out("held").string()}),
              "0 status: 0 (success)\n");
    EXPECT_EQ(bytesIn("held"), bytesOf(std::string("a short note\0\0", 14)));
    EXPECT_EQ(run({"micp", "get", "--buffer", "11", "NOTE", out("short").string()}),
              "1 status: 22 (argument out of range or buffer too small)\n");
    EXPECT_FALSE(fs::exists(out("short")));
    EXPECT_EQ(run({"micp", "size", "OTHER"}), "1 size: 0\n");
}

}  // namespace
}  // namespace jq
