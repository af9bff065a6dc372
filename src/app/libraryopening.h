#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QMimeData;

namespace korvel {

/// The two kinds of library file the editor opens.
enum class LibraryKind { Font, Bitmap };

/// The kind of library a file holds, told by its name alone (".lcm" or ".bcm", in any letter
/// case), since the files carry no signature.
[[nodiscard]] std::optional<LibraryKind> libraryKindOfFile(const QString& path);

/// One library file to open, as "Open Library" of its kind opens it.
struct LibraryOpening {
    LibraryKind kind = LibraryKind::Font;
    QString path;
    friend bool operator==(const LibraryOpening&, const LibraryOpening&) = default;
};

/// What to do with files named on the command line or dropped on the window.
struct OpeningPlan {
    /// The last font library and the last bitmap library, in that order unless the last file
    /// named is a font library: opened in this order, the editing mode ends as the last file's.
    std::vector<LibraryOpening> openings;
    /// The files that are neither, in the order named.
    QStringList others;
};

[[nodiscard]] OpeningPlan planOpenings(const QStringList& paths);

/// The local files of a drag, when every one of them is a library file; otherwise nothing, so a
/// drag of anything else is refused as a whole.
[[nodiscard]] std::optional<QStringList> draggedLibraryFiles(const QMimeData& data);

} // namespace korvel
