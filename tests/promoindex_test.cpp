// promoindex_test.cpp - the advertisement object index through its exports,
// with the host's folder lists: the HostID rule against this PC's HostID from
// the machine settings, the PAID order, the files taken and skipped, the
// release, and concurrent calls. The rules that depend on the host's folder
// (AD.ini, Tolvo.ini) are in promoindex_host_test.cpp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "child_run.h"
#include "jqwrite.h"
#include "object_package.h"
#include "platform.h"
#include "promoindex.h"
#include "test_files.h"

namespace jq {
namespace {

namespace fs = std::filesystem;
using write::Bytes;
using write::DataPackage;

constexpr uint16_t kLocal = 2143;
constexpr const char* kHostIdKey = "SOFTWARE\\Velmora\\JQPLAN\\Setting\\BS";

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

DataPackage object(uint8_t type, uint32_t paid, uint16_t host, const std::string& text) {
    return write::objectPackage(type, paid, 0x1234, bytesOf(text), host);
}

void jqFile(const fs::path& path, const std::vector<DataPackage>& packages) {
    write::BroadcastFile f;
    f.fileHeader();
    for (const DataPackage& p : packages) f.dataPackage(p);
    test::writeBytes(path, f.bytes());
}

// What one element holds, the object bytes as text.
struct Found {
    uint32_t paid;
    uint8_t type;
    uint16_t host;
    std::string object;
    bool operator==(const Found&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
    return out << "{" << std::hex << f.paid << std::dec << ", type " << int(f.type) << ", host "
               << f.host << ", \"" << f.object << "\"}";
}

// The host's folder list over paths it owns.
class Folders {
public:
    explicit Folders(const std::vector<fs::path>& folders) {
        for (const fs::path& folder : folders) paths_.push_back(test::toJQ(folder));
        for (const test::JQString& path : paths_)
            entries_.push_back({static_cast<uint32_t>(path.size() + 1), path.c_str()});
        list_.count = static_cast<uint32_t>(entries_.size());
        list_.entries = entries_.empty() ? nullptr : entries_.data();
    }
    const OBJ9FolderList* get() const { return &list_; }

private:
    std::vector<test::JQString> paths_;
    std::vector<PathEntry> entries_;
    OBJ9FolderList list_{};
};

// One call's answer, the list released again.
std::vector<Found> enumerate(const Folders& folders, JQStatus expected = JQ_OK) {
    OBJ9List list{};
    EXPECT_EQ(GetEnumOBJ9(&list, folders.get()), expected);
    std::vector<Found> found;
    for (uint32_t i = 0; list.elements != nullptr && i < list.count; ++i) {
        const OBJ9& e = list.elements[i];
        EXPECT_EQ(e.Object == nullptr, e.ObjectSize == 0);
        found.push_back({e.PAID, e.RecordType, e.HostID,
                         e.Object ? std::string(e.Object, e.Object + e.ObjectSize) : ""});
    }
    FreeOBJ9List(&list);
    EXPECT_EQ(list.elements, nullptr);
    return found;
}

// This PC's HostID as the machine settings give it, for the length of a
// test: the registry key in the suite's own Wine prefix (in the view of the
// test's word size), or a settings file that JQ_MACHINE_SETTINGS names. Made
// absent at the start and removed at the end.
class MachineHostId {
public:
    explicit MachineHostId(const fs::path& folder) : file_(folder / "machine.ini") {
#ifdef _WIN32
        remove();
#else
        ::setenv(platform::kMachineSettingsVariable, file_.string().c_str(), 1);
#endif
    }
    ~MachineHostId() {
#ifdef _WIN32
        remove();
#else
        ::unsetenv(platform::kMachineSettingsVariable);
#endif
    }
    MachineHostId(const MachineHostId&) = delete;
    MachineHostId& operator=(const MachineHostId&) = delete;

    // A 32-bit value (REG_DWORD; "HostID=<value>" in the file).
    void set(uint32_t value) {
#ifdef _WIN32
        reg("add \"HKLM\\" + std::string(kHostIdKey) + "\" /v HostID /t REG_DWORD /d " +
            std::to_string(value) + " /f");
#else
        setText(std::to_string(value));
#endif
    }
    // A value of a form that is not taken: on Windows binary bytes given in
    // hexadecimal, on Linux the text of the value.
    void setRaw(const std::string& windowsBytes, const std::string& posixText) {
#ifdef _WIN32
        (void)posixText;
        reg("add \"HKLM\\" + std::string(kHostIdKey) + "\" /v HostID /t REG_BINARY /d " +
            windowsBytes + " /f");
#else
        (void)windowsBytes;
        setText(posixText);
#endif
    }

private:
#ifdef _WIN32
    static void reg(const std::string& arguments) {
#ifdef _WIN64
        const char* view = " /reg:64";
#else
        const char* view = " /reg:32";  // what a 32-bit process reads
#endif
        const std::string command = "reg " + arguments + view + " >NUL 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    static void remove() {
        const std::string command = "reg delete \"HKLM\\SOFTWARE\\Velmora\" /f" +
                                    std::string(sizeof(void*) == 8 ? " /reg:64" : " /reg:32") +
                                    " >NUL 2>&1";
        (void)std::system(command.c_str());  // fails when there is nothing to delete
    }
#else
    void setText(const std::string& value) {
        std::ofstream(file_) << "; machine settings\n[" << kHostIdKey << "]\nHostID=" << value
                             << "\n";
    }
#endif
    fs::path file_;
};

class Promo : public ::testing::Test {
protected:
    fs::path folder(const std::string& name) {
        const fs::path f = temp_.path() / name;
        fs::create_directories(f);
        return f;
    }

