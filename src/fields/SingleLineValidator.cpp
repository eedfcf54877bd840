#include "fields/SingleLineValidator.h"

#include <algorithm>

namespace quill {

QValidator::State SingleLineValidator::validate(QString& input, int& pos) const {
    const auto breaksLine = [](QChar c) {
        return c == u'\r' || c == u'\n' || c == QChar(0);
    };
    if (std::none_of(input.cbegin(), input.cend(), breaksLine))
        return Acceptable;
    QString single;
    single.reserve(input.size());
    int newPos = pos;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const bool crLf = input.at(i) == u'\r' && i + 1 < input.size() && input.at(i + 1) == u'\n';
        if (crLf && i + 1 < pos)
            --newPos; // two characters become one blank before the caret
        single.append(breaksLine(input.at(i)) ? QChar(u' ') : input.at(i));
        if (crLf)
            ++i;
    }
    input = single;
    pos = std::clamp(newPos, 0, int(input.size()));
    return Acceptable;
}

} // namespace quill
