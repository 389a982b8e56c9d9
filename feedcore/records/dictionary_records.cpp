// dictionary_records.cpp - code dictionaries (types 0x5D, 0xE2).
//
// Packet header: byte 0 is the sub-table type SCT (0-4, and 5 for 0xE2);
// at least 2 bytes. Plain data: entries of that sub-table back to back up to
// its end, numbers big-endian. 0xE2 entries of sub-tables 1-4 start with a
// HostID (be16).
//
//   0 categories:  unused u8 | Major/Minor nibbles u8 | n, text | m, desc |
//                  k, k pairs (ContentNibble, UserNibble)
//   1 keywords:    L | [HostID] KeywordCode be16 | KeywordCategory | text
//   2, 4 category: L | [HostID] category u8 | text
//   3 actors:      unused u8 | [HostID] | BirthYear be16 | month | day |
//                  Gender | five texts (length u8, bytes) | count, count
//                  category bytes | ActorID be16
//   5 icons:       L | DisplayFlag bit 7, IconCode bits 4-0 | text
//
// Entries with a length byte L take L + 1 bytes and their text is what the
// fixed fields leave. Texts are copied as sent with a NUL appended.
//
// An entry or text that runs past the end of the data, or an entry length
// too small for its fixed fields, refuses the package with 0xC0E2: the
// record keeps its SCT and no entries.
#include "dictionary_records.h"

#include <cstring>

#include "collected.h"

