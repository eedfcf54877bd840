#pragma once

#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quill {

// The longest common subsequence of two hash sequences by Myers' O(ND) difference algorithm,
// with a bound on the edit distance: past `maxEdits` the search gives up, so a rewritten list of
// millions of entries costs a bounded time and the caller falls back to a coarser merge.
// The result holds, for each element of `a`, the index of its match in `b`, or -1.
std::optional<std::vector<qsizetype>> matchSequences(std::span<const std::uint64_t> a,
                                                     std::span<const std::uint64_t> b,
                                                     qsizetype maxEdits);

// The edit bound worth paying for sequences of these lengths: few edits for long sequences,
// up to a couple of thousand for short ones.
qsizetype editBudget(qsizetype lengthA, qsizetype lengthB);

} // namespace quill
