#include <benchmark/benchmark.h>

#include "base/numbers.h"

namespace {

void BM_FormatNumberOneDecimal(benchmark::State& state) {
    double value = 78.125;
    for (auto _ : state) {
        benchmark::DoNotOptimize(stillmon::format_number(value, "0.0"));
        value += 0.0625;
        if (value > 104.0) {
            value = 10.0;
        }
    }
}
BENCHMARK(BM_FormatNumberOneDecimal);

void BM_ReadNumber(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(stillmon::read_number(" 78.1"));
    }
}
BENCHMARK(BM_ReadNumber);

}  // namespace
