#include "app/libraryopening.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <array>

namespace korvel {

std::optional<LibraryKind> libraryKindOfFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("lcm"), Qt::CaseInsensitive) == 0) {
        return LibraryKind::Font;
    }
    if (suffix.compare(QLatin1String("bcm"), Qt::CaseInsensitive) == 0) {
        return LibraryKind::Bitmap;
    }
    return std::nullopt;
}

OpeningPlan planOpenings(const QStringList& paths) {
    OpeningPlan plan;
    std::optional<LibraryOpening> lastFont;
    std::optional<LibraryOpening> lastBitmap;
    std::optional<LibraryKind> lastKind;
    for (const QString& path : paths) {
        const auto kind = libraryKindOfFile(path);
        if (!kind) {
            plan.others << path;
            continue;
        }
        (*kind == LibraryKind::Font ? lastFont : lastBitmap) = LibraryOpening{*kind, path};
        lastKind = kind;
    }
    const bool fontLast = lastKind == LibraryKind::Font;
    for (const auto& opening :
         fontLast ? std::array{lastBitmap, lastFont} : std::array{lastFont, lastBitmap}) {
        if (opening) {
            plan.openings.push_back(*opening);
        }
    }
    return plan;
}

std::optional<QStringList> draggedLibraryFiles(const QMimeData& data) {
    if (!data.hasUrls()) {
        return std::nullopt;
    }
    QStringList files;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile() || !libraryKindOfFile(url.toLocalFile())) {
            return std::nullopt;
        }
        files << url.toLocalFile();
    }
    if (files.isEmpty()) {
        return std::nullopt;
    }
    return files;
}

} // namespace korvel
