#pragma once

#include "core/Failure.h"

namespace quill {

// A start that the system refused: a path that names nothing, a program that cannot run, a
// file type without an application. The message is the system's text for the cause.
class LaunchFailure : public Failure {
public:
    using Failure::Failure;
    // The failure for an error number: "No such file or directory", "Permission denied", ...
    static LaunchFailure fromErrorNumber(int errorNumber);
};

// Activating the object container while it holds nothing.
class EmptyContainerFailure : public Failure {
public:
    EmptyContainerFailure();
};

} // namespace quill
