#pragma once

#include "launcher/FixedPrograms.h"
#include "launcher/ObjectContainer.h"

#include <memory>

namespace quill {

class FieldCombo;
class Starter;

// The launcher commands: they start what the primary field's edit text names, through the
// hidden object container or the starter.
class LauncherCommands {
public:
    LauncherCommands(std::shared_ptr<Starter> starter, FieldCombo& primary, FixedPrograms programs);

    // The desktop's text editor stands in for the stored Notepad package; without one the
    // container starts empty.
    void loadEditorObject();
    // "tcmd", "notepad", "wordpad", "word" and their other spellings.
    void runKnownFile();
    // The program of that name in the system folder.
    void runSystemProgram();
    // The file or folder at that path.
    void runObject();

    // The hidden object container; from start-up it holds the desktop's text editor.
    ObjectContainer OleContainer1;

private:
    std::shared_ptr<Starter> starter_;
    FieldCombo& primary_;
    FixedPrograms programs_;
};

} // namespace quill
