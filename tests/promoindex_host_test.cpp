// promoindex_host_test.cpp - the advertisement object index as a host sees
// it: jqtool, feedcore and promoindex are copied into a fresh folder with data
// folders written there, and "jqtool promo ..." is run in it, with the folders
// on its command line or in an AD.ini, with and without a Tolvo.ini. Beside
// them lies promoindex_probe, a host linked to promoindex alone, which still
// runs when feedcore is taken away.
#include <gtest/gtest.h>

#include <fstream>

#include "child_run.h"
#include "jqwrite.h"
#include "object_package.h"
#include "test_files.h"

namespace jq {
namespace {

namespace fs = std::filesystem;
using write::Bytes;

constexpr uint16_t kLocal = 2143;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

void jqFile(const fs::path& path, const std::vector<write::DataPackage>& packages) {
    write::BroadcastFile f;
    f.fileHeader();
    for (const write::DataPackage& p : packages) f.dataPackage(p);
    test::writeBytes(path, f.bytes());
}

// A container entry of an object: the packet header as the container reading
// turns its three little-endian words round, then the CRM again and the
// object.
write::ContainerEntry containerObject(uint32_t paid, uint16_t host, const std::string& text) {
    write::ContainerEntry e;
    e.hostId = host;
    e.headerSource = {uint8_t(paid >> 16),
                      uint8_t(paid >> 24),
                      uint8_t(paid),
                      uint8_t(paid >> 8),
                      0x34,
                      0x12,
                      0,
                      0};
    const std::string data = "\x12\x34" + text;
    e.data.assign(data.begin(), data.end());
    return e;
}

class PromoHost : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = test::copyFromProgramFolder(test::programFileName("jqtool"), folder_.path());
        probe_ =
            test::copyFromProgramFolder(test::programFileName("promoindex_probe"), folder_.path());
        test::copyFromProgramFolder(test::libraryFileName("feedcore"), folder_.path());
        test::copyFromProgramFolder(test::libraryFileName("promoindex"), folder_.path());
    }

    // The probe's answers, with Windows line ends made plain.
    std::string probe(const std::vector<std::string>& args) {
        test::ChildResult r = test::runChild(probe_, args, folder_.path() / "probe.txt");
        std::erase(r.output, '\r');
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return r.output;
    }

    // The output of a run that must succeed, with Windows line ends made
    // plain.
    std::string promo(std::vector<std::string> args) {
        args.insert(args.begin(), "promo");
        test::ChildResult r = test::runChild(host_, args, folder_.path() / "output.txt");
        std::erase(r.output, '\r');
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return r.output;
    }

    void adIni(const std::string& count, const std::vector<fs::path>& folders) {
        std::ofstream ini(folder_.path() / "AD.ini");
        ini << "[List]\nCount=" << count << "\n";
        for (size_t i = 0; i < folders.size(); ++i) ini << i << "=" << folders[i].string() << "\n";
    }

    fs::path dataFolder(const std::string& name) {
        const fs::path folder = folder_.path() / name;
        fs::create_directories(folder);
        return folder;
    }

    fs::path feedcore() const { return folder_.path() / test::libraryFileName("feedcore"); }

    test::TempFolder folder_{"promohost"};
    fs::path host_;
    fs::path probe_;
};

constexpr const char* kHeading = "PAID,type,HostID,size\n";

