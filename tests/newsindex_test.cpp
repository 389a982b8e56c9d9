// newsindex_test.cpp - the topics index without its exports: filing list and
// message packages, the second pass's replacement and the views, the message
// object decoder and expiry rule, and the queries' results in the host's
// records.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "day_zero_time.h"
#include "topic_message.h"
#include "topic_object.h"
#include "topic_queries.h"
#include "topic_tables.h"

namespace jq::newsindex {
namespace {

using write::Bytes;
using index::Pass;

constexpr uint8_t k6F = 0x6F, k62 = 0x62, k6E = 0x6E, k61 = 0x61;

bool tolvoOff() { return false; }
bool tolvoOn() { return true; }

// Packages whose bytes live as long as the test, like the load's kept lists.
class Packages {
public:
    PackageRecord add(uint8_t type, Bytes header, Bytes data, uint16_t hostId = 0) {
        Bytes& h = bytes_.emplace_back(std::move(header));
        Bytes& d = bytes_.emplace_back(std::move(data));
        PackageRecord p{};
        p.TypeCode = type;
        p.HostID = hostId;
        p.PacketHeaderLength = static_cast<uint8_t>(h.size());
        p.packetHeader = h.empty() ? nullptr : h.data();
        p.data = d.empty() ? nullptr : d.data();
        p.dataLength = static_cast<uint32_t>(d.size());
        return p;
    }

private:
    std::deque<Bytes> bytes_;
};

// A topic list entry: lead 0, the categories, texts, an object reference
// naming service and message.
Bytes listEntry(uint8_t type, uint8_t major, uint8_t minor, const std::string& title,
                uint8_t service = 0, uint8_t message = 0, const std::string& details = "") {
    Bytes e{0x00};
    if (type == k6F) {
        e.push_back(static_cast<uint8_t>(major << 3));
        e.push_back(minor);
    } else {
        e.push_back(static_cast<uint8_t>(major << 3 | minor));
    }
    e.push_back(static_cast<uint8_t>(title.size()));
    e.insert(e.end(), title.begin(), title.end());
    e.push_back(static_cast<uint8_t>(details.size()));
    e.insert(e.end(), details.begin(), details.end());
    e.insert(e.end(), {0x03, 0x10, 0x00, service});
    if (type == k6F) e.push_back(message);
    return e;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Bytes kListHeader{0x00, 0x08};

std::string titleOf(const TopicEntry* entry) {
    const ByteView t = entry->item.title;
    return std::string(reinterpret_cast<const char*>(t.data), t.size);
}

std::string text(const uint8_t* bytes, uint32_t size) {
    return bytes == nullptr ? "(null)" : std::string(reinterpret_cast<const char*>(bytes), size);
}

// A message object with the elements given.
Bytes object(std::vector<write::TypedElement> elements) {
    write::TopicObject o;
    o.elements = std::move(elements);
    return write::topicObjectBytes(o);
}

// Message package data: SMK 0x0002, then the object.
Bytes messageData(const Bytes& object) { return concat({{0x00, 0x02}, object}); }

Bytes messageHeader(uint8_t message, uint8_t service) { return {message, service, 0, 0, 0, 2}; }

write::TypedElement element(uint16_t type, const std::string& payload) {
    write::TypedElement e;
    e.type = type;
    e.payload.assign(payload.begin(), payload.end());
    return e;
}

// ---- filing -----------------------------------------------------------------

TEST(TopicFiling, ListEntriesGoToTheMajorOrMinorTableOfTheirType) {
    Packages packages;
    TopicSource source;
    // 0x62: lead 5, packed categories 0x0A (major 1, minor 2), "AB", no
    // details, the reference 12 34 07.
    const Bytes packed{0x05, 0x0A, 0x02, 0x41, 0x42, 0x00, 0x03, 0x12, 0x34, 0x07};
    ASSERT_EQ(fileTopicList(packages.add(k62, kListHeader, packed, 7),
                            records::TopicListLayout::Packed62, source),
              JQ_OK);
    const TopicEntry* topic = source.minors.find(1 * 256 + 2);
    ASSERT_NE(topic, nullptr);
    EXPECT_EQ(topic->hostId, 7);
    EXPECT_EQ(topic->item.leadingValue, 5u);
    EXPECT_EQ(titleOf(topic), "AB");
    EXPECT_EQ(topic->item.objectId, 0x1234);
    EXPECT_EQ(topic->item.serviceId, 7);
    EXPECT_EQ(topic->item.messageId, 0);

    // The same entry as 0x6F, with FF FF 03 as lead (513) and MessageID 9;
    // category byte 0x18 in 0x62 is major 3, minor 0: a major entry.
    const Bytes split{0xFF, 0xFF, 0x03, 0x08, 0x02, 0x02, 0x41, 0x42, 0x00, 0x03, 0x12, 0x34,
                      0x07, 0x09};
    TopicSource split6F;
    fileTopicList(packages.add(k6F, kListHeader, split), records::TopicListLayout::Split6F,
                  split6F);
    ASSERT_NE(split6F.minors.find(0x0102), nullptr);
    EXPECT_EQ(split6F.minors.find(0x0102)->item.leadingValue, 513u);
    EXPECT_EQ(split6F.minors.find(0x0102)->item.messageId, 9);
    TopicSource major;
    fileTopicList(packages.add(k62, kListHeader, {0x00, 0x18, 0x00, 0x00, 0x00}),
                  records::TopicListLayout::Packed62, major);
    EXPECT_NE(major.majors.find(3), nullptr);
    EXPECT_TRUE(major.minors.empty());

    EXPECT_EQ(fileTopicList(packages.add(k62, kListHeader, {}), records::TopicListLayout::Packed62,
                            source),
              JQ_ERR_NULL_ARGUMENT);
}

TEST(TopicFiling, AnEntryPastTheDataEndsItsPackageAndTheFirstOfAKeyWins) {
    Packages packages;
    TopicSource source;
    Bytes data = concat({listEntry(k6F, 3, 5, "first"), listEntry(k6F, 3, 5, "second"),
                         listEntry(k6F, 3, 6, "kept"), listEntry(k6F, 3, 7, "cut")});
    data.resize(data.size() - 3);  // the last entry runs past the data
    EXPECT_EQ(fileTopicList(packages.add(k6F, kListHeader, data), records::TopicListLayout::Split6F,
                            source),
              JQ_OK);
    EXPECT_EQ(titleOf(source.minors.find(3 * 256 + 5)), "first");
    EXPECT_NE(source.minors.find(3 * 256 + 6), nullptr);
    EXPECT_EQ(source.minors.find(3 * 256 + 7), nullptr);
    // An object reference too short for its identifiers ends the list too.
    TopicSource shortRef;
    const Bytes shortReference{0x00, 0x18, 0x00, 0x00, 0x00, 0x02, 0x10, 0x00, 0x01};
    fileTopicList(packages.add(k6F, kListHeader, shortReference),
                  records::TopicListLayout::Split6F, shortRef);
    EXPECT_TRUE(shortRef.majors.empty());
}

TEST(TopicFiling, MessagesAreAcceptedByBitOneOfSmkOrDataByteOneAndKeyedByServiceAndMessage) {
    Packages packages;
    TopicSource source;
    // SMK 0, data byte 1 with bit 1: accepted; without it refused.
    const Bytes smkZero{0x07, 0x01, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(fileTopicMessage(packages.add(k6E, smkZero, {0x00, 0x02, 0x00, 0x06}), false, source),
              JQ_OK);
    EXPECT_NE(source.messages.find(0x0107), nullptr);
    const Bytes refusedHeader{0x08, 0x01, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(fileTopicMessage(packages.add(k6E, refusedHeader, {0x00, 0x00}), false, source),
              0xC06Eu);
    EXPECT_EQ(source.messages.find(0x0108), nullptr);

    // 05 01 00 2A 00 02: service 1, message 5 normally; in the container
    // reading service 0x2A, message 0, serial 0x0105.
    const Bytes header{0x05, 0x01, 0x00, 0x2A, 0x00, 0x02};
    TopicSource normal, tolvo;
    fileTopicMessage(packages.add(k61, header, {0x00, 0x02, 0xAA}, 9), false, normal);
    fileTopicMessage(packages.add(k61, header, {0x00, 0x02, 0xAA}), true, tolvo);
    ASSERT_NE(normal.messages.find(0x0105), nullptr);
    EXPECT_EQ(normal.messages.find(0x0105)->serialNumber, 0x002A);
    EXPECT_EQ(normal.messages.find(0x0105)->hostId, 9);
    EXPECT_EQ(normal.messages.find(0x0105)->object.size, 1u);
    ASSERT_NE(tolvo.messages.find(0x2A00), nullptr);
    EXPECT_EQ(tolvo.messages.find(0x2A00)->serialNumber, 0x0105);

    // Refusals: no header, a short header, data below the SMK word.
    EXPECT_EQ(fileTopicMessage(packages.add(k6E, {}, {0x00, 0x02}), false, source),
              JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(fileTopicMessage(packages.add(k6E, {1, 2, 3, 4, 5}, {0x00, 0x02}), false, source),
              JQ_ERR_FORMAT);
    EXPECT_EQ(fileTopicMessage(packages.add(k6E, header, {0x02}), false, source), JQ_ERR_FORMAT);
}

// ---- passes and views -----------------------------------------------------------

TEST(TopicTables, TheSecondPassReplacesAndTypePrecedenceComesAfterIt) {
    Packages packages;
    TopicTables tables(tolvoOff);
    // Plain files: 0x6F and 0x62 majors of category 3, a 0x6F topic (3, 5)
    // twice (the first stays) and one only in 0x62 (3, 6).
    tables.file(Pass::First, packages.add(k6F, kListHeader,
                                          concat({listEntry(k6F, 3, 0, "major 6F"),
                                                  listEntry(k6F, 3, 5, "plain first"),
                                                  listEntry(k6F, 4, 1, "plain 6F")})));
    tables.file(Pass::First,
                packages.add(k6F, kListHeader, listEntry(k6F, 3, 5, "plain second")));
    tables.file(Pass::First, packages.add(k62, kListHeader,
                                          concat({listEntry(k62, 3, 0, "major 62"),
                                                  listEntry(k62, 3, 6, "only 62")})));
    tables.passEnded(Pass::First);
    // The TPU files: (3, 5) replaced in 0x6F; (4, 1) given in 0x62 only.
    tables.file(Pass::Second, packages.add(k6F, kListHeader, listEntry(k6F, 3, 5, "update")));
    tables.file(Pass::Second, packages.add(k62, kListHeader, listEntry(k62, 4, 1, "update 62")));
    tables.passEnded(Pass::Second);
    tables.loadEnded();

    EXPECT_EQ(titleOf(*tables.majors().find(3)), "major 6F");
    EXPECT_EQ(titleOf(*tables.minors().find(3 * 256 + 5)), "update");
    EXPECT_EQ(titleOf(*tables.minors().find(3 * 256 + 6)), "only 62");
    EXPECT_EQ(titleOf(*tables.minors().find(4 * 256 + 1)), "plain 6F");
    EXPECT_EQ(tables.minors().size(), 3u);

    // A list package without packet header is not filed.
    EXPECT_EQ(tables.file(Pass::First, packages.add(k6F, {}, listEntry(k6F, 9, 0, "x"))),
              JQ_ERR_NULL_ARGUMENT);
    tables.clear();
    EXPECT_TRUE(tables.majors().empty());
    EXPECT_TRUE(tables.messages().empty());
}

TEST(TopicTables, MessagesOf6EWinOver61AndTheContainerReadingIsAskedPerFile) {
    Packages packages;
    TopicTables normal(tolvoOff);
    normal.file(Pass::First, packages.add(k61, messageHeader(1, 2), messageData({0x61})));
    normal.file(Pass::First, packages.add(k6E, messageHeader(1, 2), messageData({0x6E})));
    normal.file(Pass::First, packages.add(k61, messageHeader(3, 2), messageData({0x61})));
    normal.loadEnded();
    EXPECT_EQ((*normal.messages().find(0x0201))->object.data[0], 0x6E);
    EXPECT_EQ((*normal.messages().find(0x0203))->object.data[0], 0x61);

    TopicTables tolvo(tolvoOn);
    tolvo.fileDecoded(Pass::First, JQ_OK);
    tolvo.file(Pass::First, packages.add(k6E, messageHeader(1, 2), messageData({0x6E})));
    tolvo.loadEnded();
    // 01 02 00 00: serial 0x0201, then message 0, service 0.
    EXPECT_NE(tolvo.messages().find(0x0000), nullptr);
}

// ---- the message object -----------------------------------------------------------

TEST(TopicMessageObject, ElementsAreKeptSkippedOrRefused) {
    TopicMessage message;
    // 14 bytes: type 6, a byte, a 9-byte header and the trailer: no elements.
    const Bytes bare = object({});
    ASSERT_EQ(bare.size(), 14u);
    EXPECT_EQ(decodeTopicMessage({bare.data(), bare.size()}, message), JQ_OK);
    EXPECT_TRUE(message.elements.empty());

    // Types 3 and 4 are skipped; an empty type 2 is kept; a type 7 keeps its
    // values; the trailer is never an element.
    const Bytes mixed = object({element(3, "abc"), element(4, ""), element(2, ""),
                                write::topicValuesElement(1, 2, 3, 4), element(8, "end")});
    ASSERT_EQ(decodeTopicMessage({mixed.data(), mixed.size()}, message), JQ_OK);
    ASSERT_EQ(message.elements.size(), 3u);
    EXPECT_EQ(message.elements[0].type, 2);
    EXPECT_TRUE(message.elements[0].payload.empty());
    EXPECT_EQ(message.elements[1].values[2], 3);
    EXPECT_EQ(message.elements[1].valueByte, 4);
    EXPECT_EQ(message.elements[2].payload.size, 3u);
    EXPECT_EQ(message.consumed, mixed.size() - 3);

    // A trailer that would hold a whole element is not read as one.
    write::TopicObject trailing;
    trailing.trailer = {0x00, 0x02};
    const Bytes t = write::topicObjectBytes(trailing);
    EXPECT_EQ(decodeTopicMessage({t.data(), t.size()}, message), JQ_OK);
    EXPECT_TRUE(message.elements.empty());
}

TEST(TopicMessageObject, MalformedObjectsAreUndecodable) {
    TopicMessage message;
    const auto refused = [&message](const Bytes& bytes) {
        return decodeTopicMessage({bytes.data(), bytes.size()}, message) == JQ_ERR_FORMAT &&
               message.elements.empty();
    };
    write::TopicObject wrongType;
    wrongType.objectType = 5;
    EXPECT_TRUE(refused(write::topicObjectBytes(wrongType)));
    EXPECT_TRUE(refused({0x00, 0x06}));  // below 3 bytes
    Bytes shortMessage = object({});
    shortMessage.resize(11);  // a message of 8 bytes
    EXPECT_TRUE(refused(shortMessage));
    // An expiry of 3 bytes, values of 6, an element length below 2 and one
    // past the message, each after a good element.
    EXPECT_TRUE(refused(object({element(2, "ok"), element(5, "abc")})));
    EXPECT_TRUE(refused(object({element(2, "ok"), element(7, "abcdef")})));
    write::TypedElement tooShort = element(2, "");
    tooShort.length = 1;
    EXPECT_TRUE(refused(object({element(2, "ok"), tooShort})));
    write::TypedElement pastEnd = element(2, "abc");
    pastEnd.length = 8;
    EXPECT_TRUE(refused(object({pastEnd})));
}

TEST(TopicMessageObject, ExpiryIsStrictlyAfterTheInstantOnTheDayZeroClock) {
    EXPECT_EQ(index::dayZeroTime(86400), 86400 * index::kDayZeroUnitsPerSecond);
    EXPECT_FALSE(index::hasExpired(86400, index::dayZeroTime(86400)));
    EXPECT_TRUE(index::hasExpired(86400, index::dayZeroTime(86400) + 1));
    EXPECT_TRUE(index::hasExpired(0, index::dayZeroTimeNow()));
    // Day zero is 694,137,600 s after the Unix epoch.
    const auto unixSeconds = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    const index::DayZeroTime expected =
        index::dayZeroTime(static_cast<uint32_t>(unixSeconds - 694137600));
    EXPECT_NEAR(static_cast<double>(index::dayZeroTimeNow() - expected), 0.0,
                5.0 * index::kDayZeroUnitsPerSecond);
}

// ---- queries -----------------------------------------------------------------------

class TopicQueries : public ::testing::Test {
protected:
    void load(std::initializer_list<PackageRecord> records) {
        for (const PackageRecord& r : records) tables_.file(Pass::First, r);
        tables_.loadEnded();
    }
    Packages packages_;
    TopicTables tables_{tolvoOff};
};

TEST_F(TopicQueries, MajorCategoriesComeAscendingWithTheirStoredTitles) {
    load({packages_.add(k6F, kListHeader,
                        concat({listEntry(k6F, 7, 0, "seven"), listEntry(k6F, 2, 0, "Two!"),
                                listEntry(k6F, 5, 0, "")}),
                        0x85F)});
    MajorIDList list{};
    ASSERT_EQ(majorCategories(tables_, list), JQ_OK);
    ASSERT_EQ(list.count, 3u);
    EXPECT_EQ(list.entries[0].MajorCategoryID, 2);
    EXPECT_EQ(list.entries[0].HostID, 0x85F);
    EXPECT_EQ(list.entries[0].TitleLength, 5u);  // four bytes and the zero byte
    EXPECT_EQ(std::memcmp(list.entries[0].Title, "Two!", 5), 0);
    EXPECT_EQ(list.entries[1].MajorCategoryID, 5);
    EXPECT_EQ(list.entries[1].Title, nullptr);
    EXPECT_EQ(list.entries[1].TitleLength, 0u);
    EXPECT_EQ(list.entries[2].MajorCategoryID, 7);
    releaseMajorList(list);
    EXPECT_EQ(list.entries, nullptr);
    EXPECT_EQ(list.count, 3u);

    TopicTables empty(tolvoOff);
    MajorIDList untouched{9, nullptr};
    EXPECT_EQ(majorCategories(empty, untouched), JQ_ERR_NOT_FOUND);
    EXPECT_EQ(untouched.count, 9u);
}

TEST_F(TopicQueries, TopicsOfACategoryComeAscendingAndAMissingOneAnswersNotFound) {
    load({packages_.add(k6F, kListHeader,
                        concat({listEntry(k6F, 3, 9, "nine", 7, 2, "details"),
                                listEntry(k6F, 3, 1, "one", 7, 1), listEntry(k6F, 4, 1, "four")}))});
    MinorIDList list{};
    ASSERT_EQ(topicsOfCategory(tables_, 3, list), JQ_OK);
    ASSERT_EQ(list.count, 2u);
    EXPECT_EQ(list.entries[0].MinorCategoryID, 1);
    EXPECT_EQ(list.entries[0].MessageID, 1);
    EXPECT_EQ(list.entries[0].Details, nullptr);
    EXPECT_EQ(list.entries[1].MinorCategoryID, 9);
    EXPECT_EQ(list.entries[1].ServiceID, 7);
    EXPECT_EQ(list.entries[1].MessageID, 2);
    EXPECT_EQ(list.entries[1].DetailsLength, 8u);
    EXPECT_EQ(text(list.entries[1].Details, 8), std::string("details", 8));
    releaseMinorList(list);

    // Nothing at or above major 5: the list stays as it was. Keys above
    // major 2 but none in it: count 0.
    MinorIDList untouched{9, nullptr};
    EXPECT_EQ(topicsOfCategory(tables_, 5, untouched), JQ_ERR_NOT_FOUND);
    EXPECT_EQ(untouched.count, 9u);
    EXPECT_EQ(topicsOfCategory(tables_, 2, untouched), JQ_ERR_NOT_FOUND);
    EXPECT_EQ(untouched.count, 0u);
    EXPECT_EQ(untouched.entries, nullptr);
}

TEST_F(TopicQueries, ContentCopiesTheLastPayloadOfEachTypeAndLeavesAbsentOnesAlone) {
    load({packages_.add(k6E, messageHeader(1, 7),
                        messageData(object({element(2, "old"), element(2, "title"),
                                            element(8, "third"), element(9, "kept")}))),
          packages_.add(k6E, messageHeader(2, 7), messageData(object({element(3, "x")}))),
          packages_.add(k6E, messageHeader(3, 7),
                        messageData(object({element(2, "ok"), element(5, "abc")})))});
    uint8_t hostBuffer = 0;
    TopicsData data{};
    data.Type6Data = &hostBuffer;
    data.Type6Length = 42;
    ASSERT_EQ(topicContent(tables_, 7, 1, false, 0, data), JQ_OK);
    EXPECT_EQ(text(data.Type2Data, data.Type2Length), "title");
    EXPECT_EQ(text(data.Type8Data, data.Type8Length), "third");
    EXPECT_EQ(data.Type6Data, &hostBuffer);
    EXPECT_EQ(data.Type6Length, 42u);
    data.Type6Data = nullptr;
    releaseTopicsData(data);
    EXPECT_EQ(data.Type2Data, nullptr);
    EXPECT_EQ(data.Type2Length, 5u);

    // No kept element: 0 and the record untouched; undecodable and unknown
    // messages: not found.
    TopicsData none{};
    EXPECT_EQ(topicContent(tables_, 7, 2, false, 0, none), JQ_OK);
    EXPECT_EQ(none.Type2Length, 0u);
    EXPECT_EQ(topicContent(tables_, 7, 3, false, 0, none), JQ_ERR_NOT_FOUND);
    EXPECT_EQ(topicContent(tables_, 7, 9, false, 0, none), JQ_ERR_NOT_FOUND);
    EXPECT_EQ(none.Type2Data, nullptr);
}

TEST_F(TopicQueries, AnExpiredMessageAnswersNotFoundOnlyWhenAskedToCheck) {
    load({packages_.add(k6E, messageHeader(1, 7),
                        messageData(object({element(2, "news"), write::topicExpiryElement(100),
                                            element(6, "body")}))),
          packages_.add(k6E, messageHeader(2, 7),
                        messageData(object({write::topicExpiryElement(100), element(2, "later"),
                                            write::topicExpiryElement(300)})))});
    const index::DayZeroTime at200 = index::dayZeroTime(200);
    TopicsData data{};
    ASSERT_EQ(topicContent(tables_, 7, 1, false, at200, data), JQ_OK);
    EXPECT_EQ(text(data.Type6Data, data.Type6Length), "body");
    releaseTopicsData(data);

    TopicsData checked{};
    EXPECT_EQ(topicContent(tables_, 7, 1, true, at200, checked), JQ_ERR_NOT_FOUND);
    EXPECT_EQ(checked.Type2Data, nullptr);
    EXPECT_EQ(checked.Type6Data, nullptr);
    EXPECT_EQ(checked.Type8Data, nullptr);
    // The expiry instant itself has not passed yet; the last expiry decides.
    TopicsData atInstant{};
    EXPECT_EQ(topicContent(tables_, 7, 1, true, index::dayZeroTime(100), atInstant), JQ_OK);
    releaseTopicsData(atInstant);
    TopicsData last{};
    EXPECT_EQ(topicContent(tables_, 7, 2, true, at200, last), JQ_OK);
    EXPECT_EQ(text(last.Type2Data, last.Type2Length), "later");
    releaseTopicsData(last);
}

}  // namespace
}  // namespace jq::newsindex
