#include "rtf/HiddenText.h"

#include <QAbstractTextDocumentLayout>
#include <QObject>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextObjectInterface>

namespace quill {

namespace {

// Draws hidden runs as nothing and gives them no room.
class HiddenTextHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;
    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat&) override { return {0, 0}; }
    void drawObject(QPainter*, const QRectF&, QTextDocument*, int, const QTextFormat&) override {}
};

} // namespace

QTextCharFormat hiddenTextFormat(const QTextCharFormat& format, const QString& text) {
    QTextCharFormat hidden = format;
    hidden.setObjectType(hiddenTextObject);
    hidden.setProperty(hiddenTextProperty, text);
    return hidden;
}

bool isHiddenText(const QTextCharFormat& format) {
    return format.objectType() == hiddenTextObject && format.hasProperty(hiddenTextProperty);
}

void hideHiddenText(QTextDocument& document) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    if (!layout->handlerForObject(hiddenTextObject))
        layout->registerHandler(hiddenTextObject, new HiddenTextHandler(layout));
}

} // namespace quill

#include "HiddenText.moc"
