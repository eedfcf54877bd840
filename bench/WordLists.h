#pragma once

// The list files the whole-program benchmarks load.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QString>

#include "core/EntryList.h"

#include <cstdio>

namespace bench {

// `entries` lines of 6 to 12 random letters (about 10 bytes a line), each ended by CR LF.
inline void writeWordList(const QString& path, int entries, QRandomGenerator& random) {
    QByteArray text;
    text.reserve(qsizetype(entries) * 12);
    for (int i = 0; i < entries; ++i) {
        const int length = 6 + int(random.bounded(7));
        for (int k = 0; k < length; ++k)
            text.append(char('a' + random.bounded(26)));
        text.append("\r\n");
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

// "Phrase.log" and "Mean.log" of `entries` lines each in the folder, written unless they are
// there already: they are the same every time.
inline void writeWordListPair(const QDir& folder, int entries) {
    using namespace Qt::StringLiterals;
    if (folder.exists(u"Phrase.log"_s) && folder.exists(u"Mean.log"_s))
        return;
    QRandomGenerator random(42);
    for (const QString& name : {u"Phrase.log"_s, u"Mean.log"_s}) {
        writeWordList(folder.filePath(name + u".part"_s), entries, random);
        QDir(folder).rename(name + u".part"_s, name);
    }
}

// `count` entries "KIND000000000", "KIND000000001", ... in memory.
inline quill::EntryList numberedList(const char* kind, qsizetype count) {
    quill::EntryList list;
    char entry[32];
    for (qsizetype i = 0; i < count; ++i) {
        const int size = std::snprintf(entry, sizeof entry, "%s%09lld", kind, (long long)i);
        list.append(QByteArrayView(entry, size));
    }
    return list;
}

} // namespace bench
