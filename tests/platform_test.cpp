// platform_test - the OS layer that the index-library frame uses: settings
// files, folder listing, libraries loaded at run time, the library lock and
// the UTC clock. On Windows (and Wine) the settings reads and the folder
// listing are the system's own functions, so the same expectations check the
// POSIX reader against them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "child_run.h"
#include "feedcore_exports.h"
#include "code_page_932.h"
#include "platform.h"
#include "test_files.h"

namespace jq::platform {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::toJQ;

// A file holding exactly these bytes.
fs::path writeText(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

// --- settings files ---------------------------------------------------------------

class SettingsTest : public ::testing::Test {
protected:
    // Writes the settings file and returns its path.
    PathString settings(const std::string& bytes) {
        return toJQ(writeText(folder_.path() / "JQID.ini", bytes));
    }

    PathString read(const PathString& file, const JQChar* section, const JQChar* key,
                    const JQChar* defaultValue = JQ_PATH("<default>")) {
        return settingsString(file.c_str(), section, key, defaultValue);
    }

    TempFolder folder_{"settings"};
};

TEST_F(SettingsTest, ReadsTheFolderListOfTheFrame) {
    const PathString file =
        settings("[List]\r\nCount=2\r\n0=C:\\Data\\JQ\\\r\n1=/srv/jq data/feed\r\n");
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 0), 2);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), JQ_PATH("C:\\Data\\JQ\\"));
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("1")), JQ_PATH("/srv/jq data/feed"));
}

TEST_F(SettingsTest, MatchesSectionAndKeyNamesCaseInsensitively) {
    const PathString file = settings("[LiSt]\nCoUnT=3\nPath=x\n");
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("list"), JQ_PATH("COUNT"), 0), 3);
    EXPECT_EQ(read(file, JQ_PATH("LIST"), JQ_PATH("path")), JQ_PATH("x"));
}

TEST_F(SettingsTest, TrimsBlanksAroundLinesNamesAndValues) {
    const PathString file = settings("  [List]  \n  Count  =  4  \n\t0 =\t spaced  value \t\n");
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 0), 4);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), JQ_PATH("spaced  value"));
    // The names asked for are trimmed too.
    EXPECT_EQ(read(file, JQ_PATH(" List "), JQ_PATH(" 0 ")), JQ_PATH("spaced  value"));
}

TEST_F(SettingsTest, MissingFileSectionOrKeyGivesTheDefault) {
    const PathString file = settings("[List]\nCount=1\n");
    const PathString missing = toJQ(folder_.path() / "missing.ini");
    EXPECT_EQ(settingsInt(missing.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 9), 9);
    EXPECT_EQ(read(missing, JQ_PATH("List"), JQ_PATH("Count")), JQ_PATH("<default>"));
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("Other"), JQ_PATH("Count"), -3), -3);
    EXPECT_EQ(read(file, JQ_PATH("Other"), JQ_PATH("Count")), JQ_PATH("<default>"));
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("0"), 7), 7);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0"), JQ_PATH("")), JQ_PATH(""));
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0"), nullptr), JQ_PATH(""));
}

TEST_F(SettingsTest, NullArgumentsGiveTheDefault) {
    const PathString file = settings("[List]\nCount=1\n");
    EXPECT_EQ(settingsInt(nullptr, JQ_PATH("List"), JQ_PATH("Count"), 5), 5);
    EXPECT_EQ(settingsInt(file.c_str(), nullptr, JQ_PATH("Count"), 5), 5);
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), nullptr, 5), 5);
    EXPECT_EQ(settingsString(file.c_str(), JQ_PATH("List"), nullptr, JQ_PATH("d")), JQ_PATH("d"));
}

TEST_F(SettingsTest, TheDefaultLosesItsTrailingSpaces) {
    const PathString file = settings("[List]\n");
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0"), JQ_PATH("  value   ")), JQ_PATH("  value"));
}

TEST_F(SettingsTest, CommentLinesAreNoKeys) {
    const PathString file = settings("[List]\n;Count=5\n; 0=commented\nCount=1\n");
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 0), 1);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), JQ_PATH("<default>"));
}

