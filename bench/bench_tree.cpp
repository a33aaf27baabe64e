// Per-key cost of wide levels: filling one level through SetString, reading
// every key back through GetString, and making then finding dict children
// through child. The "per_key" counter is the time per key; it should stay
// flat from 10,000 to 100,000 keys (at most 1.2 times).
//
// Each case runs several times, the runs of all cases interleaved in random
// order (so a change in machine load touches both sizes alike), and reports
// the median and the minimum of its runs. At the end the program prints, per
// operation, the ratio of the per-key times at 100,000 and 10,000 keys, from
// the medians and from the minimums (the minimum is the run least disturbed
// by other work on the machine).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
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

double Smallest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void Sizes(benchmark::internal::Benchmark* b) {
  b->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
  b->Repetitions(9)->ReportAggregatesOnly(true)->ComputeStatistics("min", Smallest);
}

// Console output, plus the per-key ratio of the two sizes of each operation.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate) continue;
      const auto counter = run.counters.find("per_key");
      if (counter == run.counters.end()) continue;
      const std::string& args = run.run_name.args;
      figures_[run.run_name.function_name][run.aggregate_name][args] = counter->second.value;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nPer-key time at 100000 keys / at 10000 keys (limit 1.2):\n");
    for (const auto& [name, byStatistic] : figures_) {
      std::printf("  %-22s", name.c_str());
      for (const char* statistic : {"median", "min"}) {
        const auto stat = byStatistic.find(statistic);
        if (stat == byStatistic.end()) continue;
        const auto small = stat->second.find("10000");
        const auto large = stat->second.find("100000");
        if (small == stat->second.end() || large == stat->second.end()) continue;
        std::printf("  %s %.2f", statistic, large->second / small->second);
      }
      std::printf("\n");
    }
  }

 private:
  std::map<std::string, std::map<std::string, std::map<std::string, double>>> figures_;
};

}  // namespace

BENCHMARK(BM_SetString)->Apply(Sizes);
BENCHMARK(BM_GetString)->Apply(Sizes);
BENCHMARK(BM_ChildMakeAndFind)->Apply(Sizes);

int main(int argc, char** argv) {
  // Interleaved runs unless the command line says otherwise.
  std::vector<char*> args(argv, argv + argc);
  const bool chosen = std::any_of(args.begin() + 1, args.end(), [](const char* a) {
    return std::strncmp(a, "--benchmark_enable_random_interleaving", 38) == 0;
  });
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  if (!chosen) args.insert(args.begin() + 1, interleave);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
