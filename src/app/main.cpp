#include "app/CommandLine.h"
#include "app/FontSubstitutions.h"
#include "app/FormServices.h"
#include "app/QtDialogs.h"
#include "app/TForm1.h"

#include <QApplication>

#include <csignal>

int main(int argc, char** argv) {
    // A save past the file size limit must fail with a message, not kill the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    // Lets Wayland docks and menus match the window to the installed desktop file and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillbook.Quillbook"));
    const quill::StartDecision start =
        quill::prepareStart(QCoreApplication::arguments(), QCoreApplication::applicationDirPath());
    if (!start.openWindow)
        return quill::reportStart(start);
    quill::installFontSubstitutions();
    quill::QtDialogs dialogs;
    quill::FormServices services;
    services.dialogs = &dialogs;
    quill::TForm1 form(services);
    dialogs.setOwner(&form);
    form.show();
    return app.exec();
}
