#include "app/WindowIcon.h"

namespace quill {

QIcon windowIcon() {
    QIcon bundled;
    for (const int size : {32, 64, 256})
        bundled.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(iconName.toString(), bundled);
}

} // namespace quill