TEST_F(SettingsTest, KeysOfOtherSectionsAreNotSeen) {
    const PathString file = settings("Count=8\n[Other]\nCount=6\n0=other\n[List]\nCount=2\n");
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 0), 2);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), JQ_PATH("<default>"));
    EXPECT_EQ(read(file, JQ_PATH("Other"), JQ_PATH("0")), JQ_PATH("other"));
}

TEST_F(SettingsTest, TheFirstKeyOfANameWins) {
    const PathString file = settings("[List]\nCount=2\n0=first\ncount=3\n0=second\n");
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 0), 2);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), JQ_PATH("first"));
}

TEST_F(SettingsTest, OnlyTheFirstSectionOfANameIsSearched) {
    const PathString file = settings("[List]\nCount=1\n[Other]\n[list]\nCount=4\n0=later\n");
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 0), 1);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), JQ_PATH("<default>"));
}

TEST_F(SettingsTest, AKeyWithoutEqualsSignReadsAsMissing) {
    const PathString file = settings("[List]\nCount\n0\n");
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 11), 11);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), JQ_PATH("<default>"));
}

TEST_F(SettingsTest, AnEmptyValueIsAnEmptyStringAndTheIntDefault) {
    const PathString file = settings("[List]\nCount=\n0=\n");
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 12), 12);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), JQ_PATH(""));
}

TEST_F(SettingsTest, MatchingQuotesAroundAValueAreDropped) {
    const PathString file =
        settings("[List]\n0=\"C:\\With Space\\\"\n1='single'\n2=\"unmatched\n3=\"\n4=a\"b\"\n");
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), JQ_PATH("C:\\With Space\\"));
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("1")), JQ_PATH("single"));
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("2")), JQ_PATH("\"unmatched"));
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("3")), JQ_PATH("\""));
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("4")), JQ_PATH("a\"b\""));
}

TEST_F(SettingsTest, AValueIsCutTo511Units) {
    const std::string longValue(600, 'v');
    const std::string exact(511, 'e');
    const PathString file = settings("[List]\n0=" + longValue + "\n1=" + exact + "\n");
    EXPECT_EQ(kSettingsStringUnits, 512u);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), PathString(511, JQ_PATH('v')));
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("1")), PathString(511, JQ_PATH('e')));
}

TEST_F(SettingsTest, IntegersStopAtTheFirstCharacterThatIsNoDigit) {
    const PathString file = settings(
        "[List]\na=12abc\nb=abc\nc=-5\nd=+7\ne=  42  \nf=0x10\ng=3.9\nh=-\ni=2147483647\n"
        "j=-2147483648\n"
        "k=0X10\nl=0b101\nm=0o17\nn=-0x10\no=0x1G\np=0xFFFFFFFF\nq=4294967297\nr=007\n");
    const auto value = [&](const JQChar* key) {
        return settingsInt(file.c_str(), JQ_PATH("List"), key, 99);
    };
    EXPECT_EQ(value(JQ_PATH("a")), 12);
    EXPECT_EQ(value(JQ_PATH("b")), 0);
    EXPECT_EQ(value(JQ_PATH("c")), -5);
    EXPECT_EQ(value(JQ_PATH("d")), 7);
    EXPECT_EQ(value(JQ_PATH("e")), 42);
    EXPECT_EQ(value(JQ_PATH("f")), 16);
    EXPECT_EQ(value(JQ_PATH("g")), 3);
    EXPECT_EQ(value(JQ_PATH("h")), 0);
    EXPECT_EQ(value(JQ_PATH("i")), 2147483647);
    EXPECT_EQ(value(JQ_PATH("j")), -2147483647 - 1);
    EXPECT_EQ(value(JQ_PATH("k")), 0);
    EXPECT_EQ(value(JQ_PATH("l")), 5);
    EXPECT_EQ(value(JQ_PATH("m")), 15);
    EXPECT_EQ(value(JQ_PATH("n")), -16);
    EXPECT_EQ(value(JQ_PATH("o")), 1);
    EXPECT_EQ(value(JQ_PATH("p")), -1);
    EXPECT_EQ(value(JQ_PATH("q")), 1);
    EXPECT_EQ(value(JQ_PATH("r")), 7);
    EXPECT_EQ(value(JQ_PATH("missing")), 99);
}

