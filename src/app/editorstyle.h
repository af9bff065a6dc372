#pragma once

#include <QIcon>
#include <QProxyStyle>
#include <QStringList>

namespace korvel {

/// An icon of PNG files, each read as PNG with format detection off; a file that cannot be read
/// is left out. With detection on (the default, and what QIcon::addFile and QPixmap's loading
/// use), Qt 6.4's image reader asks every installed image plugin whether it reads the format
/// before it uses its own PNG reader, even for a .png file or one it is told is PNG, which loads
/// all of the plugins and the libraries they need (about 4 ms).
[[nodiscard]] QIcon pngIcon(const QStringList& files);

/// The style Qt chose, with the tool bar's extension arrows made by pngIcon from the same
/// built-in pictures Qt's own styles read. Those read them when a tool bar or a menu bar is made,
/// so that the main window would otherwise load every image plugin before it could paint.
class EditorStyle : public QProxyStyle {
public:
    /// Draws as base, taking ownership of it.
    explicit EditorStyle(QStyle* base);

    [[nodiscard]] QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                                     const QWidget* widget) const override;
};

/// Puts an EditorStyle over the application's style when that is Fusion or Windows, Qt's own
/// styles, whose extension arrows are the pictures it reads; any other style keeps its own.
void useEditorStyle();

} // namespace korvel
