// Two threads query the MICP index while another uninitialises and
// initialises it, so that queries answer from the index and from temporary
// ones: a copy of mediaindex_stress runs with feedcore, mediaindex, a
// Tolvo.ini and its own MICP.ini.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "child_run.h"
#include "jqwrite.h"
#include "micp_writer.h"
#include "test_files.h"

namespace jq {
namespace {

namespace fs = std::filesystem;
using write::Bytes;

constexpr uint32_t kData = 100;
constexpr size_t kPartBytes = 4000;

write::ContainerEntry wholeBlock(uint32_t i, const std::string& text) {
    write::MicpDatum datum;
    const std::string name = "D" + std::to_string(i);
    datum.name.assign(name.begin(), name.end());
    datum.data.assign(text.begin(), text.end());
    write::MicpObject object;
    object.elements = {write::micpDataElement(datum)};
    return write::micpBlockEntry(i, 1, 1, write::micpObjectBytes(object));
}

// The data set mediaindex_stress expects: "D<i>" for i from 1 to kData,
// replaced for even i by an MU file, and "P" in four parts over two files.
void writeData(const fs::path& folder) {
    Bytes parted(kPartBytes);
    for (size_t k = 0; k < parted.size(); ++k) parted[k] = static_cast<uint8_t>(k * 7);
    std::vector<write::ContainerEntry> plain;
    std::vector<write::ContainerEntry> updates;
    std::vector<write::ContainerEntry> partFile;
    const std::vector<write::MicpDatum> parts = write::micpParts({'P'}, parted, 4);
    for (uint16_t k = 0; k < 4; ++k) {
        write::MicpObject object;
        object.elements = {write::micpDataElement(parts[k])};
        (k < 2 ? plain : partFile)
            .push_back(write::micpBlockEntry(1000, 4, k + 1, write::micpObjectBytes(object)));
    }
    for (uint32_t i = 1; i <= kData; ++i) {
        plain.push_back(wholeBlock(i, "content " + std::to_string(i)));
        if (i % 2 == 0) updates.push_back(wholeBlock(i, "updated " + std::to_string(i)));
    }
    fs::create_directories(folder);
    test::writeBytes(folder / "M0001.jq", write::containerFile(0xF5, plain));
    test::writeBytes(folder / "M0002MU.jq", write::containerFile(0xF5, updates));
    test::writeBytes(folder / "M0003.jq", write::containerFile(0xF5, partFile));
}

TEST(MediaindexConcurrency, QueriesWithAndWithoutContextDuringCycles) {
    test::TempFolder folder("mediaindex-stress");
    const fs::path host =
        test::copyFromProgramFolder(test::programFileName("mediaindex_stress"), folder.path());
    test::copyFromProgramFolder(test::libraryFileName("feedcore"), folder.path());
    test::copyFromProgramFolder(test::libraryFileName("mediaindex"), folder.path());
    const fs::path data = folder.path() / "data";
    writeData(data);
    std::ofstream(folder.path() / "Tolvo.ini") << "";
    std::ofstream(folder.path() / "MICP.ini") << "[List]\nCount=1\n0=" << data.string() << "\n";

    const test::ChildResult r =
        test::runChild(host, {std::to_string(kData), "50"}, folder.path() / "output.txt");
    std::printf("%s", r.output.c_str());  // how many queries ran meanwhile
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("cycles=50 "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(" wrong=0"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace jq
