#include "cli/qtfontdrawing.h"

#include "document/libraryfactory.h"

#include <QString>
#include <QStringList>

namespace korvel::cli {

namespace {

/// The refusal of a family that is not installed, naming the closest installed ones.
[[nodiscard]] Error notInstalled(const std::string& family) {
    std::string reason = "the font family \"" + family + "\" is not installed";
    const QStringList closest = closestFamilies(QString::fromStdString(family));
    if (!closest.isEmpty()) {
        reason += "; the closest installed families are \"" +
                  closest.join(QStringLiteral("\", \"")).toStdString() + "\"";
    }
    return refused("", reason);
}

} // namespace

Result<DrawnFont> QtSessionFonts::draw(const std::string& family, int points, int count,
                                       const CodePage& page) {
    qt_.ensureStarted();
    const auto installed = findInstalledFamily(QString::fromStdString(family));
    if (!installed) {
        return notInstalled(family);
    }
    DrawnFont drawn;
    drawn.family = installed->toStdString();
    drawn.report = renderSystemFont(drawn.library, *installed, points, count, page);
    return drawn;
}

} // namespace korvel::cli
