// How the boxes' texts and the stored settings become numbers, and the random test bytes.
#include "desktop/number_text.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cmath>
#include <string>

#include "desktop/random_source.h"

namespace haberon {
namespace {

TEST(NumberText, BoxesAreReadForTheNumberTheyStartWith) {
    struct Case {
        const char* text;
        std::int16_t port;
        std::int32_t rate;
    };
    const Case cases[] = {
        {"3", 3, 3},
        {"  18", 18, 18},
        {"12abc", 12, 12},
        {"abc", 0, 0},
        {"", 0, 0},
        {"-", 0, 0},
        {".", 0, 0},
        {"+7", 7, 7},
        {"3.9", 3, 3},
        {"-1.5", -2, -2},  // rounded down
        {"1e3", 1000, 1000},
        {"2e", 2, 2},
        {"9600 baud", 9600, 9600},
        {"40000", 32767, 40000},
        {"-40000", -32768, -40000},
        {"1382400", 32767, 1382400},
        {"99999999999", 32767, 2147483647},
        {"-99999999999", -32768, -2147483648},
        {"1e999", 32767, 2147483647},
        {"1e-999", 0, 0},
        {"nan", 0, 0},
        {"inf", 0, 0},
        {"0x10", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortNumberFromText(c.text), c.port) << '"' << c.text << '"';
        EXPECT_EQ(RateFromText(c.text), c.rate) << '"' << c.text << '"';
    }
}

TEST(NumberText, AStoredValueCountsOnlyWhenItIsOneNumber) {
    EXPECT_EQ(StoredNumber("1200"), 1200);
    EXPECT_EQ(StoredNumber(" -15.5 "), -15.5);
    EXPECT_EQ(StoredNumber("14"), 14);
    for (const char* text : {"", "abc", "12abc", "1 2", "nan", "1e999", "-", "0x10"}) {
        EXPECT_FALSE(StoredNumber(text).has_value()) << '"' << text << '"';
    }
}

TEST(NumberText, PositionsAreWrittenAsShortSinglePrecisionTexts) {
    EXPECT_EQ(SingleText(0), "0");
    EXPECT_EQ(SingleText(1200), "1200");
    EXPECT_EQ(SingleText(1552.5), "1552.5");
    EXPECT_EQ(SingleText(-75), "-75");
    EXPECT_EQ(SingleText(1440.0 / 97.0 * 3), "44.536083");
    // Read back, the text gives the same single-precision number.
    EXPECT_EQ(static_cast<float>(*StoredNumber(SingleText(1440.0 / 97.0 * 3))),
              static_cast<float>(1440.0 / 97.0 * 3));
}

TEST(RandomSource, TestBytesRunFrom1To255AndReachEveryValue) {
    std::bitset<256> seen;
    for (int i = 0; i < 200000; ++i) {
        seen.set(NextTestByte());
    }
    EXPECT_FALSE(seen.test(0));
    EXPECT_EQ(seen.count(), 255u);
    for (int i = 0; i < 1000; ++i) {
        const double r = NextUniform();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

}  // namespace
}  // namespace haberon
