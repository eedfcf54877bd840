#pragma once

namespace quill::test {

// Runs every widget test in one QApplication on the offscreen platform (unless a platform is
// set), with QStandardPaths in test mode.
int runGuiTests(int argc, char** argv);

} // namespace quill::test
