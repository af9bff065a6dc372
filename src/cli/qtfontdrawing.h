#pragma once

#include "cli/qtsession.h"
#include "cli/support.h"

namespace korvel::cli {

/// Draws fonts through Qt's font system, starting Qt on first need.
class QtSessionFonts final : public QtFontDrawing {
public:
    explicit QtSessionFonts(QtSession& qt) : qt_(qt) {}

    [[nodiscard]] Result<DrawnFont> draw(const std::string& family, int points, int count,
                                         const CodePage& page) override;

private:
    QtSession& qt_;
};

} // namespace korvel::cli
