#pragma once

#include "core/Failure.h"

namespace quill {

// A change of directory or a directory read that the system refused. The message follows the
// platform's error number: "File not found", "File access denied", ... or "I/O error %d".
class IoFailure : public Failure {
public:
    explicit IoFailure(int errorNumber);

    int errorNumber() const noexcept { return errorNumber_; }
    static QString messageFor(int errorNumber);

private:
    int errorNumber_;
};

} // namespace quill