TEST_F(SettingsTest, LinesMayEndInLineFeedsAloneOrCarriageReturnLineFeeds) {
    const PathString file = settings("[List]\nCount=2\r\n0=a\n1=b");
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 0), 2);
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), JQ_PATH("a"));
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("1")), JQ_PATH("b"));
}

TEST_F(SettingsTest, ReadsAUtf16FileWithByteOrderMark) {
    const std::u16string text = u"[List]\r\nCount=1\r\n0=D:\\\u30C7\u30FC\u30BF\\\u00FC\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    const PathString file = settings(bytes);
    EXPECT_EQ(settingsInt(file.c_str(), JQ_PATH("List"), JQ_PATH("Count"), 0), 1);
    const PathString expected = {JQ_PATH('D'), JQ_PATH(':'), JQ_PATH('\\'), 0x30C7,
                                 0x30FC,       0x30BF,       JQ_PATH('\\'), 0x00FC};
    EXPECT_EQ(read(file, JQ_PATH("List"), JQ_PATH("0")), expected);
}

#ifndef _WIN32
// Windows reads a file without a byte order mark in the ANSI code page; the
// Linux port reads UTF-8.
TEST_F(SettingsTest, ReadsUtf8WithOrWithoutByteOrderMark) {
    const PathString expected = u"/data/\u30C7\u30FC\u30BF/\u00FC";
    const PathString plain =
        settings("[List]\n0=/data/\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF/\xC3\xBC\n");
    EXPECT_EQ(read(plain, u"List", u"0"), expected);
    const PathString marked =
        settings("\xEF\xBB\xBF[List]\n0=/data/\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF/\xC3\xBC\n");
    EXPECT_EQ(read(marked, u"List", u"0"), expected);
}
#endif

// --- folders ------------------------------------------------------------------------

class ListFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"G001.JQ", "g002.jq", "A003.jq", "XG.txt"})
            writeText(folder_.path() / name, "data");
        fs::create_directory(folder_.path() / "GDIR");
        writeText(folder_.path() / "GDIR" / "G004.jq", "inner");
    }

    // The sorted names listed for "<folder><separator><namePattern>".
    std::vector<PathString> names(const JQChar* namePattern) {
        std::vector<PathString> listed =
            listFolder((toJQ(folder_.path()) + kPathSeparator + namePattern).c_str());
        std::sort(listed.begin(), listed.end());
        return listed;
    }

    TempFolder folder_{"folder"};
};

TEST_F(ListFolderTest, APrefixPatternMatchesCaseInsensitivelyAndSkipsFolders) {
    const std::vector<PathString> expected = {JQ_PATH("G001.JQ"), JQ_PATH("g002.jq")};
    EXPECT_EQ(names(JQ_PATH("G*")), expected);
    EXPECT_EQ(names(JQ_PATH("g*")), expected);
}

TEST_F(ListFolderTest, AStarListsEveryFileButNoFolder) {
    const std::vector<PathString> expected = {JQ_PATH("A003.jq"), JQ_PATH("G001.JQ"),
                                              JQ_PATH("XG.txt"), JQ_PATH("g002.jq")};
    EXPECT_EQ(names(JQ_PATH("*")), expected);
}

TEST_F(ListFolderTest, QuestionMarksAndInnerStarsMatch) {
    const std::vector<PathString> jq = {JQ_PATH("A003.jq"), JQ_PATH("G001.JQ"), JQ_PATH("g002.jq")};
    EXPECT_EQ(names(JQ_PATH("*.jq")), jq);
    EXPECT_EQ(names(JQ_PATH("?00?.Jq")), jq);
    EXPECT_EQ(names(JQ_PATH("G00?.JQ")),
              (std::vector<PathString>{JQ_PATH("G001.JQ"), JQ_PATH("g002.jq")}));
    EXPECT_EQ(names(JQ_PATH("*g*")),
              (std::vector<PathString>{JQ_PATH("G001.JQ"), JQ_PATH("XG.txt"), JQ_PATH("g002.jq")}));
}

#ifndef _WIN32
TEST_F(ListFolderTest, ALinkCountsAsWhatItPointsTo) {
    fs::create_symlink(folder_.path() / "G001.JQ", folder_.path() / "GFILELINK");
    fs::create_directory_symlink(folder_.path() / "GDIR", folder_.path() / "GDIRLINK");
    fs::create_symlink(folder_.path() / "missing", folder_.path() / "GDANGLING");
    EXPECT_EQ(
        names(JQ_PATH("G*")),
        (std::vector<PathString>{JQ_PATH("G001.JQ"), JQ_PATH("GFILELINK"), JQ_PATH("g002.jq")}));
}
#endif