TEST_F(PromoHost, FoldersOfTheCommandLineOrOfAdIni) {
    const fs::path one = dataFolder("one");
    const fs::path two = dataFolder("two");
    const fs::path empty = dataFolder("empty");
    jqFile(one / "A1.jq", {write::objectPackage(0x56, 0x20, 1, bytesOf("local"), kLocal),
                           write::objectPackage(0xD7, 0x10, 2, bytesOf("ten"), 300)});
    jqFile(two / "A2.jq", {write::objectPackage(0xD7, 0x20, 3, bytesOf("other host"), 301)});

    // No AD.ini: no folders, no objects.
    EXPECT_EQ(promo({}), "objects: 0\n" + std::string(kHeading));

    adIni("3", {one, empty, two});
    const std::string both = "objects: 2\n" + std::string(kHeading) +
                             "0x00000010,0xD7,300,3\n"
                             "0x00000020,0xD7,301,10\n";
    EXPECT_EQ(promo({}), both);
    // A key left empty is skipped; Count bounds the keys read.
    adIni("3", {one, "", two});
    EXPECT_EQ(promo({}), both);
    adIni("1", {one, two});
    EXPECT_EQ(promo({}), "objects: 2\n" + std::string(kHeading) +
                             "0x00000010,0xD7,300,3\n"
                             "0x00000020,0x56,2143,5\n");
    // Folders on the command line: AD.ini is not read.
    EXPECT_EQ(promo({empty.string()}), "objects: 0\n" + std::string(kHeading));
    EXPECT_EQ(promo({two.string()}),
              "objects: 1\n" + std::string(kHeading) + "0x00000020,0xD7,301,10\n");

    // --save writes each object under its PAID.
    const fs::path saved = folder_.path() / "saved";
    promo({"--save", saved.string(), one.string(), two.string()});
    EXPECT_EQ(test::readFile(saved / "00000010.bin"), "ten");
    EXPECT_EQ(test::readFile(saved / "00000020.bin"), "other host");
    EXPECT_EQ(std::distance(fs::directory_iterator(saved), fs::directory_iterator()), 2);
}

TEST_F(PromoHost, TolvoModeTakesEveryFileOfAFolder) {
    const fs::path data = dataFolder("data");
    test::writeBytes(
        data / "A0001.jq",
        write::containerFile(0x56, {containerObject(0x0A0B0C0D, 300, "in an A file")}));
    test::writeBytes(data / "X0001.jq",
                     write::containerFile(0xD7, {containerObject(0x01, 301, "not named A"),
                                                 containerObject(0x02, kLocal, "second")}));
    jqFile(data / "B0001.jq", {write::objectPackage(0x56, 0x03, 1, bytesOf("broadcast"), 300)});
    adIni("1", {data});

    // Broadcast mode: the A file only, which in that layout is no JQ file.
    EXPECT_EQ(promo({}), "objects: 0\n" + std::string(kHeading));
    std::ofstream(folder_.path() / "Tolvo.ini") << "";
    // Every file, read as a container; the broadcast file is not one.
    EXPECT_EQ(promo({}), "objects: 3\n" + std::string(kHeading) +
                             "0x00000001,0xD7,301,11\n"
                             "0x00000002,0xD7,2143,6\n"
                             "0x0A0B0C0D,0x56,300,12\n");
    fs::remove(folder_.path() / "Tolvo.ini");  // asked at each call
    EXPECT_EQ(promo({}), "objects: 0\n" + std::string(kHeading));
}

TEST_F(PromoHost, WithoutAWholeFeedcoreTheCallAnswers23) {
    const fs::path data = dataFolder("data");
    jqFile(data / "A1.jq", {write::objectPackage(0x56, 0x20, 1, bytesOf("local"), kLocal)});
    adIni("1", {data});
    const std::string nulls = "GetEnumOBJ9.null=17\nFreeOBJ9List.empty=3\n";
    const std::string found = "GetEnumOBJ9=0\ncount=1\n00000020,56,2143,5\nFreeOBJ9List=null\n";
    EXPECT_EQ(probe({"enum", "folder", data.string(), "null"}), found + found + nulls);

    // No feedcore beside the host: 23 for the folders of AD.ini and for the
    // host's, the list record as it was; a null record is still 17.
    const std::string missing = "GetEnumOBJ9=23\nrecord=untouched\n";
    fs::rename(feedcore(), folder_.path() / "feedcore.moved");
    EXPECT_EQ(probe({"enum", "folder", data.string(), "null"}), missing + missing + nulls);
    // A library of that name without feedcore's entry points is no decoder
    // either.
    test::copyFromProgramFolder(test::libraryFileName("hostident"), folder_.path());
    fs::rename(folder_.path() / test::libraryFileName("hostident"), feedcore());
    EXPECT_EQ(probe({"enum", "folder", data.string()}), missing + missing);

    // feedcore back: the same folder answers again, so it was feedcore alone.
    fs::remove(feedcore());
    fs::rename(folder_.path() / "feedcore.moved", feedcore());
    EXPECT_EQ(probe({"enum"}), found);
}

}  // namespace
}  // namespace jq
