// indexframe_test.cpp - the index-library frame against a fake decoder: the
// folder lists, the scan and its passes, the load of either kind with what it
// tells the tables, what it keeps and releases, and the exports' scope.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "index_frame.h"
#include "library_state.h"
#include "test_files.h"

namespace jq::index {
namespace {

namespace fs = std::filesystem;
using test::toJQ;

constexpr uint32_t kTaken = 0xDF;
constexpr uint32_t kOther = 0x56;

// What the fake decoder knows of a file, by its name.
struct FakeFile {
    JQStatus indexStatus = JQ_OK;
    std::vector<uint32_t> indexTypes;  // one index entry per type
    uint8_t firstHeaderByte = 0;       // of every index entry
    JQStatus decodeStatus = JQ_OK;
    std::vector<uint32_t> packageTypes;  // one package or parse element per type
};

// The fake decoder: plain functions over one table of files, counting what
// they hand out and get back.
struct FakeDecoder {
    std::map<std::u16string, FakeFile> files;
    int listsOut = 0;  // index, package and parse lists not yet released
    int packageListsReleased = 0;
    int parseListsReleased = 0;
    int decodeCalls = 0;
};
FakeDecoder fake;

std::u16string nameOf(const JQChar* path) {
    const std::u16string text(path, path + std::char_traits<JQChar>::length(path));
    return text.substr(text.find_last_of(u"/\\") + 1);
}

const FakeFile* fileOf(const JQChar* path) {
    const auto found = fake.files.find(nameOf(path));
    return found == fake.files.end() ? nullptr : &found->second;
}

// Every byte value, for index entries to point their one header byte at.
const std::array<uint8_t, 256> kByteValues = [] {
    std::array<uint8_t, 256> values{};
    for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<uint8_t>(i);
    return values;
}();

JQStatus JQ_CALL fakePreAnalyze(const JQChar* path, IndexList* list) {
    const FakeFile* file = fileOf(path);
    if (file == nullptr) return JQ_ERR_OPEN;
    if (file->indexStatus != JQ_OK) return file->indexStatus;
    list->count = static_cast<uint32_t>(file->indexTypes.size());
    list->elements = new IndexEntry[list->count]();
    for (uint32_t i = 0; i < list->count; ++i) {
        list->elements[i].typeCode = file->indexTypes[i];
        list->elements[i].packetHeaderLength = 1;
        list->elements[i].packetHeader = const_cast<uint8_t*>(&kByteValues[file->firstHeaderByte]);
    }
    ++fake.listsOut;
    return JQ_OK;
}

void JQ_CALL fakeFreeIndexList(IndexList* list) {
    if (list->elements == nullptr) return;
    delete[] list->elements;
    list->elements = nullptr;
    --fake.listsOut;
}

JQStatus JQ_CALL fakeDecrypt(const JQChar* path, PackageList* list) {
    ++fake.decodeCalls;
    const FakeFile* file = fileOf(path);
    if (file->decodeStatus != JQ_OK) return file->decodeStatus;
    list->count = static_cast<uint32_t>(file->packageTypes.size());
    list->elements = new PackageRecord[list->count]();
    for (uint32_t i = 0; i < list->count; ++i) {
        list->elements[i].TypeCode = static_cast<uint8_t>(file->packageTypes[i]);
        list->elements[i].offset = static_cast<int32_t>(i);
    }
    ++fake.listsOut;
    return JQ_OK;
}

void JQ_CALL fakeFreePackageList(PackageList* list) {
    if (list->elements == nullptr) return;
    delete[] list->elements;
    list->elements = nullptr;
    --fake.listsOut;
    ++fake.packageListsReleased;
}

// A failing parse still hands out the list filled so far, as feedcore does.
JQStatus JQ_CALL fakeAnalyze(const JQChar* path, ParseList* list) {
    ++fake.decodeCalls;
    const FakeFile* file = fileOf(path);
    list->count = static_cast<uint32_t>(file->packageTypes.size());
    list->elements = new ParseElement[list->count]();
    for (uint32_t i = 0; i < list->count; ++i) list->elements[i].recordType = file->packageTypes[i];
    ++fake.listsOut;
    return file->decodeStatus;
}

void JQ_CALL fakeFreeParseList(ParseList* list) {
    if (list->elements == nullptr) return;
    delete[] list->elements;
    list->elements = nullptr;
    --fake.listsOut;
    ++fake.parseListsReleased;
}

JQStatus adoptFake(Decoder& decoder) {
    DecoderEntryPoints e;
    e.PreAnalyzeJQFile = fakePreAnalyze;
    e.FreeIndexList = fakeFreeIndexList;
    e.DecryptJQFile = fakeDecrypt;
    e.FreePackageList = fakeFreePackageList;
    e.AnalyzeJQFile = fakeAnalyze;
    e.FreeParseList = fakeFreeParseList;
    decoder.adopt(e);
    return JQ_OK;
}

JQStatus noDecoder(Decoder&) { return JQ_ERR_NO_DECODER; }

bool takesType(uint32_t type) { return type == kTaken; }

// The second pass takes files whose first taken entry has bit 7 of its
// header byte set; a header byte of 0x01 keeps the file out.
Pass passByHeader(const JQChar*, const IndexEntry& entry) {
    if (entry.packetHeader[0] == 0x01) return Pass::Skip;
    return (entry.packetHeader[0] & 0x80) != 0 ? Pass::Second : Pass::First;
}

// The second pass takes files whose name contains "U".
Pass passByName(const JQChar* name, const IndexEntry&) {
    return nameOf(name).find(u'U') != std::u16string::npos ? Pass::Second : Pass::First;
}

// Tables that write down everything the frame tells them, and fold the
// statuses of the second pass as idindex does.
class RecordingTables final : public IndexTables {
public:
    void fileDecoded(Pass pass, JQStatus status) override {
        events.push_back(std::string(pass == Pass::First ? "1" : "2") + " file " +
                         std::to_string(status));
        if (pass == Pass::Second && status != JQ_OK) result = status;
    }
    void takePackage(Pass pass, const PackageRecord& p) override {
        events.push_back(std::string(pass == Pass::First ? "1" : "2") + " package " +
                         std::to_string(p.TypeCode));
        if (pass == Pass::Second) result = JQ_OK;
    }
    void takeParsed(Pass pass, const ParseElement& e) override {
        events.push_back(std::string(pass == Pass::First ? "1" : "2") + " parsed " +
                         std::to_string(e.recordType));
    }
    void passEnded(Pass pass) override {
        events.push_back(pass == Pass::First ? "1 end" : "2 end");
    }
    JQStatus loadEnded() override {
        events.push_back("load end");
        return result;
    }
    void clear() override {
        events.push_back("clear");
        result = JQ_OK;
    }

