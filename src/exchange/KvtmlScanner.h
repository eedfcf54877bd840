#pragma once

#include "exchange/PairLists.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace quill {

// The first two lines of the files our writer produces.
inline constexpr char kvtmlProlog[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">\n";

// Reads the plain KVTML our writer produces without the general XML reader: the writer's exact
// prolog, elements with at most one plain attribute, text with the five predefined entities.
// Gives nothing for any document outside that subset (comments, CDATA, character references,
// line breaks in a text, malformed XML...), which the general reader then reads; inside it the
// pairs are the ones the general reader takes.
class KvtmlScanner {
public:
    static std::optional<PairLists> scan(QByteArrayView text);

private:
    struct Outside {}; // the document leaves the subset
    struct Tag {
        QByteArrayView name;
        QByteArrayView attribute; // its name, empty when the tag has none
        QByteArrayView value;
    };

    explicit KvtmlScanner(QByteArrayView text) : text_(text) {}

    void readDocument();
    void readIdentifiers();
    void readEntries();
    void readEntry();
    QByteArrayView readTranslationText(QByteArray& scratch);

    bool readNextStartElement(Tag& tag);
    void skipCurrentElement();
    QByteArrayView readElementText(QByteArray& scratch);
    QByteArrayView readCharacters(QByteArray* scratch);
    QByteArrayView readName();
    void readStartTag(Tag& tag);
    void readEndTag();
    void expect(char c);

    QByteArrayView text_;
    qsizetype at_ = 0;
    QList<QByteArrayView> open_; // names of the open elements
    QList<QByteArrayView> identifiers_;
    PairLists pairs_;
};

} // namespace quill
