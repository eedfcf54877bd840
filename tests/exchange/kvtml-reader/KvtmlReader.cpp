// Opens a KVTML file with the KDE vocabulary library and prints what it found as JSON:
// {"title": ..., "identifiers": N, "pairs": [[translation 0, translation 1], ...]}.
#include <KEduVocDocument>
#include <KEduVocExpression>
#include <KEduVocLesson>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: kvtml_reader FILE\n", stderr);
        return 2;
    }
    KEduVocDocument document;
    const int error = document.open(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])),
                                    KEduVocDocument::FileOpenReadOnly);
    if (error != KEduVocDocument::NoError) {
        std::fprintf(stderr, "kvtml_reader: %s\n",
                     qPrintable(KEduVocDocument::errorDescription(error)));
        return 1;
    }
    QJsonArray pairs;
    const auto entries = document.lesson()->entries(KEduVocContainer::Recursive);
    for (KEduVocExpression* entry : entries)
        pairs.append(QJsonArray{entry->translation(0)->text(), entry->translation(1)->text()});
    const QJsonObject found{{QStringLiteral("title"), document.title()},
                            {QStringLiteral("identifiers"), document.identifierCount()},
                            {QStringLiteral("pairs"), pairs}};
    const QByteArray json = QJsonDocument(found).toJson(QJsonDocument::Compact);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return 0;
}
