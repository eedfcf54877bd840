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

} // namespace quill
