#pragma once

#include "launcher/Starter.h"

#include <QByteArrayList>

#include <functional>

namespace quill::test {

// Writes down what would be started ("program PATH", "open PATH", "application ID") and starts
// nothing; `onStart` then runs, so a test can make the start fail.
class RecordingStarter : public Starter {
public:
    void startProgram(const QByteArray& program) override { record("program ", program); }
    void openFile(const QByteArray& path) override { record("open ", path); }
    void startApplication(const QByteArray& id) override { record("application ", id); }
    QByteArray defaultApplicationFor(const QByteArray& mimeType) override {
        return mimeType == "text/plain" ? editor : QByteArray();
    }

    QByteArray editor = "editor.desktop";
    QByteArrayList started;
    std::function<void()> onStart;

private:
    void record(const char* kind, const QByteArray& target) {
        started.append(kind + target);
        if (onStart)
            onStart();
    }
};

} // namespace quill::test
