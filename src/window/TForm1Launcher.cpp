#include "window/TForm1.h"
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

void TForm1::loadEditorObject() {
    // The desktop's text editor stands in for the stored Notepad package; without one the
    // container starts empty.
    OleContainer1.loadApplication(
        services_.starter->defaultApplicationFor(QByteArrayLiteral("text/plain")));
}

void TForm1::RunAKnowFile1Click() {
    const FixedPrograms& programs = services_.programs;
    const std::pair<QByteArrayList, std::function<void()>> groups[] = {
        {{"tcmd", "total commander", "totalcmd"},
         [&] {
             services_.starter->startProgram(programs.fileManager);
         }},
        {{"notepad", "ntpd", "np"},
         [&] {
             OleContainer1.activate();
         }},
        {{"wordpad", "wrpd", "wp"},
         [&] {
             OleContainer1.linkAndActivate(programs.wordPad);
         }},
        {{"word", "microsoft word", "msword", "winword"},
         [&] {
             OleContainer1.linkAndActivate(programs.word);
         }},
    };
    // The whole edit text, compared exactly: "Notepad" or "np " start nothing. No two groups
    // share a text, so at most one action runs; whatever it fails with is dropped.
    for (const auto& [texts, action] : groups) {
        if (!texts.contains(ComboBox1->editBytes()))
            continue;
        try {
            action();
        } catch (const std::exception&) {
        }
    }
}

void TForm1::RunaFiles1Click() {
    const QByteArray name = ComboBox1->editBytes();
    if (name.isEmpty()) {
        // The program of no name: the path would be the system folder itself, which is no
        // program. It fails like a missing one and leaves the container empty.
        OleContainer1.release();
        return;
    }
    QByteArray path = services_.programs.systemFolder;
    if (!path.endsWith('/'))
        path += '/';
    linkAndActivateQuietly(OleContainer1, path + name);
}

void TForm1::Other2Click() {
    linkAndActivateQuietly(OleContainer1, ComboBox1->editBytes());
}

} // namespace quill
