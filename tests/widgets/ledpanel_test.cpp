// The LED panel: content placed on the dots, the marquee's wrapping, and the drawn frame.

#include "widgets/ledpanel.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

constexpr QRgb kLit = 0xFFFF2018U;
constexpr QRgb kDim = 0xFF2A1010U;

/// A content of rows of text: "#" lit in kLit, anything else unlit.
LedContent contentOf(const std::vector<std::string>& rows) {
    LedContent content;
    content.height = static_cast<int>(rows.size());
    content.width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    for (const std::string& row : rows) {
        for (const char c : row) {
            content.pixels.push_back(c == '#' ? kLit : 0);
        }
    }
    return content;
}

std::vector<std::string> rowsOf(const DotFrame& frame) {
    std::vector<std::string> rows;
    for (int y = 0; y < frame.height(); ++y) {
        std::string row;
        for (int x = 0; x < frame.width(); ++x) {
            row += frame.dot(x, y) == 0 ? '.' : '#';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(LedPanel, ContentIsPlacedAndCutByThePanel) {
    const LedContent content = contentOf({"##.", ".##"});
    EXPECT_EQ(rowsOf(placeContent(content, 5, 3, 1, 1, false)),
              (std::vector<std::string>{".....", ".##..", "..##."}));
    EXPECT_EQ(rowsOf(placeContent(content, 4, 2, -1, -1, false)),
              (std::vector<std::string>{"##..", "...."}));
    EXPECT_EQ(rowsOf(placeContent(content, 4, 2, 3, 0, false)),
              (std::vector<std::string>{"...#", "...."}));
    EXPECT_EQ(rowsOf(placeContent(LedContent{}, 2, 1, 0, 0, true)),
              (std::vector<std::string>{".."}));
}

TEST(LedPanel, WrappingRepeatsAfterThePeriod) {
    // Narrower than the panel: the panel's width; wider: the content and a gap.
    EXPECT_EQ(marqueePeriod(32, 5), 32);
    EXPECT_EQ(marqueePeriod(32, 30), 30 + kMarqueeGap);
    const LedContent content = contentOf({"#.#"});
    // Period 11 (3 + the gap): what leaves at the left comes in after the gap.
    EXPECT_EQ(rowsOf(placeContent(content, 6, 1, 4, 0, true)),
              (std::vector<std::string>{"....#."}));
    EXPECT_EQ(rowsOf(placeContent(content, 6, 1, -2, 0, true)),
              (std::vector<std::string>{"#....."}));
    EXPECT_EQ(rowsOf(placeContent(content, 6, 1, -2 - 11, 0, true)),
              rowsOf(placeContent(content, 6, 1, -2, 0, true)));
    // Wider than the panel: the gap follows the content before it comes round.
    const LedContent wide = contentOf({"#########"});
    const DotFrame shifted = placeContent(wide, 4, 1, -8, 0, true);
    EXPECT_EQ(rowsOf(shifted), (std::vector<std::string>{"#..."}));
}

TEST(LedPanel, RoundDotsShineInTheCentreOnTheBoard) {
    DotFrame frame(3, 1);
    frame.setDot(1, 0, kLit);
    LedLook look;
    look.pitch = 10;
    look.dotPercent = 60;
    look.unlit = kDim;
    LedRenderer renderer;
    const QImage& image = renderer.render(frame, look);
    ASSERT_EQ(image.size(), QSize(30, 10));
    const auto at = [&](int x, int y) { return image.pixel(x, y) | 0xFF000000U; };
    EXPECT_EQ(at(15, 5), kLit);
    EXPECT_EQ(at(5, 5), kDim);
    EXPECT_EQ(at(25, 5), kDim);
    EXPECT_EQ(at(10, 0), kLedBoard);        // corner of the lit dot's tile
    EXPECT_EQ(at(11, 5), kLedBoard);        // left of its disc (radius 3)
    EXPECT_LT(qRed(at(17, 5)), qRed(kLit)); // the lens darkens towards the rim
    EXPECT_GT(qRed(at(17, 5)), qRed(kLit) / 2);

    look.glow = true;
    const QImage& glowing = renderer.render(frame, look);
    EXPECT_EQ(glowing.pixel(15, 5) | 0xFF000000U, kLit);
    EXPECT_GT(qRed(glowing.pixel(11, 5)), qRed(kLedBoard) + 20); // lit board beside it
    EXPECT_GT(qRed(glowing.pixel(9, 5)), qRed(kDim));            // into the next dot's tile
    EXPECT_EQ(glowing.pixel(0, 0) | 0xFF000000U, kLedBoard);     // too far for the glow

    look.glow = false;
    look.shape = LedLook::Shape::Square;
    look.dotPercent = 100;
    const QImage& square = renderer.render(frame, look);
    EXPECT_EQ(square.pixel(10, 0) | 0xFF000000U, kLit);
    EXPECT_EQ(square.pixel(9, 9) | 0xFF000000U, kDim);
}

TEST(LedPanel, PitchIsKeptWithinItsRange) {
    const DotFrame frame(2, 2);
    LedRenderer renderer;
    LedLook look;
    look.pitch = 100;
    EXPECT_EQ(renderer.render(frame, look).size(), QSize(2 * kLedMaxPitch, 2 * kLedMaxPitch));
    look.pitch = 0;
    EXPECT_EQ(renderer.render(frame, look).size(), QSize(2 * kLedMinPitch, 2 * kLedMinPitch));
}

} // namespace
} // namespace korvel
