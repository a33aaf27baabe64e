#include "plutil/Convert.h"

#include "plutil/BinaryWriter.h"
#include "plutil/Limits.h"
#include "plutil/Reader.h"

namespace plutil {

std::optional<Format> ParseFormat(std::string_view name) noexcept {
  if (name == "xml1") return Format::Xml1;
  if (name == "binary1") return Format::Binary1;
  return std::nullopt;
}

namespace {

ConvertResult Refused(std::string reason, bool targetRefused = false) {
  return {false, {}, std::move(reason), targetRefused};
}

ConvertResult ToXml(const Tree& tree, std::size_t inputSize) {
  if (auto reason = XmlCannotHold(tree)) return Refused(*reason, true);
  std::uint64_t limit = MaxXmlSize(inputSize);
  if (XmlSize(tree) > limit)
    return Refused("the XML form would be larger than " + std::to_string(limit) + " bytes", true);
  return {true, WriteXml(tree), {}};
}

}  // namespace

ConvertResult Convert(std::string_view bytes, Format to) {
  Tree tree;
  if (auto reason = ReadPlist(bytes, tree)) return Refused(*reason);
  if (to == Format::Binary1) return {true, WriteBinary(tree), {}};
  return ToXml(tree, bytes.size());
}

}  // namespace plutil
