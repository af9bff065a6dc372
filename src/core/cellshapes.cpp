#include "core/cellshapes.h"

#include <algorithm>
#include <cstdlib>

namespace korvel {

std::vector<CellPoint> lineCells(CellPoint a, CellPoint b) {
    std::vector<CellPoint> cells;
    const int dx = std::abs(b.x - a.x);
    const int dy = -std::abs(b.y - a.y);
    const int stepX = a.x < b.x ? 1 : -1;
    const int stepY = a.y < b.y ? 1 : -1;
    cells.reserve(static_cast<std::size_t>(std::max(dx, -dy) + 1));
    int error = dx + dy;
    CellPoint at = a;
    while (true) {
        cells.push_back(at);
        if (at == b) {
            break;
        }
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            at.x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            at.y += stepY;
        }
    }
    return cells;
}

std::vector<CellPoint> rectangleCells(CellPoint a, CellPoint b, bool filled) {
    const int left = std::min(a.x, b.x);
    const int right = std::max(a.x, b.x);
    const int top = std::min(a.y, b.y);
    const int bottom = std::max(a.y, b.y);
    std::vector<CellPoint> cells;
    for (int y = top; y <= bottom; ++y) {
        const bool edgeRow = y == top || y == bottom;
        for (int x = left; x <= right; ++x) {
            if (filled || edgeRow || x == left || x == right) {
                cells.push_back({x, y});
            }
        }
    }
    return cells;
}

std::vector<CellPoint> floodRegion(const Picture& picture, CellPoint start,
                                   const std::function<bool(Rgb, Rgb)>& sameColour) {
    const int w = picture.width();
    const int h = picture.height();
    if (start.x < 0 || start.y < 0 || start.x >= w || start.y >= h) {
        return {};
    }
    const Rgb target = picture.pixel(start.x, start.y);
    const auto at = [w](int x, int y) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
               static_cast<std::size_t>(x);
    };
    std::vector<bool> seen(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), false);
    std::vector<CellPoint> region;
    std::vector<CellPoint> pending{start};
    seen[at(start.x, start.y)] = true;
    while (!pending.empty()) {
        const CellPoint cell = pending.back();
        pending.pop_back();
        region.push_back(cell);
        const CellPoint next[] = {
            {cell.x - 1, cell.y}, {cell.x + 1, cell.y}, {cell.x, cell.y - 1}, {cell.x, cell.y + 1}};
        for (const CellPoint n : next) {
            if (n.x < 0 || n.y < 0 || n.x >= w || n.y >= h || seen[at(n.x, n.y)]) {
                continue;
            }
            seen[at(n.x, n.y)] = true;
            if (sameColour(picture.pixel(n.x, n.y), target)) {
                pending.push_back(n);
            }
        }
    }
    return region;
}

} // namespace korvel
