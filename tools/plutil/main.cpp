// plutil -convert xml1|binary1 FILE
//
// Converts FILE in place to the XML or the binary property-list form, reading
// either. On any failure it prints one line to standard error, exits with
// status 1 and leaves FILE as it was: a limit it meets (memory, the file-size
// limit, the disk) is such a failure too.
//
// Test seam: when the environment variable PLUTIL_TEST_STOP_BEFORE_RENAME is
// set to anything but "", the tool stops itself (SIGSTOP) once the converted
// file is written beside FILE and before FILE is checked and replaced, so
// that a test can change the file system at that point and then let it go on
// (SIGCONT). It changes nothing else; unset, it does nothing.
#include "plutil/Convert.h"
#include "plutil/FileIo.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage = "usage: plutil -convert xml1|binary1 FILE";

// The text with control characters shown as escapes, so a message stays one line.
std::string Printable(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 32 && c != 127) {
      out.push_back(static_cast<char>(c));
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out.append(escape);
    }
  }
  return out;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "plutil: %s\n", message.c_str());
  return 1;
}

int FailFile(const std::string& path, const std::string& message) {
  return Fail(Printable(path) + ": " + message);
}

int Run(int argc, char** argv) {
  if (argc != 4 || std::string_view(argv[1]) != "-convert") return Fail(kUsage);
  auto format = plutil::ParseFormat(argv[2]);
  if (!format) return Fail("unknown format \"" + Printable(argv[2]) + "\"; " + kUsage);
  std::string path = argv[3];
  if (path.empty()) return Fail(std::string("empty file name; ") + kUsage);

  try {
    plutil::InPlaceFile file;
    std::string text;
    if (auto error = file.Read(path, text)) return FailFile(path, *error);
    plutil::ConvertResult converted = plutil::Convert(text, *format);
    if (!converted.ok) return FailFile(path, converted.error);
    if (auto error = file.Replace(converted.output)) return FailFile(path, *error);
  } catch (const std::bad_alloc&) {
    return FailFile(path, "out of memory");
  }
  return 0;
}

void StopBeforeRename() { ::raise(SIGSTOP); }

}  // namespace

int main(int argc, char** argv) {
  // Past the file-size limit a write then fails (EFBIG) instead of killing
  // the tool, so the temporary file is removed and the failure reported.
  ::signal(SIGXFSZ, SIG_IGN);
  const char* stop = std::getenv("PLUTIL_TEST_STOP_BEFORE_RENAME");
  if (stop && *stop) plutil::SetBeforeRenameHook(StopBeforeRename);
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