TEST_F(ListFolderTest, NothingMatchingGivesNothing) {
    EXPECT_TRUE(names(JQ_PATH("M*")).empty());
    EXPECT_TRUE(names(JQ_PATH("G001.JQX")).empty());
}

TEST_F(ListFolderTest, AMissingFolderGivesNothing) {
    const PathString pattern = toJQ(folder_.path() / "missing") + kPathSeparator + JQ_PATH("G*");
    EXPECT_TRUE(listFolder(pattern.c_str()).empty());
    EXPECT_TRUE(listFolder(nullptr).empty());
}

TEST_F(ListFolderTest, AnEmptyFolderGivesNothing) {
    fs::create_directory(folder_.path() / "empty");
    const PathString pattern = toJQ(folder_.path() / "empty") + kPathSeparator + JQ_PATH("*");
    EXPECT_TRUE(listFolder(pattern.c_str()).empty());
}

TEST_F(ListFolderTest, NamesOutsideAsciiComeBackWhole) {
    const PathString name = {JQ_PATH('G'), 0x00FC,       0x30C7,
                             JQ_PATH('.'), JQ_PATH('j'), JQ_PATH('q')};
    writeText(folder_.path() / fs::path(name), "data");
    const std::vector<PathString> listed = names(JQ_PATH("G*"));
    EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end());
    EXPECT_EQ(listed.size(), 3u);
}

// --- libraries loaded at run time ---------------------------------------------------

PathString feedcorePath() {
    return toJQ(test::programFolder() / test::libraryFileName("feedcore"));
}

TEST(ModuleTest, LibraryFileNamesFollowTheTarget) {
    EXPECT_EQ(toJQ(fs::path(test::libraryFileName("feedcore"))),
              sharedLibraryFileName(JQ_PATH("feedcore")));
}

TEST(ModuleTest, LoadsALibraryByFullPathAndBindsItsEntryPoints) {
    Module module = Module::load(feedcorePath().c_str());
    ASSERT_TRUE(module.isLoaded());
#define JQ_EXPORT_NAME(name, ordinal, bytes) #name,
    for (const char* name : {FEEDCORE_EXPORTS(JQ_EXPORT_NAME)}) {
        EXPECT_NE(module.symbol(name), nullptr) << name;
    }
#undef JQ_EXPORT_NAME
    EXPECT_EQ(module.symbol("NoSuchEntryPoint"), nullptr);
    EXPECT_EQ(module.symbol(nullptr), nullptr);
    module.unload();
    EXPECT_FALSE(module.isLoaded());
    EXPECT_EQ(module.symbol("PreAnalyzeJQFile"), nullptr);
    module.unload();  // a second time does nothing
    EXPECT_FALSE(module.isLoaded());
}

TEST(ModuleTest, MovingHandsTheLibraryOver) {
    Module first = Module::load(feedcorePath().c_str());
    ASSERT_TRUE(first.isLoaded());
    Module second(std::move(first));
    EXPECT_FALSE(first.isLoaded());  // NOLINT(bugprone-use-after-move)
    EXPECT_TRUE(second.isLoaded());
    Module third;
    third = std::move(second);
    EXPECT_FALSE(second.isLoaded());  // NOLINT(bugprone-use-after-move)
    EXPECT_NE(third.symbol("DecryptJQFile"), nullptr);
}

TEST(ModuleTest, WhatIsNoLibraryIsNotLoaded) {
    TempFolder folder("module");
    EXPECT_FALSE(
        Module::load(toJQ(folder.path() / test::libraryFileName("missing")).c_str()).isLoaded());
    const fs::path text = writeText(folder.path() / test::libraryFileName("text"), "not code");
    EXPECT_FALSE(Module::load(toJQ(text).c_str()).isLoaded());
    EXPECT_FALSE(Module::load(nullptr).isLoaded());
    EXPECT_FALSE(Module().isLoaded());
}

