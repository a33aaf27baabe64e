#include "plutil/Reader.h"

#include "plutil/Limits.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace plutil {

bool IsBinary(std::string_view bytes) noexcept { return bytes.starts_with("bplist"); }

namespace {

// The settings store writes the element name "double" for some reals;
// libplist knows only "real".
std::string DoubleAsReal(std::string_view xml) {
  static constexpr std::string_view kFrom[] = {"<double>", "</double>", "<double/>"};
  static constexpr std::string_view kTo[] = {"<real>", "</real>", "<real/>"};
  std::string out;
  out.reserve(xml.size());
  std::size_t at = 0;
  while (at < xml.size()) {
    std::size_t lt = xml.find("<", at);
    if (lt == std::string_view::npos) break;
    out.append(xml.substr(at, lt - at));
    at = lt;
    bool replaced = false;
    for (std::size_t i = 0; i < std::size(kFrom); ++i) {
      if (xml.substr(at).starts_with(kFrom[i])) {
        out.append(kTo[i]);
        at += kFrom[i].size();
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      out.push_back('<');
      ++at;
    }
  }
  out.append(xml.substr(at));
  return out;
}

// A dict of the single entry "CF$UID" holding an integer: the XML form of a UID.
bool IsUidDict(plist_t node) {
  if (plist_get_node_type(node) != PLIST_DICT || plist_dict_get_size(node) != 1) return false;
  plist_t value = plist_dict_get_item(node, "CF$UID");
  return value && plist_get_node_type(value) == PLIST_UINT;
}

// Every UID dict of the tree, found without recursion.
std::vector<plist_t> FindUidDicts(plist_t root) {
  std::vector<plist_t> found;
  std::vector<plist_t> pending{root};
  while (!pending.empty()) {
    plist_t node = pending.back();
    pending.pop_back();
    if (IsUidDict(node)) {
      found.push_back(node);
    } else if (plist_get_node_type(node) == PLIST_ARRAY) {
      for (std::uint32_t i = 0, n = plist_array_get_size(node); i < n; ++i)
        pending.push_back(plist_array_get_item(node, i));
    } else if (plist_get_node_type(node) == PLIST_DICT) {
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      for (;;) {
        plist_t value = nullptr;
        plist_dict_next_item(node, it, nullptr, &value);
        if (!value) break;
        pending.push_back(value);
      }
      std::free(it);
    }
  }
  return found;
}

plist_t UidFrom(plist_t dict) {
  std::uint64_t value = 0;
  plist_get_uint_val(plist_dict_get_item(dict, "CF$UID"), &value);
  return plist_new_uid(value);
}

// Puts a UID in place of each UID dict; the root itself may be one.
void RestoreUids(PlistHandle& tree) {
  for (plist_t dict : FindUidDicts(tree.get())) {
    plist_t parent = plist_get_parent(dict);
    if (!parent) {
      tree.reset(UidFrom(dict));
    } else if (plist_get_node_type(parent) == PLIST_ARRAY) {
      plist_array_set_item(parent, UidFrom(dict), plist_array_get_item_index(dict));
    } else {
      char* key = nullptr;
      plist_dict_get_item_key(dict, &key);
      if (key) plist_dict_set_item(parent, key, UidFrom(dict));
      std::free(key);
    }
  }
}

constexpr std::size_t kMaxParseSize = std::numeric_limits<std::uint32_t>::max();

ReadResult ReadBinary(std::string_view bytes) {
  ReadResult result;
  if (auto reason = CheckBinaryStructure(bytes)) {
    result.error = "not a valid binary property list (" + *reason + ")";
    return result;
  }
  plist_t tree = nullptr;
  plist_from_bin(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &tree);
  result.tree.reset(tree);
  if (!tree) result.error = "not a valid binary property list";
  return result;
}

ReadResult ReadXml(std::string_view bytes) {
  ReadResult result;
  if (auto reason = CheckXmlStructure(bytes)) {
    result.error = "not a valid XML property list (" + *reason + ")";
    return result;
  }
  std::string xml = DoubleAsReal(bytes);
  plist_t tree = nullptr;
  plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &tree);
  result.tree.reset(tree);
  if (!tree) {
    result.error = "not a valid XML property list";
    return result;
  }
  RestoreUids(result.tree);
  return result;
}

}  // namespace

ReadResult ReadPlist(std::string_view bytes) {
  if (bytes.empty()) return {nullptr, "empty file, not a property list"};
  if (bytes.size() >= kMaxParseSize) return {nullptr, "file too large"};
  return IsBinary(bytes) ? ReadBinary(bytes) : ReadXml(bytes);
}

}  // namespace plutil
