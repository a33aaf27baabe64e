// Ordered dictionary costs at level sizes the store meets (10,000 and
// 100,000 keys). Each figure is per key (items_per_second), so a flat cost
// shows as the same rate at both sizes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "framework/core/Dictionary.h"
#include "framework/core/Text.h"

namespace {

std::vector<fw::String> MakeKeys(std::int32_t n) {
  std::vector<fw::String> keys;
  keys.reserve(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) keys.push_back("key" + fw::Str(i));
  return keys;
}

void BM_SetThenRead(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto keys = MakeKeys(n);
  for (auto _ : state) {
    fw::Dictionary<fw::String> d;
    for (const auto& k : keys) d.SetValue(k, k);
    for (const auto& k : keys) benchmark::DoNotOptimize(d.Value(k));
    benchmark::DoNotOptimize(d.Count());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_EnumerateByPosition(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  fw::Dictionary<int> d;
  for (const auto& k : MakeKeys(n)) d.SetValue(k, 0);
  for (auto _ : state)
    for (std::int32_t i = 0; i < d.Count(); ++i) benchmark::DoNotOptimize(d.Key(i));
  state.SetItemsProcessed(state.iterations() * n);
}

// Removes every other key from the middle, then walks the rest by position.
void BM_RemoveMiddleThenEnumerate(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto keys = MakeKeys(n);
  for (auto _ : state) {
    state.PauseTiming();
    fw::Dictionary<int> d;
    for (const auto& k : keys) d.SetValue(k, 0);
    state.ResumeTiming();
    for (std::size_t i = 0; i < keys.size(); i += 2) d.Remove(keys[i]);
    for (std::int32_t i = 0; i < d.Count(); ++i) benchmark::DoNotOptimize(d.Key(i));
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// An array level popping its last element repeatedly.
void BM_RemoveLast(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto keys = MakeKeys(n);
  for (auto _ : state) {
    state.PauseTiming();
    fw::Dictionary<int> d;
    for (const auto& k : keys) d.SetValue(k, 0);
    state.ResumeTiming();
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) d.Remove(*it);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(BM_SetThenRead)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnumerateByPosition)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveMiddleThenEnumerate)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveLast)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