namespace jq::records {
namespace {

constexpr uint8_t kTypeE2 = 0xE2;
constexpr JQStatus kContentError = contentError(kTypeE2);
constexpr size_t kPacketHeaderSize = 2;

enum : uint8_t {
    kCategories = 0,
    kKeywords = 1,
    kKeywordCategories = 2,
    kActors = 3,
    kActorCategories = 4,
    kIcons = 5,
};

// Copies raw text into a new NUL-terminated array; nothing for no bytes.
void storeText(ByteView raw, char*& text, uint8_t& size) {
    text = copyCountedText<char>(raw, size);
}

// A text sent as a length byte and its bytes.
void readCountedText(ByteReader& entry, char*& text, uint8_t& size) {
    const ByteView raw = entry.bytes(entry.u8());
    if (entry.ok()) storeText(raw, text, size);
}

void releaseEntry(DictionaryCategory& e) {
    delete[] e.CategoryText;
    delete[] e.CategoryDesc;
    delete[] e.contents;
    e = {};
}
void releaseEntry(DictionaryKeyword& e) {
    delete[] e.KeywordText;
    e = {};
}
void releaseEntry(DictionaryKeywordCategory& e) {
    delete[] e.CategoryText;
    e = {};
}
void releaseEntry(DictionaryActor& e) {
    delete[] e.StageName;
    delete[] e.Pronunce;
    delete[] e.RealName;
    delete[] e.Origin;
    delete[] e.Comment;
    delete[] e.ActorCategory;
    e = {};
}
void releaseEntry(DictionaryActorCategory& e) {
    delete[] e.CategoryText;
    e = {};
}
void releaseEntry(DictionaryIcon& e) {
    delete[] e.IconDesc;
    e = {};
}

template <typename Entry>
void releaseEntries(Entry*& entries, uint32_t& count) {
    releaseArray<Entry, releaseEntry>(entries, count);
}

// The length-prefixed entry that starts here: a reader over its L bytes,
// failed when they run past the data or hold fewer than the fixed fields.
ByteReader lengthPrefixedEntry(ByteReader& data, size_t fixedSize) {
    const uint8_t length = data.u8();
    ByteReader entry = data.sub(length);
    if (length < fixedSize) entry.skip(length + 1);  // fails the entry
    return entry;
}

bool readEntry(ByteReader& data, bool, DictionaryCategory& e) {
    data.skip(1);
    const uint8_t codes = data.u8();
    e.MajorCode = codes >> 4;
    e.MinorCode = codes & 0x0F;
    readCountedText(data, e.CategoryText, e.CategoryTextLength);
    readCountedText(data, e.CategoryDesc, e.CategoryDescLength);
    const uint8_t count = data.u8();
    const ByteView pairs = data.bytes(2 * size_t{count});
    if (!data.ok()) return false;
    e.ContentCount = count;
    if (count == 0) return true;
    e.contents = new ContentNibblePair[count]();
    for (size_t i = 0; i < count; ++i) {
        e.contents[i].ContentNibble = pairs.data[2 * i];
        e.contents[i].UserNibble = pairs.data[2 * i + 1];
    }
    return true;
}

bool readEntry(ByteReader& data, bool isE2, DictionaryKeyword& e) {
    ByteReader entry = lengthPrefixedEntry(data, isE2 ? 5 : 3);
    if (isE2) e.HostID = entry.u16be();
    e.KeywordCode = entry.u16be();
    e.KeywordCategory = entry.u8();
    if (!entry.ok()) return false;
    storeText(entry.rest(), e.KeywordText, e.KeywordTextSize);
    return true;
}

// Keyword and actor categories share their wire form.
template <typename Entry, uint8_t Entry::*Category>
bool readCategoryEntry(ByteReader& data, bool isE2, Entry& e) {
    ByteReader entry = lengthPrefixedEntry(data, isE2 ? 3 : 1);
    if (isE2) e.HostID = entry.u16be();
    e.*Category = entry.u8();
    if (!entry.ok()) return false;
    storeText(entry.rest(), e.CategoryText, e.CategoryTextSize);
    return true;
}

bool readEntry(ByteReader& data, bool isE2, DictionaryKeywordCategory& e) {
    return readCategoryEntry<DictionaryKeywordCategory,
                             &DictionaryKeywordCategory::KeywordCategory>(data, isE2, e);
}

bool readEntry(ByteReader& data, bool isE2, DictionaryActorCategory& e) {
    return readCategoryEntry<DictionaryActorCategory, &DictionaryActorCategory::ActorCategory>(
        data, isE2, e);
}

bool readEntry(ByteReader& data, bool isE2, DictionaryActor& e) {
    data.skip(1);
    if (isE2) e.HostID = data.u16be();
    e.BirthYear = data.u16be();
    e.BirthMonth = data.u8();
    e.BirthDay = data.u8();
    e.Gender = data.u8();
    readCountedText(data, e.StageName, e.StageNameLength);
    readCountedText(data, e.Pronunce, e.PronunceLength);
    readCountedText(data, e.RealName, e.RealNameLength);
    readCountedText(data, e.Origin, e.OriginLength);
    readCountedText(data, e.Comment, e.CommentLength);
    const uint8_t count = data.u8();
    const ByteView categories = data.bytes(count);
    e.ActorID = data.u16be();
    if (!data.ok()) return false;
    e.ActorCategoryCount = count;
    if (count > 0) {
        e.ActorCategory = new uint8_t[count];
        std::memcpy(e.ActorCategory, categories.data, count);
    }
    return true;
}

bool readEntry(ByteReader& data, bool, DictionaryIcon& e) {
    ByteReader entry = lengthPrefixedEntry(data, 1);
    const uint8_t icon = entry.u8();
    if (!entry.ok()) return false;
    e.DisplayFlag = icon >> 7;
    e.IconCode = icon & 0x1F;
    storeText(entry.rest(), e.IconDesc, e.IconDescSize);
    return true;
}

// Reads entries up to the end of the data into the sub-table's array.
template <typename Entry>
JQStatus readSubTable(ByteView bytes, bool isE2, Entry*& entries, uint32_t& count) {
    ByteReader data(bytes);
    Collected<Entry, releaseEntry> collected;
    while (!data.atEnd()) {
        if (!readEntry(data, isE2, collected.addEmpty())) return kContentError;
    }
    collected.moveInto(entries, count);
    return JQ_OK;
}

// Writes text bytes as stored, NUL included.
void writeText(CsvFile& out, const char* text, uint8_t size) { out.stored(text, size); }

void writeCategories(const DictionaryRecord& record, CsvFile& out) {
    for (uint32_t i = 0; i < record.categoryCount; ++i) {
        const DictionaryCategory& e = record.categories[i];
        out.line(
            "MajorCode,MinorCode,CategoryTextLength,CategoryText,CategoryDescLength,"
            "CategoryDesc,ContentCount\n");
        out.line("0x%X,0x%X,%d,", e.MajorCode, e.MinorCode, e.CategoryTextLength);
        writeText(out, e.CategoryText, e.CategoryTextLength);
        out.line(",%d,", e.CategoryDescLength);
        writeText(out, e.CategoryDesc, e.CategoryDescLength);
        out.line(",%d\n", e.ContentCount);
        out.line("ContentNibble,UserNibble\n");
        for (uint32_t j = 0; e.contents != nullptr && j < e.ContentCount; ++j) {
            out.line("0x%02X,0x%02X\n", e.contents[j].ContentNibble, e.contents[j].UserNibble);
        }
    }
}

void writeKeywords(const DictionaryRecord& record, bool isE2, CsvFile& out) {
    out.line(isE2 ? "HostID,KeywordCode,KeywordCategory,KeywordTextSize,KeywordText\n"
                  : "KeywordCode,KeywordCategory,KeywordTextSize,KeywordText\n");
    for (uint32_t i = 0; i < record.keywordCount; ++i) {
        const DictionaryKeyword& e = record.keywords[i];
        if (isE2) {
            out.line("0x%04X,0x%04X,%02X,%d", e.HostID, e.KeywordCode, e.KeywordCategory,
                     e.KeywordTextSize);
        } else {
            out.line("0x%04X,%02X,%d", e.KeywordCode, e.KeywordCategory, e.KeywordTextSize);
        }
        writeText(out, e.KeywordText, e.KeywordTextSize);
        out.line("\n");
    }
}

template <typename Entry, uint8_t Entry::*Category>
void writeCategoryTable(const Entry* entries, uint32_t count, bool isE2, const char* fieldLine,
                        CsvFile& out) {
    if (isE2) out.line("HostID,");
    out.line(fieldLine);
    for (uint32_t i = 0; i < count; ++i) {
        const Entry& e = entries[i];
        if (isE2) {
            out.line("0x%04X,%02X,%d", e.HostID, e.*Category, e.CategoryTextSize);
        } else {
            out.line("%02X,%d", e.*Category, e.CategoryTextSize);
        }
        writeText(out, e.CategoryText, e.CategoryTextSize);
        out.line("\n");
    }
}

void writeActors(const DictionaryRecord& record, bool isE2, CsvFile& out) {
    for (uint32_t i = 0; i < record.actorCount; ++i) {
        const DictionaryActor& e = record.actors[i];
        if (isE2) out.line("HostID,");
        out.line(
            "BirthYear,BirthMonth,BirthDay,Gender,StageNameLength,StageName,PronunceLength,"
            "Pronunce,RealNameLength,RealName,OriginLength,Origin,CommentLength,Comment,ActorID,"
            "ActorCategoryCount\n");
        if (isE2) out.line("0x%04X,", e.HostID);
        out.line("%d,%d,%d,%d,%d,", e.BirthYear, e.BirthMonth, e.BirthDay, e.Gender,
                 e.StageNameLength);
        writeText(out, e.StageName, e.StageNameLength);
        out.line(",%d,", e.PronunceLength);
        writeText(out, e.Pronunce, e.PronunceLength);
        out.line(",%d,", e.RealNameLength);
        writeText(out, e.RealName, e.RealNameLength);
        out.line(",%d,", e.OriginLength);
        writeText(out, e.Origin, e.OriginLength);
        out.line(",%d,", e.CommentLength);
        writeText(out, e.Comment, e.CommentLength);
        out.line(",0x%04X,%d\n", e.ActorID, e.ActorCategoryCount);
        out.line("ActorCategory\n");
        for (uint32_t j = 0; e.ActorCategory != nullptr && j < e.ActorCategoryCount; ++j) {
            out.line(",0x%02X\n", e.ActorCategory[j]);
        }
        out.line("\n");
    }
}

void writeIcons(const DictionaryRecord& record, CsvFile& out) {
    out.line("DisplayFlag,IconCode,IconDescSize,IconDesc\n");
    for (uint32_t i = 0; i < record.iconCount; ++i) {
        const DictionaryIcon& e = record.icons[i];
        out.line("%d,%d,%d,", e.DisplayFlag, e.IconCode, e.IconDescSize);
        writeText(out, e.IconDesc, e.IconDescSize);
        out.line("\n");
    }
}

void writeDictionary(const DictionaryRecord& record, bool isE2, CsvFile& out) {
    out.line("SCT,0x%X\n", record.SCT);
    switch (record.SCT) {
        case kCategories:
            writeCategories(record, out);
            break;
        case kKeywords:
            writeKeywords(record, isE2, out);
            break;
        case kKeywordCategories:
            writeCategoryTable<DictionaryKeywordCategory,
                               &DictionaryKeywordCategory::KeywordCategory>(
                record.keywordCategories, record.keywordCategoryCount, isE2,
                "KeywordCategory,CategoryTextSize,CategoryText\n", out);
            break;
        case kActors:
            writeActors(record, isE2, out);
            break;
        case kActorCategories:
            writeCategoryTable<DictionaryActorCategory, &DictionaryActorCategory::ActorCategory>(
                record.actorCategories, record.actorCategoryCount, isE2,
                "ActorCategory,CategoryTextSize,CategoryText\n", out);
            break;
        case kIcons:
            if (isE2) writeIcons(record, out);
            break;
        default:
            break;  // no sub-table: the SCT line alone
    }
}

}  // namespace

JQStatus parseDictionary(const RecordInput& input, DictionaryRecord& record) {
    if (input.data.empty() || input.packetHeader.empty()) return JQ_ERR_NULL_ARGUMENT;
    if (input.packetHeader.size < kPacketHeaderSize) return JQ_ERR_FORMAT;
    const bool isE2 = input.typeCode == kTypeE2;
    record.SCT = input.packetHeader.data[0];
    switch (record.SCT) {
        case kCategories:
            return readSubTable(input.data, isE2, record.categories, record.categoryCount);
        case kKeywords:
            return readSubTable(input.data, isE2, record.keywords, record.keywordCount);
        case kKeywordCategories:
            return readSubTable(input.data, isE2, record.keywordCategories,
                                record.keywordCategoryCount);
        case kActors:
            return readSubTable(input.data, isE2, record.actors, record.actorCount);
        case kActorCategories:
            return readSubTable(input.data, isE2, record.actorCategories,
                                record.actorCategoryCount);
        case kIcons:
            if (isE2) return readSubTable(input.data, isE2, record.icons, record.iconCount);
            return JQ_ERR_FORMAT;
        default:
            return JQ_ERR_FORMAT;
    }
}

void releaseDictionary(DictionaryRecord* record) {
    if (record == nullptr) return;
    releaseEntries(record->categories, record->categoryCount);
    releaseEntries(record->keywords, record->keywordCount);
    releaseEntries(record->keywordCategories, record->keywordCategoryCount);
    releaseEntries(record->actors, record->actorCount);
    releaseEntries(record->actorCategories, record->actorCategoryCount);
    releaseEntries(record->icons, record->iconCount);
    delete record;
}

void writeDictionary5D(const DictionaryRecord& record, CsvFile& out) {
    writeDictionary(record, false, out);
}

void writeDictionaryE2(const DictionaryRecord& record, CsvFile& out) {
    writeDictionary(record, true, out);
}

}  // namespace jq::records
