#pragma once

#include <QString>

namespace quill {

// The report shows the message with a "." added when its last character sorts after "." (a
// letter, a digit, ...); messages ending in a blank, a control character or "!" to "." stay.
QString failureReportText(const QString& message);

// The program never sets a title of its own: it is the program file's name without its folder,
// cut at the first ".", first letter in upper case and the rest in lower case.
QString applicationTitle(const QString& programPath);

} // namespace quill
