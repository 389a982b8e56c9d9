// Tests of the bounds-checked reader and the CSV line formatter.
#include <gtest/gtest.h>

#include <string>

#include "byte_reader.h"
#include "csv.h"

namespace jq {
namespace {

TEST(ByteReader, ReadsBothByteOrdersAndStopsAtTheEnd) {
    const uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78, 0x9A};
    ByteReader r(bytes, sizeof bytes);
    EXPECT_EQ(r.u16be(), 0x1234);
    EXPECT_EQ(r.u16le(), 0x7856);
    EXPECT_EQ(r.remaining(), 1u);
    EXPECT_EQ(r.u16be(), 0);  // does not fit: 0, cursor unchanged, flag set
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.position(), 4u);
    EXPECT_EQ(r.u8(), 0);  // sticky: even a read that would fit fails now
    EXPECT_EQ(r.remaining(), 0u);

    ByteReader le(bytes, sizeof bytes);
    EXPECT_EQ(le.u32le(), 0x78563412u);
    ByteReader be(bytes, sizeof bytes);
    EXPECT_EQ(be.u32be(), 0x12345678u);
    EXPECT_TRUE(be.canRead(1));
    EXPECT_FALSE(be.canRead(2));
}

TEST(ByteReader, HugeCountsDoNotWrapAround) {
    const uint8_t bytes[4] = {};
    ByteReader r(bytes, sizeof bytes);
    r.skip(2);
    EXPECT_TRUE(r.bytes(SIZE_MAX - 1).empty());
    EXPECT_FALSE(r.ok());
    ByteReader null(nullptr, 100);  // a null range holds nothing
    EXPECT_FALSE(null.canRead());
}

TEST(ByteReader, FfExtendedNumbers) {
    const uint8_t bytes[] = {0xFF, 0xFF, 0x02, 0x07, 0xFF};
    ByteReader r(bytes, sizeof bytes);
    EXPECT_EQ(r.ffExtended(), 255u + 255u + 2u);
    EXPECT_EQ(r.ffExtended(), 7u);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.ffExtended(), 0u);  // a run that never ends in range
    EXPECT_FALSE(r.ok());
}

TEST(ByteReader, SubReaderBoundsItsBlockOnly) {
    const uint8_t bytes[] = {1, 2, 3, 4, 5};
    ByteReader r(bytes, sizeof bytes);
    ByteReader block = r.sub(2);
    EXPECT_EQ(block.u8(), 1);
    EXPECT_EQ(block.u16be(), 0);  // past the block's end
    EXPECT_FALSE(block.ok());
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.u8(), 3);  // the outer reader moved past the whole block
    ByteReader tooLong = r.sub(3);
    EXPECT_FALSE(tooLong.ok());
    EXPECT_FALSE(r.ok());
}

std::string format(const char* fmt, std::initializer_list<FormatArg> args) {
    char buffer[kCsvBufferSize];
    const size_t n = formatLine(buffer, fmt, args);
    EXPECT_EQ(n, std::char_traits<char>::length(buffer));
    return std::string(buffer, n);
}

TEST(CsvFormat, FollowsWsprintfConventions) {
    EXPECT_EQ(format("StartCode,0x%02X\n", {0x0D}), "StartCode,0x0D\n");
    EXPECT_EQ(format("%d,%d", {-5, 65535}), "-5,65535");
    EXPECT_EQ(format("0x%08X,0x%04X,%d", {0xDEADBEEFu, 0xAB, 0}), "0xDEADBEEF,0x00AB,0");
    EXPECT_EQ(format("%X|%x|%u", {-1, 255, -1}), "FFFFFFFF|ff|4294967295");
    EXPECT_EQ(format("0x%0X", {0x1F}), "0x1F");
    EXPECT_EQ(format("%I64X", {int64_t{0x12345678ABCDEF}}), "12345678ABCDEF");
    EXPECT_EQ(format("%I64X", {int64_t{0}}), "0");
    EXPECT_EQ(format("[%5d][%-4d][%05d]", {42, 7, -42}), "[   42][7   ][-0042]");
    EXPECT_EQ(format("%s=%.2s%c%%", {"ab", "xyz", 'Q'}), "ab=xyQ%");
    EXPECT_EQ(format("%d,%d", {1}), "1,0");  // a missing argument reads as 0
}

TEST(CsvFormat, APieceHoldsAtMost259Characters) {
    const std::string longText(400, 'x');
    const std::string out = format("%s tail", {longText.c_str()});
    EXPECT_EQ(out.size(), kCsvBufferSize - 1);
    EXPECT_EQ(out, std::string(259, 'x'));
}

}  // namespace
}  // namespace jq
