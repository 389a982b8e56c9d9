// schedule_writer_test.cpp - the schedule writer of jqwrite: item bytes,
// auxiliary payloads, UTF-8 to Shift-JIS and the schedule statements of the
// description language.
//
// Expected bytes are written out by hand from the record layout, so that a
// writer fault cannot hide behind the same fault in a decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "arib_text.h"
#include "aux_payloads.h"
#include "jqwrite.h"
#include "schedule_data.h"
#include "shift_jis.h"

#ifdef JQ_HAVE_ICONV
#include <iconv.h>
#endif

namespace {

using jq::write::AuxItem;
using jq::write::Bytes;
using jq::write::ItemForm;
using jq::write::Schedule;
using jq::write::ScheduleItem;
namespace aux = jq::write::aux;

Bytes hex(const std::string& text) {
    Bytes out;
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    if (digits.size() % 2 != 0) throw std::invalid_argument("odd number of hex digits: " + text);
    for (size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes itemBytes(const ScheduleItem& item, uint8_t type = jq::write::kScheduleL) {
    return jq::write::scheduleItemBytes(type, item);
}

// ---- Items -------------------------------------------------------------------------

TEST(ScheduleItem, FieldsInOrderWithComputedSizes) {
    ScheduleItem item;
    item.startMinute = 540;
    item.majorCategory = 1;
    item.specialCategory = 2;
    item.feature = 5;
    item.showId = 0x123456;
    item.title = hex("41 42");
    item.detail1 = hex("43");
    item.detail2 = Bytes();
    item.bookCode = "123";
    item.minorCategory = 3;
    item.aux = {{5, hex("12 34 56")}, {18, hex("00 04 30 01 25 00")}};
    // 8 fixed + 2 title + 3 + 2 + 3 (book) + 1 minor + 4 + 8 aux bytes = 31.
    EXPECT_EQ(itemBytes(item), hex("1F 021C 12 05 123456 02 4142 0001 43 0000 02 F123 03"
                                   "2B 123456 92 06 000430012500"));

    // No auxiliary bytes: SIESize equals the fields alone; an even booking code.
    ScheduleItem plain;
    plain.bookCode = "0123";
    EXPECT_EQ(itemBytes(plain), hex("10 0000 00 00 000000 00 0000 0000 02 0123 00"));

    // A packet header and two items one after the other.
    Schedule schedule;
    schedule.gcn = 0x0101;
    schedule.julianDay = 12345;
    schedule.sectorNumber = 1;
    schedule.items = {plain, item};
    EXPECT_EQ(jq::write::schedulePacketHeader(schedule), hex("0101 3039 00 01"));
    EXPECT_EQ(jq::write::scheduleData(schedule), itemBytes(plain) + itemBytes(item));
    const jq::write::DataPackage package = jq::write::schedulePackage(schedule);
    EXPECT_EQ(package.typeCode, 0x4C);
    EXPECT_EQ(package.packetHeader, hex("0101 3039 00 01"));
    EXPECT_EQ(package.plain, jq::write::scheduleData(schedule));
}

TEST(ScheduleItem, RunLengthsOfSieSizeAndInfoSize) {
    EXPECT_EQ(jq::write::runLength(0), hex("00"));
    EXPECT_EQ(jq::write::runLength(254), hex("FE"));
    EXPECT_EQ(jq::write::runLength(255), hex("FF 00"));
    EXPECT_EQ(jq::write::runLength(526), hex("FF FF 10"));

    // 14 bytes of fields and a 512-byte detail: SIESize 526.
    ScheduleItem item;
    item.detail1 = Bytes(512, 0x41);
    const Bytes bytes = itemBytes(item);
    ASSERT_EQ(bytes.size(), 3u + 526u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 3), hex("FF FF 10"));

    // A long-form InfoSize of 300 runs over two bytes.
    const Bytes payload(300, 0x07);
    EXPECT_EQ(jq::write::auxItemBytes(AuxItem(7, payload)), hex("87 FF 2D") + payload);
}

TEST(ScheduleItem, HeaderFormOfAuxiliaryItems) {
    const auto header = [](const AuxItem& item) {
        const Bytes bytes = jq::write::auxItemBytes(item);
        return Bytes(bytes.begin(), bytes.end() - static_cast<ptrdiff_t>(item.payload.size()));
    };
    EXPECT_EQ(header(AuxItem(5, hex("010203"))), hex("2B"));  // short: 0 0101 011
    EXPECT_EQ(header(AuxItem(15, hex("01020304050607"))), hex("7F"));
    EXPECT_EQ(header(AuxItem(5, Bytes(8))), hex("85 08"));    // InfoSize 8 needs the long form
    EXPECT_EQ(header(AuxItem(16, hex("01"))), hex("90 01"));  // and so does InfoType 16
    EXPECT_EQ(header(AuxItem(5, hex("01"), ItemForm::Long)), hex("85 01"));
    EXPECT_EQ(header(AuxItem(3, Bytes())), hex("18"));  // InfoSize 0
    EXPECT_THROW(header(AuxItem(16, hex("01"), ItemForm::Short)), std::invalid_argument);
    EXPECT_THROW(header(AuxItem(5, Bytes(8), ItemForm::Short)), std::invalid_argument);
    EXPECT_THROW(header(AuxItem(128, hex("01"))), std::invalid_argument);

    // A wrong InfoSize keeps the payload and picks the form for the size written.
    AuxItem wrongSize(5, hex("0102"));
    wrongSize.infoSize = 9;
    EXPECT_EQ(jq::write::auxItemBytes(wrongSize), hex("85 09 0102"));
    wrongSize.infoSize = 1;
    EXPECT_EQ(jq::write::auxItemBytes(wrongSize), hex("29 0102"));
}

TEST(ScheduleItem, AbsentFieldsAndBookingCodes) {
    using jq::write::kScheduleM;
    ScheduleItem absent;
    absent.title.reset();
    absent.detail1.reset();
    absent.detail2.reset();
    absent.bookCode.reset();
    // Only 'M' has absent fields: all-ones lengths and no bytes.
    EXPECT_EQ(itemBytes(absent, kScheduleM), hex("0E 0000 00 00 000000 FF FFFF FFFF FF 00"));
    for (const uint8_t type : {jq::write::kScheduleL, jq::write::kScheduleQ})
        EXPECT_THROW(itemBytes(absent, type), std::invalid_argument);

    // The all-ones length is "absent" in 'M' and a length elsewhere.
    ScheduleItem longTitle;
    longTitle.title = Bytes(255, 0x41);
    EXPECT_NO_THROW(itemBytes(longTitle));
    EXPECT_THROW(itemBytes(longTitle, kScheduleM), std::invalid_argument);
    longTitle.title = Bytes(256, 0x41);
    EXPECT_THROW(itemBytes(longTitle), std::invalid_argument);

    EXPECT_EQ(jq::write::packBookCode(""), Bytes());
    EXPECT_EQ(jq::write::packBookCode("7"), hex("F7"));
    EXPECT_EQ(jq::write::packBookCode("123"), hex("F1 23"));
    EXPECT_EQ(jq::write::packBookCode("0123"), hex("01 23"));
    EXPECT_EQ(jq::write::packBookCode("9876543210"), hex("98 76 54 32 10"));
    EXPECT_THROW(jq::write::packBookCode("12a4"), std::invalid_argument);
    ScheduleItem book;
    book.bookCode = std::string(510, '9');  // 255 bytes: 'L' only
    EXPECT_NO_THROW(itemBytes(book));
    EXPECT_THROW(itemBytes(book, kScheduleM), std::invalid_argument);
    book.bookCode = std::string(511, '9');
    EXPECT_THROW(itemBytes(book), std::invalid_argument);

    ScheduleItem wide;
    wide.majorCategory = 16;
    EXPECT_THROW(itemBytes(wide), std::invalid_argument);
    wide = ScheduleItem();
    wide.showId = 0x1000000;
    EXPECT_THROW(itemBytes(wide), std::invalid_argument);
    EXPECT_THROW(itemBytes(ScheduleItem(), 0x4E), std::invalid_argument);
}

TEST(ScheduleItem, FaultsReplaceOnlyTheirValue) {
    ScheduleItem item;
    item.title = hex("41 42");
    item.sieSize = 300;
    item.titleLength = 200;  // runs past the item
    item.detail1Length = 0xFFFF;
    item.bookCodeLength = 9;
    EXPECT_EQ(itemBytes(item), hex("FF 2D 0000 00 00 000000 C8 4142 FFFF 0000 09 00"));

    // An absent field in 'L' is possible as a fault: the length as given.
    ScheduleItem allOnes;
    allOnes.title.reset();
    allOnes.titleLength = 0xFF;
    EXPECT_EQ(itemBytes(allOnes), hex("0E 0000 00 00 000000 FF 0000 0000 00 00"));
}

TEST(ScheduleItem, DayNumbers) {
    EXPECT_EQ(jq::write::julianDayOf(1991, 12, 31), 0);
    EXPECT_EQ(jq::write::julianDayOf(1992, 1, 1), 1);
    EXPECT_EQ(jq::write::julianDayOf(1992, 3, 1), 61);  // 1992 is a leap year
    EXPECT_EQ(jq::write::modifiedJulianDateOf(1997, 3, 17), 50524);
    EXPECT_EQ(jq::write::modifiedJulianDateOf(1858, 11, 17), 0);
    EXPECT_THROW(jq::write::julianDayOf(1991, 12, 30), std::invalid_argument);
    EXPECT_THROW(jq::write::julianDayOf(2023, 2, 29), std::invalid_argument);
    EXPECT_THROW(jq::write::julianDayOf(2024, 13, 1), std::invalid_argument);
    EXPECT_THROW(jq::write::modifiedJulianDateOf(2038, 4, 23), std::invalid_argument);
}

// ---- Auxiliary payloads ----------------------------------------------------------------

TEST(AuxPayloads, ProgrammeDescription) {
    aux::Series series;
    series.episode = 258;
    series.totalEpisode = 5;
    series.identity = aux::Series::Identity{0x1234, 50524};
    series.seriesName = hex("0102030405");
    EXPECT_EQ(aux::payload(series), hex("8102 05 45 1234 01 C55C 0102030405"));
    series.totalEpisode = 0x7FFF;
    series.episode = 5;
    series.wideEpisode = true;
    series.control = aux::Series::Control{3, 1, 2};
    series.identity->expireDate.reset();
    series.seriesName.clear();
    EXPECT_EQ(aux::payload(series), hex("8005 FFFF C0 3A 1234 00"));
    series.seriesName = Bytes(64);
    EXPECT_THROW(aux::payload(series), std::invalid_argument);

    EXPECT_EQ(aux::payload(aux::KeywordCodes{{0x0102, 0xA0B0}}), hex("0102 A0B0"));
    EXPECT_EQ(aux::payload(aux::PackageIds{{0x01020304}}), hex("01020304"));
    EXPECT_EQ(aux::payload(aux::CategoryPairs{{{1, 2}, {15, 0}, {0, 9}}}), hex("12 F0 09"));
    EXPECT_THROW(aux::payload(aux::CategoryPairs{{{16, 0}}}), std::invalid_argument);
    EXPECT_EQ(aux::payload(aux::Parental{"JPN", 12}), hex("4A504E 0C"));
    EXPECT_THROW(aux::payload(aux::Parental{"JP", 1}), std::invalid_argument);
    EXPECT_EQ(aux::payload(aux::ContentNibbles{{{0x12, 0x34}, {0x56, 0x78}}}), hex("1234 5678"));
    EXPECT_EQ(aux::payload(aux::TimeShift{4, 30, 1, 25, 0}), hex("0004 30 01 25 00"));
    EXPECT_THROW(aux::payload(aux::TimeShift{4, 100, 0, 0, 0}), std::invalid_argument);
    EXPECT_EQ(aux::payload(aux::AdditionalTexts{hex("41"), Bytes(), hex("4243")}),
              hex("01 41 0000 0002 4243"));
    EXPECT_EQ(aux::item(aux::Icons{hex("0102")}).infoType, 30);
}

TEST(AuxPayloads, ComponentsAndAccessControl) {
    aux::VideoComponents video{{{0x10, 0x20, hex("414243")}, {0x11, 0x21, Bytes()}}};
    EXPECT_EQ(aux::payload(video), hex("10 20 03 414243 11 21 00"));

    aux::AudioComponents::Entry stereo{0x03, 0x10, 1, 1, 3, 7, "jpn", "eng", hex("41")};
    aux::AudioComponents::Entry mono{0x01, 0x11, 2, 0, 0, 0, "jpn", std::nullopt, Bytes()};
    EXPECT_EQ(aux::payload(aux::AudioComponents{{stereo, mono}}),
              hex("03 10 01 FE 6A706E 656E67 01 41"
                  "01 11 02 00 6A706E 00"));

    aux::CopyControl copy;
    copy.copyCtrlType = 3;
    copy.components = {{5, 0, 0, 0, std::nullopt}, {6, 0, 0, 0, 0x40}};
    EXPECT_EQ(aux::payload(copy), hex("1C 05 0500 062040"));
    copy = aux::CopyControl{2, 1, 3, 0x7F, std::nullopt};
    EXPECT_EQ(aux::payload(copy), hex("A7 7F"));

    EXPECT_EQ(aux::payload(aux::ConditionalAccess{false, {}}), hex("00"));
    aux::ConditionalAccess access{true, {{0x0005, 1, {0x10, 0x11}, hex("AABB"), hex("41")}}};
    EXPECT_EQ(aux::payload(access), hex("80 0005 12 1011 02 AABB 01 41"));
    access.payFlag = false;
    EXPECT_THROW(aux::payload(access), std::invalid_argument);

    aux::ComponentGroups groups;
    groups.groupType = 2;
    groups.totalBitRateFlag = true;
    groups.groups = {{1, {{2, {0x10, 0x11}}}, 0x20, hex("41")}, {3, {}, 0x21, Bytes()}};
    EXPECT_EQ(aux::payload(groups), hex("52 11 22 1011 20 01 41 30 21 00"));
    groups.groups.resize(16);
    EXPECT_THROW(aux::payload(groups), std::invalid_argument);
}

TEST(AuxPayloads, DataBroadcastingAndEventRelations) {
    aux::DataContents::Entry caption;
    caption.copmId = 8;
    caption.entryComp = 0x30;
    caption.caption = aux::CaptionSelector{{{0, 1, "jpn"}, {1, 15, "eng"}}};
    caption.compRefs = {0x87};
    caption.title = hex("41");
    // 4 + 1 + 8 bytes before CompRefCount.
    EXPECT_EQ(aux::payload(aux::DataContents{{caption}}),
              hex("0008 30 09 02 01 6A706E 4F 656E67 01 87 6A706E 01 41"));

    aux::BmlSelector plain;
    plain.languageCode = "jpn";
    plain.versions = aux::BmlSelector::Versions{1, 2, 0, 0};
    plain.plain = {{0x40, true, 0x100, std::nullopt, std::nullopt, 16575}};
    plain.ondr = true;
    aux::DataContents::Entry bml;
    bml.copmId = 12;
    bml.bml = plain;
    // TF 0, DVER 0 (versions follow), one plain carousel, then ONDR/FLST.
    EXPECT_EQ(aux::payload(aux::DataContents{{bml}}),
              hex("000C 00 14 00 00 6A706E 0001 0002 01 40 89 00000100 0102FC 80 00 6A706E 00"));

    aux::BmlSelector modules;
    modules.tf = 1;
    modules.uxml = true;
    modules.content = aux::BmlSelector::Content{0x01020304, 0x0506};
    aux::ModuleCarousel module;
    module.compTag = 0x41;
    module.nModules = 7;
    module.leakRate = 1;
    modules.modules = {module};
    bml.bml = modules;
    // DVER 1: no versions; CTNT: content fields; no ONDR/FLST byte.
    EXPECT_EQ(aux::payload(aux::DataContents{{bml}}),
              hex("000C 00 15 40 D0 6A706E 01020304 0506 01 41 41 00000007 000004 00 6A706E 00"));
    modules.plain = plain.plain;
    bml.bml = modules;
    EXPECT_THROW(aux::payload(aux::DataContents{{bml}}), std::invalid_argument);
    bml.copmId = 8;
    bml.bml = plain;
    EXPECT_THROW(aux::payload(aux::DataContents{{bml}}), std::invalid_argument);

    aux::EventGroups::Group same{1, {{0x0101, 0x0202}}, {}, hex("AABB"), std::nullopt};
    aux::EventGroups::Group other{4, {}, {{1, 2, 3, 4}, {5, 6, 7, 8}}, {}, std::nullopt};
    EXPECT_EQ(aux::payload(aux::EventGroups{{same, other}}),
              hex("07 11 0101 0202 AABB  11 42 0001000200030004 0005000600070008"));
    other.events = {{1, 1}};
    EXPECT_THROW(aux::payload(aux::EventGroups{{other}}), std::invalid_argument);

    aux::EitVersion eit;
    eit.basic = {1, 0x11223344, 50524, 23, 50, 0};
    eit.ext = {2, 0xFFFFFFFF, 1, 0, 0, 59};
    eit.siEventNameLength = 9;
    eit.siEventExtLength = 0x0102;
    const Bytes bytes = aux::payload(eit);
    EXPECT_EQ(bytes, hex("01 11223344 C55C 23 50 00  02 FFFFFFFF 0001 00 00 59"
                         "09 0000 00 0000 0102 0000"));
    EXPECT_EQ(bytes.size(), 30u);
}

// ---- UTF-8 to Shift-JIS ---------------------------------------------------------------------

std::string sjis(const std::string& text) {
    Bytes b = hex(text);
    return std::string(b.begin(), b.end());
}

TEST(ShiftJisFromUtf8, JisX0208AndCodePage932Forms) {
    using jq::write::shiftJisFromUtf8;
    EXPECT_EQ(shiftJisFromUtf8("あア漢字Ａ　亜熙ヶー・※"),
              sjis("82A0 8341 8ABF 8E9A 8260 8140 889F EAA4 8396 815B 8145 81A6"));
    EXPECT_EQ(shiftJisFromUtf8("News 7\r\n"), "News 7\r\n");
    // JIS X 0208 and code page 932 readings of the same codes.
    EXPECT_EQ(shiftJisFromUtf8("〜～‖∥−－"), sjis("8160 8160 8161 8161 817C 817C"));
    EXPECT_EQ(shiftJisFromUtf8("¢￠£￡¬￢―—"), sjis("8191 8191 8192 8192 81CA 81CA 815C 815C"));

    for (const char* text : {"①", "ｱ", "\xF0\x9F\x98\x80", "\xC2\xA5", "丂"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(shiftJisFromUtf8(text), std::invalid_argument);
    }
    // Malformed UTF-8: overlong, surrogate, cut, stray continuation, above U+10FFFF.
    for (const char* text :
         {"\xC0\x80", "\xE0\x81\x81", "\xED\xA0\x80", "\xE3\x81", "\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_THROW(shiftJisFromUtf8(text), std::invalid_argument);
    }
    try {
        shiftJisFromUtf8("ab①");
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_EQ(std::string(e.what()), "U+2460 '①' is not in JIS X 0208 at offset 2");
    }
}

#ifdef JQ_HAVE_ICONV
// Every character of the Basic Multilingual Plane against glibc's EUC-JP
// table: the JIS X 0208 ones (two bytes A1-FE) must give their Shift-JIS
// code, every other must be refused, but for the code page 932 forms.
TEST(ShiftJisFromUtf8, AgreesWithIconvOnEveryCharacter) {
    iconv_t converter = iconv_open("EUC-JP", "UTF-8");
    ASSERT_NE(converter, reinterpret_cast<iconv_t>(-1));
    const std::string cp932Forms[] = {"～", "∥", "－", "￠", "￡", "￢", "—"};
    size_t accepted = 0;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        std::string utf8;
        if (c < 0x800) {
            utf8 = {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            utf8 = {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        }
        char in[4];
        char out[8];
        std::copy(utf8.begin(), utf8.end(), in);
        char* inAt = in;
        char* outAt = out;
        size_t inLeft = utf8.size();
        size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        const bool converted = iconv(converter, &inAt, &inLeft, &outAt, &outLeft) != size_t(-1);
        const auto b1 = static_cast<uint8_t>(out[0]);
        const auto b2 = static_cast<uint8_t>(out[1]);
        const bool jis0208 = converted && outAt - out == 2 && b1 >= 0xA1 && b2 >= 0xA1;
        std::string got;
        bool refused = false;
        try {
            got = jq::write::shiftJisFromUtf8(utf8);
        } catch (const std::invalid_argument&) {
            refused = true;
        }
        if (!jis0208) {
            const bool alternate = std::find(std::begin(cp932Forms), std::end(cp932Forms), utf8) !=
                                   std::end(cp932Forms);
            EXPECT_EQ(refused, !alternate) << "U+" << std::hex << static_cast<unsigned>(c);
            continue;
        }
        ++accepted;
        const unsigned j1 = b1 - 0x80u;
        const unsigned j2 = b2 - 0x80u;
        const unsigned s1 = (j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0);
        const unsigned s2 = j1 % 2 ? j2 + (j2 <= 0x5F ? 0x1F : 0x20) : j2 + 0x7E;
        ASSERT_FALSE(refused) << "U+" << std::hex << static_cast<unsigned>(c);
        EXPECT_EQ(got, std::string({static_cast<char>(s1), static_cast<char>(s2)}))
            << "U+" << std::hex << static_cast<unsigned>(c);
    }
    iconv_close(converter);
    EXPECT_EQ(accepted, 6879u);
}
#endif

// ---- The description language --------------------------------------------------------------

std::vector<jq::write::DescribedFile> build(const std::string& text) {
    std::vector<jq::write::DescribedFile> files;
    std::string error;
    if (!jq::write::buildFromDescription(text, files, error)) throw std::runtime_error(error);
    return files;
}

std::string errorOf(const std::string& text) {
    std::vector<jq::write::DescribedFile> files;
    std::string error;
    EXPECT_FALSE(jq::write::buildFromDescription(text, files, error)) << text;
    return error;
}

// A description of one 'L' package around the given item lines.
std::string inPackage(const std::string& itemLines, const std::string& type = "0x4C") {
    return "file s.jq\n  package type=" + type +
           "\n    schedule gcn=0x0101 day=2025-06-01 sector=2\n" + itemLines +
           "    end\n    compress\n  end\nend\n";
}

Bytes fileOf(const Schedule& schedule) {
    jq::write::DataPackage package = jq::write::schedulePackage(schedule);
    package.compress = true;
    jq::write::BroadcastFile file;
    file.dataPackage(package);
    return file.bytes();
}

TEST(ScheduleDescription, BuildsWhatTheLibraryBuilds) {
    Schedule schedule;
    schedule.gcn = 0x0101;
    schedule.julianDay = jq::write::julianDayOf(2025, 6, 1);
    schedule.sectorNumber = 2;
    ScheduleItem item;
    item.startMinute = 21 * 60 + 30;
    item.majorCategory = 1;
    item.specialCategory = 2;
    item.feature = 3;
    item.showId = 0x123456;
    item.minorCategory = 4;
    item.bookCode = "01234";
    item.title = jq::write::encodeAribText(jq::write::shiftJisFromUtf8("ニュース７ NHK"));
    item.detail1 = jq::write::encodeAribText(jq::write::shiftJisFromUtf8("天気予報\r\n明日は晴れ"));
    item.detail2 = hex("1B 7C");
    aux::Series series;
    series.episode = 3;
    series.totalEpisode = 12;
    series.identity = aux::Series::Identity{0x1234, 50524};
    series.seriesName = jq::write::encodeAribText(jq::write::shiftJisFromUtf8("連続ドラマ"));
    item.aux = {aux::item(series), {99, hex("0102"), ItemForm::Long}};
    aux::DataContents::Entry entry;
    entry.copmId = 7;
    entry.bml = aux::BmlSelector();
    entry.bml->tf = 1;
    entry.bml->modules = {aux::ModuleCarousel{0x41, 2, std::nullopt, std::nullopt, std::nullopt,
                                              0x1000, std::nullopt, std::nullopt, 300}};
    entry.compRefs = {1, 2};
    item.aux.push_back(aux::item(aux::DataContents{{entry}}));
    aux::EventGroups::Group group{4, {}, {{1, 2, 3, 4}}, {}, std::nullopt};
    item.aux.push_back(aux::item(aux::EventGroups{{group}}));
    schedule.items = {item};

    const auto files = build(inPackage(R"(
      item start=21:30 major=1 special=2 feature=3 show=0x123456 minor=4 book=01234
        title "ニュース７ NHK"
        detail1 "天気予報\r\n"
        detail1 "明日は" "晴れ"
        detail2 raw 1B 7C
        aux series episode=3 total=12 series-id=0x1234 expire=1997-03-17 "連続ドラマ"
        aux type=99 form=long 0102
        aux data
          entry component=7 refs=1,2
          bml tf=1
          module tag=0x41 data-events=2 size=0x1000 leak-rate=300
        end
        aux events
          group type=4
          other nid=1 ts=2 service=3 event=4
        end
      end
)"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].bytes, fileOf(schedule));

    // The same bytes from hexadecimal Shift-JIS, and an 'M' item of absent fields.
    EXPECT_EQ(build(inPackage("item\n title arib:836A8385815B8358\n end\n"))[0].bytes,
              build(inPackage("item\n title \"ニュース\"\n end\n"))[0].bytes);
    Schedule absent = schedule;
    absent.typeCode = jq::write::kScheduleM;
    absent.items = {ScheduleItem()};
    absent.items[0].title.reset();
    absent.items[0].bookCode.reset();
    absent.items[0].aux = {{5, Bytes()}};
    EXPECT_EQ(
        build(inPackage("item book=absent\n title absent\n aux categories\n end\n", "0x4D"))[0]
            .bytes,
        fileOf(absent));
}

TEST(ScheduleDescription, ReadableAuxItemsMatchTheirBytes) {
    // Each readable aux statement against the payload written out by hand.
    struct Case {
        const char* readable;
        const char* raw;
    };
    const Case cases[] = {
        {"aux keywords 0x0102 7", "aux type=3 0102 0007"},
        {"aux package-ids 0x01020304", "aux type=4 01020304"},
        {"aux categories 1/2 15/0", "aux type=5 12 F0"},
        {"aux parental country=JPN rating=12", "aux type=6 4A504E 0C"},
        {"aux content-nibbles 0x12/0x34", "aux type=7 1234"},
        {"aux actors 1 2", "aux type=8 0001 0002"},
        {"aux time-shift nid=4 start-second=30 duration=1:25:00", "aux type=18 0004 30 012500"},
        {"aux icons 1 2 3", "aux type=30 010203"},
        {"aux series episode=258 total=5 repeat=3 program-flag=1 pattern=2",
         "aux type=1 8102 05 80 3A"},
        {"aux eit-version basic-version=1 basic-crc=0x11223344 basic-date=1997-03-17 "
         "basic-time=23:50:00 event-ext-length=0x0102",
         "aux type=28 01 11223344 C55C 235000 00 00000000 0000 000000 00 0000 00 0000 0102 0000"},
        {"aux video\n component type=0x10 tag=0x20 raw 414243\n end",
         "aux type=20 10 20 03 414243"},
        {"aux audio\n component type=3 tag=0x10 simulcast=1 mcom=1 quality=3 sampling=7 "
         "sub-lang=eng\n end",
         "aux type=21 03 10 01 FE 6A706E 656E67 00"},
        {"aux copy-control copy=3\n component tag=5\n component tag=6 max-bit-rate=0x40\n end",
         "aux type=22 1C 05 0500 062040"},
        {"aux access\n contract system=5 unit=1 tags=0x10,0x11 data=AABB raw 41\n end",
         "aux type=23 80 0005 12 1011 02 AABB 01 41"},
        {"aux groups group-type=2\n group id=1 bit-rate=0x20\n unit id=2 tags=0x10\n end",
         "aux type=24 51 11 21 10 20 00"},
        {"aux data\n entry component=8 entry-comp=0x30\n caption dmf=1\n end",
         "aux type=25 0008 30 05 01 01 6A706E 00 6A706E 00"},
        {"aux events\n group type=1\n event service=0x0101 event=0x0202\n private AABB\n end",
         "aux type=27 07 11 0101 0202 AABB"},
        {"aux texts\n title raw 41\n detail2 raw 4243\n end", "aux type=29 01 41 0000 0002 4243"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.readable);
        const std::string item = "item\n";
        EXPECT_EQ(build(inPackage(item + c.readable + "\nend\n"))[0].bytes,
                  build(inPackage(item + c.raw + "\nend\n"))[0].bytes);
    }
}

TEST(ScheduleDescription, ReportsTheLineOfAMalformedStatement) {
    const struct {
        std::string lines;
        std::string error;
    } cases[] = {
        {"item colour=3\nend\n", "line 4: unknown attribute 'colour'"},
        {"item\ntitle \"天気①\"\nend\n",
         "line 5: title: U+2460 '①' is not in JIS X 0208 at offset 6"},
        {"item\ntitle \"a\\tb\"\nend\n", "line 5: title: control character 09"},
        {"item\ntitle absent\nend\n", "line 4: item: an absent title needs type 0x4D"},
        {"item book=12a\nend\n", "line 4: book= takes decimal digits or absent, not '12a'"},
        {"item\ntitle raw 41\ntitle \"a\"\nend\n", "line 6: the title is either text or raw bytes"},
        {"item\naux type=5 form=short 0102030405060708\nend\n",
         "line 5: aux: the short item form holds InfoType 0-15 and InfoSize 0-7"},
        {"item\naux weather\nend\n", "line 5: unknown aux kind 'weather'"},
        {"item\naux video\nentry type=1\nend\nend\n",
         "line 6: unknown statement 'entry' in aux video"},
        {"item\naux groups\nunit id=1\nend\nend\n", "line 6: a unit belongs to a group"},
        {"item\naux series episode=40000\nend\n", "line 5: episode: 40000 is above 32767"},
        {"item\naux access pay=0\ncontract system=1\nend\nend\n",
         "line 5: aux access: contracts need PayFlag"},
        {"item start=25:61\nend\n", "line 4: start: 61 is above 59"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        const std::string error = errorOf(inPackage(c.lines));
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << error;
    }
    EXPECT_EQ(errorOf("file a.jq\npackage type=0x4C\nschedule gcn=1 day=1\nitem\naux video\n"),
              "line 5: aux video is not closed with 'end'");
    EXPECT_EQ(errorOf("file a.jq\npackage type=0x56\nschedule gcn=1 day=1\nend\nend\nend\n"),
              "line 3: a schedule needs a package of type 0x4C, 0x4D or 0x51");
    EXPECT_EQ(
        errorOf("file a.jq\npackage type=0x4C\nschedule gcn=1 day=2025-02-30\nend\nend\nend\n"),
        "line 3: day: 2025-2-30 is not a date");
    EXPECT_EQ(errorOf("file a.jq\npackage type=0x4C\nschedule gcn=1 day=1\nend\n"
                      "schedule gcn=1 day=1\nend\nend\nend\n"),
              "line 5: a package holds one schedule");
}

}  // namespace
