#include "plutil/Convert.h"

#include "plutil/Reader.h"
#include "plutil/XmlWriter.h"

#include <cstdlib>

namespace plutil {

std::optional<Format> ParseFormat(std::string_view name) noexcept {
  if (name == "xml1") return Format::Xml1;
  if (name == "binary1") return Format::Binary1;
  return std::nullopt;
}

namespace {

ConvertResult ToBinary(plist_t tree, const DateTable& dates) {
  ConvertResult result;
  char* bytes = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(tree, &bytes, &length);
  if (bytes && length > 0) {
    result.output.assign(bytes, length);
    std::optional<std::string> error = RestoreBinaryDates(result.output, dates);
    result.ok = !error;
    if (error) {
      result.output.clear();
      result.error = *error;
    }
  } else {
    result.error = "could not encode the binary form";
  }
  std::free(bytes);
  return result;
}

ConvertResult ToXml(plist_t tree, const DateTable& dates) {
  if (!dates.AllInTextRange()) return {false, {}, std::string(kDateOutsideText)};
  return {true, WriteXml(tree, dates), {}};
}

}  // namespace

ConvertResult Convert(std::string_view bytes, Format to) {
  ReadResult read = ReadPlist(bytes);
  if (!read.tree) return {false, {}, read.error};
  if (to == Format::Binary1) return ToBinary(read.tree.get(), read.dates);
  return ToXml(read.tree.get(), read.dates);
}

}  // namespace plutil
