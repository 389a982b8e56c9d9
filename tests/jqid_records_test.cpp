// jqid_records_test.cpp - the JQID table parser, entry decoding, copy and
// release, and the CSV lines, on hand-built packages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_run.h"
#include "dispatch.h"
#include "calendar.h"
#include "records/jqid_records.h"
#include "test_files.h"

namespace jq::records {
namespace {

using Bytes = std::vector<uint8_t>;

void be16(Bytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
void be32(Bytes& out, uint32_t v) {
    be16(out, v >> 16);
    be16(out, v);
}
void jqid(Bytes& out, uint64_t v) {
    be16(out, static_cast<uint32_t>(v >> 32));
    be32(out, static_cast<uint32_t>(v));
}
void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// An entry: the 0xFF-extended length of the body, then the body.
Bytes entry(const Bytes& body, int lengthAdjust = 0) {
    Bytes out;
    uint32_t length = static_cast<uint32_t>(static_cast<int>(body.size()) + lengthAdjust);
    for (; length >= 0xFF; length -= 0xFF) out.push_back(0xFF);
    out.push_back(static_cast<uint8_t>(length));
    append(out, body);
    return out;
}

Bytes dates(uint32_t effective, uint32_t expiry) {
    Bytes out;
    be32(out, effective);
    be32(out, expiry);
    return out;
}

Bytes header(uint16_t currentWord, uint16_t startWord = 0x8001, uint16_t endWord = 0x7FFF) {
    Bytes out;
    be16(out, currentWord);
    be16(out, startWord);
    be16(out, endWord);
    return out;
}

Bytes tableData(uint32_t timeStamp, const std::vector<Bytes>& entries) {
    Bytes out;
    be32(out, timeStamp);
    for (const Bytes& e : entries) append(out, e);
    return out;
}

Bytes byteIdBody(uint64_t id, uint8_t value) {
    Bytes b;
    jqid(b, id);
    b.push_back(value);
    append(b, dates(0, 86400));
    return b;
}

// A URI, actor or sponsor body after its fixed fields.
Bytes buffers(const std::string& mime, const std::string& second) {
    Bytes b;
    b.push_back(static_cast<uint8_t>(mime.size()));
    append(b, Bytes(mime.begin(), mime.end()));
    size_t size = second.size();
    for (; size >= 0xFF; size -= 0xFF) b.push_back(0xFF);
    b.push_back(static_cast<uint8_t>(size));
    append(b, Bytes(second.begin(), second.end()));
    return b;
}

struct Parsed {
    JQIDTable* table = new JQIDTable();
    JQStatus status;
    Parsed(const Bytes& head, const Bytes& data)
        : status(parseJqidTable({{head.data(), head.size()}, {data.data(), data.size()}, 0xDF},
                                *table)) {}
    ~Parsed() { releaseJqidTable(table); }
    const JQIDEntry& at(uint32_t i) const { return table->entries[i]; }
};

std::string bufferText(const uint8_t* bytes, size_t size) {
    return bytes == nullptr ? std::string("<null>") : std::string(reinterpret_cast<const char*>(bytes), size);
}

TEST(JqidRecords, CalendarConversions) {
    const auto expectTime = [](uint32_t seconds, uint16_t y, uint8_t mo, uint8_t d, uint8_t h,
                               uint8_t mi, uint8_t s) {
        const CalendarTime t = timeFromDayZeroSeconds(seconds);
        EXPECT_EQ(t.date.year, y) << seconds;
        EXPECT_EQ(t.date.month, mo) << seconds;
        EXPECT_EQ(t.date.day, d) << seconds;
        EXPECT_EQ(t.hour, h) << seconds;
        EXPECT_EQ(t.minute, mi) << seconds;
        EXPECT_EQ(t.second, s) << seconds;
    };
    expectTime(0, 1991, 12, 31, 0, 0, 0);
    expectTime(86399, 1991, 12, 31, 23, 59, 59);
    expectTime(86400, 1992, 1, 1, 0, 0, 0);
    expectTime(60 * 86400, 1992, 2, 29, 0, 0, 0);           // leap year
    expectTime(2982u * 86400 + 3661, 2000, 2, 29, 1, 1, 1); // 400-year leap day
    expectTime(39507u * 86400, 2100, 3, 1, 0, 0, 0);        // 2100 has no 29 February
    expectTime(0xFFFFFFFF, 2128, 2, 6, 6, 28, 15);          // the last second

    const CalendarDate mjd0 = dateFromMjd(0);
    EXPECT_EQ(mjd0.year, 1858);
    EXPECT_EQ(mjd0.month, 11);
    EXPECT_EQ(mjd0.day, 17);
    const CalendarDate last = dateFromMjd(0xFFFF);
    EXPECT_EQ(last.year, 2038);
    EXPECT_EQ(last.month, 4);
    EXPECT_EQ(last.day, 22);
}

TEST(JqidRecords, HeaderAndKinds) {
    // 0x43E9: link bit (bit 14) set, CurrentGRT 17385, flag clear.
    Parsed link(header(0x43E9), tableData(86400, {}));
    ASSERT_EQ(link.status, JQ_OK);
    const JQIDTable& t = *link.table;
    EXPECT_EQ(t.UpdatFlagCur, 0);
    EXPECT_EQ(t.CurrentGRT, 17385);
    EXPECT_EQ(t.UpdatFlagStart, 1);
    EXPECT_EQ(t.StartGRT, 1);
    EXPECT_EQ(t.UpdatFlagEnd, 0);
    EXPECT_EQ(t.EndGRT, 0x7FFF);
    EXPECT_EQ(t.TimeStamp.seconds, 86400u);
    EXPECT_EQ(t.TimeStamp.year, 1992);
    ASSERT_NE(t.entries, nullptr);  // an empty array, not null
    EXPECT_EQ(t.entryCount, 0u);

    EXPECT_EQ(jqidKindOfTable(0), kJqidEventKind);
    EXPECT_EQ(jqidKindOfTable(1000), kJqidEventKind);
    EXPECT_EQ(jqidKindOfTable(1001), 1001u);
    EXPECT_EQ(jqidKindOfTable(1600), 1600u);
    EXPECT_EQ(jqidKindOfTable(0x4000), kJqidLinkKind);
    EXPECT_EQ(jqidKindOfTable(0x7FFF), kJqidLinkKind);
    for (uint16_t none : {1007, 1011, 1099, 1105, 1199, 1203, 1601, 0x3FFF}) {
        EXPECT_EQ(jqidKindOfTable(none), kJqidNoKind) << none;
    }
}

TEST(JqidRecords, Statuses) {
    const Bytes good = tableData(0, {entry(byteIdBody(1, 2))});
    EXPECT_EQ(Parsed(header(1001), {}).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Parsed({}, good).status, JQ_ERR_NULL_ARGUMENT);
    EXPECT_EQ(Parsed({0x03, 0xE9, 0, 0, 0}, good).status, JQ_ERR_FORMAT);
    {
        Parsed unknown(header(0x83EF), good);  // 1007 with its flag set
        EXPECT_EQ(unknown.status, JQ_ERR_FORMAT);
        EXPECT_EQ(unknown.table->UpdatFlagCur, 1);
        EXPECT_EQ(unknown.table->CurrentGRT, 1007);
        EXPECT_EQ(unknown.table->EndGRT, 0x7FFF);
        EXPECT_EQ(unknown.table->entries, nullptr);
    }
    {
        // A wrong length on the second entry drops the first one too.
        Parsed p(header(1001), tableData(5, {entry(byteIdBody(1, 2)), entry(byteIdBody(3, 4), 1)}));
        EXPECT_EQ(p.status, 0xC0DFu);
        EXPECT_EQ(p.table->TimeStamp.seconds, 5u);
        EXPECT_EQ(p.table->entries, nullptr);
        EXPECT_EQ(p.table->entryCount, 0u);
    }
    // Each fixed size, one byte short and one long (the body is padded so
    // that only the length is wrong).
    const std::pair<uint16_t, size_t> fixed[] = {{1001, 15}, {1004, 16}, {1100, 18},
                                                 {1300, 16}, {0x4000, 20}};
    for (const auto& [grt, size] : fixed) {
        EXPECT_EQ(Parsed(header(grt), tableData(0, {entry(Bytes(size, 0))})).status, JQ_OK) << grt;
        EXPECT_EQ(Parsed(header(grt), tableData(0, {entry(Bytes(size - 1, 0))})).status, 0xC0DFu);
        EXPECT_EQ(Parsed(header(grt), tableData(0, {entry(Bytes(size + 1, 0))})).status, 0xC0DFu);
    }
    // Data too short for the TimeStamp.
    for (size_t n = 1; n < 4; ++n) {
        Parsed p(header(500), Bytes(n, 0));
        EXPECT_EQ(p.status, 0xC0DFu) << n;
        EXPECT_EQ(p.table->entries, nullptr);
    }
    JQIDEntry e{};
    ByteReader r(good.data() + 4, good.size() - 4);
    EXPECT_EQ(decodeJqidEntry(r, 1007, e), JQ_ERR_FORMAT);
}

TEST(JqidRecords, EventEntries) {
    Bytes byEvent;
    jqid(byEvent, 0x0123456789ABull);
    be16(byEvent, 0xBEEF);
    byEvent.push_back(0x7F);  // IDType 0; the minute bits are not read
    be16(byEvent, 0x1234);
    append(byEvent, dates(0, 0xFFFFFFFF));

    Bytes bySlot;
    jqid(bySlot, 7);
    be16(bySlot, 0x0001);
    bySlot.push_back(0x80 | 0x78 | 0x05);  // IDType 1, ignored bits, minute bits 8-10 = 5
    be16(bySlot, 60370);                   // 2024-03-01
    bySlot.push_back(0x9F);                // StartMinute 0x59F = 1439
    bySlot.push_back(0xC0 | 59);           // bits 6-7 ignored
    bySlot.insert(bySlot.end(), {0xFF, 0xFF, 0xFF});  // 18-bit minutes, 6-bit seconds
    append(bySlot, dates(86400, 86401));

    // The lengths of event entries are kept, not checked.
    Parsed p(header(1000), tableData(0, {entry(byEvent), entry(bySlot, -20)}));
    ASSERT_EQ(p.status, JQ_OK);
    ASSERT_EQ(p.table->entryCount, 2u);
    const JQIDEntry& first = p.at(0);
    EXPECT_EQ(first.kind, 0u);
    EXPECT_EQ(first.length, 19u);
    ASSERT_NE(first.event, nullptr);
    const EventRecord& a = *first.event;
    EXPECT_EQ(a.JQID, 0x0123456789ABull);
    EXPECT_EQ(a.GCN, 0xBEEF);
    EXPECT_EQ(a.IDType, 0);
    EXPECT_EQ(a.EventID, 0x1234);
    EXPECT_EQ(a.MJD, 0);
    EXPECT_EQ(a.MJDYear, 0);
    EXPECT_EQ(a.StartMinute, 0);
    EXPECT_EQ(a.DureMinute, 0u);
    EXPECT_EQ(a.DureSecond, 0);
    EXPECT_EQ(a.ExpiryDate.year, 2128);

    const JQIDEntry& second = p.at(1);
    EXPECT_EQ(second.length, 4u);
    const EventRecord& b = *second.event;
    EXPECT_EQ(b.IDType, 1);
    EXPECT_EQ(b.EventID, 0);
    EXPECT_EQ(b.MJD, 60370);
    EXPECT_EQ(b.MJDYear, 2024);
    EXPECT_EQ(b.MJDMonth, 3);
    EXPECT_EQ(b.MJDDay, 1);
    EXPECT_EQ(b.StartMinute, 1439);
    EXPECT_EQ(b.StartHour, 23);
    EXPECT_EQ(b.StartMin, 59);
    EXPECT_EQ(b.StartSecond, 59);
    EXPECT_EQ(b.DureMinute, 0x3FFFFu);
    EXPECT_EQ(b.DureSecond, 63);
    EXPECT_EQ(b.EffectiveDate.day, 1);
    EXPECT_EQ(b.ExpiryDate.second, 1);
    for (const JQIDEntry* e : {&first, &second}) {
        EXPECT_EQ(e->byteId1001, nullptr);
        EXPECT_EQ(e->link, nullptr);
    }
}

TEST(JqidRecords, FixedSizeEntries) {
    Bytes word;
    jqid(word, 0x80001103ull << 16);  // GRT flag bit kept in the JQID
    be16(word, 0xABCD);
    append(word, dates(1, 2));
    Parsed w(header(1103), tableData(0, {entry(word)}));
    ASSERT_EQ(w.status, JQ_OK);
    EXPECT_EQ(w.at(0).kind, 1103u);
    ASSERT_NE(w.at(0).wordId1103, nullptr);
    EXPECT_EQ(w.at(0).wordId1004, nullptr);
    EXPECT_EQ(w.at(0).wordId1103->JQID, 0x80001103ull << 16);
    EXPECT_EQ(w.at(0).wordId1103->ID, 0xABCD);

    Bytes pad;
    jqid(pad, (1100ull << 32) | 5);
    be32(pad, 0xFEDCBA98);
    append(pad, dates(3, 4));
    Parsed l(header(1100), tableData(0, {entry(pad), entry(pad)}));  // duplicates kept
    ASSERT_EQ(l.status, JQ_OK);
    ASSERT_EQ(l.table->entryCount, 2u);
    EXPECT_EQ(l.at(1).longId1100->ID, 0xFEDCBA98u);
    EXPECT_EQ(l.at(1).longId1100->ExpiryDate.seconds, 4u);

    Bytes message;
    jqid(message, 1);
    message.insert(message.end(), {0x12, 0x34});
    append(message, dates(0, 0));
    Parsed m(header(1300), tableData(0, {entry(message)}));
    ASSERT_EQ(m.status, JQ_OK);
    EXPECT_EQ(m.at(0).message1300->MessageID, 0x12);
    EXPECT_EQ(m.at(0).message1300->ServiceID, 0x34);

    Bytes link;
    jqid(link, 0xFFFFFFFFFFFFull);
    jqid(link, 0x000100000002ull);
    append(link, dates(5, 6));
    Parsed k(header(0x4000), tableData(0, {entry(link)}));
    ASSERT_EQ(k.status, JQ_OK);
    EXPECT_EQ(k.at(0).kind, kJqidLinkKind);
    EXPECT_EQ(k.at(0).link->JQID1, 0xFFFFFFFFFFFFull);
    EXPECT_EQ(k.at(0).link->JQID2, 0x000100000002ull);

    Parsed b(header(1500), tableData(0, {entry(byteIdBody(9, 0xEE))}));
    ASSERT_EQ(b.status, JQ_OK);
    EXPECT_EQ(b.at(0).byteId1500->ID, 0xEE);
    EXPECT_EQ(b.at(0).byteId1500->JQID, 9u);
}

TEST(JqidRecords, BufferEntries) {
    // URI: no MIME type, a 255-byte Uri; the entry length is not used.
    Bytes uri;
    jqid(uri, 2);
    append(uri, buffers("", std::string(255, 'u')));
    append(uri, dates(0, 0));
    Parsed u(header(1006), tableData(0, {entry(uri, -100)}));
    ASSERT_EQ(u.status, JQ_OK);
    const UriRecord& ur = *u.at(0).uri1006;
    EXPECT_EQ(ur.MimeTypeSize, 0);
    EXPECT_EQ(ur.MimeType, nullptr);
    EXPECT_EQ(ur.UriSize, 256u);
    EXPECT_EQ(bufferText(ur.Uri, 256), std::string(255, 'u') + '\0');

    // Actor: a 3-byte MIME type, an empty DocRef.
    Bytes actor;
    jqid(actor, 3);
    be16(actor, 0x0102);
    append(actor, buffers("a/b", ""));
    append(actor, dates(7, 8));
    Parsed a(header(1002), tableData(0, {entry(actor)}));
    ASSERT_EQ(a.status, JQ_OK);
    const ActorRecord& ar = *a.at(0).actor1002;
    EXPECT_EQ(ar.ActorID, 0x0102);
    EXPECT_EQ(ar.MimeTypeSize, 4);
    EXPECT_EQ(bufferText(ar.MimeType, 4), std::string("a/b") + '\0');
    EXPECT_EQ(ar.DocRefSize, 0u);
    EXPECT_EQ(ar.DocRef, nullptr);
    EXPECT_EQ(ar.ExpiryDate.seconds, 8u);

    // Sponsor: a 255-byte MIME type keeps 254 bytes, as its 8-bit size
    // cannot count 256.
    Bytes sponsor;
    jqid(sponsor, 4);
    be32(sponsor, 0xCAFEF00D);
    append(sponsor, buffers(std::string(255, 'm'), "x"));
    append(sponsor, dates(9, 10));
    Parsed s(header(1600), tableData(0, {entry(sponsor)}));
    ASSERT_EQ(s.status, JQ_OK);
    const SponsorRecord& sr = *s.at(0).sponsor1600;
    EXPECT_EQ(sr.SponsorID, 0xCAFEF00Du);
    EXPECT_EQ(sr.MimeTypeSize, 255);
    EXPECT_EQ(bufferText(sr.MimeType, 255), std::string(254, 'm') + '\0');
    EXPECT_EQ(sr.UriSize, 2u);
    EXPECT_EQ(bufferText(sr.Uri, 2), std::string("x") + '\0');
    EXPECT_EQ(sr.EffectiveDate.seconds, 9u);
}

// Cutting a good table anywhere but between entries refuses it with
// 0xC0DF and no entries; between entries it is a shorter good table.
TEST(JqidRecords, EveryCut) {
    Bytes uri;
    jqid(uri, 2);
    append(uri, buffers("text/html", std::string(300, 'u')));
    append(uri, dates(0, 0));
    Bytes slot;
    jqid(slot, 7);
    slot.insert(slot.end(), {0, 1, 0x81, 0xBC, 0x5C, 0x9F, 0x3B, 0, 1, 2});
    append(slot, dates(1, 2));
    Bytes actor;
    jqid(actor, 3);
    be16(actor, 1);
    append(actor, buffers("a", "doc"));
    append(actor, dates(0, 0));
    const std::pair<uint16_t, std::vector<Bytes>> tables[] = {
        {1006, {entry(uri), entry(uri)}},
        {500, {entry(slot), entry(slot)}},
        {1002, {entry(actor), entry(actor)}},
        {1001, {entry(byteIdBody(1, 1)), entry(byteIdBody(2, 2))}},
    };
    for (const auto& [grt, entries] : tables) {
        const Bytes data = tableData(0, entries);
        const size_t boundary = 4 + entries[0].size();
        for (size_t cut = 1; cut <= data.size(); ++cut) {
            Parsed p(header(grt), Bytes(data.begin(), data.begin() + cut));
            if (cut == 4 || cut == boundary || cut == data.size()) {
                EXPECT_EQ(p.status, JQ_OK) << grt << " " << cut;
                EXPECT_EQ(p.table->entryCount, cut == 4 ? 0u : cut == boundary ? 1u : 2u);
            } else {
                EXPECT_EQ(p.status, 0xC0DFu) << grt << " " << cut;
                EXPECT_EQ(p.table->entries, nullptr) << grt << " " << cut;
            }
        }
    }
}

// A host decodes single entries into its own JQIDEntry: the entry length is
// added to the length already there, and a fixed-size kind checks the sum.
TEST(JqidRecords, SingleEntriesAddTheirLength) {
    const Bytes byteId = entry(byteIdBody(9, 1));
    JQIDEntry e{};
    ByteReader first(byteId.data(), byteId.size());
    ASSERT_EQ(decodeJqidEntry(first, 1001, e), JQ_OK);
    EXPECT_EQ(e.length, 15u);
    releaseJqidEntry(e);
    ByteReader again(byteId.data(), byteId.size());
    EXPECT_EQ(decodeJqidEntry(again, 1001, e), 0xC0DFu);
    EXPECT_EQ(e.length, 30u);
    releaseJqidEntry(e);

    Bytes uri;
    jqid(uri, 7);
    append(uri, buffers("text/plain", "u"));
    append(uri, dates(0, 1));
    const Bytes uriEntry = entry(uri);
    JQIDEntry u{};
    u.length = 100;
    ByteReader r(uriEntry.data(), uriEntry.size());
    ASSERT_EQ(decodeJqidEntry(r, 1006, u), JQ_OK);  // stepped by its fields
    EXPECT_EQ(u.length, 100u + uri.size());
    releaseJqidEntry(u);
}

TEST(JqidRecords, CopyAndRelease) {
    Bytes sponsor;
    jqid(sponsor, 4);
    be32(sponsor, 1);
    append(sponsor, buffers("image/png", "http://x"));
    append(sponsor, dates(9, 10));
    const Bytes data = tableData(0, {entry(sponsor)});

    JQIDEntry source{};
    ByteReader r(data.data() + 4, data.size() - 4);
    ASSERT_EQ(decodeJqidEntry(r, 1600, source), JQ_OK);
    EXPECT_TRUE(r.atEnd());

    // The destination's own record goes; the copy owns fresh buffers.
    JQIDEntry copy{};
    copy.link = new LinkRecord();
    copyJqidEntry(source, copy);
    EXPECT_EQ(copy.link, nullptr);
    EXPECT_EQ(copy.kind, 1600u);
    EXPECT_EQ(copy.length, source.length);
    ASSERT_NE(copy.sponsor1600, nullptr);
    EXPECT_NE(copy.sponsor1600, source.sponsor1600);
    EXPECT_NE(copy.sponsor1600->Uri, source.sponsor1600->Uri);
    releaseJqidEntry(source);
    EXPECT_EQ(source.sponsor1600, nullptr);
    EXPECT_EQ(source.kind, 1600u);  // length and kind stay
    releaseJqidEntry(source);      // a second release does nothing
    EXPECT_EQ(bufferText(copy.sponsor1600->MimeType, copy.sponsor1600->MimeTypeSize),
              std::string("image/png") + '\0');
    EXPECT_EQ(bufferText(copy.sponsor1600->Uri, copy.sponsor1600->UriSize),
              std::string("http://x") + '\0');
    copyJqidEntry(copy, copy);  // onto itself: unchanged
    ASSERT_NE(copy.sponsor1600, nullptr);
    releaseJqidEntry(copy);

    // A partly decoded entry releases what it holds.
    JQIDEntry partial{};
    ByteReader cut(data.data() + 4, data.size() - 6);
    EXPECT_EQ(decodeJqidEntry(cut, 1600, partial), 0xC0DFu);
    ASSERT_NE(partial.sponsor1600, nullptr);
    releaseJqidEntry(partial);
    EXPECT_EQ(partial.sponsor1600, nullptr);
    releaseJqidTable(nullptr);
}

class JqidCsv : public ::testing::Test {
protected:
    std::string csv(const Bytes& head, const Bytes& data) {
        Package package;
        package.header.TypeCode = 0xDF;
        package.packetHeader = head;
        package.data = data;
        ParseElement element{};
        dispatchPackage(package, element);
        EXPECT_NE(element.jqidTable, nullptr);
        const void* record = nullptr;
        const CsvWriter writer = csvWriterFor(element, record);
        const auto path = folder_.path() / "jqid.csv";
        {
            CsvFile out = CsvFile::create(test::toJQ(path).c_str());
            if (writer != nullptr) writer(record, out);
        }
        releaseParseElement(element);
        return test::readFile(path);
    }

    test::TempFolder folder_{"jqid"};
};

const std::string kDateHeader =
    "EffectiveDate,EffYear,EffMonth,EffDay,EffHour,EffMin,EffSec,"
    "ExpiryDate,ExpYear,ExpMonth,ExpDay,ExpHour,ExpMin,ExpSec\n";
const std::string kDates0To86400 = ",0,1991,12,31,0,0,0,86400,1992,1,1,0,0,0\n";

std::string nineLines(int cur, int start, int end, const std::string& stamp) {
    return "UpdatFlagCur,1\nCurrentGRT," + std::to_string(cur) + "\nUpdatFlagStart,0\nStartGRT," +
           std::to_string(start) + "\nUpdatFlagEnd,1\nEndGRT," + std::to_string(end) +
           "\nTimeStamp," + stamp + "\nTSYear,TSMonth,TSDay,TSHour,TSMin,TSSec\n";
}

TEST_F(JqidCsv, HeaderLinesOnly) {
    // Unknown kind: the nine lines and nothing more (TimeStamp never read).
    EXPECT_EQ(csv(header(0x83EF, 0x0002, 0x8003), tableData(0, {})),
              nineLines(1007, 2, 3, "0") + "0,0,0,0,0,0\n");
    // 0xFFFFFFFF seconds print as a signed number.
    EXPECT_EQ(csv(header(0x83E9, 0x0002, 0x8003), tableData(0xFFFFFFFF, {})),
              nineLines(1001, 2, 3, "-1") + "2128,2,6,6,28,15\n" + "JQID,ID," + kDateHeader);
}

TEST_F(JqidCsv, Rows) {
    Bytes uri;
    jqid(uri, 0xABC);
    append(uri, buffers("text/html", ""));
    append(uri, dates(0, 86400));
    EXPECT_EQ(csv(header(0x83EE, 0, 0x8000), tableData(86400, {entry(uri)})),
              nineLines(1006, 0, 0, "86400") + "1992,1,1,0,0,0\n" +
                  "JQID,MimeTypeSize,MimeType,UriSize,Uri," + kDateHeader + "0xABC,10," +
                  std::string("text/html") + '\0' + ",0," + kDates0To86400);

    Bytes event;
    jqid(event, 0x1000000001ull);
    be16(event, 0x12);
    event.push_back(0);
    be16(event, 0x4321);
    append(event, dates(0, 86400));
    EXPECT_EQ(csv(header(0x8000, 0, 0x8000), tableData(0, {entry(event)})),
              nineLines(0, 0, 0, "0") + "1991,12,31,0,0,0\n" +
                  "JQID,GCN,IDType,EffectiveDate,EffYear,EffMonth,EffDay,EffHour,EffMin,EffSec,"
                  "ExpiryDate,ExpYear,ExpMonth,ExpDay,ExpHour,ExpMin,ExpSec,EventID,MJD,MJDYear,"
                  "MJDMonth,MJDDay,StartMinute,StartHour,StartMin,StartSecond,DureMinute,"
                  "DureSecond\n"
                  "0x1000000001,0x0012,0,0,1991,12,31,0,0,0,86400,1992,1,1,0,0,0,"
                  "17185,0,0,0,0,0,0,0,0,0,0\n");

    Bytes message;
    jqid(message, 1);
    message.insert(message.end(), {0x05, 0x06});
    append(message, dates(0, 86400));
    EXPECT_EQ(csv(header(0x8514, 0, 0x8000), tableData(0, {entry(message)})),
              nineLines(1300, 0, 0, "0") + "1991,12,31,0,0,0\n" + "JQID,MessageID,ServiceID," +
                  kDateHeader + "0x1,0x5,0x06" + kDates0To86400);

    Bytes link;
    jqid(link, 0xFFFFFFFFFFFFull);
    jqid(link, 2);
    append(link, dates(0, 86400));
    Bytes pad;
    jqid(pad, 3);
    be32(pad, 0x1F);
    append(pad, dates(0, 86400));
    Bytes word;
    jqid(word, 3);
    be16(word, 0x1F);
    append(word, dates(0, 86400));
    const std::string stamp = "1991,12,31,0,0,0\n";
    EXPECT_EQ(csv(header(0xC000, 0, 0x8000), tableData(0, {entry(link)})),
              nineLines(16384, 0, 0, "0") + stamp + "JQID1,JQID2," + kDateHeader +
                  "0xFFFFFFFFFFFF,0x2" + kDates0To86400);
    EXPECT_EQ(csv(header(0x844C, 0, 0x8000), tableData(0, {entry(pad)})),
              nineLines(1100, 0, 0, "0") + stamp + "JQID,ID," + kDateHeader + "0x3,0x0000001F" +
                  kDates0To86400);
    EXPECT_EQ(csv(header(0x83EC, 0, 0x8000), tableData(0, {entry(word)})),
              nineLines(1004, 0, 0, "0") + stamp + "JQID,ID," + kDateHeader + "0x3,0x001F" +
                  kDates0To86400);
    EXPECT_EQ(csv(header(0x83E9, 0, 0x8000), tableData(0, {entry(byteIdBody(3, 0x1F))})),
              nineLines(1001, 0, 0, "0") + stamp + "JQID,ID," + kDateHeader + "0x3,0x1F" +
                  kDates0To86400);

    Bytes actor;
    jqid(actor, 3);
    be16(actor, 0x0A);
    append(actor, buffers("", "doc"));
    append(actor, dates(0, 86400));
    Bytes sponsor;
    jqid(sponsor, 4);
    be32(sponsor, 0xB);
    append(sponsor, buffers("m", "u"));
    append(sponsor, dates(0, 86400));
    EXPECT_EQ(csv(header(0x83EA, 0, 0x8000), tableData(0, {entry(actor)})),
              nineLines(1002, 0, 0, "0") + stamp +
                  "JQID,ActorID,MimeTypeSize,MimeType,DocRefSize,DocRef," + kDateHeader +
                  "0x3,0x000A,0,,4," + std::string("doc") + '\0' + kDates0To86400);
    EXPECT_EQ(csv(header(0x8640, 0, 0x8000), tableData(0, {entry(sponsor), entry(sponsor)})),
              nineLines(1600, 0, 0, "0") + stamp +
                  "JQID,SponsorID,MimeTypeSize,MimeType,UriSize,Uri," + kDateHeader +
                  "0x4,0x0000000B,2," + std::string("m") + '\0' + ",2," + std::string("u") +
                  '\0' + kDates0To86400 + "0x4,0x0000000B,2," + std::string("m") + '\0' +
                  ",2," + std::string("u") + '\0' + kDates0To86400);
}

}  // namespace
}  // namespace jq::records
