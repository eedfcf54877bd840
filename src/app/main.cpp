#include "app/CommandLine.h"
#include "app/FontSubstitutions.h"
#include "app/ProductionServices.h"
#include "app/WindowIcon.h"
#include "dialogs/QtDialogs.h"
#include "window/TForm1.h"

#include <QApplication>

#include <csignal>
#include <cstring>

namespace {

// --help and --version only print, so they must work without a display too.
bool asksOnlyForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // A save past the file size limit must fail with a message, not kill the program.
    std::signal(SIGXFSZ, SIG_IGN);
    if (asksOnlyForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        return quill::reportStart(quill::prepareStart(QCoreApplication::arguments(),
                                                      QCoreApplication::applicationDirPath()));
    }
    QApplication app(argc, argv);
    // Lets Wayland docks and menus match the window to the installed desktop file and icon.
    QGuiApplication::setDesktopFileName(quill::iconName.toString());
    QApplication::setWindowIcon(quill::windowIcon());
    const quill::StartDecision start =
        quill::prepareStart(QCoreApplication::arguments(), QCoreApplication::applicationDirPath());
    if (!start.openWindow)
        return quill::reportStart(start);
    quill::installFontSubstitutions();
    quill::QtDialogs dialogs;
    quill::TForm1 form(quill::productionServices(dialogs));
    dialogs.setOwner(&form);
    form.show();
    return app.exec();
}
