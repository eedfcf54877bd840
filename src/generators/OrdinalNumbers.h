#pragma once

#include "generators/EntryGenerator.h"

namespace quill {

class EntryList;

// The entries "1.", "2.", ... up to the count: exactly N entries, none for N <= 0.
class OrdinalNumbers : public EntryGenerator {
public:
    explicit OrdinalNumbers(qint32 count) : EntryGenerator(count) {}

protected:
    bool appendStep(EntryList& batch, qint64 index) override;
};

} // namespace quill
