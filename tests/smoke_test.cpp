// smoke_test - the test chain itself: GoogleTest under CTest (and under Wine
// for the Windows build), and tests that copy a program into a fresh
// temporary folder, run it through the shell and read back its exit status
// and output, as the tests of host-folder rules do.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "child_run.h"

namespace fs = std::filesystem;
using jq::test::ChildResult;
using jq::test::TempFolder;

namespace {

// The probe's "key=value" lines; "\r" of a Windows text-mode stream dropped.
std::map<std::string, std::string> probeLines(const std::string& output) {
    std::map<std::string, std::string> items;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t eq = line.find('=');
        if (eq != std::string::npos) items[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 1;
    }
    return items;
}

fs::path copyProbe(const fs::path& folder) {
    return jq::test::copyFromProgramFolder(jq::test::programFileName("child_probe"), folder);
}

fs::path pathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

TEST(TempFolder, IsFreshAndGoesAwayWithEverythingInIt) {
    fs::path first;
    {
        TempFolder a;
        TempFolder b;
        first = a.path();
        ASSERT_TRUE(fs::is_directory(a.path()));
        ASSERT_TRUE(fs::is_directory(b.path()));
        EXPECT_NE(a.path(), b.path());
        EXPECT_TRUE(fs::is_empty(a.path()));
        fs::create_directory(a.path() / "inner");
        std::ofstream(a.path() / "inner" / "file.txt") << "x";
    }
    EXPECT_FALSE(fs::exists(first));
}

TEST(ChildRun, CopyRunsFromItsOwnFolderWithArgumentsAndOutput) {
    TempFolder temp;
    const fs::path folder = temp.path() / "with space";
    fs::create_directory(folder);
    const fs::path probe = copyProbe(folder);

    const ChildResult result =
        jq::test::runChild(probe, {"7", "two words", "last"}, folder / "out file.txt");

    EXPECT_EQ(result.exitCode, 7) << result.output;
    const auto items = probeLines(result.output);
    ASSERT_TRUE(items.count("folder")) << result.output;
    // The probe reports its folder with a separator at the end.
    EXPECT_TRUE(fs::equivalent(pathFromUtf8(items.at("folder")).parent_path(), folder))
        << items.at("folder");
    EXPECT_EQ(items.count("arg1") ? items.at("arg1") : "", "two words");
    EXPECT_EQ(items.count("arg2") ? items.at("arg2") : "", "last");
    EXPECT_EQ(items.count("arg3"), 0u);
    // Standard error goes to the same file.
    EXPECT_EQ(items.count("stderr") ? items.at("stderr") : "", "2");
}

TEST(ChildRun, ExitStatusComesThroughTheShell) {
    TempFolder temp;
    const fs::path probe = copyProbe(temp.path());
    for (int status : {0, 1, 23, 255}) {
        const ChildResult result =
            jq::test::runChild(probe, {std::to_string(status)}, temp.path() / "out.txt");
        EXPECT_EQ(result.exitCode, status) << result.output;
    }
}

TEST(ChildRun, SeesASettingsFileBesideTheCopyOnly) {
    TempFolder temp;
    const fs::path probe = copyProbe(temp.path());
    const fs::path output = temp.path() / "out.txt";

    EXPECT_EQ(probeLines(jq::test::runChild(probe, {"0"}, output).output)["beside"], "no");
    std::ofstream(temp.path() / "probe.ini") << "[probe]\n";
    EXPECT_EQ(probeLines(jq::test::runChild(probe, {"0"}, output).output)["beside"], "yes");
    // The program that was copied has no such file beside it.
    EXPECT_FALSE(fs::exists(jq::test::programFolder() / "probe.ini"));
}
