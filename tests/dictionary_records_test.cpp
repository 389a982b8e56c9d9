// dictionary_records_test.cpp - the code dictionary parser and writers on
// hand-built sub-tables of both types: fields, statuses, entries cut or too
// short, partial release and the CSV lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_run.h"
#include "records/dictionary_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;
const std::string kNul(1, '\0');

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes be16(uint16_t v) { return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}; }
Bytes raw(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes counted(const std::string& s) { return concat({{static_cast<uint8_t>(s.size())}, raw(s)}); }
// A length-prefixed entry: L and the bytes after it.
Bytes prefixed(const Bytes& body) { return concat({{static_cast<uint8_t>(body.size())}, body}); }

Bytes category(uint8_t codes, const std::string& text, const std::string& desc, const Bytes& pairs) {
    return concat({{0xAA, codes}, counted(text), counted(desc),
                   {static_cast<uint8_t>(pairs.size() / 2)}, pairs});
}

Bytes actor(bool e2, uint16_t host, const std::string& stage, const Bytes& categories,
            uint16_t id) {
    return concat({{0x55}, e2 ? be16(host) : Bytes{}, be16(1970), {12, 31, 2}, counted(stage),
                   counted("PR"), counted(""), counted("Tokyo"), counted("c"),
                   {static_cast<uint8_t>(categories.size())}, categories, be16(id)});
}

struct Parsed {
    DictionaryRecord* record = new DictionaryRecord();
    JQStatus status;
    Parsed(uint8_t type, uint8_t sct, const Bytes& data, size_t headerSize = 2)
        : status(parse(type, headerSize > 0 ? withSct(sct, headerSize) : Bytes{}, data)) {}
    ~Parsed() { releaseDictionary(record); }

    static Bytes withSct(uint8_t sct, size_t size) {
        Bytes h(size, 0x77);
        h[0] = sct;
        return h;
    }
    JQStatus parse(uint8_t type, const Bytes& header, const Bytes& data) {
        return parseDictionary({{header.data(), header.size()}, {data.data(), data.size()}, type},
                               *record);
    }
};

std::string csv(const DictionaryRecord& record, bool e2) {
    test::TempFolder folder("dictionary");
    const auto path = folder.path() / "dictionary.csv";
    {
        CsvFile out = CsvFile::create(test::toJQ(path).c_str());
        (e2 ? writeDictionaryE2 : writeDictionary5D)(record, out);
    }
    return test::readFile(path);
}

const Bytes kCategories =
    concat({category(0x3A, "News", "", {0x21, 0x43}), category(0xF0, "", "Desc", {})});
const Bytes kKeywords = concat({{0x03, 0x12, 0x34, 0x07}, prefixed(concat({be16(0xBEEF), {9}, raw("kw")}))});
const Bytes kKeywordsE2 = prefixed(concat({be16(0x0102), be16(0xBEEF), {9}, raw("kw")}));
const Bytes kActors = concat({actor(false, 0, "Star", {0x01, 0x80}, 0x4321), actor(false, 0, "", {}, 7)});
const Bytes kActorsE2 = actor(true, 0xABCD, "Star", {0x05}, 0x4321);
const Bytes kIcons = concat({prefixed({0x85}), prefixed(concat({{0x1F}, raw("icon")}))});

TEST(DictionaryRecords, CategoriesAndActors) {
    Parsed c(0x5D, 0, kCategories);
    ASSERT_EQ(c.status, JQ_OK);
    ASSERT_EQ(c.record->categoryCount, 2u);
    const DictionaryCategory& first = c.record->categories[0];
    EXPECT_EQ(first.MajorCode, 3);
    EXPECT_EQ(first.MinorCode, 0xA);
    EXPECT_EQ(first.CategoryTextLength, 5);
    EXPECT_EQ(std::string(first.CategoryText, 5), "News" + kNul);
    EXPECT_EQ(first.CategoryDescLength, 0);
    EXPECT_EQ(first.CategoryDesc, nullptr);
    ASSERT_EQ(first.ContentCount, 1);
    EXPECT_EQ(first.contents[0].ContentNibble, 0x21);
    EXPECT_EQ(first.contents[0].UserNibble, 0x43);
    EXPECT_EQ(c.record->categories[1].MajorCode, 0xF);
    EXPECT_EQ(c.record->categories[1].contents, nullptr);

    Parsed a(0xE2, 3, kActorsE2);
    ASSERT_EQ(a.status, JQ_OK);
    ASSERT_EQ(a.record->actorCount, 1u);
    const DictionaryActor& e = a.record->actors[0];
    EXPECT_EQ(e.HostID, 0xABCD);
    EXPECT_EQ(e.BirthYear, 1970);
    EXPECT_EQ(e.BirthMonth, 12);
    EXPECT_EQ(e.BirthDay, 31);
    EXPECT_EQ(e.Gender, 2);
    EXPECT_EQ(std::string(e.StageName, e.StageNameLength), "Star" + kNul);
    EXPECT_EQ(e.RealNameLength, 0);
    EXPECT_EQ(std::string(e.Origin, e.OriginLength), "Tokyo" + kNul);
    ASSERT_EQ(e.ActorCategoryCount, 1);
    EXPECT_EQ(e.ActorCategory[0], 5);
    EXPECT_EQ(e.ActorID, 0x4321);

    // A 255-byte text keeps 254 bytes so that its size 255 still counts the
    // NUL; the next field is read after all 255 bytes.
    Parsed longText(0x5D, 0, category(0x11, std::string(255, 'x'), "d", {}));
    ASSERT_EQ(longText.status, JQ_OK);
    EXPECT_EQ(longText.record->categories[0].CategoryTextLength, 255);
    EXPECT_EQ(std::string(longText.record->categories[0].CategoryText), std::string(254, 'x'));
    EXPECT_EQ(std::string(longText.record->categories[0].CategoryDesc), "d");
}

TEST(DictionaryRecords, LengthPrefixedEntries) {
    Parsed k(0x5D, 1, kKeywords);
    ASSERT_EQ(k.status, JQ_OK);
    ASSERT_EQ(k.record->keywordCount, 2u);
    EXPECT_EQ(k.record->keywords[0].KeywordCode, 0x1234);
    EXPECT_EQ(k.record->keywords[0].KeywordCategory, 7);
    EXPECT_EQ(k.record->keywords[0].KeywordTextSize, 0);
    EXPECT_EQ(k.record->keywords[0].KeywordText, nullptr);
    EXPECT_EQ(k.record->keywords[1].KeywordCode, 0xBEEF);  // 4 bytes after the first
    EXPECT_EQ(std::string(k.record->keywords[1].KeywordText, 3), "kw" + kNul);

    Parsed ke(0xE2, 1, kKeywordsE2);
    ASSERT_EQ(ke.status, JQ_OK);
    EXPECT_EQ(ke.record->keywords[0].HostID, 0x0102);
    EXPECT_EQ(ke.record->keywords[0].KeywordCode, 0xBEEF);
    EXPECT_EQ(ke.record->keywords[0].KeywordTextSize, 3);

    Parsed kc(0x5D, 2, prefixed(concat({{0x42}, raw("abc")})));
    ASSERT_EQ(kc.status, JQ_OK);
    EXPECT_EQ(kc.record->keywordCategories[0].KeywordCategory, 0x42);
    EXPECT_EQ(kc.record->keywordCategories[0].CategoryTextSize, 4);
    EXPECT_EQ(std::string(kc.record->keywordCategories[0].CategoryText, 4), "abc" + kNul);

    Parsed ac(0xE2, 4, prefixed(concat({be16(9), {0x42}, raw("ab")})));
    ASSERT_EQ(ac.status, JQ_OK);
    EXPECT_EQ(ac.record->actorCategories[0].HostID, 9);
    EXPECT_EQ(ac.record->actorCategories[0].ActorCategory, 0x42);
    EXPECT_EQ(ac.record->actorCategories[0].CategoryTextSize, 3);

    Parsed icons(0xE2, 5, kIcons);
    ASSERT_EQ(icons.status, JQ_OK);
    ASSERT_EQ(icons.record->iconCount, 2u);
    EXPECT_EQ(icons.record->icons[0].DisplayFlag, 1);
    EXPECT_EQ(icons.record->icons[0].IconCode, 5);
    EXPECT_EQ(icons.record->icons[0].IconDesc, nullptr);
    EXPECT_EQ(icons.record->icons[1].DisplayFlag, 0);
    EXPECT_EQ(icons.record->icons[1].IconCode, 0x1F);
    EXPECT_EQ(icons.record->icons[1].IconDescSize, 5);
}

TEST(DictionaryRecords, Statuses) {
    EXPECT_EQ(Parsed(0x5D, 0, {}).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Parsed(0x5D, 0, kCategories, 0).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Parsed(0x5D, 0, kCategories, 1).status, JQ_ERR_FORMAT);
    EXPECT_EQ(Parsed(0x5D, 5, kIcons).status, JQ_ERR_FORMAT);  // icons are 0xE2's only
    EXPECT_EQ(Parsed(0xE2, 6, kIcons).status, JQ_ERR_FORMAT);
    Parsed unknown(0x5D, 0x17, kIcons);
    EXPECT_EQ(unknown.record->SCT, 0x17);
    EXPECT_EQ(csv(*unknown.record, false), "SCT,0x17\n");

    // Entry lengths below the fixed fields are refused, not read on into
    // the next entry.
    const JQStatus refused = 0xC0E2;
    EXPECT_EQ(Parsed(0x5D, 1, concat({{0x02, 0x12, 0x34}, kKeywords})).status, refused);
    EXPECT_EQ(Parsed(0xE2, 1, concat({{0x04, 0, 1, 0x12, 0x34}, kKeywordsE2})).status, refused);
    EXPECT_EQ(Parsed(0x5D, 2, concat({{0x00}, prefixed({1})})).status, refused);
    EXPECT_EQ(Parsed(0xE2, 4, concat({{0x02, 0, 1}, prefixed({0, 1, 2})})).status, refused);
    EXPECT_EQ(Parsed(0xE2, 5, concat({{0x00}, kIcons})).status, refused);
    EXPECT_EQ(Parsed(0xE2, 1, kKeywordsE2).status, JQ_OK);
    EXPECT_EQ(Parsed(0x5D, 1, kKeywordsE2).status, JQ_OK);  // L 8 holds a 93 entry too
}

// Every cut of a good sub-table is refused with 0xC0E2 and leaves no
// entries, so that a partly read table is never mistaken for a whole one.
TEST(DictionaryRecords, EveryCutIsRefused) {
    struct Case {
        uint8_t type, sct;
        const Bytes& data;
    };
    const Case cases[] = {{0x5D, 0, kCategories}, {0x5D, 1, kKeywords}, {0xE2, 1, kKeywordsE2},
                          {0x5D, 3, kActors},     {0xE2, 3, kActorsE2}, {0xE2, 5, kIcons}};
    for (const Case& c : cases) {
        for (size_t cut = 1; cut < c.data.size(); ++cut) {
            const Bytes data(c.data.begin(), c.data.begin() + cut);
            Parsed p(c.type, c.sct, data);
            // Cuts at an entry boundary leave a whole, shorter table.
            if (p.status == JQ_OK) continue;
            EXPECT_EQ(p.status, 0xC0E2) << int(c.sct) << " " << cut;
            EXPECT_EQ(p.record->categories, nullptr);
            EXPECT_EQ(p.record->keywords, nullptr);
            EXPECT_EQ(p.record->actors, nullptr);
            EXPECT_EQ(p.record->icons, nullptr);
            EXPECT_EQ(p.record->SCT, c.sct);
        }
    }
    // The boundaries that parse: after the first keyword (4 bytes).
    EXPECT_EQ(Parsed(0x5D, 1, Bytes(kKeywords.begin(), kKeywords.begin() + 4)).status, JQ_OK);
    EXPECT_EQ(Parsed(0x5D, 1, Bytes(kKeywords.begin(), kKeywords.begin() + 5)).status, 0xC0E2);
}

TEST(DictionaryRecords, CsvLines) {
    Parsed c(0x5D, 0, kCategories);
    EXPECT_EQ(csv(*c.record, false),
              "SCT,0x0\n"
              "MajorCode,MinorCode,CategoryTextLength,CategoryText,CategoryDescLength,"
              "CategoryDesc,ContentCount\n"
              "0x3,0xA,5,News" + kNul + ",0,,1\n"
              "ContentNibble,UserNibble\n"
              "0x21,0x43\n"
              "MajorCode,MinorCode,CategoryTextLength,CategoryText,CategoryDescLength,"
              "CategoryDesc,ContentCount\n"
              "0xF,0x0,0,,5,Desc" + kNul + ",0\n"
              "ContentNibble,UserNibble\n");

    Parsed k(0x5D, 1, kKeywords);
    EXPECT_EQ(csv(*k.record, false),
              "SCT,0x1\nKeywordCode,KeywordCategory,KeywordTextSize,KeywordText\n"
              "0x1234,07,0\n0xBEEF,09,3kw" + kNul + "\n");
    Parsed ke(0xE2, 1, kKeywordsE2);
    EXPECT_EQ(csv(*ke.record, true),
              "SCT,0x1\nHostID,KeywordCode,KeywordCategory,KeywordTextSize,KeywordText\n"
              "0x0102,0xBEEF,09,3kw" + kNul + "\n");

    Parsed kc(0xE2, 2, prefixed(concat({be16(9), {0x42}, raw("ab")})));
    EXPECT_EQ(csv(*kc.record, true),
              "SCT,0x2\nHostID,KeywordCategory,CategoryTextSize,CategoryText\n"
              "0x0009,42,3ab" + kNul + "\n");
    Parsed ac(0x5D, 4, prefixed(concat({{0x0B}, raw("ab")})));
    EXPECT_EQ(csv(*ac.record, false),
              "SCT,0x4\nActorCategory,CategoryTextSize,CategoryText\n0B,3ab" + kNul + "\n");

    const std::string actorFields =
        "BirthYear,BirthMonth,BirthDay,Gender,StageNameLength,StageName,PronunceLength,Pronunce,"
        "RealNameLength,RealName,OriginLength,Origin,CommentLength,Comment,ActorID,"
        "ActorCategoryCount\n";
    Parsed a(0xE2, 3, kActorsE2);
    EXPECT_EQ(csv(*a.record, true),
              "SCT,0x3\nHostID," + actorFields + "0xABCD,1970,12,31,2,5,Star" + kNul + ",3,PR" +
                  kNul + ",0,,6,Tokyo" + kNul + ",2,c" + kNul +
                  ",0x4321,1\nActorCategory\n,0x05\n\n");
    Parsed a5(0x5D, 3, kActors);
    EXPECT_EQ(csv(*a5.record, false),
              "SCT,0x3\n" + actorFields + "1970,12,31,2,5,Star" + kNul + ",3,PR" + kNul +
                  ",0,,6,Tokyo" + kNul + ",2,c" + kNul +
                  ",0x4321,2\nActorCategory\n,0x01\n,0x80\n\n" + actorFields +
                  "1970,12,31,2,0,,3,PR" + kNul + ",0,,6,Tokyo" + kNul + ",2,c" + kNul +
                  ",0x0007,0\nActorCategory\n\n");

    Parsed icons(0xE2, 5, kIcons);
    EXPECT_EQ(csv(*icons.record, true),
              "SCT,0x5\nDisplayFlag,IconCode,IconDescSize,IconDesc\n1,5,0,\n0,31,5,icon" + kNul +
                  "\n");
    // A 0x5D writer has no icon lines.
    EXPECT_EQ(csv(*icons.record, false), "SCT,0x5\n");
}

}  // namespace
}  // namespace jq::records
