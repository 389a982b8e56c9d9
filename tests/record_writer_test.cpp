// record_writer_test.cpp - the record writers of jqwrite for the families
// other than objects, mosaics and schedules, and their description blocks.
//
// Expected bytes are written out by hand from the record layouts, so that a
// writer fault cannot hide behind the same fault in a decoder.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "jqid_data.h"
#include "jqwrite.h"
#include "micp_writer.h"
#include "record_data.h"

namespace {

using namespace jq::write;

Bytes hex(const std::string& text) {
    Bytes out;
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

// The packet header and plain data a one-package description builds, read
// back by decrypting nothing: the package is rebuilt through the API and
// compared whole.
Bytes describedPackage(const std::string& type, const std::string& block) {
    std::vector<DescribedFile> files;
    std::string error;
    const std::string text = "file f\n package type=" + type + "\n" + block + "\n end\nend\n";
    EXPECT_TRUE(buildFromDescription(text, files, error)) << error;
    return files.empty() ? Bytes() : files[0].bytes;
}

Bytes apiPackage(uint8_t type, Bytes header, Bytes data) {
    BroadcastFile file;
    file.dataPackage(recordPackage(type, std::move(header), std::move(data)));
    return file.bytes();
}

TEST(JqidWriter, EntriesWithComputedLengths) {
    JqidTable table;
    table.currentGrt = 17385;  // a link table: bit 14
    table.timeStamp = jqidSeconds(1992, 1, 1);
    JqidEntry link;
    link.jqid = 0x0102030405;
    link.secondJqid = 0xFFFF00000001;
    link.effectiveDate = 0;
    link.expiryDate = 86400;
    table.entries.push_back(link);
    EXPECT_EQ(jqidPacketHeader(table), hex("43E9 0000 0000"));
    EXPECT_EQ(jqidData(table), hex("00015180 14 000102030405 FFFF00000001 00000000 00015180"));

    JqidEntry uri;
    uri.uri = Bytes(255, 'u');
    const Bytes bytes = jqidEntryBytes(JqidLayout::Uri, uri);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 3), hex("FF 11 00"));  // 272 = FF 11
    EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.begin() + 11), hex("00 FF 00"));

    JqidEntry event;
    event.idType = 1;
    event.startMinute = 1439;
    event.startSecond = 30;
    event.dureMinute = 45;
    event.mjd = 60827;
    EXPECT_EQ(jqidEntryBytes(JqidLayout::Event, event),
              hex("18 000000000000 0000 85 ED9B 9F 1E 000B40 00000000 00000000"));

    EXPECT_EQ(jqidLayoutOf(1001), JqidLayout::OneByteId);
    EXPECT_THROW(jqidLayoutOf(1007), std::invalid_argument);
    JqidEntry wide;
    wide.jqid = uint64_t{1} << 48;
    EXPECT_THROW(jqidEntryBytes(JqidLayout::Link, wide), std::invalid_argument);
    wide.jqid = 0;
    wide.id = 256;
    EXPECT_THROW(jqidEntryBytes(JqidLayout::OneByteId, wide), std::invalid_argument);
}

TEST(TopicWriter, ListsMessagesAndMicp) {
    TopicEntry e;
    e.leadingValue = 5;
    e.majorCategory = 1;
    e.minorCategory = 2;
    e.title = {'A', 'B'};
    e.objectId = 0x1234;
    e.serviceId = 7;
    EXPECT_EQ(topicEntryBytes(kPackedTopicList, e), hex("05 0A 02 4142 00 03 123407"));
    e.messageId = 9;
    EXPECT_EQ(topicEntryBytes(kTopicList, e), hex("05 08 02 02 4142 00 03 123407 09"));
    e.leadingValue = 513;
    EXPECT_EQ(topicEntryBytes(kTopicList, e)[2], 0x03);
    e.minorCategory = 8;
    EXPECT_THROW(topicEntryBytes(kPackedTopicList, e), std::invalid_argument);
    EXPECT_THROW(topicListPacketHeader(32), std::invalid_argument);

    TopicMessage m;
    m.serviceId = 5;
    m.serialNumber = 0x1234;
    m.smk = 2;
    m.object = Bytes(8, 0xAA);
    EXPECT_EQ(topicMessagePacketHeader(m), hex("00 05 1234 0002"));
    EXPECT_EQ(topicMessageData(m), hex("0002 AAAAAAAAAAAAAAAA"));
    m.dataSmk = 3;
    EXPECT_EQ(topicMessageData(m)[1], 3);

    EXPECT_EQ(micpPacketHeader(300, 3, 2), hex("0000012C 0003 0002"));
}

