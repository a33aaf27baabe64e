// Per-key cost of wide levels: filling one level through SetString, reading
// every key back through GetString, and making then finding dict children
// through child. The "per_key" counter is the time per key; it should stay
// flat from 10,000 to 100,000 keys.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "plist/plist.h"
#include "plist/plistDict.h"

namespace {

std::vector<std::string> Keys(std::int64_t n) {
  std::vector<std::string> keys;
  keys.reserve(static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i < n; ++i) keys.push_back("key" + std::to_string(i));
  return keys;
}

void PerKey(benchmark::State& state, std::int64_t keysPerIteration) {
  state.counters["per_key"] = benchmark::Counter(
      static_cast<double>(keysPerIteration),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SetString(benchmark::State& state) {
  const auto keys = Keys(state.range(0));
  for (auto _ : state) {
    auto doc = std::make_unique<plist>();
    for (const auto& k : keys) doc->root->SetString(k, "value");
    benchmark::DoNotOptimize(doc->root->count());
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  PerKey(state, state.range(0));
}

void BM_GetString(benchmark::State& state) {
  const auto keys = Keys(state.range(0));
  plist doc;
  for (const auto& k : keys) doc.root->SetString(k, "value");
  for (auto _ : state) {
    for (const auto& k : keys) benchmark::DoNotOptimize(doc.root->GetString(k));
  }
  PerKey(state, state.range(0));
}

void BM_ChildMakeAndFind(benchmark::State& state) {
  const auto keys = Keys(state.range(0));
  for (auto _ : state) {
    auto doc = std::make_unique<plist>();
    for (const auto& k : keys) benchmark::DoNotOptimize(doc->root->child(k));
    for (const auto& k : keys) benchmark::DoNotOptimize(doc->root->child(k));
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  PerKey(state, state.range(0));
}

}  // namespace

BENCHMARK(BM_SetString)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetString)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChildMakeAndFind)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
