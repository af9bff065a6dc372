#include "core/textcodes.h"

#include <gtest/gtest.h>

#include <climits>

namespace korvel {

TEST(Textcodes, IntConvertHexIsUppercaseZeroPaddedAndNeverNegative) {
    EXPECT_EQ(IntConvertHex(0, 1), "0");
    EXPECT_EQ(IntConvertHex(0, 0), "0");
    EXPECT_EQ(IntConvertHex(10, 1), "A");
    EXPECT_EQ(IntConvertHex(255, 1), "FF"); // padding is a minimum, never a cut
    EXPECT_EQ(IntConvertHex(10, 4), "000A");
    EXPECT_EQ(IntConvertHex(0xBEEF, 2), "BEEF");
    EXPECT_EQ(IntConvertHex(INT_MAX, 1), "7FFFFFFF");
    EXPECT_EQ(IntConvertHex(-1, 2), "00");
    EXPECT_EQ(IntConvertHex(INT_MIN, 1), "0");
}

TEST(Textcodes, TohexTakesEightBitsFirstMostSignificant) {
    EXPECT_EQ(tohex("00000000"), "00");
    EXPECT_EQ(tohex("11111111"), "FF");
    EXPECT_EQ(tohex("01110111"), "77");
    EXPECT_EQ(tohex("11101111"), "EF");
    EXPECT_EQ(tohex("10000001"), "81");
    for (const char* wrong : {"", "0111011", "011101110", "0111O111", "0111 111"}) {
        EXPECT_EQ(tohex(wrong), "") << '"' << wrong << '"';
    }
}

TEST(Textcodes, IntConvertBinGivesTheLowCountBitsMostSignificantFirst) {
    EXPECT_EQ(IntConvertBin(5, 8), "00000101");
    EXPECT_EQ(IntConvertBin(0x1FE, 8), "11111110"); // higher bits are dropped
    EXPECT_EQ(IntConvertBin(3, 1), "1");
    EXPECT_EQ(IntConvertBin(2, 1), "0");
    EXPECT_EQ(IntConvertBin(6, 3), "110");
    EXPECT_EQ(IntConvertBin(-1, 32), std::string(32, '1'));
    EXPECT_EQ(IntConvertBin(INT_MIN, 32), "1" + std::string(31, '0'));
    EXPECT_EQ(IntConvertBin(1, 32), std::string(31, '0') + "1");
}

TEST(Textcodes, TohexAndIntConvertBinAreInversesOverEveryByte) {
    for (int value = 0; value < 256; ++value) {
        EXPECT_EQ(tohex(IntConvertBin(value, 8)), IntConvertHex(value, 2)) << value;
    }
}

} // namespace korvel
