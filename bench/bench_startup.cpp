// Start-up of the client to its main window shown, against a bare Qt Widgets
// window of the same size, and against the same window written directly in
// Qt (same widgets, captions, pictures and menus, no framework, no
// settings), each in a fresh process of this same program: the time from
// spawning the process to the child's report that its window is exposed,
// and the child's peak resident memory. Every child sends its report at
// once, before any tear-down (stdout to a pipe is block-buffered, so an
// unflushed report would only arrive after the Qt application is gone and
// charge that side for its shutdown). Runs on the offscreen
// platform unless QT_QPA_PLATFORM says otherwise; the client's settings go
// to a scratch folder.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QWidget>
#include <QWindow>

#include "client/Startup.h"
#include "client/wMain.h"
#include "framework/ui/Application.h"

extern char** environ;

namespace {

void WaitUntilExposed(QWidget& widget) {
  for (int i = 0; i < 2000; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (widget.windowHandle() && widget.windowHandle()->isExposed()) return;
  }
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int RunBare() {
  static int argc = 1;
  static char name[] = "bench_startup";
  static char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  QMainWindow window;
  window.setCentralWidget(new QWidget);
  window.centralWidget()->setFixedSize(550, 261);
  window.setWindowTitle("bare");
  window.show();
  WaitUntilExposed(window);
  std::printf("%ld\n", PeakRssKb());
  std::fflush(stdout);
  return 0;
}

// The main window's widgets written directly against Qt.
int RunPlainQt() {
  static int argc = 1;
  static char name[] = "bench_startup";
  static char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  QString resources = QString::fromStdString(
      (std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / "Resources")
          .string());
  QMainWindow window;
  auto* content = new QWidget;
  window.setCentralWidget(content);
  content->setFixedSize(550, 261);
  window.setWindowTitle(QString::fromUtf8("\u30c8\u30d6\u30ea\u30af - Client"));
  QMenu* file = window.menuBar()->addMenu("&File");
  file->addAction("&Quit")->setShortcut(QKeySequence("Ctrl+Q"));
  QMenu* edit = window.menuBar()->addMenu("&Edit");
  for (const char* item :
       {"&Undo", "-", "Cu&t", "&Copy", "&Paste", "&Delete", "-", "Select &All", "About"})
    if (std::strcmp(item, "-") == 0)
      edit->addSeparator();
    else
      edit->addAction(item);
  auto box = [&](int l, int t, int w, int h, const char* caption) {
    (new QGroupBox(QString::fromUtf8(caption), content))->setGeometry(l, t, w, h);
  };
  auto label = [&](int l, int t, int w, int h, const char* caption) {
    auto* q = new QLabel(QString::fromUtf8(caption), content);
    q->setGeometry(l, t, w, h);
    q->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  };
  auto field = [&](int l, int t, int w, int h) {
    (new QLineEdit(content))->setGeometry(l, t, w, h);
  };
  auto button = [&](int l, int t, int w, int h, const char* file, bool enabled, bool visible) {
    auto* b = new QPushButton(content);
    b->setGeometry(l, t, w, h);
    b->setIcon(QIcon(QPixmap(resources + "/" + file)));
    b->setIconSize(QSize(w, h));
    b->setEnabled(enabled);
    b->setVisible(visible);
  };
  box(10, 152, 527, 97, "\u30b5\u30fc\u30d0");
  label(26, 182, 76, 20, "\u30b5\u30fc\u30d0 IP:");
  field(114, 181, 185, 26);
  field(355, 181, 51, 26);
  label(303, 181, 46, 20, "\u30dd\u30fc\u30c8:");
  field(114, 215, 185, 26);
  label(24, 216, 78, 20, "\u540d\u524d:");
  button(420, 195, 103, 31, "button_connect_japan.jpg", true, true);
  box(10, 6, 89, 97, "\u6319\u624b");
  button(24, 30, 60, 60, "Handbutton53.jpg", false, true);
  box(111, 6, 149, 97, "\u306f\u3044\uff0f\u3044\u3044\u3048");
  button(117, 30, 60, 60, "YESicon54.jpg", false, true);
  button(189, 30, 60, 60, "NOicon54.jpg", false, true);
  box(272, 6, 269, 97, "\u8907\u6570\u9078\u629e");
  button(281, 30, 60, 60, "Abutton53.jpg", false, true);
  button(345, 30, 60, 60, "Bbutton53.jpg", false, true);
  button(410, 30, 60, 60, "Cbutton53.jpg", false, true);
  button(474, 30, 60, 60, "Dbutton53.jpg", false, true);
  button(465, 112, 76, 26, "okbutton.jpg", false, true);
  button(24, 110, 31, 30, "TextButtonSmall.jpg", false, true);
  field(66, 113, 389, 26);
  button(224, 250, 104, 20, "FrameHandle.jpg", true, false);
  button(224, 143, 104, 20, "FrameHandle.jpg", true, false);
  window.show();
  WaitUntilExposed(window);
  std::printf("%ld\n", PeakRssKb());
  std::fflush(stdout);
  return 0;
}

int RunClient() {
  fw::_RunFrameworkInitialization(_Startup);
  WaitUntilExposed(*wMain::wMain()->Widget());
  std::printf("%ld\n", PeakRssKb());
  std::fflush(stdout);
  std::_Exit(0);  // measured up to the window shown; no shutdown work
}

struct Sample {
  double seconds = 0;
  long rssKb = 0;
};

Sample Spawn(const char* mode) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipefd[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string self = std::filesystem::canonical("/proc/self/exe").string();
  std::string arg = std::string("--child=") + mode;
  char* argv[] = {self.data(), arg.data(), nullptr};
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipefd[1]);
  Sample sample;
  if (rc == 0) {
    char buffer[64] = {};
    ssize_t n = read(pipefd[0], buffer, sizeof buffer - 1);
    sample.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (n > 0) sample.rssKb = std::atol(buffer);
    int status = 0;
    waitpid(pid, &status, 0);
  }
  close(pipefd[0]);
  return sample;
}

std::map<std::string, std::vector<Sample>>& Samples() {
  static std::map<std::string, std::vector<Sample>> samples;
  return samples;
}

void BM_StartupToWindowShown(benchmark::State& state, const char* mode) {
  long rss = 0;
  for (auto _ : state) {
    Sample s = Spawn(mode);
    if (s.rssKb == 0) {
      state.SkipWithError("the child did not report");
      return;
    }
    state.SetIterationTime(s.seconds);
    rss = s.rssKb;
    Samples()[mode].push_back(s);
  }
  state.counters["peak_rss_kb"] = static_cast<double>(rss);
}

BENCHMARK_CAPTURE(BM_StartupToWindowShown, bare_qt_window, "bare")
    ->UseManualTime()
    ->Iterations(25)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartupToWindowShown, same_window_plain_qt, "plain")
    ->UseManualTime()
    ->Iterations(25)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartupToWindowShown, tobrik_client, "client")
    ->UseManualTime()
    ->Iterations(25)
    ->Unit(benchmark::kMillisecond);

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void PrintRatios() {
  auto& s = Samples();
  auto median = [&](const char* mode, bool time) {
    std::vector<double> v;
    for (const Sample& x : s[mode])
      v.push_back(time ? x.seconds * 1e3 : static_cast<double>(x.rssKb));
    return Median(v);
  };
  if (s["client"].empty()) return;
  for (const char* base : {"bare", "plain"}) {
    if (s[base].empty()) continue;
    std::printf(
        "client vs %-5s: start-up %.1f ms vs %.1f ms (x%.2f), peak RSS %.0f kB vs %.0f kB "
        "(x%.2f)\n",
        base, median("client", true), median(base, true),
        median("client", true) / median(base, true), median("client", false), median(base, false),
        median("client", false) / median(base, false));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--child=bare") == 0) return RunBare();
  if (argc == 2 && std::strcmp(argv[1], "--child=plain") == 0) return RunPlainQt();
  if (argc == 2 && std::strcmp(argv[1], "--child=client") == 0) return RunClient();

  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  std::string scratch =
      (std::filesystem::temp_directory_path() / ("tobrik-bench-" + std::to_string(getpid())))
          .string();
  std::filesystem::create_directories(scratch);
  setenv("XDG_CONFIG_HOME", scratch.c_str(), 1);

  // One unrecorded start of each first, so that no side pays for cold caches.
  for (const char* mode : {"bare", "plain", "client"}) Spawn(mode);

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintRatios();
  std::filesystem::remove_all(scratch);
  return 0;
}
