// Generation speed: a million random words or web addresses appended to an empty entry list, with
// the real clock and a reseed before every word, the way the generator commands run.
#include "core/EntryList.h"
#include "generators/EntryGenerator.h"
#include "generators/MonotonicSeedClock.h"
#include "generators/RandomSource.h"
#include "generators/RandomWords.h"
#include "generators/WebAddresses.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quill;

void runAll(benchmark::State& state, EntryGenerator& generator, EntryList& list) {
    // The commands append in chunks so they can show progress; do the same here.
    while (!generator.finished()) {
        if (!generator.run(list, 65536)) {
            state.SkipWithError("the list refused an entry");
            return;
        }
    }
}

void eightLetterWords(benchmark::State& state) {
    MonotonicSeedClock clock;
    RandomSource source(clock);
    for (auto _ : state) {
        EntryList list;
        RandomWords words(source, WordRecipe::plainLetters(8),
                          EntryGenerator::stepsFromCount(999999));
        runAll(state, words, list);
        benchmark::DoNotOptimize(list.size());
        state.counters["entries"] = double(list.size());
    }
}
BENCHMARK(eightLetterWords)->Unit(benchmark::kMillisecond);

void webAddresses(benchmark::State& state) {
    MonotonicSeedClock clock;
    RandomSource source(clock);
    for (auto _ : state) {
        EntryList list;
        WebAddresses web(source, EntryGenerator::stepsFromCount(99999));
        runAll(state, web, list);
        benchmark::DoNotOptimize(list.size());
        state.counters["entries"] = double(list.size());
    }
}
BENCHMARK(webAddresses)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
