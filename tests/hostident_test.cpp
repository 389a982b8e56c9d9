// Tests of host identity as a host sees it: hostident and hostident_caller
// are copied into a fresh folder, whose subfolder "work" is the current
// folder of the calls; the probe there is the real hostprobe or
// fake_hostprobe, which answers with the names of its fakeprobe.ini.
// The probe's field filling is checked directly.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "child_run.h"
#include "name_fields.h"
#include "platform.h"

namespace jq {
namespace {

namespace fs = std::filesystem;

class HostIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        caller_ =
            test::copyFromProgramFolder(test::programFileName("hostident_caller"), folder_.path());
        test::copyFromProgramFolder(test::libraryFileName("hostident"), folder_.path());
        fs::create_directories(work_);
    }

    // Puts the fake probe into a folder under a name, with its settings.
    fs::path fakeProbe(const fs::path& folder, const std::string& name,
                       const std::string& settings) {
        fs::create_directories(folder);
        const fs::path probe = folder / name;
        fs::copy_file(test::programFolder() / test::programFileName("fake_hostprobe"), probe);
        std::ofstream(folder / "fakeprobe.ini") << "[Probe]\n" << settings;
        return probe;
    }

    // The fake probe where hostident looks by default: in the current folder.
    void defaultFakeProbe(const std::string& settings) {
        fakeProbe(work_, test::programFileName("hostprobe"), settings);
    }

    // The caller's lines: "<export>=<result> "<name>" <guard>".
    std::string call(const std::vector<std::string>& calls) {
        std::vector<std::string> args{work_.string()};
        args.insert(args.end(), calls.begin(), calls.end());
        test::ChildResult r = test::runChild(caller_, args, folder_.path() / "output.txt");
        std::erase(r.output, '\r');
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return r.output;
    }

    // Both exports with the default probe.
    std::string both() { return call({"Model", "-default", "Manufacturer", "-default"}); }

    test::TempFolder folder_{"hostident"};
    fs::path work_ = folder_.path() / "work";
    fs::path caller_;
};

// The names the real probe finds on this machine: Wine's WMI answers with
// its own; on Linux the DMI files, which machines without firmware tables
// (like containers) lack.
#ifdef _WIN32
std::string systemModel() { return "Wine"; }
std::string systemManufacturer() { return "The Wine Project"; }
#else
std::string dmiName(const char* file) {
    std::string text = test::readFile(fs::path("/sys/class/dmi/id") / file);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text.substr(0, HOSTIDENT_NAME_FIELD_BYTES - 1);
}
std::string systemModel() { return dmiName("product_name"); }
std::string systemManufacturer() { return dmiName("sys_vendor"); }
#endif

std::string line(const std::string& call, const std::string& name) {
    return call + "=" + (name.empty() ? "-1" : "0") + " \"" + name + "\" intact\n";
}

TEST_F(HostIdentity, TheRealProbeAnswersWithTheSystemsNames) {
    test::copyFromProgramFolder(test::programFileName("hostprobe"), work_);
    EXPECT_EQ(both(), line("Model", systemModel()) + line("Manufacturer", systemManufacturer()));
    // Nothing is kept between calls: a second pair asks again and agrees.
    EXPECT_EQ(both(), line("Model", systemModel()) + line("Manufacturer", systemManufacturer()));
}