// A message-object block against its bytes written out by hand: header,
// elements of every helper, the faults a reader must meet (a wrong length,
// a short expiry, another trailer, another object type), and the packet
// header of the container reading.
TEST(RecordDescription, TopicMessageObjects) {
    const std::string object =
        "message-object byte=1 message-byte=2 time=86400 values=3,4\n"
        "text type=2 \"AB\"\n"
        "text type=8 \"天気\"\n"
        "element type=6 \"cd\"\n"
        "element type=9\n"
        "expiry 1992-01-01T00:00:01\n"
        "values 1 2 3 0x44\n"
        "element type=5 length=9 010203\n"
        "trailer 07\n"
        "end\n";
    const Bytes data =
        hex("0002 0006 01 02 00015180 0003 0004"
            " 0004 0002 4142  0006 0008 93568B43  0004 0006 6364  0002 0009"
            " 0006 0005 00015181  0009 0007 0001 0002 0003 44  0009 0005 010203  07  FF");
    EXPECT_EQ(describedPackage("0x6E", "topic-message message=5 service=1 serial=0x1234 smk=2\n" +
                                           object + "object FF\nend"),
              apiPackage(0x6E, hex("05 01 1234 0002"), data));
    EXPECT_EQ(describedPackage("0x61",
                               "topic-message message=5 service=1 serial=0x1234 smk=2 "
                               "tolvo=1\n" +
                                   object + "object FF\nend"),
              apiPackage(0x61, hex("3412 05 01 0002"), data));
    // Defaults: type 6, zero header, the trailer 00 00; an empty trailer; type 5.
    EXPECT_EQ(describedPackage("0x6E",
                               "topic-message\nmessage-object\nend\n"
                               "message-object type=5 time=0\ntrailer\nend\nend"),
              apiPackage(0x6E, hex("00 00 0000 0000"),
                         hex("0000 0006 00 00 00000000 0000 0000 0000"
                             " 0005 00 00 00000000 0000 0000")));

    std::vector<DescribedFile> files;
    std::string error;
    const auto fails = [&](const std::string& inner, const std::string& message) {
        const std::string text =
            "file f\n package type=0x6E\n topic-message\n message-object\n" + inner + "end\nend\n";
        EXPECT_FALSE(buildFromDescription(text, files, error)) << inner;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    };
    fails("values 1 2 3\n end\n end\n", "line 5: values takes four numbers");
    fails("values 1 2 3 256\n end\n end\n", "line 5: values");
    fails("expiry 1991-12-30\n end\n end\n", "line 5: expiry");
    fails("trailer\n trailer 00\n end\n end\n", "line 6: a message object has one trailer");
    fails("element 5 00\n end\n end\n", "line 5: ");
    fails("object 00\n end\n end\n", "unknown statement 'object' in a message object");
    EXPECT_FALSE(buildFromDescription(
        "file f\n package type=0x6E\n topic-message\n message-object\n end\n", files, error));
    EXPECT_NE(error.find("line 3: the record block is not closed"), std::string::npos) << error;
}

