#pragma once

#include <QIcon>
#include <QProxyStyle>
#include <QStringList>

namespace korvel {

/// An icon of PNG files, each read as PNG. Qt's own reading of a file whose format it is not told
/// for certain first asks every installed image plugin whether it reads the format, which loads
/// all of them and the libraries they need (about 4 ms); PNG is read by Qt itself.
[[nodiscard]] QIcon pngIcon(const QStringList& files);

/// The style Qt chose, with the tool bar's extension arrows made from Qt's built-in pictures by
/// pngIcon. Qt's own styles read those pictures when a tool bar is made, so that the main window
/// would otherwise load every image plugin before it could paint.
class EditorStyle : public QProxyStyle {
public:
    /// Draws as base, which it takes.
    explicit EditorStyle(QStyle* base);

    [[nodiscard]] QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                                     const QWidget* widget) const override;
};

/// Puts an EditorStyle over the application's style when that is one of Qt's built-in styles,
/// whose extension arrows are the pictures it reads; another style keeps its own arrows.
void useEditorStyle();

} // namespace korvel