    std::vector<std::string> events;
    JQStatus result = JQ_OK;
};

class IndexFrameTest : public ::testing::Test {
protected:
    IndexFrameTest() {
        fake = FakeDecoder{};
        folder = fs::temp_directory_path() /
                 ("indexframe-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~IndexFrameTest() override {
        fs::remove_all(folder);
        EXPECT_EQ(fake.listsOut, 0) << "lists handed out and never released";
    }

    // A data file in the folder that the fake decoder describes.
    void addFile(const std::string& name, FakeFile file, const fs::path& in = {}) {
        std::ofstream((in.empty() ? folder : in) / name) << "x";
        fake.files[std::u16string(name.begin(), name.end())] = std::move(file);
    }

    std::vector<PathString> folders() const { return {toJQ(folder)}; }

    static LibraryRule rule(Pass (*passOf)(const JQChar*, const IndexEntry&) = passByHeader,
                            LoadKind kind = LoadKind::Packages) {
        return {JQ_PATH("none.ini"), {JQ_PATH("G*"), takesType, passOf}, kind};
    }

    fs::path folder;
};

using Events = std::vector<std::string>;

TEST(FolderList, SettingsFileKeysInOrderEmptyOnesSkipped) {
    const fs::path ini = fs::temp_directory_path() / "indexframe-list.ini";
    std::ofstream(ini) << "[List]\nCount=3\n0=/data/a\n1=\n2=/data/c\n";
    EXPECT_EQ(readFolderList(toJQ(ini).c_str()),
              (std::vector<PathString>{JQ_PATH("/data/a"), JQ_PATH("/data/c")}));
    std::ofstream(ini) << "[List]\nCount=-2\n0=/data/a\n";
    EXPECT_TRUE(readFolderList(toJQ(ini).c_str()).empty());
    fs::remove(ini);
    EXPECT_TRUE(readFolderList(toJQ(ini).c_str()).empty());
}

TEST(FolderList, HostListEntriesMustCountTheirNull) {
    const JQChar a[] = JQ_PATH("/data/a");
    const JQChar withNull[] = JQ_PATH("/da\0ta");
    const JQChar empty[] = JQ_PATH("");
    const PathEntry entries[] = {
        {8, a},         // taken
        {7, a},         // the length leaves the null out
        {8, nullptr},   // no text
        {7, withNull},  // a null before the end
        {0, a},         // no units at all
        {1, empty},     // an empty path, skipped as in a settings file
        {8, a},         // taken again: the list is copied as it stands
    };
    EXPECT_EQ(copyFolderList(7, entries),
              (std::vector<PathString>{JQ_PATH("/data/a"), JQ_PATH("/data/a")}));
    EXPECT_TRUE(copyFolderList(0, entries).empty());
    EXPECT_TRUE(copyFolderList(3, nullptr).empty());
}

TEST_F(IndexFrameTest, ListingJoinsWithOneSeparatorAndSkipsFolders) {
    addFile("G1", {});
    addFile("g2", {});  // patterns match without regard to case
    addFile("X1", {});
    fs::create_directories(folder / "G3");
    const PathString plain = toJQ(folder);
    const PathString withSeparator = plain + platform::kPathSeparator;
    for (const PathString& form : {plain, withSeparator}) {
        std::vector<PathString> names;
        for (const DataFile& file : listDataFiles(form, JQ_PATH("G*"))) {
            EXPECT_EQ(file.path, withSeparator + file.name());
            names.push_back(file.name());
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<PathString>{JQ_PATH("G1"), JQ_PATH("g2")}));
    }
    EXPECT_TRUE(listDataFiles(toJQ(folder / "missing"), JQ_PATH("*")).empty());
}

TEST_F(IndexFrameTest, TheFirstTakenIndexEntryDecidesTheFilesPass) {
    addFile("G-first",
            {.indexTypes = {kOther, kTaken, kTaken}, .firstHeaderByte = 0x00, .packageTypes = {}});
    addFile("G-second", {.indexTypes = {kTaken}, .firstHeaderByte = 0x80, .packageTypes = {}});
    addFile("G-refused",
            {.indexStatus = JQ_ERR_FORMAT, .indexTypes = {kTaken}, .packageTypes = {}});
    addFile("G-foreign", {.indexTypes = {kOther, kOther}, .packageTypes = {}});
    addFile("G-skipped", {.indexTypes = {kTaken}, .firstHeaderByte = 0x01, .packageTypes = {}});
    Decoder decoder;
    adoptFake(decoder);
    const LibraryRule r = rule();
    const ScannedFiles files = scanFolders(folders(), r.scan, decoder.entryPoints());
    ASSERT_EQ(files.firstPass.size(), 1u);
    EXPECT_EQ(PathString(files.firstPass[0].name()), JQ_PATH("G-first"));
    ASSERT_EQ(files.secondPass.size(), 1u);
    EXPECT_EQ(PathString(files.secondPass[0].name()), JQ_PATH("G-second"));
}

TEST_F(IndexFrameTest, PackagesReachTheTablesPassByPassWithTheirStatuses) {
    addFile("G1", {.indexTypes = {kTaken}, .packageTypes = {kTaken, kOther, kTaken}});
    addFile("G2", {.indexTypes = {kTaken}, .firstHeaderByte = 0x80, .packageTypes = {kTaken}});
    IndexFrame<RecordingTables> frame(rule(), adoptFake);
    EXPECT_EQ(frame.load(folders()), JQ_OK);
    EXPECT_TRUE(frame.ready());
    EXPECT_EQ(frame.tables().events,
              (Events{"clear", "1 file 0", "1 package 223", "1 package 223", "1 end", "2 file 0",
                      "2 package 223", "2 end", "load end"}));
}

TEST_F(IndexFrameTest, AFailedResultEmptiesTheTablesAndUnloadsTheDecoder) {
    addFile("G1", {.indexTypes = {kTaken}, .packageTypes = {kTaken}});
    addFile("G2", {.indexTypes = {kTaken},
                   .firstHeaderByte = 0x80,
                   .decodeStatus = JQ_ERR_CHECKSUM,
                   .packageTypes = {}});
    IndexFrame<RecordingTables> frame(rule(), adoptFake);
    EXPECT_EQ(frame.load(folders()), JQ_ERR_CHECKSUM);
    EXPECT_FALSE(frame.ready());
    EXPECT_EQ(frame.tables().events.back(), "clear");
    EXPECT_EQ(fake.packageListsReleased, 1);  // G1's, kept until the failure
}

TEST_F(IndexFrameTest, AReloadReleasesWhatTheLastLoadKeptAndDecodesAgain) {
    addFile("G1", {.indexTypes = {kTaken}, .packageTypes = {kTaken}});
    IndexFrame<RecordingTables> frame(rule(), adoptFake);
    ASSERT_EQ(frame.load(folders()), JQ_OK);
    EXPECT_EQ(fake.listsOut, 1);
    ASSERT_EQ(frame.load(folders()), JQ_OK);
    EXPECT_EQ(fake.listsOut, 1);
    EXPECT_EQ(fake.packageListsReleased, 1);
    EXPECT_EQ(fake.decodeCalls, 2);
    frame.clear(true);
    EXPECT_FALSE(frame.ready());
    EXPECT_EQ(fake.listsOut, 0);
}

TEST_F(IndexFrameTest, WithoutADecoderNothingIsScannedAndTheStatusIs23) {
    addFile("G1", {.indexTypes = {kTaken}, .packageTypes = {kTaken}});
    IndexFrame<RecordingTables> frame(rule(), noDecoder);
    EXPECT_EQ(frame.load(folders()), JQ_ERR_NO_DECODER);
    EXPECT_FALSE(frame.ready());
    EXPECT_EQ(fake.decodeCalls, 0);
    EXPECT_EQ(frame.tables().events, (Events{"clear", "clear"}));
}

TEST_F(IndexFrameTest, AMissingSettingsFileGivesNoFolders) {
    addFile("G1", {.indexTypes = {kTaken}, .packageTypes = {kTaken}});
    IndexFrame<RecordingTables> frame(rule(), adoptFake);
    EXPECT_EQ(frame.load(), JQ_OK);  // "none.ini" is not beside the test program
    EXPECT_EQ(fake.decodeCalls, 0);
}

TEST_F(IndexFrameTest, ParseLoadsHandOverParsedElementsAndReleaseParseLists) {
    addFile("GA", {.indexTypes = {kTaken}, .packageTypes = {kTaken, kOther}});
    addFile("GB", {.indexTypes = {kTaken}, .packageTypes = {kOther, kTaken}});
    IndexFrame<RecordingTables> frame(rule(passByName, LoadKind::Parses), adoptFake);
    EXPECT_EQ(frame.load(folders()), JQ_OK);
    std::vector<std::string> parsed;
    for (const std::string& event : frame.tables().events) {
        if (event.find("parsed") != std::string::npos) parsed.push_back(event);
    }
    EXPECT_EQ(parsed, (Events{"1 parsed 223", "1 parsed 223"}));
    EXPECT_EQ(fake.listsOut, 2);
    frame.clear(false);
    EXPECT_EQ(fake.parseListsReleased, 2);
    EXPECT_TRUE(frame.ready());
}

TEST_F(IndexFrameTest, AFailedParseIsReleasedAtOnceAndItsStatusFolded) {
    addFile("GA", {.indexTypes = {kTaken}, .packageTypes = {kTaken}});
    addFile("GU", {.indexTypes = {kTaken}, .decodeStatus = 0xC0F5, .packageTypes = {kTaken}});
    IndexFrame<RecordingTables> frame(rule(passByName, LoadKind::Parses), adoptFake);
    EXPECT_EQ(frame.load(folders()), 0xC0F5u);
    EXPECT_EQ(frame.tables().events, (Events{"clear", "1 file 0", "1 parsed 223", "1 end",
                                             "2 file 49397", "2 end", "load end", "clear"}));
    EXPECT_EQ(fake.parseListsReleased, 2);  // GU's at once, GA's with the failed load
    EXPECT_FALSE(frame.ready());
}

TEST_F(IndexFrameTest, TheFrameReleasesItsListsWhenDestroyed) {
    addFile("G1", {.indexTypes = {kTaken}, .packageTypes = {kTaken}});
    {
        IndexFrame<RecordingTables> frame(rule(), adoptFake);
        ASSERT_EQ(frame.load(folders()), JQ_OK);
        EXPECT_EQ(fake.listsOut, 1);
    }
    EXPECT_EQ(fake.listsOut, 0);
}

// A context as the exports see it.
struct FakeContext {
    bool loaded = false;
    int table = 7;
    bool ready() const { return loaded; }
    const int& tables() const { return table; }
};

TEST(ExportScope, RefusalsComeInTheOrderContextOutputDecoder) {
    LibraryState<FakeContext> state{JQ_ERR_NOT_FOUND};
    int output = 0;
    {
        const ExportScope<FakeContext> scope(state);
        EXPECT_EQ(scope.refusal(nullptr), JQ_ERR_NOT_FOUND);  // no context comes first
    }
    FakeContext context;
    state.context = &context;
    {
        const ExportScope<FakeContext> scope(state);
        EXPECT_EQ(scope.refusal(nullptr), JQ_ERR_NULL_ARGUMENT);
        EXPECT_EQ(scope.refusal(&output), JQ_ERR_NOT_FOUND);
        EXPECT_FALSE(scope.ready());
    }
    context.loaded = true;
    const ExportScope<FakeContext> scope(state);
    EXPECT_EQ(scope.refusal(&output), JQ_OK);
    EXPECT_EQ(scope.tables(), 7);
}

TEST(ExportScope, DestroyingTheContextAnswersNotInitialisedTheSecondTime) {
    LibraryState<FakeContext> state{JQ_ERR_NOT_FOUND};
    state.context = new FakeContext;
    ExportScope<FakeContext> scope(state);
    EXPECT_EQ(scope.destroyContext(), JQ_OK);
    EXPECT_EQ(state.context, nullptr);
    EXPECT_EQ(scope.destroyContext(), JQ_ERR_NOT_INITIALIZED);
}

}  // namespace
}  // namespace jq::index
