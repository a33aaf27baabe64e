// Load and save of a large XML property list: our document (load from the
// file, save to it) against libplist (read the file, plist_from_xml,
// plist_to_xml, write the file), and our load alone, on the same generated
// file, at 1x, 4x and 10x its base size (about 10 MB and 225,000 entries:
// nested dicts and arrays, every type). The "ns_per_byte" counter must stay flat across the
// sizes (linear cost). BM_PeakMemory runs each side once in a fresh process
// and reports the peak resident memory that the load and save added to it
// (VmHWM after minus VmRSS before), in MB and as a multiple of the file.
//
// Files live in /dev/shm when it exists, so the disk does not time the run.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "bench/libplist_side/LibplistRoundTrip.h"
#include "framework/core/FolderItem.h"
#include "plist/plist.h"

extern char** environ;

namespace {

const std::string& Folder() {
  static const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return folder;
}

std::string Record(int i) {
  const std::string n = std::to_string(i);
  std::string r;
  r += "\t<key>record_" + n + "</key>\n\t<dict>\n";
  r += "\t\t<key>name</key>\n\t\t<string>Participant " + n + " &amp; guest &lt;A&gt;</string>\n";
  r += "\t\t<key>id</key>\n\t\t<integer>" + n + "</integer>\n";
  r += "\t\t<key>score</key>\n\t\t<real>" + std::to_string(i % 1000) + ".375</real>\n";
  r += "\t\t<key>joined</key>\n\t\t<date>2024-05-06T07:08:09Z</date>\n";
  r += "\t\t<key>active</key>\n\t\t<true/>\n";
  r += "\t\t<key>muted</key>\n\t\t<false/>\n";
  r += "\t\t<key>avatar</key>\n\t\t<data>\n\t\tAAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=\n\t\t</"
       "data>\n";
  r += "\t\t<key>answers</key>\n\t\t<array>\n";
  for (int k = 0; k < 5; ++k) r += "\t\t\t<integer>" + std::to_string((i + k) % 4) + "</integer>\n";
  r += "\t\t</array>\n";
  r += "\t\t<key>seat</key>\n\t\t<dict>\n\t\t\t<key>row</key>\n\t\t\t<integer>" +
       std::to_string(i % 40) + "</integer>\n\t\t\t<key>col</key>\n\t\t\t<string>C" +
       std::to_string(i % 12) + "</string>\n\t\t</dict>\n";
  r += "\t\t<key>note</key>\n\t\t<string>Connected from the east wing, answered all "
       "questions.</string>\n";
  r += "\t</dict>\n";
  return r;
}

constexpr int kRecordsPerScale = 12500;  // 18 entries each: 225,000 entries
constexpr int kEntriesPerRecord = 18;

// The generated file of the given scale, made once per run.
const std::string& Source(int scale) {
  static std::map<int, std::string> made;
  auto it = made.find(scale);
  if (it != made.end()) return it->second;
  std::string path = Folder() + "/tobrik-bench-" + std::to_string(getpid()) + "-" +
                     std::to_string(scale) + ".plist";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n<dict>\n";
  for (int i = 0; i < kRecordsPerScale * scale; ++i) out << Record(i);
  out << "</dict>\n</plist>\n";
  return made.emplace(scale, path).first->second;
}

long FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return static_cast<long>(in.tellg());
}

std::string Copy(const std::string& path, const char* side) {
  std::string copy = path + "." + side;
  std::ifstream in(path, std::ios::binary);
  std::ofstream(copy, std::ios::binary | std::ios::trunc) << in.rdbuf();
  return copy;
}

void Counters(benchmark::State& state, const std::string& path) {
  const long bytes = FileSize(path);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["entries"] = kRecordsPerScale * kEntriesPerRecord * state.range(0);
  state.counters["ns_per_byte"] = benchmark::Counter(
      static_cast<double>(bytes) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

bool OursLoadSave(const std::string& path) {
  plist doc{fw::FolderItem(path)};
  doc.Save();
  return !doc.error;
}

void BM_Ours_LoadSave(benchmark::State& state) {
  const std::string path = Copy(Source(static_cast<int>(state.range(0))), "ours");
  for (auto _ : state) {
    if (!OursLoadSave(path)) state.SkipWithError("load or save failed");
  }
  Counters(state, path);
  std::remove(path.c_str());
}

// The load alone: the reader's share of the round trip.
void BM_Ours_Load(benchmark::State& state) {
  const std::string path = Copy(Source(static_cast<int>(state.range(0))), "ours-load");
  for (auto _ : state) {
    plist doc{fw::FolderItem(path)};
    if (doc.error) state.SkipWithError("load failed");
  }
  Counters(state, path);
  std::remove(path.c_str());
}

void BM_Libplist_LoadSave(benchmark::State& state) {
  const std::string path = Source(static_cast<int>(state.range(0)));
  const std::string out = path + ".libplist";
  for (auto _ : state) {
    if (libplist_side::LoadSave(path, out) == 0) state.SkipWithError("libplist failed");
  }
  Counters(state, path);
  std::remove(out.c_str());
}

// The process's resident memory figure named field ("VmHWM:", "VmRSS:"), kB.
long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  return 0;
}

// Runs this program again as "--peak <side> <file>"; the child writes what
// the work added to its peak resident memory (kB) into <file>.peak.
void BM_PeakMemory(benchmark::State& state) {
  const char* side = state.range(1) == 0 ? "ours" : "libplist";
  const std::string path = Copy(Source(static_cast<int>(state.range(0))), side);
  double peakMb = 0;
  for (auto _ : state) {
    std::string self = "/proc/self/exe", flag = "--peak", s = side, p = path;
    char* argv[] = {self.data(), flag.data(), s.data(), p.data(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("spawn failed");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("child failed");
    std::ifstream in(path + ".peak");
    long kb = 0;
    in >> kb;
    peakMb = static_cast<double>(kb) / 1024.0;
  }
  const double fileMb = static_cast<double>(FileSize(path)) / (1024.0 * 1024.0);
  state.counters["peak_MB"] = peakMb;
  state.counters["peak_per_file"] = peakMb / fileMb;
  std::remove(path.c_str());
  std::remove((path + ".peak").c_str());
}

int MeasurePeak(const std::string& side, const std::string& path) {
  const long before = StatusKb("VmRSS:");
  bool ok = side == "ours" ? OursLoadSave(path) : libplist_side::LoadSave(path, path + ".out") > 0;
  std::remove((path + ".out").c_str());
  std::ofstream(path + ".peak") << StatusKb("VmHWM:") - before << "\n";
  return ok ? 0 : 1;
}

}  // namespace

BENCHMARK(BM_Ours_LoadSave)->Arg(1)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ours_Load)->Arg(1)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libplist_LoadSave)->Arg(1)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakMemory)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({10, 0})
    ->Args({10, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--peak") return MeasurePeak(argv[2], argv[3]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (int scale : {1, 4, 10}) std::remove(Source(scale).c_str());
  return 0;
}
