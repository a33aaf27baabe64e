// plutil's conversion on arbitrary bytes, in memory.
//
// Besides crashes, leaks and undefined behaviour it checks what the tool's
// output must satisfy: whatever it writes, it reads again, and converting its
// own XML again gives the same text (so the XML holds the whole tree).
#include "plutil/Convert.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "plutil fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  plutil::ConvertResult xml = plutil::Convert(bytes, plutil::Format::Xml1);
  plutil::ConvertResult binary = plutil::Convert(bytes, plutil::Format::Binary1);
  // Only a value that the XML form cannot hold, or the XML size bound, keeps
  // a file from XML alone.
  Require(!binary.targetRefused, "the binary form refuses what it holds");
  Require(xml.ok == binary.ok || (binary.ok && xml.targetRefused),
          "the two conversions disagree on whether the input is valid");
  if (!xml.ok) return 0;

  plutil::ConvertResult fromBinary = plutil::Convert(binary.output, plutil::Format::Xml1);
  Require(fromBinary.ok, "own binary output does not read back");
  Require(fromBinary.output == xml.output, "own binary output reads back to another tree");

  plutil::ConvertResult xmlAgain = plutil::Convert(xml.output, plutil::Format::Xml1);
  Require(xmlAgain.ok, "own XML output does not read back");
  Require(xmlAgain.output == xml.output, "own XML output reads back to another tree");
  return 0;
}
