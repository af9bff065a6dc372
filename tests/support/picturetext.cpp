#include "support/picturetext.h"

namespace korvel {

namespace {
struct Letter {
    char letter;
    Rgb colour;
};
constexpr Letter kLetters[] = {
    {'.', 0x000000}, {'#', 0x0000FF}, {'R', 0x0000FF}, {'G', 0x00FF00}, {'Y', 0x00FFFF},
    {'B', 0xFF0000}, {'A', 0xFFFF00}, {'W', 0xFFFFFF}, {'F', 0xFF00FF},
};
} // namespace

Picture pictureFromText(const std::vector<std::string>& rows, PixelFormat format) {
    const int height = static_cast<int>(rows.size());
    const int width = rows.empty() ? 0 : static_cast<int>(rows.front().size());
    Picture picture(width, height, format);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width && x < static_cast<int>(rows[static_cast<std::size_t>(y)].size());
             ++x) {
            const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            for (const Letter& l : kLetters) {
                if (l.letter == c) {
                    picture.setPixel(x, y, l.colour);
                    break;
                }
            }
        }
    }
    return picture;
}

std::vector<std::string> pictureToText(const Picture& picture) {
    std::vector<std::string> rows;
    for (int y = 0; y < picture.height(); ++y) {
        std::string row;
        for (int x = 0; x < picture.width(); ++x) {
            char c = '?';
            const Rgb colour = picture.pixel(x, y);
            for (const Letter& l : kLetters) {
                if (l.colour == colour && l.letter != 'R') {
                    c = l.letter;
                    break;
                }
            }
            row.push_back(c);
        }
        rows.push_back(row);
    }
    return rows;
}

void PrintTo(const Picture& picture, std::ostream* out) {
    *out << picture.width() << " x " << picture.height() << "\n";
    for (const std::string& row : pictureToText(picture)) {
        *out << "  \"" << row << "\"\n";
    }
}

} // namespace korvel