TEST_F(HostIdentity, EachExportReturnsItsOwnNameOrNone) {
    struct Case {
        const char* settings;
        const char* model;
        const char* manufacturer;
    };
    const Case cases[] = {
        {"Write=1\nManufacturer=Velmora Systems\nModel=JQ-3000\n", "JQ-3000", "Velmora Systems"},
        {"Write=1\nModel=JQ-3000\n", "JQ-3000", ""},
        {"Write=1\nManufacturer=Velmora Systems\n", "", "Velmora Systems"},
        // The probe ran but wrote nothing, as when WMI fails.
        {"Write=0\n", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        fs::remove_all(work_);
        defaultFakeProbe(c.settings);
        EXPECT_EQ(both(), line("Model", c.model) + line("Manufacturer", c.manufacturer));
        // Started once for each call, without arguments.
        EXPECT_EQ(test::readFile(work_ / "started.txt"),
                  "started with 0 arguments\nstarted with 0 arguments\n");
    }
}

TEST_F(HostIdentity, ALongNameIsCutToItsField) {
    const std::string longName(45, 'M');
    defaultFakeProbe("Write=1\nModel=" + longName + "\nManufacturer=" + longName + "\n");
    const std::string cut = longName.substr(0, HOSTIDENT_NAME_FIELD_BYTES - 1);
    EXPECT_EQ(both(), line("Model", cut) + line("Manufacturer", cut));
}

TEST_F(HostIdentity, AnObjectFullOfTextGivesTheBufferLessOneByte) {
    // A writer other than the probe filled the object beyond the buffer's
    // size: the answer stops one byte short of it, terminated, and nothing
    // beyond the 260 bytes is touched.
    defaultFakeProbe("Raw=400\n");
    EXPECT_EQ(call({"Model", "-default"}),
              line("Model", std::string(HOSTIDENT_BUFFER_BYTES - 1, 'x')));
}

TEST_F(HostIdentity, WithoutAProbeNothingStartsAndNoNameComes) {
    // No probe in the current folder; one beside the caller does not count:
    // the default path is relative to the current folder.
    fakeProbe(folder_.path(), test::programFileName("hostprobe"), "Write=1\nModel=beside\n");
    EXPECT_EQ(both(), line("Model", "") + line("Manufacturer", ""));
    EXPECT_FALSE(fs::exists(folder_.path() / "started.txt"));

    // A buffer naming a file that does not exist is overwritten with the
    // empty answer, and the probe in the current folder is not started.
    defaultFakeProbe("Write=1\nModel=default\n");
    const std::string missing = (folder_.path() / "missing" / "probe.exe").string();
    EXPECT_EQ(call({"Model", missing, "Manufacturer", missing}),
              line("Model", "") + line("Manufacturer", ""));
    EXPECT_FALSE(fs::exists(work_ / "started.txt"));
}

TEST_F(HostIdentity, ABufferNamingAProbeStartsThatProbe) {
    defaultFakeProbe("Write=1\nModel=default\nManufacturer=default\n");
    const fs::path probe = fakeProbe(folder_.path() / "elsewhere", test::programFileName("named"),
                                     "Write=1\nModel=Named\nManufacturer=Named Maker\n");
    EXPECT_EQ(call({"Model", probe.string(), "Manufacturer", probe.string()}),
              line("Model", "Named") + line("Manufacturer", "Named Maker"));
    EXPECT_FALSE(fs::exists(work_ / "started.txt"));
}

TEST_F(HostIdentity, ANullBufferIsRefused) {
    defaultFakeProbe("Write=1\nModel=JQ-3000\n");
    EXPECT_EQ(call({"Model", "-null", "Manufacturer", "-null"}),
              "Model=87 \"\" intact\nManufacturer=87 \"\" intact\n");
    EXPECT_FALSE(fs::exists(work_ / "started.txt"));
}

// jqtool host: the probe beside jqtool, whatever the current folder, and a
// probe of the command line.
TEST_F(HostIdentity, JqtoolAsksForBothNamesWithTheProbeBesideIt) {
    const fs::path jqtool =
        test::copyFromProgramFolder(test::programFileName("jqtool"), folder_.path());
    test::copyFromProgramFolder(test::libraryFileName("feedcore"), folder_.path());
    fakeProbe(folder_.path(), test::programFileName("hostprobe"),
              "Write=1\nManufacturer=Velmora Systems\nModel=JQ-3000\n");
    const auto run = [&](const std::vector<std::string>& args) {
        std::vector<std::string> words{"host"};
        words.insert(words.end(), args.begin(), args.end());
        test::ChildResult r = test::runChild(jqtool, words, folder_.path() / "jqtool.txt");
        std::erase(r.output, '\r');
        return r;
    };
    test::ChildResult r = run({});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output,
              "manufacturer: \"Velmora Systems\" (0, a name)\nmodel: \"JQ-3000\" (0, a name)\n");
    r = run({"--probe", (folder_.path() / "missing").string()});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_EQ(r.output, "manufacturer: \"\" (-1, no name)\nmodel: \"\" (-1, no name)\n");
}

