#include "support/GuiTestRun.h"

int main(int argc, char** argv) {
    return quill::test::runGuiTests(argc, argv);
}
