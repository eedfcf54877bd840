#include "exchange/AnkiCollection.h"

#include "exchange/HtmlText.h"
#include "exchange/OptionFailure.h"
#include "exchange/PairCollector.h"
#include "exchange/SqliteDatabase.h"
#include "exchange/SqliteQuery.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <map>
#include <string>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

const QString kind = u"an Anki collection"_s;

// Deck ids and their names, "::" between the levels.
std::map<qint64, QString> deckNames(const SqliteDatabase& database) {
    std::map<qint64, QString> decks;
    if (database.hasTable(u"decks"_s)) {
        database.requireColumns(kind, u"decks"_s, {u"id"_s, u"name"_s});
        SqliteQuery query(database, "SELECT id, name FROM decks");
        // The table keeps the levels of a name apart with the byte 0x1F.
        while (query.next())
            decks[query.integer(0)] = QString::fromUtf8(query.bytes(1)).replace(u'\x1f', u"::"_s);
        return decks;
    }
    database.requireColumns(kind, u"col"_s, {u"decks"_s});
    SqliteQuery query(database, "SELECT decks FROM col");
    while (query.next()) {
        const QJsonObject json = QJsonDocument::fromJson(query.bytes(0).toByteArray()).object();
        for (auto deck = json.begin(); deck != json.end(); ++deck) {
            const QJsonObject fields = deck.value().toObject();
            const qint64 id = fields.value(u"id"_s).toInteger(deck.key().toLongLong());
            decks[id] = fields.value(u"name"_s).toString();
        }
    }
    return decks;
}

// "1,5,7": the ids of the deck named and the decks below it.
QByteArray deckIds(const SqliteDatabase& database, const QString& name) {
    const std::map<qint64, QString> decks = deckNames(database);
    QByteArray ids;
    QStringList names;
    for (const auto& [id, deck] : decks) {
        names << deck;
        if (deck.compare(name, Qt::CaseInsensitive) == 0 ||
            deck.startsWith(name + u"::"_s, Qt::CaseInsensitive))
            ids += (ids.isEmpty() ? "" : ",") + QByteArray::number(id);
    }
    if (ids.isEmpty()) {
        names.sort(Qt::CaseInsensitive);
        throw OptionFailure(u"no deck \"%1\" in the collection; its decks: %2"_s.arg(
            name, names.isEmpty() ? u"none"_s : names.join(u", "_s)));
    }
    return ids;
}

// A field as the card shows its text.
std::string fieldText(QByteArrayView field) {
    std::string html(field.data(), std::size_t(field.size()));
    for (std::size_t at = html.find("[sound:"); at != std::string::npos;
         at = html.find("[sound:", at)) {
        const std::size_t end = html.find(']', at);
        if (end == std::string::npos)
            break;
        html.erase(at, end + 1 - at);
    }
    // Raw line breaks in HTML are blanks as a browser shows them.
    for (char& c : html) {
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    }
    return plainFromHtml(html);
}

} // namespace

bool isAnkiCollection(const SqliteDatabase& database) {
    return database.hasTable(u"notes"_s) && database.hasTable(u"col"_s);
}

PairLists readAnkiCollection(const SqliteDatabase& database, const ImportOptions& options) {
    database.requireColumns(kind, u"notes"_s, {u"id"_s, u"flds"_s});
    QByteArray sql = "SELECT flds FROM notes";
    if (options.deck) {
        database.requireColumns(kind, u"cards"_s, {u"nid"_s, u"did"_s});
        sql += " WHERE id IN (SELECT nid FROM cards WHERE did IN (" +
               deckIds(database, *options.deck) + "))";
    }
    sql += " ORDER BY id";
    SqliteQuery query(database, sql.constData());
    PairCollector pairs;
    while (query.next()) {
        const QByteArrayView fields = query.bytes(0);
        const qsizetype split = fields.indexOf('\x1f');
        const QByteArrayView word = split < 0 ? fields : fields.first(split);
        QByteArrayView meaning = split < 0 ? QByteArrayView() : fields.sliced(split + 1);
        if (const qsizetype next = meaning.indexOf('\x1f'); next >= 0)
            meaning = meaning.first(next);
        const std::string wordText = fieldText(word);
        const std::string meaningText = fieldText(meaning);
        pairs.add(QByteArrayView(wordText.data(), qsizetype(wordText.size())),
                  QByteArrayView(meaningText.data(), qsizetype(meaningText.size())));
    }
    return pairs.take();
}

} // namespace quill
