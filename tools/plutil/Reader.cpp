#include "plutil/Reader.h"

#include "plutil/Limits.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_set>
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

// UIDs of the binary form have at most 32 bits: libplist reads no longer ones
// and cuts longer ones when it writes.
constexpr std::uint64_t kMaxUid = UINT32_MAX;

// A dict of the single entry "CF$UID" holding an integer that fits a UID: the
// XML form of a UID.
bool IsUidDict(plist_t node) {
  if (plist_get_node_type(node) != PLIST_DICT || plist_dict_get_size(node) != 1) return false;
  plist_t value = plist_dict_get_item(node, "CF$UID");
  if (!value || plist_get_node_type(value) != PLIST_UINT) return false;
  std::uint64_t uid = 0;
  plist_get_uint_val(value, &uid);
  return uid <= kMaxUid;
}

// True when the text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF). libplist writes the binary form's UTF-16 from it and
// makes an unreadable file of anything else.
bool IsUtf8(std::string_view text) {
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char c = at(i);
    std::size_t extra;
    if (c < 0x80) {
      extra = 0;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
    } else {
      return false;
    }
    if (text.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((at(i + k) & 0xC0) != 0x80) return false;
    }
    unsigned char next = extra ? at(i + 1) : 0;
    if ((c == 0xE0 && next < 0xA0) || (c == 0xED && next > 0x9F) || (c == 0xF0 && next < 0x90) ||
        (c == 0xF4 && next > 0x8F))
      return false;
    i += extra + 1;
  }
  return true;
}

// What a walk over the whole tree finds.
struct TreeScan {
  std::vector<plist_t> uidDicts;  // dicts that stand for a UID
  const char* problem = nullptr;  // why the tree cannot be kept intact
};

// Why libplist could not keep the text of a key or string, or null.
const char* TextProblem(std::string_view text) {
  // libplist cuts a string at a NUL when it writes the binary form.
  if (text.find('\0') != std::string_view::npos) return "a key or string holds a NUL character";
  if (!IsUtf8(text)) return "a key or string is not valid UTF-8";
  return nullptr;
}

// Walks the tree without recursion.
TreeScan ScanTree(plist_t root, const DateTable& dates) {
  TreeScan scan;
  std::vector<plist_t> pending{root};
  while (!pending.empty()) {
    plist_t node = pending.back();
    pending.pop_back();
    plist_type type = plist_get_node_type(node);
    if (type == PLIST_STRING) {
      std::uint64_t length = 0;
      const char* text = plist_get_string_ptr(node, &length);
      if (text && !scan.problem) scan.problem = TextProblem(std::string_view(text, length));
    } else if (type == PLIST_DATE) {
      // Every date was replaced by a marker before libplist read it.
      if (!dates.Find(node) && !scan.problem) scan.problem = "a date could not be read whole";
    } else if (IsUidDict(node)) {
      scan.uidDicts.push_back(node);
    } else if (type == PLIST_ARRAY) {
      for (std::uint32_t i = 0, n = plist_array_get_size(node); i < n; ++i)
        pending.push_back(plist_array_get_item(node, i));
    } else if (type == PLIST_DICT) {
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      std::unordered_set<std::string> keys;
      for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        if (key && !scan.problem) scan.problem = TextProblem(key);
        // Only the binary form can hold a key twice; XML keeps the last.
        if (key && !keys.insert(key).second && !scan.problem)
          scan.problem = "a dict holds a key twice";
        std::free(key);
        if (!value) break;
        pending.push_back(value);
      }
      std::free(it);
    }
  }
  return scan;
}

plist_t UidFrom(plist_t dict) {
  std::uint64_t value = 0;
  plist_get_uint_val(plist_dict_get_item(dict, "CF$UID"), &value);
  return plist_new_uid(value);
}

// Puts a UID in place of each UID dict; the root itself may be one.
void RestoreUids(PlistHandle& tree, const std::vector<plist_t>& uidDicts) {
  for (plist_t dict : uidDicts) {
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
  BinaryValues values;
  if (auto reason = CheckBinaryStructure(bytes, &values)) {
    result.error = "not a valid binary property list (" + *reason + ")";
    return result;
  }
  if (values.problem) {
    result.error = values.problem;
    return result;
  }
  std::string marked;
  if (auto reason = MarkBinary(bytes, values.dates, result.dates, marked)) {
    result.error = *reason;
    return result;
  }
  plist_t tree = nullptr;
  plist_from_bin(marked.data(), static_cast<std::uint32_t>(marked.size()), &tree);
  result.tree.reset(tree);
  if (!tree) {
    result.error = "not a valid binary property list";
  } else if (const char* problem = ScanTree(tree, result.dates).problem) {
    result.tree.reset();
    result.error = problem;
  }
  return result;
}

ReadResult ReadXml(std::string_view bytes) {
  ReadResult result;
  std::vector<XmlLeaf> leaves;
  if (auto reason = CheckXmlStructure(bytes, &leaves)) {
    result.error = "not a valid XML property list (" + *reason + ")";
    return result;
  }
  std::string marked;
  if (auto reason = MarkXml(bytes, leaves, result.dates, marked)) {
    result.error = *reason;
    return result;
  }
  std::string xml = DoubleAsReal(marked);
  plist_t tree = nullptr;
  plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &tree);
  result.tree.reset(tree);
  if (!tree) {
    result.error = "not a valid XML property list";
    return result;
  }
  TreeScan scan = ScanTree(tree, result.dates);
  if (scan.problem) {
    result.tree.reset();
    result.error = scan.problem;
    return result;
  }
  RestoreUids(result.tree, scan.uidDicts);
  return result;
}

}  // namespace

ReadResult ReadPlist(std::string_view bytes) {
  if (bytes.empty()) return {nullptr, "empty file, not a property list", {}};
  if (bytes.size() >= kMaxParseSize) return {nullptr, "file too large", {}};
  return IsBinary(bytes) ? ReadBinary(bytes) : ReadXml(bytes);
}

}  // namespace plutil
