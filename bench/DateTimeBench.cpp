// Cost of one date and time insertion: reading the locale's conventions anew (done on every
// command) and formatting the text and the number.
#include "datetime/DateTimeFormat.h"
#include "datetime/DateTimeValue.h"
#include "datetime/LocaleFormatSettings.h"
#include "datetime/NumberFormat.h"

#include <QLocale>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr quill::LocalTime sample{2026, 12, 7, 15, 4, 5, 0};

void BM_readLocaleSettings(benchmark::State& state) {
    const QLocale locale(u"de_DE"_s);
    for (auto _ : state)
        benchmark::DoNotOptimize(quill::LocaleFormatSettings::fromLocale(locale));
}
BENCHMARK(BM_readLocaleSettings);

void BM_dateTimeText(benchmark::State& state) {
    const quill::FormatSettings settings =
        quill::LocaleFormatSettings::fromLocale(QLocale(u"de_DE"_s));
    for (auto _ : state)
        benchmark::DoNotOptimize(quill::dateTimeText(sample, settings));
}
BENCHMARK(BM_dateTimeText);

void BM_numberText(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            quill::generalNumberText(quill::dateTimeValue(sample), QChar(u',')));
}
BENCHMARK(BM_numberText);

} // namespace

BENCHMARK_MAIN();
