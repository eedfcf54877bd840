#pragma once

#include <QByteArrayView>
#include <QString>

namespace quill {

// The text of a plain notes file: UTF-8 when it has the UTF-8 byte order mark or is valid
// UTF-8, UTF-16 when it has a UTF-16 byte order mark, Windows-1252 otherwise. NUL characters
// are dropped and CR LF, lone CR and lone LF all become "\n".
QString decodePlainText(QByteArrayView bytes);

} // namespace quill
