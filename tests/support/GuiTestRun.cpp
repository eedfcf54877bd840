#include "support/GuiTestRun.h"

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace quill::test {

int runGuiTests(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace quill::test
