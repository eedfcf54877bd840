#include "app/CommandLine.h"
#include "app/DisplayGuard.h"
#include "app/ExchangeCommand.h"
#include "app/FindCommand.h"
#include "app/FontSubstitutions.h"
#include "app/ProductionServices.h"
#include "app/RemovalCommand.h"
#include "app/WindowIcon.h"
#include "dialogs/QtDialogs.h"
#include "window/TForm1.h"

#include <QApplication>

#include <csignal>
#include <optional>

int main(int argc, char** argv) {
    // A save past the file size limit must fail with a message, not kill the program.
    std::signal(SIGXFSZ, SIG_IGN);
    quill::StartDecision start;
    {
        // The command line is checked, and the commands without a window run, before any display.
        QCoreApplication checking(argc, argv);
        const QStringList arguments = QCoreApplication::arguments();
        if (quill::isExchangeCommand(arguments))
            return quill::reportExchange(quill::runExchange(arguments));
        if (quill::isRemovalCommand(arguments))
            return quill::reportExchange(quill::runRemoval(arguments));
        if (quill::isFindCommand(arguments))
            return quill::runFind(arguments);
        start = quill::prepareStart(arguments, QCoreApplication::applicationDirPath());
    }
    if (!start.openWindow)
        return quill::reportStart(start);
    std::optional<quill::DisplayGuard> displayGuard(std::in_place);
    QApplication app(argc, argv);
    displayGuard.reset();
    // Lets Wayland docks and menus match the window to the installed desktop file and icon.
    QGuiApplication::setDesktopFileName(quill::iconName.toString());
    QApplication::setWindowIcon(quill::windowIcon());
    quill::installFontSubstitutions();
    quill::QtDialogs dialogs;
    quill::TForm1 form(quill::productionServices(dialogs));
    dialogs.setOwner(&form);
    form.show();
    return app.exec();
}