#ifdef _WIN32
TEST(ModuleTest, BindsAndCallsASystemEntryPoint) {
    Module kernel = Module::load(L"kernel32.dll");
    ASSERT_TRUE(kernel.isLoaded());
    using TickCount = unsigned long(__stdcall*)();
    const auto tickCount = kernel.entryPoint<TickCount>("GetTickCount");
    ASSERT_NE(tickCount, nullptr);
    EXPECT_GT(tickCount(), 0u);
}
#endif

// --- beside the host ----------------------------------------------------------------

TEST(HostFolderTest, PathsBesideTheHostAreItsFolderAndTheName) {
    const PathString folder = hostExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), kPathSeparator);
    EXPECT_EQ(pathBesideHost(JQ_PATH("JQID.ini")), folder + JQ_PATH("JQID.ini"));
    EXPECT_EQ(fs::path(pathBesideHost(JQ_PATH("x.ini"))), test::programFolder() / "x.ini");
}

// --- the library lock ---------------------------------------------------------------

TEST(RecursiveLockTest, TheHolderMayLockAgain) {
    RecursiveLock lock;
    std::lock_guard<RecursiveLock> outer(lock);
    {
        std::lock_guard<RecursiveLock> inner(lock);
        lock.lock();
        lock.unlock();
    }
}

TEST(RecursiveLockTest, OtherThreadsWaitUntilTheLastUnlock) {
    RecursiveLock lock;
    std::atomic<bool> entered{false};
    lock.lock();
    lock.lock();
    std::thread other([&] {
        std::lock_guard<RecursiveLock> guard(lock);
        entered = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(entered.load());
    lock.unlock();
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST(RecursiveLockTest, SerialisesThreads) {
    static RecursiveLock lock;  // as an index library holds its own
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                std::lock_guard<RecursiveLock> guard(lock);
                const long seen = counter;
                counter = seen + 1;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(counter, 80000);
}

// --- time ---------------------------------------------------------------------------

TEST(UtcClockTest, CountsHundredsOfNanosecondsSince1601) {
    using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;
    constexpr int64_t kUnixEpoch = 116444736000000000;
    const int64_t before =
        std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch())
            .count() +
        kUnixEpoch;
    const auto now = static_cast<int64_t>(utcNowFileTime());
    const int64_t after =
        std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch())
            .count() +
        kUnixEpoch;
    constexpr int64_t kSlack = 2 * 10000000;  // two seconds
    EXPECT_GE(now, before - kSlack);
    EXPECT_LE(now, after + kSlack);
    // 2020-01-01 00:00:00 UTC.
    EXPECT_GT(now, 132223104000000000);
}

// Expected bytes from Python's cp932 codec.
TEST(CodePage932Test, TextsBecomeShiftJisAndWhatItLacksAQuestionMark) {
    const auto sjis = [](const std::u16string& text) {
        const std::basic_string<JQChar> units(text.begin(), text.end());
        std::string hex;
        char piece[4];
        for (const char c : text::shiftJisFromUtf16(units.c_str())) {
            std::snprintf(piece, sizeof piece, "%02x", static_cast<uint8_t>(c));
            hex += piece;
        }
        return hex;
    };
    EXPECT_EQ(sjis(u"LOGO_1"), "4c4f474f5f31");
    EXPECT_EQ(sjis(u"\u65E5\u672C"), "93fa967b");        // kanji
    EXPECT_EQ(sjis(u"\uFF71\uFF9F"), "b1df");           // half-width katakana
    EXPECT_EQ(sjis(u"\uFF21\uFF22"), "82608261");       // full-width letters
    EXPECT_EQ(sjis(u"\uFF5E\u301C\u2212\uFF0D"), "81608160817c817c");  // both readings
    EXPECT_EQ(sjis(u"a\u00A5\U0001F600b"), "613f3f62");  // no yen sign, no emoji
    EXPECT_EQ(sjis(std::u16string{u'x', char16_t(0xD800), u'y', char16_t(0xDC00)}), "783f793f");
    EXPECT_EQ(sjis(u""), "");
#ifndef _WIN32
    // Without an ANSI code page the names of the data go through code page 932.
    EXPECT_EQ(ansiFromUtf16(reinterpret_cast<const JQChar*>(u"\u65E5A")), "\x93\xfa" "A");
#endif
}

}  // namespace
}  // namespace jq::platform
