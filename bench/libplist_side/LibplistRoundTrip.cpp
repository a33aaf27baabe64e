#include "LibplistRoundTrip.h"

#include <plist/plist.h>

#include <fstream>

namespace libplist_side {

std::size_t LoadSave(const std::string& in, const std::string& out) {
  std::ifstream file(in, std::ios::binary | std::ios::ate);
  std::string xml(static_cast<std::size_t>(file.tellg()), '\0');
  file.seekg(0);
  file.read(xml.data(), static_cast<std::streamsize>(xml.size()));
  plist_t root = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
  if (!root) return 0;
  char* text = nullptr;
  uint32_t size = 0;
  plist_to_xml(root, &text, &size);
  plist_free(root);
  std::ofstream(out, std::ios::binary | std::ios::trunc).write(text, size);
  plist_to_xml_free(text);
  return size;
}

}  // namespace libplist_side