#ifndef _WIN32
TEST_F(HostIdentity, PosixObjectsAreRemovedAndAFileThatIsNoProgramIsNotRun) {
    // The names go once the answer is read, whether the probe ran or not.
    defaultFakeProbe("Write=1\nModel=JQ-3000\n");
    EXPECT_EQ(call({"Model", "-default", "Manufacturer", (work_ / "none").string()}),
              line("Model", "JQ-3000") + line("Manufacturer", ""));
    EXPECT_FALSE(fs::exists("/dev/shm/" HOSTIDENT_MODEL_MAPPING));
    EXPECT_FALSE(fs::exists("/dev/shm/" HOSTIDENT_MANUFACTURER_MAPPING));

    // A file that exists but cannot be started, and a folder.
    std::ofstream(work_ / "text") << "not a program\n";
    EXPECT_EQ(call({"Model", (work_ / "text").string(), "Model", work_.string()}),
              line("Model", "") + line("Model", ""));
}
#endif

// The probe's fields: ANSI text cut before the character that would not fit
// with the terminating NUL; the rest of the field zero.
TEST(HostProbeFields, NamesAreCutBeforeACharacterThatDoesNotFit) {
    const auto text = [](const hostprobe::NameField& field) { return std::string(field.data()); };
    const auto zeroAfterText = [](const hostprobe::NameField& field) {
        const size_t length = std::string(field.data()).size();
        for (size_t i = length; i < field.size(); ++i)
            if (field[i] != 0) return false;
        return true;
    };
    EXPECT_EQ(text(hostprobe::nameField(JQ_PATH(""))), "");
    EXPECT_EQ(text(hostprobe::nameField(nullptr)), "");
    const auto exact = hostprobe::nameField(JQ_PATH("0123456789012345678901234567890"));
    EXPECT_EQ(text(exact), "0123456789012345678901234567890");
    const auto longer = hostprobe::nameField(JQ_PATH("0123456789012345678901234567890123"));
    EXPECT_EQ(text(longer), "0123456789012345678901234567890");
    EXPECT_TRUE(zeroAfterText(longer));

    // 30 ASCII letters and a kanji: where the ANSI code page gives the kanji
    // two bytes (code page 932 on POSIX), it does not fit and goes whole;
    // where it gives one ('?'), it fits. Half a character never stays.
    const platform::PathString name =
        platform::PathString(30, JQChar('a')) + JQChar(0x65E5) + JQChar('b');
    const std::string kanji = platform::ansiFromUtf16(JQ_PATH("\u65E5"));
    const auto field = hostprobe::nameField(name.c_str());
    const std::string expected = std::string(30, 'a') + (kanji.size() == 1 ? kanji : std::string());
    EXPECT_EQ(text(field), expected);
    EXPECT_TRUE(zeroAfterText(field));
    // A character outside the basic plane is taken as one, its surrogates
    // together.
    const platform::PathString astral =
        platform::PathString(29, JQChar('a')) + JQChar(0xD83D) + JQChar(0xDE00) + JQChar('c');
    const std::string pair = platform::ansiFromUtf16(astral.substr(29, 2).c_str());
    std::string astralExpected = std::string(29, 'a');
    if (29 + pair.size() <= 31) astralExpected += pair;
    if (29 + pair.size() + 1 <= 31) astralExpected += 'c';
    EXPECT_EQ(text(hostprobe::nameField(astral.c_str())), astralExpected);
}

}  // namespace
}  // namespace jq
