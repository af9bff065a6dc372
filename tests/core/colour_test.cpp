#include "core/colour.h"

#include <gtest/gtest.h>

namespace korvel {

TEST(Colour, PaletteHoldsTheEightColoursInToolBarOrder) {
    const std::pair<std::string_view, Rgb> expected[] = {
        {"Red", 0xFF},      {"Green", 0xFF00},  {"Yellow", 0xFFFF},  {"Black", 0},
        {"Blue", 0xFF0000}, {"Aqua", 0xFFFF00}, {"White", 0xFFFFFF}, {"Fuchia", 0xFF00FF},
    };
    ASSERT_EQ(kPalette.size(), std::size(expected));
    for (std::size_t k = 0; k < kPalette.size(); ++k) {
        EXPECT_EQ(kPalette[k].name, expected[k].first);
        EXPECT_EQ(kPalette[k].value, expected[k].second) << expected[k].first;
        EXPECT_EQ(classify(kPalette[k].value), kPalette[k].id) << expected[k].first;
    }
}

TEST(Colour, ChannelsAreLitFrom128EachByItself) {
    EXPECT_EQ(redOf(makeRgb(1, 2, 3)), 1);
    EXPECT_EQ(greenOf(makeRgb(1, 2, 3)), 2);
    EXPECT_EQ(blueOf(makeRgb(1, 2, 3)), 3);
    EXPECT_EQ(classify(makeRgb(200, 100, 128)), PaletteColour::Fuchia);
    EXPECT_EQ(classify(makeRgb(127, 127, 127)), PaletteColour::Black);
    EXPECT_EQ(classify(makeRgb(128, 128, 128)), PaletteColour::White);
    EXPECT_EQ(classify(makeRgb(0, 128, 127)), PaletteColour::Green);
}

TEST(Colour, InkAndDisplayColourFollowRedAndGreenOnly) {
    for (const PaletteEntry& e : kPalette) {
        const bool ink =
            e.name == "Red" || e.name == "Yellow" || e.name == "White" || e.name == "Fuchia";
        EXPECT_EQ(isInk(e.value), ink) << e.name;
    }
    EXPECT_TRUE(isInk(makeRgb(128, 0, 0)));
    EXPECT_FALSE(isInk(makeRgb(127, 255, 255)));
    EXPECT_EQ(displayColour(makeRgb(128, 200, 255)), makeRgb(255, 255, 0));
    EXPECT_EQ(displayColour(kPalette[7].value), makeRgb(255, 0, 0)); // Fuchia shows red
    EXPECT_EQ(displayColour(makeRgb(127, 127, 255)), kBlack);
}

TEST(Colour, NearestStandard16KeepsStandardColoursAndPrefersTheLowerIndexOnTies) {
    for (Rgb c : kStandard16) {
        EXPECT_EQ(nearestStandard16(c), c);
    }
    EXPECT_EQ(nearestStandard16(makeRgb(250, 10, 5)), makeRgb(255, 0, 0));
    EXPECT_EQ(nearestStandard16(makeRgb(200, 200, 200)), makeRgb(192, 192, 192));
    // (64, 0, 0) is as far from black as from dark red: black comes first.
    EXPECT_EQ(nearestStandard16(makeRgb(64, 0, 0)), kBlack);
    // Every palette colour is one of the 16.
    for (const PaletteEntry& e : kPalette) {
        EXPECT_EQ(nearestStandard16(e.value), e.value) << e.name;
    }
}

} // namespace korvel
