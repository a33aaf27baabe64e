// From the press of an answer button to the last byte of its message at a
// listener on 127.0.0.1: a mouse click on the yes button of a connected main
// window (offscreen), then reading at the listener until the whole message
// has arrived. Reports the median of all presses as median_us.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QTest>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "client/Prefs.h"
#include "client/wMain.h"
#include "framework/ui/Application.h"
#include "tests/support/LoopbackListener.h"

namespace {

void BM_AnswerPressToLastByte(benchmark::State& state) {
  char tmpl[] = "/tmp/tobrik-bench-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) return state.SkipWithError("no temporary folder");
  setenv("XDG_CONFIG_HOME", tmpl, 1);  // never the user's own settings
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  fw::InitializeFramework();

  testsupport::LoopbackListener listener;
  {
    std::shared_ptr<class wMain::wMain> w = wMain::wMain();
    w->txtServer->SetText("127.0.0.1");
    w->txtPort->SetText(std::to_string(listener.Port()));
    w->txtName->SetText("abc");
    w->cmdConnect->RaiseEvent("Action");
    const std::string join = "abc^J\x0C";
    if (!listener.Accept() || listener.ReadAtLeast(join.size()) != join)
      return state.SkipWithError("could not connect to the listener");
    listener.ClearReceived();

    QWidget* yes = w->Image2->Widget();
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
    Prefs::ResetForTests();
  }
  fw::RuntimeReset();
  std::error_code ignored;
  std::filesystem::remove_all(tmpl, ignored);
}

BENCHMARK(BM_AnswerPressToLastByte)
    ->UseManualTime()
    ->Iterations(5000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
