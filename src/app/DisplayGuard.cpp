#include "app/DisplayGuard.h"

#include <QByteArray>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage> heldMessages;

void watchStart(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(DisplayGuard::noDisplayLine().toLocal8Bit().constData(), stderr);
        std::_Exit(1);
    }
    heldMessages.push_back(
        {type, context.file, context.line, context.function, context.category, text});
}

} // namespace

DisplayGuard::DisplayGuard() {
    previousHandler = qInstallMessageHandler(watchStart);
}

DisplayGuard::~DisplayGuard() {
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& held : heldMessages) {
        const QMessageLogContext context(held.file.constData(), held.line,
                                         held.function.constData(), held.category.constData());
        qt_message_output(held.type, context, held.text);
    }
    heldMessages.clear();
}

QString DisplayGuard::noDisplayLine() {
    QStringList tried;
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            tried << u"%1=%2"_s.arg(QLatin1StringView(name), value);
    }
    if (tried.isEmpty())
        return u"quillbook: no display to open the window on (neither DISPLAY nor "
               u"WAYLAND_DISPLAY is set)\n"_s;
    return u"quillbook: cannot open the window: no display answers (%1)\n"_s.arg(
        tried.join(u", "_s));
}

} // namespace quill
