#pragma once

#include <QIcon>

#include <functional>

namespace korvel {

/// An icon made by make when it is first drawn or measured (a menu's icons, when the menu first
/// opens), so that a window with many menu items does not wait on the icon files and the icon
/// theme to show. Taken as never null, which is what make must give.
[[nodiscard]] QIcon lazyIcon(std::function<QIcon()> make);

} // namespace korvel