// An micp-object block against its bytes written out by hand, in a package
// and in a container entry; parts cut from one datum; the faults.
TEST(RecordDescription, MicpObjects) {
    const std::string object =
        "micp-object byte=7\n"
        "info value=1 time=86400 values=2,3\n"
        "expiry 86401\n"
        "datum \"AB\" 0102\n"
        "part part=1 total=10 offset=4 \"AB\" 0304\n"
        "parts count=2 last=0 \"C\" 0A0B0C\n"
        "element type=0x20 length=1 FF\n"
        "trailer 09\n"
        "end";
    EXPECT_EQ(describedPackage("0xF5", "packet-header 0000012C 0002 0001\n" + object),
              apiPackage(0xF5, hex("0000012C 0002 0001"),
                         hex("000C 07  000E 0001 00000001 00015180 0002 0003  0006 0002 00015181"
                             "  0009 0010 01 00 02 4142 0102"
                             "  0013 0011 02 00 0000000A 00000004 00 01 02 4142 0304"
                             "  0011 0011 02 00 00000003 00000000 00 00 01 43 0A"
                             "  0001 0020 FF  09")));

    std::vector<DescribedFile> files;
    std::string error;
    ASSERT_TRUE(
        buildFromDescription("container m type=0xF5\n entry host=5\n"
                             "  micp object=300 blocks=2 block=1\n"
                             "  micp-object\n   parts count=3 first=1 \"N\" 010203\n"
                             "  end\n end\nend\n",
                             files, error))
        << error;
    MicpObject o;
    const std::vector<MicpDatum> parts = micpParts({'N'}, {1, 2, 3}, 3);
    o.elements = {micpDataElement(parts[1]), micpDataElement(parts[2])};
    ContainerEntry entry = micpBlockEntry(300, 2, 1, micpObjectBytes(o));
    entry.hostId = 5;
    EXPECT_EQ(files.at(0).bytes, containerFile(0xF5, {entry}));

    const auto fails = [&](const std::string& inner, const std::string& message) {
        const std::string text =
            "file f\n package type=0xF5\n micp-object\n" + inner + " end\n end\nend\n";
        EXPECT_FALSE(buildFromDescription(text, files, error)) << inner;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    };
    fails("datum\n", "line 4: a datum begins with its name");
    fails("part \"A\" total=3 offset=0\n", "line 4: ");  // no part=
    fails("parts count=0 \"A\" 01\n", "line 4: an MICP datum has 1 to 256 parts");
    fails("info values=1,2,3\n", "line 4: values: an info element holds two values");
    fails("trailer\n trailer\n", "line 5: an MICP object has one trailer");
    fails("object 00\n", "unknown statement 'object' in an MICP object");
    EXPECT_FALSE(buildFromDescription("file f\n package type=0x56\n micp-object\n end\n end\nend\n",
                                      files, error));
    EXPECT_NE(error.find("micp-object belongs in a package of type 0xF5"), std::string::npos)
        << error;
}

TEST(TableWriters, HandCheckedEntries) {
    AreaList list{16, 0, 0, 0, 0, {{0x1FFFF, 0x1FFFF}, {1001, {}}}, true};
    EXPECT_EQ(areaData(kCmidAreaLists, {list}), hex("0010 11FFFF 01FFFF 2003E9"));
    EXPECT_THROW(areaData(kAreaList, {list, list}), std::invalid_argument);
    list.codes[1].lower = 0x20000;
    EXPECT_THROW(areaData(kAreaList, {list}), std::invalid_argument);

    jq::write::ReceptionService s{1, 2, 3, {{1, 1, 0x5A5, 60}}};
    EXPECT_EQ(receptionServicesData({s}), hex("0001 0002 03 01 8D A5 3C"));

    ChannelGroup g{0x0065, {}};
    ChannelEntry digital;
    digital.bandType = 2;
    digital.lastFlag = 1;
    digital.nid = 4;
    digital.sid = 0x65;
    digital.serviceType = 1;
    ChannelEntry source;
    source.bandType = 4;
    source.sourceType = 5;
    source.multiCh = 300;
    g.entries = {digital, source};
    EXPECT_EQ(channelMapData({g}), hex("0A 0065 C0 0004 0065 01 55 2C"));
    source.sourceType = 3;  // a kind byte of 0x4F would be skipped
    EXPECT_THROW(channelEntryBytes(source), std::invalid_argument);

    Dictionary d;
    d.sct = Sct::Keywords;
    d.keywords = {{0, 0x1234, 7, {}}};
    EXPECT_EQ(dictionaryData(d), hex("03 1234 07"));
    d.typeCode = kHostDictionary;
    d.keywords[0].hostId = 0x085F;
    EXPECT_EQ(dictionaryData(d), hex("05 085F 1234 07"));
    d.sct = Sct::Icons;
    d.icons = {{1, 5, {}}};
    EXPECT_EQ(dictionaryData(d), hex("01 85"));
    d.typeCode = kDictionary;
    EXPECT_THROW(dictionaryData(d), std::invalid_argument);

    EXPECT_EQ(stationData({{0x65, 2, {'N', 'H', 'K', '1'}, {}}}), hex("09 0065 0002 04 4E484B31"));
    CodeDownload piece;
    piece.crc = 0xBEEF;
    piece.code = {1, 2};
    EXPECT_EQ(codeDownloadData(piece), hex("0000 000000000000 BEEF 00000000 0002 0102"));
}

