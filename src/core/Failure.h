#pragma once

#include <QString>

#include <exception>

namespace quill {

// A command failure: the message text that the failure report shows. Commands throw it;
// one wrapper around every command catches it, so it never crosses the event loop.
class Failure : public std::exception {
public:
    explicit Failure(QString message) : message_(std::move(message)) {}
    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return "quill::Failure"; }

private:
    QString message_;
};

// A list file could not be opened for reading. Some commands drop exactly this kind silently.
class OpenFailure : public Failure {
public:
    using Failure::Failure;
};

// A write that the device had no room for; its message names that cause.
class NoSpaceFailure : public Failure {
public:
    using Failure::Failure;
};

// The message with the cause of a full device after it.
inline QString withNoSpaceCause(const QString& message) {
    return message + QStringLiteral(": no space left on the device");
}

} // namespace quill
