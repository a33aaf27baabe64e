// plutil -convert on the inputs that were once quadratic: a binary array of
// 100,000 integers, and a string of 1,000,000 line breaks, each in both
// directions, the XML breaks both raw and as the reference "&#10;"; and a
// binary file whose 300 object numbers all name one 1 MiB data object, once
// read as 300 copies (to binary it converts, to XML it is refused). The tool
// runs as a process, so real time is reported. The tool is the build's
// (bin/plutil) or the one in TOBRIK_BIN_DIR, to compare two builds.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

extern char** environ;

namespace {

constexpr int kItems = 100000;
constexpr int kBreaks = 1000000;

std::string Plutil() {
  const char* dir = std::getenv("TOBRIK_BIN_DIR");
  return std::string(dir && *dir ? dir : TOBRIK_BENCH_BIN_DIR) + "/plutil";
}

std::string Folder() { return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"; }

void Big(std::string& out, std::uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A binary property list of the objects' bytes with `ref`-byte references.
std::string Bplist(const std::string& objects, const std::string& offsets, int offsetSize, int ref,
                   std::uint64_t count) {
  std::string file = "bplist00" + objects;
  const std::uint64_t table = file.size();
  file += offsets;
  file += std::string(6, '\0');
  file += static_cast<char>(offsetSize);
  file += static_cast<char>(ref);
  Big(file, count, 8);
  Big(file, 0, 8);
  Big(file, table, 8);
  return file;
}

std::string BinaryArray() {
  std::string objects = "\xaf\x13", offsets;
  Big(objects, kItems, 8);
  for (int i = 1; i <= kItems; ++i) Big(objects, static_cast<std::uint64_t>(i), 3);
  std::uint64_t at = 8;
  Big(offsets, at, 4);
  at += objects.size();
  for (int i = 0; i < kItems; ++i) {
    Big(offsets, at, 4);
    objects += '\x13';
    Big(objects, static_cast<std::uint64_t>(i), 8);
    at += 9;
  }
  return Bplist(objects, offsets, 4, 3, kItems + 1);
}

std::string XmlArray() {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<array>\n";
  for (int i = 0; i < kItems; ++i) text += "\t<integer>" + std::to_string(i) + "</integer>\n";
  return text + "</array>\n</plist>\n";
}

std::string BinaryBreaks() {
  std::string objects = "\x5f\x12";
  Big(objects, kBreaks, 4);
  objects += std::string(kBreaks, '\n');
  std::string offsets;
  Big(offsets, 8, 1);
  return Bplist(objects, offsets, 1, 1, 1);
}

std::string XmlBreaks() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<string>" +
         std::string(kBreaks, '\n') + "</string>\n</plist>\n";
}

std::string XmlBreakReferences() {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<string>";
  for (int i = 0; i < kBreaks; ++i) text += "&#10;";
  return text + "</string>\n</plist>\n";
}

// 300 object numbers, all naming one 1 MiB data object, in one array.
std::string AliasedData() {
  constexpr int kNumbers = 300;
  std::string objects = "\xaf\x11", offsets;
  Big(objects, kNumbers, 2);
  for (int i = 1; i <= kNumbers; ++i) Big(objects, static_cast<std::uint64_t>(i), 2);
  Big(offsets, 8, 4);
  const std::uint64_t data = 8 + objects.size();
  for (int i = 0; i < kNumbers; ++i) Big(offsets, data, 4);
  objects += "\x4f\x12";
  Big(objects, 1 << 20, 4);
  for (int i = 0; i < (1 << 20); ++i) objects += static_cast<char>(i);
  return Bplist(objects, offsets, 4, 2, kNumbers + 1);
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Converts a fresh copy of the source each iteration; fails the run when
// the tool does not end with the given status (0: converted, 1: refused).
void Convert(benchmark::State& state, const std::string& source, const char* format,
             int expected = 0) {
  const std::string path = Folder() + "/tobrik-bench-plutil-" + std::to_string(getpid());
  const std::string tool = Plutil();
  // A refusal's line on standard error would repeat at every iteration.
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  if (expected != 0) posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    state.PauseTiming();
    Write(path, source);
    state.ResumeTiming();
    char* argv[] = {const_cast<char*>(tool.c_str()), const_cast<char*>("-convert"),
                    const_cast<char*>(format), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, tool.c_str(), &quiet, nullptr, argv, environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != expected) {
      state.SkipWithError(expected ? "plutil did not refuse" : "plutil failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&quiet);
  unlink(path.c_str());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

void BM_ArrayBinaryToXml(benchmark::State& s) { Convert(s, BinaryArray(), "xml1"); }
void BM_ArrayXmlToBinary(benchmark::State& s) { Convert(s, XmlArray(), "binary1"); }
void BM_BreaksBinaryToXml(benchmark::State& s) { Convert(s, BinaryBreaks(), "xml1"); }
void BM_BreaksXmlToBinary(benchmark::State& s) { Convert(s, XmlBreaks(), "binary1"); }
void BM_BreakReferencesXmlToBinary(benchmark::State& s) {
  Convert(s, XmlBreakReferences(), "binary1");
}
void BM_AliasedDataToBinary(benchmark::State& s) { Convert(s, AliasedData(), "binary1"); }
void BM_AliasedDataToXmlRefused(benchmark::State& s) { Convert(s, AliasedData(), "xml1", 1); }

BENCHMARK(BM_ArrayBinaryToXml)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ArrayXmlToBinary)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BreaksBinaryToXml)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BreaksXmlToBinary)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BreakReferencesXmlToBinary)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AliasedDataToBinary)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AliasedDataToXmlRefused)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
