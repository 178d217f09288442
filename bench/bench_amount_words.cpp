// Amount in words over a million amounts (target: under 1 s for the million).
#include "documents/AmountInWords.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kAmounts = 1'000'000;

// A fixed mix of amounts: mostly everyday sums in lei and bani, some in the
// thousands and millions, and a few near the top of the range.
const std::vector<double>& amounts() {
    static const std::vector<double> values = [] {
        std::vector<double> v;
        v.reserve(kAmounts);
        std::uint64_t state = 0x9E3779B97F4A7C15ull;
        for (int i = 0; i < kAmounts; ++i) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            const std::uint64_t r = state >> 11;
            std::uint64_t bani;
            switch (i % 10) {
                case 9: bani = r % 10'000'000'000'000'000ull; break;  // up to 10^14 lei
                case 7:
                case 8: bani = r % 100'000'000'000ull; break;  // up to a billion lei
                default: bani = r % 10'000'000ull; break;      // up to 100 000 lei
            }
            v.push_back(static_cast<double>(bani) / 100.0);
        }
        return v;
    }();
    return values;
}

void BM_AmountInWordsMillion(benchmark::State& state) {
    const std::vector<double>& values = amounts();
    std::size_t chars = 0;
    for (auto _ : state) {
        for (double amount : values) {
            std::string text = documents::AmountInWords(amount);
            chars += text.size();
            benchmark::DoNotOptimize(text);
        }
    }
    benchmark::DoNotOptimize(chars);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_AmountInWordsMillion)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