    // Three folders, one file each, so that the order of the files is the
    // order of the folders.
    std::vector<fs::path> ruleFiles() {
        const fs::path one = folder("one");
        const fs::path two = folder("two");
        const fs::path three = folder("three");
        jqFile(one / "A1.jq",
               {object(0x56, 0x90000000, 300, "high PAID"),  // above 2^31
                object(0x56, 1, 300, "1 first of others"), object(0x56, 2, kLocal, "2 local first"),
                object(0xD7, 3, 300, "3 other first"), object(0x56, 4, kLocal, "4 local first"),
                object(0x56, 5, kLocal, "5 local first"), object(0x56, 6, kLocal, "6 local"),
                object(0xD7, 6, 302, "6 other later"), object(0x57, 7, 300, "by CAID, not taken"),
                object(0xD7, 8, 300, "")});
        jqFile(two / "A2.jq",
               {object(0xD7, 1, 301, "1 second of others"), object(0xD7, 2, 300, "2 other later"),
                object(0x56, 3, kLocal, "3 local later"), object(0x56, 4, kLocal, "4 local later"),
                object(0xD7, 5, 300, "5 other second")});
        jqFile(three / "A3.jq", {object(0x56, 5, 301, "5 other third")});
        return {one, two, three};
    }

    test::TempFolder temp_{"promoindex"};
    MachineHostId hostId_{temp_.path()};
};

TEST_F(Promo, HostIdRuleAndPaidOrder) {
    const Folders folders(ruleFiles());
    const std::vector<Found> expected = {
        {1, 0x56, 300, "1 first of others"},  // neither local: the first
        {2, 0xD7, 300, "2 other later"},      // the local one gives way
        {3, 0xD7, 300, "3 other first"},      // a later local one does not win
        {4, 0x56, kLocal, "4 local first"},   // both local: the first
        {5, 0xD7, 300, "5 other second"},     // replaced once, then kept
        {6, 0xD7, 302, "6 other later"},      // within one file too
        {8, 0xD7, 300, ""},                   // an empty object: no bytes
        {0x90000000, 0x56, 300, "high PAID"},
    };
    EXPECT_EQ(enumerate(folders), expected);

    // The folders in the other order: first is now the other way round.
    const Folders reversed({temp_.path() / "three", temp_.path() / "two", temp_.path() / "one"});
    const std::vector<Found> found = enumerate(reversed);
    ASSERT_EQ(found.size(), 8u);
    EXPECT_EQ(found[0], (Found{1, 0xD7, 301, "1 second of others"}));
    EXPECT_EQ(found[1], (Found{2, 0xD7, 300, "2 other later"}));
    EXPECT_EQ(found[2], (Found{3, 0xD7, 300, "3 other first"}));
    EXPECT_EQ(found[3], (Found{4, 0x56, kLocal, "4 local later"}));
    EXPECT_EQ(found[4], (Found{5, 0x56, 301, "5 other third"}));
}

TEST_F(Promo, LocalHostIdFromTheMachineSettings) {
    const Folders folders(ruleFiles());
    const auto at = [](const std::vector<Found>& found, uint32_t paid) {
        for (const Found& f : found) {
            if (f.paid == paid) return f.object;
        }
        return std::string("(none)");
    };
    // No setting: judged against 2143.
    std::vector<Found> found = enumerate(folders);
    EXPECT_EQ(at(found, 2), "2 other later");
    EXPECT_EQ(at(found, 3), "3 other first");

    // 300 is this PC's now: its objects give way, those of 2143 do not.
    hostId_.set(300);
    found = enumerate(folders);
    EXPECT_EQ(at(found, 1), "1 second of others");
    EXPECT_EQ(at(found, 2), "2 local first");
    EXPECT_EQ(at(found, 3), "3 local later");
    EXPECT_EQ(at(found, 5), "5 local first");  // 2143 is now another host's
    EXPECT_EQ(at(found, 6), "6 local");

    // A value that is not 4 bytes (a number of another form) leaves 2143.
    for (const auto& [bytes, text] : {std::pair{"2C0100", "0x12C junk"}, std::pair{"2C01", "-300"},
                                      std::pair{"2C0100000000", "4294967296"}}) {
        hostId_.setRaw(bytes, text);
        found = enumerate(folders);
        EXPECT_EQ(at(found, 2), "2 other later") << text;
        EXPECT_EQ(at(found, 3), "3 other first") << text;
    }
    hostId_.setRaw("2C010000", "0x12C");  // four bytes, 300, of any type
    EXPECT_EQ(at(enumerate(folders), 3), "3 local later");
}

TEST_F(Promo, FilesTakenAndSkipped) {
    const fs::path data = folder("data");
    jqFile(data / "A0001.jq", {object(0x56, 10, 300, "taken")});
    jqFile(data / "a0002.jq", {object(0x56, 11, 300, "lower-case a, taken")});
    jqFile(data / "B0001.jq", {object(0x56, 12, 300, "not an A file")});
    jqFile(data / "A0003.jq", {object(0x57, 13, 300, "by CAID only")});
    // A bad package spoils the whole file, its good packages too.
    DataPackage bad = object(0x56, 14, 300, "bad checksum");
    bad.totalCheckSum = 0;
    jqFile(data / "A0004.jq", {object(0x56, 15, 300, "good but in a bad file"), bad});
    test::writeBytes(data / "A0005.jq", bytesOf("not a JQ file at all"));
    fs::create_directories(data / "A0006.dir");
    jqFile(data / "A0006.dir" / "A0007.jq", {object(0x56, 16, 300, "in a sub-folder")});

    const std::vector<Found> expected = {{10, 0x56, 300, "taken"},
                                         {11, 0x56, 300, "lower-case a, taken"}};
    EXPECT_EQ(enumerate(Folders({data})), expected);
    // With a separator at its end, and a folder that does not exist.
    test::JQString withSeparator = test::toJQ(data) + platform::kPathSeparator;
    const PathEntry entries[] = {
        {static_cast<uint32_t>(withSeparator.size() + 1), withSeparator.c_str()}};
    const OBJ9FolderList list{1, entries};
    OBJ9List objects{};
    EXPECT_EQ(GetEnumOBJ9(&objects, &list), JQ_OK);
    EXPECT_EQ(objects.count, 2u);
    FreeOBJ9List(&objects);
    EXPECT_EQ(objects.count, 2u);  // the count stays
    FreeOBJ9List(&objects);        // released twice: nothing happens
    FreeOBJ9List(nullptr);
    EXPECT_TRUE(enumerate(Folders({temp_.path() / "missing"})).empty());

    // No folders: 0 and an empty list, the record written.
    OBJ9List empty{99, reinterpret_cast<OBJ9*>(&empty)};
    EXPECT_EQ(GetEnumOBJ9(&empty, Folders({}).get()), JQ_OK);
    EXPECT_EQ(empty.count, 0u);
    EXPECT_EQ(empty.elements, nullptr);
    const OBJ9FolderList noEntries{3, nullptr};
    EXPECT_EQ(GetEnumOBJ9(&empty, &noEntries), JQ_OK);
    EXPECT_EQ(empty.count, 0u);

    EXPECT_EQ(GetEnumOBJ9(nullptr, Folders({data}).get()), JQ_ERR_NULL_ARGUMENT);
}

TEST_F(Promo, ConcurrentCallsEachGetAWholeList) {
    const fs::path data = folder("data");
    for (uint32_t f = 0; f < 8; ++f) {
        std::vector<DataPackage> packages;
        for (uint32_t i = 0; i < 50; ++i) {
            packages.push_back(object(i % 2 ? 0x56 : 0xD7, f * 1000 + i, 300,
                                      "object " + std::to_string(f * 1000 + i)));
        }
        jqFile(data / ("A" + std::to_string(f) + ".jq"), packages);
    }
    const Folders folders({data});
    const std::vector<Found> expected = enumerate(folders);
    ASSERT_EQ(expected.size(), 400u);
    std::vector<int> mismatches(6, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < mismatches.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 10; ++round) {
                OBJ9List list{};
                if (GetEnumOBJ9(&list, folders.get()) != JQ_OK || list.count != expected.size()) {
                    ++mismatches[t];
                } else {
                    for (uint32_t i = 0; i < list.count; ++i) {
                        const OBJ9& e = list.elements[i];
                        const std::string bytes(e.Object, e.Object + e.ObjectSize);
                        if (e.PAID != expected[i].paid || bytes != expected[i].object)
                            ++mismatches[t];
                    }
                }
                FreeOBJ9List(&list);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(mismatches.size(), 0));
}

}  // namespace
}  // namespace jq
