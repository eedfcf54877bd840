// `quillbook export` and `quillbook import` at field scale: 1,000,000 pairs, every format, each
// run as the command runs it (lists read under the lock, the file written or read, the pair
// saved). Prints the time of each, and whether it stayed within 2 s.
#include "BenchTiming.h"
#include "app/ExchangeCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void writeList(const QString& path, int count, const char* stem) {
    QByteArray text;
    text.reserve(qsizetype(count) * 24);
    for (int i = 0; i < count; ++i) {
        text += stem;
        text += QByteArray::number(i);
        // Some entries need quoting in the text formats, some are not Latin.
        text += i % 7 == 0   ? " \"quoted\", here"
                : i % 5 == 0 ? " \xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82"
                             : "";
        text += "\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// Wall time, and the processor time, which a machine busy with other work inflates less.
void timed(const char* what, const QString& format, const QStringList& arguments) {
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = bench::processSeconds();
    const quill::ExchangeResult result =
        quill::runExchange(QStringList{u"quillbook"_s} + arguments);
    const double cpu = bench::processSeconds() - cpuStart;
    const double wall = double(timer.nsecsElapsed()) / 1e9;
    if (result.exitStatus != 0)
        std::fprintf(stderr, "%s", qPrintable(result.standardError));
    std::printf("%-34s %-6s %7.3f s wall %7.3f s cpu  %s\n", what, qPrintable(format), wall, cpu,
                wall <= 2.0 ? "ok" : "over 2 s");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 1'000'000;
    QTemporaryDir temp;
    const QString source = temp.filePath(u"source"_s);
    QDir().mkpath(source);
    writeList(source + u"/Phrase.log"_s, count, "word ");
    writeList(source + u"/Mean.log"_s, count, "meaning ");
    std::printf("%d pairs\n", count);
    for (const QString& format : {u"anki"_s, u"csv"_s, u"tsv"_s, u"kvtml"_s}) {
        const QString file = temp.filePath(u"pairs."_s + format);
        const QString target = temp.filePath(u"into-"_s + format);
        QDir().mkpath(target);
        timed("export", format, {u"export"_s, format, source, u"-o"_s, file});
        timed("import into an empty folder", format, {u"import"_s, file, target});
        timed("import, every pair already there", format, {u"import"_s, file, target});
    }
    return 0;
}
