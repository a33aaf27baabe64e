// plutil -convert xml1|binary1 FILE
//
// Converts FILE in place to the XML or the binary property-list form, reading
// either. On any failure it prints one line to standard error, exits with
// status 1 and leaves FILE as it was.
#include "plutil/Convert.h"
#include "plutil/FileIo.h"

#include <cstdio>
#include <exception>
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

  plutil::FileResult read = plutil::ReadWholeFile(path);
  if (!read.ok) return FailFile(path, read.error);
  plutil::ConvertResult converted = plutil::Convert(read.text, *format);
  if (!converted.ok) return FailFile(path, converted.error);
  plutil::FileResult written = plutil::ReplaceFile(path, converted.output);
  if (!written.ok) return FailFile(path, written.error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
