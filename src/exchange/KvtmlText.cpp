#include "exchange/KvtmlText.h"

#include "core/ByteText.h"
#include "core/Failure.h"
#include "exchange/KvtmlScanner.h"
#include "exchange/TextPosition.h"

#include <QStringList>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

// True when XML 1.0 cannot hold the text: control characters other than tab, U+FFFE, U+FFFF.
bool holdsNonXml(QByteArrayView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x20 && b != '\t')
            return true;
        if (b == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE)
            return true;
    }
    return false;
}

void appendEscaped(QByteArray& out, QByteArrayView text) {
    qsizetype plain = 0; // start of the run not yet appended
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '&' && c != '<' && c != '>')
            continue;
        out.append(text.sliced(plain, i - plain));
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : "&gt;";
        plain = i + 1;
    }
    out.append(text.sliced(plain));
}

void appendIdentifier(QByteArray& out, int id, QByteArrayView name, const QString& locale) {
    out += "  <identifier id=\"" + QByteArray::number(id) + "\">\n   <name>";
    out += name;
    out += "</name>\n";
    if (!locale.isEmpty()) {
        out += "   <locale>";
        appendEscaped(out, locale.toUtf8());
        out += "</locale>\n";
    }
    out += "  </identifier>\n";
}

void appendTranslation(QByteArray& out, int id, QByteArrayView text) {
    out +=
        id == 0 ? "   <translation id=\"0\">\n    <text>" : "   <translation id=\"1\">\n    <text>";
    appendEscaped(out, text);
    out += "</text>\n   </translation>\n";
}

struct KvtmlReader {
    QXmlStreamReader xml;
    QStringList identifiers;
    PairLists pairs;

    [[noreturn]] void fail(const QString& reason) {
        failAt(xml.lineNumber(), xml.columnNumber() + 1, reason); // the reader counts from 0
    }
    void readIdentifiers() {
        while (xml.readNextStartElement()) {
            if (xml.name() == "identifier"_L1)
                identifiers << xml.attributes().value("id"_L1).toString();
            xml.skipCurrentElement();
        }
    }
    QByteArray readTranslationText() {
        QByteArray text;
        while (xml.readNextStartElement()) {
            if (xml.name() != "text"_L1) {
                xml.skipCurrentElement();
                continue;
            }
            const QString value = xml.readElementText();
            if (value.contains(u'\n') || value.contains(u'\r'))
                fail(u"a text holds a line break, which a list entry cannot hold"_s);
            text = value.toUtf8();
        }
        return text;
    }
    void readEntry() {
        const QString wordId = identifiers.value(0, u"0"_s);
        const QString meaningId = identifiers.value(1, u"1"_s);
        QByteArray sides[2];
        while (xml.readNextStartElement()) {
            if (xml.name() != "translation"_L1) {
                xml.skipCurrentElement();
                continue;
            }
            const QString id = xml.attributes().value("id"_L1).toString();
            const int side = id == wordId ? 0 : id == meaningId ? 1 : -1;
            if (side < 0)
                xml.skipCurrentElement();
            else
                sides[side] = readTranslationText();
        }
        if (!pairs.words.append(sides[0]) || !pairs.meanings.append(sides[1]))
            throw Failure(u"List too large"_s);
    }
    void readEntries() {
        while (xml.readNextStartElement()) {
            if (xml.name() == "entry"_L1)
                readEntry();
            else
                xml.skipCurrentElement();
        }
    }
    void readDocument() {
        if (!xml.readNextStartElement()) {
            if (xml.hasError())
                fail(xml.errorString());
            fail(u"the file holds no XML element"_s);
        }
        if (xml.name() != "kvtml"_L1)
            fail(u"the root element is <%1>, not <kvtml>"_s.arg(xml.name()));
        const QString version = xml.attributes().value("version"_L1).toString();
        if (!version.startsWith("2."_L1))
            fail(u"KVTML version \"%1\" cannot be read, only 2.0"_s.arg(version));
        while (xml.readNextStartElement()) {
            if (xml.name() == "identifiers"_L1)
                readIdentifiers();
            else if (xml.name() == "entries"_L1)
                readEntries();
            else
                xml.skipCurrentElement();
        }
        if (xml.hasError())
            fail(xml.errorString());
    }
};

} // namespace

QByteArray writeKvtml(const PairLists& pairs, const ExportOptions& options) {
    QByteArray out;
    out.reserve(pairs.words.byteSize() + pairs.meanings.byteSize() + pairs.size() * 160 + 512);
    out += kvtmlProlog;
    out += "<kvtml version=\"2.0\">\n <information>\n  <generator>quillbook</generator>\n"
           "  <title>";
    appendEscaped(out, options.title.toUtf8());
    out += "</title>\n </information>\n <identifiers>\n";
    appendIdentifier(out, 0, "Word", options.wordLocale);
    appendIdentifier(out, 1, "Meaning", options.meaningLocale);
    out += " </identifiers>\n <entries>\n";
    qsizetype first = -1;
    qsizetype count = 0;
    QByteArray wordScratch;
    QByteArray meaningScratch;
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const QByteArrayView word = readableUtf8(pairs.word(i), wordScratch);
        const QByteArrayView meaning = readableUtf8(pairs.meaning(i), meaningScratch);
        if (holdsNonXml(word) || holdsNonXml(meaning)) {
            first = count == 0 ? i : first;
            ++count;
            continue;
        }
        out += "  <entry id=\"";
        out += QByteArray::number(i);
        out += "\">\n";
        appendTranslation(out, 0, word);
        appendTranslation(out, 1, meaning);
        out += "  </entry>\n";
    }
    refuseUnwritablePairs("kvtml", first, count, u"a character XML cannot hold"_s);
    out += " </entries>\n</kvtml>\n";
    return out;
}

PairLists readKvtml(QByteArrayView text) {
    // Our own files, quickly; anything else through the general reader.
    if (std::optional<PairLists> pairs = KvtmlScanner::scan(text))
        return std::move(*pairs);
    KvtmlReader reader;
    reader.xml.addData(QByteArray::fromRawData(text.data(), text.size()));
    reader.readDocument();
    return std::move(reader.pairs);
}

} // namespace quill
