#include "window/LauncherCommands.h"

#include "fields/FieldCombo.h"
#include "launcher/LaunchFailure.h"

#include <QByteArrayList>

#include <exception>
#include <functional>
#include <utility>

namespace quill {
namespace {

// A start the system refuses, or an empty container, ends the command without a message;
// anything else reaches the failure report.
void linkAndActivateQuietly(ObjectContainer& container, QByteArrayView path) {
    try {
        container.linkAndActivate(path);
    } catch (const LaunchFailure&) {
    } catch (const EmptyContainerFailure&) {
    }
}

} // namespace

LauncherCommands::LauncherCommands(std::shared_ptr<Starter> starter, FieldCombo& primary,
                                   FixedPrograms programs)
    : OleContainer1(starter), starter_(std::move(starter)), primary_(primary),
      programs_(std::move(programs)) {}

void LauncherCommands::loadEditorObject() {
    OleContainer1.loadApplication(starter_->defaultApplicationFor(QByteArrayLiteral("text/plain")));
}

void LauncherCommands::runKnownFile() {
    const std::pair<QByteArrayList, std::function<void()>> groups[] = {
        {{"tcmd", "total commander", "totalcmd"},
         [&] {
             starter_->startProgram(programs_.fileManager);
         }},
        {{"notepad", "ntpd", "np"},
         [&] {
             OleContainer1.activate();
         }},
        {{"wordpad", "wrpd", "wp"},
         [&] {
             OleContainer1.linkAndActivate(programs_.wordPad);
         }},
        {{"word", "microsoft word", "msword", "winword"},
         [&] {
             OleContainer1.linkAndActivate(programs_.word);
         }},
    };
    // The whole edit text, compared exactly: "Notepad" or "np " start nothing. No two groups
    // share a text, so at most one action runs; whatever it fails with is dropped.
    for (const auto& [texts, action] : groups) {
        if (!texts.contains(primary_.editBytes()))
            continue;
        try {
            action();
        } catch (const std::exception&) {
        }
    }
}

void LauncherCommands::runSystemProgram() {
    const QByteArray name = primary_.editBytes();
    if (name.isEmpty()) {
        // The program of no name: the path would be the system folder itself, which is no
        // program. It fails like a missing one and leaves the container empty.
        OleContainer1.release();
        return;
    }
    QByteArray path = programs_.systemFolder;
    if (!path.endsWith('/'))
        path += '/';
    linkAndActivateQuietly(OleContainer1, path + name);
}

void LauncherCommands::runObject() {
    linkAndActivateQuietly(OleContainer1, primary_.editBytes());
}

} // namespace quill
