// plutil where it meets the file system: the file written is the file read,
// and every limit (file size, name length, memory, disk space) ends in a
// refusal that names the file, leaves it untouched and leaves nothing beside
// it.
#include "support/BinaryBuilder.h"
#include "support/ToolTest.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/CannotRun.h"
#include "tests/support/TempFolder.h"

namespace {

using testsupport::ListFolder;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;
using tooltest::RunResult;

constexpr const char* kXmlStart = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// A binary property list whose root is one data object of size bytes.
std::string BinaryData(std::size_t size) {
  std::string object = "\x4F\x12";
  binarytest::AppendBigEndian(object, size, 4);
  object.append(size, 'x');
  return binarytest::Binary({object});
}

// An XML property list whose root is one string of size bytes.
std::string XmlString(std::size_t size) {
  return std::string(kXmlStart) +
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<string>" +
         std::string(size, 'x') + "</string>\n</plist>\n";
}

// The file's bytes, read in one piece (testsupport::ReadFile goes byte by
// byte, slow for the large files here).
std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(std::filesystem::file_size(path), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// Expects the tool's refusal: exit status 1, one line naming the file, and
// nothing on standard output.
void ExpectRefused(const RunResult& r, const std::string& path, const std::string& reason) {
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "plutil: " + path + ": " + reason + "\n");
  EXPECT_EQ(r.out, "");
}

struct Seam {
  long fileSizeLimit = 0;  // bytes; 0 for none
  // Run while the tool stands stopped between writing its temporary file
  // and replacing the file; null to run without the stop.
  std::function<void()> atStop;
};

// Runs the built plutil as tooltest::RunTool does, but leaves SIGXFSZ at its
// default, so that only the tool itself keeps a file-size limit from killing
// it, and can stop it at its test seam. stopped tells whether it stopped
// there.
RunResult RunPlutil(const std::vector<std::string>& args, const Seam& seam, bool* stopped) {
  TempFolder capture;
  std::string outPath = capture.File("out"), errPath = capture.File("err");
  std::vector<std::string> argv{tooltest::PlutilPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // The test runs one thread, so setenv is safe between fork and exec.
    if (!std::freopen(outPath.c_str(), "w", stdout) || !std::freopen(errPath.c_str(), "w", stderr))
      ::_exit(126);
    ::signal(SIGXFSZ, SIG_DFL);
    if (seam.fileSizeLimit > 0) {
      rlimit limit{static_cast<rlim_t>(seam.fileSizeLimit),
                   static_cast<rlim_t>(seam.fileSizeLimit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (seam.atStop)
      ::setenv("PLUTIL_TEST_STOP_BEFORE_RENAME", "1", 1);
    else
      ::unsetenv("PLUTIL_TEST_STOP_BEFORE_RENAME");
    ::execv(cargv[0], cargv.data());
    ::_exit(127);
  }
  int status = 0;
  *stopped = false;
  while (::waitpid(pid, &status, WUNTRACED) == pid && WIFSTOPPED(status)) {
    *stopped = true;
    if (seam.atStop) seam.atStop();
    ::kill(pid, SIGCONT);
  }
  RunResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

RunResult RunPlutil(const std::vector<std::string>& args, const Seam& seam) {
  bool stopped = false;
  RunResult r = RunPlutil(args, seam, &stopped);
  EXPECT_EQ(stopped, static_cast<bool>(seam.atStop)) << "the tool's stop before the rename";
  return r;
}

// ---- the file written is the file read ---------------------------------------

const std::string kA = BinaryData(100), kB = BinaryData(200);

// Every entry under folder, sorted, one a line: a link with its target, a
// folder with a slash, a file with "A" or "B" when it holds kA or kB.
std::string Describe(const std::string& folder) {
  namespace fs = std::filesystem;
  std::set<std::string> lines;
  for (auto& e : fs::recursive_directory_iterator(folder)) {
    std::string name = e.path().lexically_relative(folder).string();
    if (e.is_symlink()) {
      lines.insert(name + " -> " + fs::read_symlink(e.path()).string());
    } else if (e.is_directory()) {
      lines.insert(name + "/");
    } else {
      std::string bytes = ReadFile(e.path());
      lines.insert(name + (bytes == kA ? " A" : bytes == kB ? " B" : " other"));
    }
  }
  std::string text;
  for (auto& line : lines) text += line + "\n";
  return text;
}

struct ChangeCase {
  const char* name;
  const char* path;  // given to plutil, in the folder that Describe shows as kBefore
  // What happens while the converted file waits to replace the file read.
  std::function<void(const TempFolder&)> change;
  std::string after;  // Describe once plutil has finished
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

const std::string kBefore = "a.plist A\nb.plist B\nlink -> a.plist\nsub/\nsub/a.plist A\n";

const ChangeCase kChanges[] = {
    // The link was resolved again after the read, and its new target overwritten.
    {"LinkRetargeted", "link",
     [](const TempFolder& dir) {
       std::filesystem::remove(dir.File("link"));
       std::filesystem::create_symlink("b.plist", dir.File("link"));
     },
     "a.plist A\nb.plist B\nlink -> b.plist\nsub/\nsub/a.plist A\n"},
    {"FileReplaced", "a.plist",
     [](const TempFolder& dir) {
       std::filesystem::copy_file(dir.File("b.plist"), dir.File("c.plist"));
       std::filesystem::rename(dir.File("c.plist"), dir.File("a.plist"));
     },
     "a.plist B\nb.plist B\nlink -> a.plist\nsub/\nsub/a.plist A\n"},
    {"FileRemoved", "a.plist",
     [](const TempFolder& dir) { std::filesystem::remove(dir.File("a.plist")); },
     "b.plist B\nlink -> a.plist\nsub/\nsub/a.plist A\n"},
    // The path still leads to the file read, but its place now holds a link.
    {"FileMovedAndLinkedTo", "a.plist",
     [](const TempFolder& dir) {
       std::filesystem::rename(dir.File("a.plist"), dir.File("moved.plist"));
       std::filesystem::create_symlink("moved.plist", dir.File("a.plist"));
     },
     "a.plist -> moved.plist\nb.plist B\nlink -> a.plist\nmoved.plist A\nsub/\nsub/a.plist A\n"},
    // The file read still stands in the folder opened, which the path no longer names.
    {"FolderReplaced", "sub/a.plist",
     [](const TempFolder& dir) {
       std::filesystem::rename(dir.File("sub"), dir.File("old"));
       std::filesystem::create_directory(dir.File("sub"));
       std::filesystem::copy_file(dir.File("old/a.plist"), dir.File("sub/a.plist"));
     },
     "a.plist A\nb.plist B\nlink -> a.plist\nold/\nold/a.plist A\nsub/\nsub/a.plist A\n"},
};

class PlutilChangedPath : public testing::TestWithParam<ChangeCase> {};

TEST_P(PlutilChangedPath, RefusedAndNothingWritten) {
  TempFolder dir;
  WriteFile(dir.File("a.plist"), kA);
  WriteFile(dir.File("b.plist"), kB);
  std::filesystem::create_symlink("a.plist", dir.File("link"));
  std::filesystem::create_directory(dir.File("sub"));
  WriteFile(dir.File("sub/a.plist"), kA);
  ASSERT_EQ(Describe(dir.Path()), kBefore);
  std::string path = dir.File(GetParam().path);
  std::string atStop;
  RunResult r = RunPlutil({"-convert", "xml1", path}, {.atStop = [&] {
                            atStop = Describe(dir.Path());
                            GetParam().change(dir);
                          }});
  ExpectRefused(r, path, "no longer names the file that was read; nothing written");
  // The converted file stood beside the file read, and is gone.
  EXPECT_NE(atStop.find(".plutil-"), std::string::npos) << atStop;
  EXPECT_EQ(Describe(dir.Path()), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlutilChangedPath, testing::ValuesIn(kChanges),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlutilChangedPath, UnchangedPathIsConvertedThroughTheLink) {
  TempFolder dir;
  WriteFile(dir.File("a.plist"), BinaryData(100));
  std::filesystem::create_symlink("a.plist", dir.File("link"));
  RunResult r = RunPlutil({"-convert", "xml1", dir.File("link")}, {.atStop = [] {}});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.File("a.plist")).rfind(kXmlStart, 0), 0u);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link")));
  EXPECT_EQ(ListFolder(dir.Path()), "a.plist\nlink\n");
}

// ---- limits -----------------------------------------------------------------

// A file-size limit below the output killed the tool (SIGXFSZ, exit status
// 153) without a message and left its temporary file behind.
TEST(PlutilLimits, FileSizeLimitBelowTheOutput) {
  TempFolder dir;
  std::string path = dir.File("a.plist");
  const std::string bytes = BinaryData(1000);
  WriteFile(path, bytes);
  ExpectRefused(RunPlutil({"-convert", "xml1", path}, {.fileSizeLimit = 1200, .atStop = {}}), path,
                "cannot write: File too large");
  EXPECT_EQ(ReadFile(path), bytes);
  EXPECT_EQ(ListFolder(dir.Path()), "a.plist\n");
}

struct NameCase {
  const char* name;
  std::string fileName;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

std::string Repeat(const std::string& unit, std::size_t times) {
  std::string text;
  while (times-- > 0) text += unit;
  return text;
}

const std::string kKanji = "\xE6\x97\xA5";  // three bytes in UTF-8

const NameCase kNames[] = {
    {"Bytes241", std::string(241, 'n')},  // the temporary name just fits
    {"Bytes242", std::string(242, 'n')},
    {"Bytes250", std::string(250, 'n')},
    {"Bytes255", std::string(255, 'n')},
    {"Kanji85", Repeat(kKanji, 85)},  // 255 bytes; cut between characters
};

// A name of 242 to 255 bytes failed: the temporary name passed the limit.
class PlutilLongName : public testing::TestWithParam<NameCase> {};

TEST_P(PlutilLongName, Converts) {
  TempFolder dir;
  const std::string& name = GetParam().fileName;
  std::string path = dir.File(name);
  WriteFile(path, BinaryData(100));
  std::string temp;
  RunResult r = RunPlutil({"-convert", "xml1", path}, {.atStop = [&] {
                            for (auto& e : std::filesystem::directory_iterator(dir.Path()))
                              if (e.path().filename() != name) temp = e.path().filename();
                          }});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile(path).rfind(kXmlStart, 0), 0u);
  EXPECT_EQ(ListFolder(dir.Path()), name + "\n");
  // The temporary name: the name's start, whole characters only, and the tag.
  ASSERT_LE(temp.size(), 255u) << temp;
  ASSERT_GT(temp.size(), 14u) << temp;
  std::string start = temp.substr(0, temp.size() - 14);
  EXPECT_EQ(temp.substr(start.size(), 8), ".plutil-") << temp;
  EXPECT_EQ(name.rfind(start, 0), 0u) << temp;
  if (name.front() != 'n') {
    EXPECT_EQ(start.size() % kKanji.size(), 0u) << temp;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PlutilLongName, testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.name); });

struct MemoryCase {
  const char* name;
  std::size_t dataSize;  // the root data object's bytes
  bool converts;         // within the limit; else "out of memory"
  bool xml = false;      // an XML file of one string, converted to binary
};

void PrintTo(const MemoryCase& c, std::ostream* os) { *os << c.name; }

constexpr long kAddressSpace = 24L << 20;

const MemoryCase kMemory[] = {
    {"Fits", 1 << 20, true},
    {"ConversionPassesTheLimit", 8 << 20, false},  // file, tree and XML text together
    {"ReadingPassesTheLimit", 26 << 20, false},    // the file alone
    // expat ran out inside its callbacks and it was reported as "not a valid
    // XML property list".
    {"XmlFits", 1 << 20, true, true},
    {"XmlParsingPassesTheLimit", 8 << 20, false, true},
};

// Out of memory was reported as "std::bad_alloc", without the file's name.
class PlutilMemoryLimit : public testing::TestWithParam<MemoryCase> {};

TEST_P(PlutilMemoryLimit, ConvertsOrRefusesAsOutOfMemory) {
#ifdef TOBRIK_SANITIZED
  // AddressSanitizer reserves terabytes of address space at start, so a
  // sanitized tool cannot run under an address-space limit at all.
  GTEST_SKIP() << "an address-space limit does not apply to a sanitized build";
#endif
  TempFolder dir;
  std::string path = dir.File("a.plist");
  const MemoryCase& c = GetParam();
  const std::string bytes = c.xml ? XmlString(c.dataSize) : BinaryData(c.dataSize);
  WriteFile(path, bytes);
  RunResult r = tooltest::RunTool({"-convert", c.xml ? "binary1" : "xml1", path},
                                  {.addressSpaceLimit = kAddressSpace, .program = {}});
  if (c.converts) {
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FileBytes(path).rfind(c.xml ? "bplist00" : kXmlStart, 0), 0u);
  } else {
    ExpectRefused(r, path, "out of memory");
    EXPECT_TRUE(FileBytes(path) == bytes);
  }
  EXPECT_EQ(ListFolder(dir.Path()), "a.plist\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, PlutilMemoryLimit, testing::ValuesIn(kMemory),
                         [](const auto& info) { return std::string(info.param.name); });

// A tmpfs of its own, mounted on a folder and unmounted when it goes out of
// scope.
class SmallDisk {
 public:
  SmallDisk(const std::string& folder, const char* size) : folder_(folder) {
    std::filesystem::create_directory(folder);
    std::string options = std::string("size=") + size;
    mounted_ = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }

 private:
  std::string folder_;
  bool mounted_ = false;
};

TEST(PlutilLimits, DiskFull) {
  TempFolder dir;
  SmallDisk disk(dir.File("disk"), "64k");
  if (!disk.mounted()) CANNOT_RUN_HERE("mounting a small tmpfs needs root (CAP_SYS_ADMIN)");
  std::string path = dir.File("disk/a.plist");
  const std::string bytes = BinaryData(30000);  // its XML form does not fit beside it
  WriteFile(path, bytes);
  ExpectRefused(tooltest::RunTool({"-convert", "xml1", path}), path,
                "cannot write: No space left on device");
  EXPECT_EQ(ReadFile(path), bytes);
  EXPECT_EQ(ListFolder(dir.File("disk")), "a.plist\n");
}

}  // namespace
