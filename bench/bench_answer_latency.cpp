// From the press of an answer button to the last byte of its message at a
// listener on 127.0.0.1: a mouse click on the yes button of a connected main
// window (offscreen), then reading at the listener until the whole message
// has arrived. Reports the median of all presses as median_us.
#include <benchmark/benchmark.h>

#include <QTest>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "bench/support/ConnectedMainWindow.h"

namespace {

void BM_AnswerPressToLastByte(benchmark::State& state) {
  bench::ConnectedMainWindow connected;
  if (connected.Error()) return state.SkipWithError(connected.Error());
  testsupport::LoopbackListener& listener = connected.Listener();
  QWidget* yes = connected.Window()->Image2->Widget();
  const std::string message = "abc^Y\x0C";
  std::vector<double> samples;
  samples.reserve(static_cast<std::size_t>(state.max_iterations));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    QTest::mouseClick(yes, Qt::LeftButton);
    const std::string& got = listener.ReadAtLeast(message.size());
    const auto end = std::chrono::steady_clock::now();
    if (got != message) return state.SkipWithError("wrong bytes at the listener");
    listener.ClearReceived();
    const double seconds = std::chrono::duration<double>(end - start).count();
    state.SetIterationTime(seconds);
    samples.push_back(seconds);
  }
  std::sort(samples.begin(), samples.end());
  if (!samples.empty()) {
    state.counters["median_us"] = samples[samples.size() / 2] * 1e6;
    state.counters["p99_us"] = samples[samples.size() * 99 / 100] * 1e6;
  }
}

BENCHMARK(BM_AnswerPressToLastByte)
    ->UseManualTime()
    ->Iterations(5000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
