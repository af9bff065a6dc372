#pragma once

// The cells the drawing tools cover: lines, rectangles and flood-filled regions.

#include "core/picture.h"

#include <functional>
#include <vector>

namespace korvel {

/// A pixel position in a picture (column x, row y).
struct CellPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const CellPoint&, const CellPoint&) = default;
};

/// The cells of the straight line from a to b, both included, each step moving to a
/// neighbouring cell (Bresenham's line), so a line drawn between two pointer positions that lie
/// far apart leaves no gap.
[[nodiscard]] std::vector<CellPoint> lineCells(CellPoint a, CellPoint b);

/// The cells of the rectangle with corners a and b (in any order): its outline, or every cell
/// inside it too when filled.
[[nodiscard]] std::vector<CellPoint> rectangleCells(CellPoint a, CellPoint b, bool filled);

/// The 4-connected region of start: every cell reachable from it through cells of the same
/// colour, where sameColour says whether two pixel values count as one colour. Empty when start
/// lies outside the picture.
[[nodiscard]] std::vector<CellPoint> floodRegion(const Picture& picture, CellPoint start,
                                                 const std::function<bool(Rgb, Rgb)>& sameColour);

} // namespace korvel
