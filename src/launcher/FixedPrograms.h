#pragma once

#include <QByteArray>

namespace quill {

// The programs the launcher commands start by name, and the system folder whose programs
// "&Run a Files Windows Directory..." starts. Tests point them at folders of their own.
struct FixedPrograms {
    QByteArray fileManager = QByteArrayLiteral("/usr/bin/doublecmd");
    QByteArray wordPad = QByteArrayLiteral("/usr/bin/abiword");
    QByteArray word = QByteArrayLiteral("/usr/bin/lowriter");
    QByteArray systemFolder = QByteArrayLiteral("/usr/bin");
};

} // namespace quill
