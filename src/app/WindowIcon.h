#pragma once

#include <QIcon>

namespace quill {

// The name the package installs the icon under, in the hicolor icon theme.
inline constexpr QStringView iconName = u"io.github.quillbook.Quillbook";

// The program's icon from the desktop's icon theme, so the window, its task bar entry and the
// menu entry agree; where the theme has none (a build that is not installed) the copy built into
// the program.
QIcon windowIcon();

} // namespace quill