TEST(RecordDescription, BlocksBuildTheBytesOfTheApi) {
    JqidTable table;
    table.currentGrt = 1001;
    table.timeStamp = 86400;
    JqidEntry id;
    id.jqid = 0x03E900000010;
    id.id = 7;
    id.expiryDate = 86400;
    table.entries.push_back(id);
    EXPECT_EQ(describedPackage("0xDF",
                               "jqid-table grt=1001 time=1992-01-01\n"
                               "id jqid=0x03E900000010 id=7 expiry=86400\nend"),
              apiPackage(0xDF, jqidPacketHeader(table), jqidData(table)));

    TopicEntry e;
    e.leadingValue = 5;
    e.majorCategory = 1;
    e.minorCategory = 2;
    e.title = {'A', 'B'};
    e.objectId = 0x1234;
    e.serviceId = 7;
    e.messageId = 9;
    EXPECT_EQ(describedPackage("0x6F",
                               "topic-list major=3\nentry lead=5 major=1 minor=2 "
                               "object=0x1234 service=7 message=9 \"AB\"\nend"),
              apiPackage(0x6F, topicListPacketHeader(3), topicListData(kTopicList, {e})));

    // date= takes a date or the Modified Julian Date itself, as mjd= does.
    const Bytes event =
        apiPackage(0xDF, hex("01F4 0000 0000"),
                   hex("00000000 18 000000000001 0001 80 ED9B 00 00 000000 00000000 00000000"));
    for (const char* day : {"date=2025-06-01", "date=60827", "mjd=60827"})
        EXPECT_EQ(describedPackage("0xDF", std::string("jqid-table grt=500\nevent jqid=1 gcn=1 ") +
                                               day + " start=0:0:0 duration=0:0\nend"),
                  event)
            << day;

    EXPECT_EQ(describedPackage("0x71", "areas\nlist 1001 2000-2999\nend"),
              apiPackage(0x71, {},
                         areaData(kAreaList, {{0, 0, 0, 0, 0, {{1001, {}}, {2000, 2999}}, true}})));

    std::vector<DescribedFile> files;
    std::string error;
    EXPECT_FALSE(buildFromDescription(
        "file f\n package type=0xDF\n jqid-table grt=1001\n link jqid=1 to=2\n end\n end\nend\n",
        files, error));
    EXPECT_NE(error.find("line 4"), std::string::npos) << error;
    EXPECT_FALSE(
        buildFromDescription("file f\n package type=0xDF\n jqid-table grt=500\n"
                             " event jqid=1 date=2025-02-30\n end\n end\nend\n",
                             files, error));
    EXPECT_NE(error.find("line 4: date: "), std::string::npos) << error;
    // A CurrentGRT that names no table kind is refused on the table's line.
    EXPECT_FALSE(buildFromDescription(
        "file f\n package type=0xDF\n jqid-table grt=1007\n end\n end\nend\n", files, error));
    EXPECT_EQ(error, "line 3: CurrentGRT 1007 names no table kind");
    EXPECT_FALSE(buildFromDescription("file f\n package type=0x5D\n topic-list\n end\n end\nend\n",
                                      files, error));
}

}  // namespace
