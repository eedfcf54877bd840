#pragma once

#include "core/Failure.h"

namespace quill {

// Text read as pairs in which no line holds a second field: a list of words, or a separator
// that was not recognised. Importing it as pairs would give every word an empty meaning
// without a word said.
class OneColumnFailure : public Failure {
public:
    using Failure::Failure;
};

} // namespace quill
