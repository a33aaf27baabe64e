#include "LibplistRoundTrip.h"

#include <plist/plist.h>

#include <fstream>
#include <iterator>

namespace libplist_side {

std::size_t LoadSave(const std::string& in, const std::string& out) {
  std::ifstream file(in, std::ios::binary);
  std::string xml((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
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
