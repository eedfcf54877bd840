#pragma once

#include <QByteArray>

namespace quill {

// Starts programs and opens files for the object container. Paths are absolute bytes. Every
// start is detached: the started program runs in a session of its own with standard input and
// output on /dev/null, keeps the environment and the working directory, and outlives this
// program. Tests put a recorder in its place.
class Starter {
public:
    virtual ~Starter() = default;

    // Runs the program file directly with the argument vector {program}, never through a shell.
    // Throws LaunchFailure with the system's text when it cannot be started.
    virtual void startProgram(const QByteArray& program) = 0;
    // Opens the file or folder with the desktop's default application for its type. Throws
    // LaunchFailure, also when no application is registered for the type.
    virtual void openFile(const QByteArray& path) = 0;
    // Starts a desktop application, named by its desktop file id, without a file. Throws
    // LaunchFailure when it is no longer installed or cannot be started.
    virtual void startApplication(const QByteArray& applicationId) = 0;
    // The desktop file id of the default application for a MIME type; empty when there is none.
    virtual QByteArray defaultApplicationFor(const QByteArray& mimeType) = 0;
};

} // namespace quill
