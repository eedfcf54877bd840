#pragma once

#include "core/Failure.h"

namespace quill {

// An import option that the file's kind cannot honour, or a deck the file does not have: the
// command line asked for something else than the file can give.
class OptionFailure : public Failure {
public:
    using Failure::Failure;
};

} // namespace quill
