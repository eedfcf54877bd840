#include "app/FontSubstitutions.h"

#include <QFont>
#include <QStringList>

namespace quill {

using namespace Qt::StringLiterals;

void installFontSubstitutions() {
    QFont::insertSubstitution(u"Comic Sans MS"_s, u"Comic Neue"_s);
    QFont::insertSubstitution(u"Arial"_s, u"Liberation Sans"_s);
    QFont::insertSubstitutions(u"MS Sans Serif"_s, {u"Liberation Sans"_s, u"DejaVu Sans"_s});
}

} // namespace quill
