// A 1 MB paste into the free-text field of the main window (offscreen):
// the paste with its repaint, a key typed at the end of the long text with
// its repaint, and Return to the last byte of the message at a listener on
// 127.0.0.1. Once with plain text, once with a line break every 80
// characters (which the field turns into blanks). Reports medians in ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "bench/support/ConnectedMainWindow.h"

namespace {

constexpr std::size_t kTextSize = 1 << 20;

std::string LongText(bool lineBreaks) {
  std::string text;
  text.reserve(kTextSize);
  for (std::size_t i = 0; text.size() < kTextSize; ++i)
    text += (lineBreaks && i % 80 == 79) ? '\n' : static_cast<char>('a' + i % 26);
  return text;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples.empty() ? 0 : samples[samples.size() / 2];
}

void BM_LongPaste(benchmark::State& state) {
  bench::ConnectedMainWindow connected;
  if (connected.Error()) return state.SkipWithError(connected.Error());
  testsupport::LoopbackListener& listener = connected.Listener();
  const std::string text = LongText(state.range(0) != 0);
  std::string sent = text;
  std::replace(sent.begin(), sent.end(), '\n', ' ');
  const std::string message = "abc^^^" + sent + "x^T\x0C";
  QWidget* field = connected.Window()->EditField1->Widget();
  QWidget* window = connected.Window()->Widget();
  std::vector<double> pastes, keys, sends;
  for (auto _ : state) {
    QApplication::clipboard()->setText(QString::fromStdString(text));
    field->setFocus();
    auto start = std::chrono::steady_clock::now();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    window->repaint();
    pastes.push_back(Since(start));

    start = std::chrono::steady_clock::now();
    QTest::keyClick(field, Qt::Key_X);
    window->repaint();
    keys.push_back(Since(start));

    start = std::chrono::steady_clock::now();
    QTest::keyClick(field, Qt::Key_Return);
    const std::string& got = listener.ReadAtLeast(message.size());
    sends.push_back(Since(start));
    if (got != message) return state.SkipWithError("wrong bytes at the listener");
    listener.ClearReceived();
    state.SetIterationTime((pastes.back() + keys.back() + sends.back()) / 1000);
  }
  state.counters["paste_ms"] = Median(pastes);
  state.counters["key_ms"] = Median(keys);
  state.counters["send_ms"] = Median(sends);
}

BENCHMARK(BM_LongPaste)
    ->ArgName("line_breaks")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
