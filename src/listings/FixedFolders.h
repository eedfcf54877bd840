#pragma once

#include <QByteArray>

namespace quill {

// The fixed folders the listing commands ask for. The program uses the defaults; tests point
// them at folders of their own.
struct FixedFolders {
    QByteArray root = QByteArrayLiteral("/");
    QByteArray programFiles = QByteArrayLiteral("/opt");
    QByteArray windows = QByteArrayLiteral("/usr/bin");
};

} // namespace quill
