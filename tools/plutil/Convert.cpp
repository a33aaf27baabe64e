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

ConvertResult ToBinary(plist_t tree) {
  ConvertResult result;
  char* bytes = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(tree, &bytes, &length);
  if (bytes && length > 0) {
    result.ok = true;
    result.output.assign(bytes, length);
  } else {
    result.error = "could not encode the binary form";
  }
  std::free(bytes);
  return result;
}

}  // namespace

ConvertResult Convert(std::string_view bytes, Format to) {
  ReadResult read = ReadPlist(bytes);
  if (!read.tree) return {false, {}, read.error};
  if (to == Format::Binary1) return ToBinary(read.tree.get());
  return {true, WriteXml(read.tree.get()), {}};
}

}  // namespace plutil
