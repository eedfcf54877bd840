#include "storage/SequenceDiff.h"

#include <algorithm>

namespace quill {

namespace {

using Trace = std::vector<std::vector<qsizetype>>;

// Walks the saved frontiers back from the end and notes every diagonal step as a match.
std::vector<qsizetype> backtrack(const Trace& trace, qsizetype n, qsizetype m) {
    std::vector<qsizetype> match(size_t(n), -1);
    qsizetype x = n;
    qsizetype y = m;
    for (qsizetype d = qsizetype(trace.size()) - 1; d > 0; --d) {
        const std::vector<qsizetype>& before = trace[size_t(d - 1)]; // diagonals -(d-1)..d-1
        const auto at = [&](qsizetype k) {
            return before[size_t(k + d - 1)];
        };
        const qsizetype k = x - y;
        const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
        const qsizetype previousK = down ? k + 1 : k - 1;
        const qsizetype previousX = at(previousK);
        const qsizetype startX = down ? previousX : previousX + 1;
        while (x > startX) {
            --x;
            --y;
            match[size_t(x)] = y;
        }
        x = previousX;
        y = previousX - previousK;
    }
    while (x > 0 && y > 0) {
        --x;
        --y;
        match[size_t(x)] = y;
    }
    return match;
}

} // namespace

std::optional<std::vector<qsizetype>> matchSequences(std::span<const std::uint64_t> a,
                                                     std::span<const std::uint64_t> b,
                                                     qsizetype maxEdits) {
    const qsizetype n = qsizetype(a.size());
    const qsizetype m = qsizetype(b.size());
    const qsizetype limit = std::min(n + m, maxEdits);
    const qsizetype offset = limit + 1;
    std::vector<qsizetype> frontier(size_t(2 * limit + 3), 0);
    Trace trace;
    for (qsizetype d = 0; d <= limit; ++d) {
        for (qsizetype k = -d; k <= d; k += 2) {
            const bool down = k == -d || (k != d && frontier[size_t(k - 1 + offset)] <
                                                        frontier[size_t(k + 1 + offset)]);
            qsizetype x =
                down ? frontier[size_t(k + 1 + offset)] : frontier[size_t(k - 1 + offset)] + 1;
            qsizetype y = x - k;
            while (x < n && y < m && a[size_t(x)] == b[size_t(y)]) {
                ++x;
                ++y;
            }
            frontier[size_t(k + offset)] = x;
            if (x >= n && y >= m) {
                trace.emplace_back(); // the last step needs no frontier of its own
                return backtrack(trace, n, m);
            }
        }
        trace.emplace_back(frontier.begin() + (offset - d), frontier.begin() + (offset + d + 1));
    }
    return std::nullopt;
}

qsizetype editBudget(qsizetype lengthA, qsizetype lengthB) {
    // About 3e8 element comparisons at worst.
    const qsizetype budget = qsizetype(300'000'000) / (lengthA + lengthB + 1);
    return std::clamp<qsizetype>(budget, 16, 2000);
}

} // namespace quill
