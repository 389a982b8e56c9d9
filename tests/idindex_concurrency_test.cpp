// Several threads query the JQID index while another reloads it: a copy of
// idindex_stress runs with feedcore, idindex and its own JQID.ini.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "child_run.h"
#include "jqid_data.h"
#include "jqwrite.h"
#include "test_files.h"

namespace jq {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kEntries = 200;
constexpr uint32_t kForever = 0xFFFFFFFF;

write::Bytes packageFile(const write::JqidTable& table) {
    write::DataPackage p;
    p.typeCode = write::kJqidTable;
    p.packetHeader = write::jqidPacketHeader(table);
    p.plain = write::jqidData(table);
    write::BroadcastFile f;
    f.fileHeader().dataPackage(p);
    return f.bytes();
}

// For i from 1: a PAD (1100, i) with ID i, and a link from it to (1200, i).
void writeData(const fs::path& folder) {
    write::JqidTable pads;
    pads.currentGrt = 1100;
    write::JqidTable links;
    links.currentGrt = 0x4000;
    for (uint32_t i = 1; i <= kEntries; ++i) {
        write::JqidEntry pad;
        pad.jqid = uint64_t{1100} << 32 | i;
        pad.id = i;
        pad.expiryDate = kForever;
        pads.entries.push_back(pad);
        write::JqidEntry link = pad;
        link.secondJqid = uint64_t{1200} << 32 | i;
        links.entries.push_back(link);
    }
    fs::create_directories(folder);
    test::writeBytes(folder / "G0001.jq", packageFile(pads));
    test::writeBytes(folder / "G0002.jq", packageFile(links));
}

TEST(IdindexConcurrency, QueriesDuringReloadsSeeWholeTables) {
    test::TempFolder folder("idindex-stress");
    const fs::path host =
        test::copyFromProgramFolder(test::programFileName("idindex_stress"), folder.path());
    test::copyFromProgramFolder(test::libraryFileName("feedcore"), folder.path());
    test::copyFromProgramFolder(test::libraryFileName("idindex"), folder.path());
    const fs::path data = folder.path() / "data";
    writeData(data);
    std::ofstream(folder.path() / "JQID.ini") << "[List]\nCount=1\n0=" << data.string() << "\n";

    const test::ChildResult r =
        test::runChild(host, {std::to_string(kEntries), "100"}, folder.path() / "output.txt");
    std::printf("%s", r.output.c_str());  // how many queries ran meanwhile
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("reloads=100 "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(" wrong=0"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace jq
