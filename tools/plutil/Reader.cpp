#include "plutil/Reader.h"

#include "plutil/BinaryReader.h"
#include "plutil/Limits.h"
#include "plutil/XmlReader.h"

namespace plutil {

bool IsBinary(std::string_view bytes) noexcept { return bytes.starts_with("bplist"); }

std::optional<std::string> ReadPlist(std::string_view bytes, Tree& tree) {
  if (bytes.empty()) return "empty file, not a property list";
  if (bytes.size() > kMaxInputSize) return "file too large";
  return IsBinary(bytes) ? ReadBinary(bytes, tree) : ReadXml(bytes, tree);
}

}  // namespace plutil
