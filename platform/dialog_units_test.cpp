#include "platform/dialog_units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

namespace ui {
namespace {

struct UnitCase {
    double units;
    int base;
    int pixels;
};

TEST(DialogUnits, HorizontalUnitIsAQuarterOfTheAverageCharWidthRoundedHalfAway) {
    const UnitCase cases[] = {{0, 6, 0},   {4, 6, 6},     {1, 6, 2},   {3, 6, 5},   {-1, 6, -2},
                              {50, 6, 75}, {171, 7, 299}, {45, 5, 56}, {0.5, 6, 1}, {-3, 6, -5}};
    for (const UnitCase& c : cases) {
        EXPECT_EQ(DialogUnitsToPixelsX(c.units, {c.base, 13}), c.pixels)
            << c.units << " x " << c.base;
    }
}

TEST(DialogUnits, VerticalUnitIsAnEighthOfTheCharHeightRoundedHalfAway) {
    const UnitCase cases[] = {{8, 13, 13}, {1, 13, 2}, {14, 13, 23}, {66, 13, 107},
                              {4, 13, 7},  {4, 12, 6}, {-4, 13, -7}, {102, 16, 204}};
    for (const UnitCase& c : cases) {
        EXPECT_EQ(DialogUnitsToPixelsY(c.units, {6, c.base}), c.pixels)
            << c.units << " x " << c.base;
    }
}

TEST(DialogUnits, PixelsGoBackToDialogUnits) {
    EXPECT_DOUBLE_EQ(PixelsToDialogUnitsX(75, {6, 13}), 50);
    EXPECT_DOUBLE_EQ(PixelsToDialogUnitsY(13, {6, 13}), 8);
    EXPECT_DOUBLE_EQ(PixelsToDialogUnitsX(5, {0, 0}), 0) << "no font, no units";
}

TEST(DialogUnits, AverageCharWidthIsHalfOfA26thOfTheAlphabetRoundedUp) {
    EXPECT_EQ(AverageCharWidth(312), 6);  // 12 a pair of letters
    EXPECT_EQ(AverageCharWidth(338), 7);  // 13: half rounds up
    EXPECT_EQ(AverageCharWidth(337), 6);  // 12.96 is cut to 12 before halving
    EXPECT_EQ(AverageCharWidth(0), 0);
}

TEST(DialogUnits, TwipsGoThroughTheLogicalDotsPerInch) {
    struct Case {
        double twips;
        double dpi;
        int pixels;
    };
    const Case cases[] = {{1440, 96, 96},    {15, 96, 1},      {9870, 96, 658}, {9090, 96, 606},
                          {1552.5, 96, 104}, {7.5, 96, 1},     {7.4, 96, 0},    {-15, 96, -1},
                          {9615, 120, 801},  {1440, 144, 144}, {0, 96, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    }
    EXPECT_DOUBLE_EQ(PixelsToTwips(658, 96), 9870);
    EXPECT_DOUBLE_EQ(PixelsToTwips(1, 120), 12);
}

TEST(DialogUnits, NumbersBeyondAnyScreenStayInsideAPixelCount) {
    EXPECT_EQ(TwipsToPixels(1e30, 96), 1 << 24);
    EXPECT_EQ(TwipsToPixels(-1e30, 96), -(1 << 24));
    EXPECT_EQ(TwipsToPixels(std::numeric_limits<double>::infinity(), 96), 1 << 24);
    EXPECT_EQ(TwipsToPixels(std::nan(""), 96), 0);
}

TEST(DialogUnits, FontFamilyFallsBackToAStandInTheHostHas) {
    struct Case {
        std::string requested;
        std::set<std::string> host;
        std::string chosen;
    };
    const Case cases[] = {
        {"Tahoma", {"Tahoma", "DejaVu Sans"}, "Tahoma"},
        {"MS Sans Serif", {"DejaVu Sans"}, "DejaVu Sans"},
        {"MS Sans Serif", {"DejaVu Sans", "Liberation Sans"}, "Liberation Sans"},
        {"Tahoma", {"Noto Serif"}, ""},
        {"", {"DejaVu Sans"}, "DejaVu Sans"},
    };
    for (const Case& c : cases) {
        const std::string chosen = ChooseFontFamily(c.requested, [&](std::string_view family) {
            return c.host.contains(std::string(family));
        });
        EXPECT_EQ(chosen, c.chosen) << c.requested;
    }
}

}  // namespace
}  // namespace ui
