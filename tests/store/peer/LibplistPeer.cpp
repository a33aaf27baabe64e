#include "LibplistPeer.h"

#include <plist/plist.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "tests/support/Escaped.h"

namespace peer {
namespace {

using testsupport::Escaped;

struct Free {
  void operator()(void* p) const { std::free(p); }
};
struct FreePlist {
  void operator()(plist_t p) const { plist_free(p); }
};
using Tree = std::unique_ptr<void, FreePlist>;

std::string Base64(const char* data, uint64_t size) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  const auto* b = reinterpret_cast<const unsigned char*>(data);
  for (uint64_t i = 0; i < size; i += 3) {
    uint32_t n = static_cast<uint32_t>(b[i]) << 16;
    if (i + 1 < size) n |= static_cast<uint32_t>(b[i + 1]) << 8;
    if (i + 2 < size) n |= b[i + 2];
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < size ? kAlphabet[(n >> 6) & 63] : '=';
    out += i + 2 < size ? kAlphabet[n & 63] : '=';
  }
  return out;
}

std::string DateText(plist_t node) {
  int32_t sec = 0, usec = 0;
  plist_get_date_val(node, &sec, &usec);
  std::time_t t = static_cast<std::time_t>(sec) + 978307200;  // 2001-01-01 UTC
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

void DescribeEntry(const std::string& key, plist_t node, int depth, std::string& out);

void DescribeChildren(plist_t node, int depth, std::string& out) {
  if (plist_get_node_type(node) == PLIST_ARRAY) {
    for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
      DescribeEntry(std::to_string(i), plist_array_get_item(node, i), depth, out);
    return;
  }
  plist_dict_iter it = nullptr;
  plist_dict_new_iter(node, &it);
  for (;;) {
    char* key = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(node, it, &key, &value);
    if (!value) break;
    std::unique_ptr<char, Free> owned(key);
    DescribeEntry(key, value, depth, out);
  }
  std::free(it);
}

void DescribeEntry(const std::string& key, plist_t node, int depth, std::string& out) {
  out += std::string(static_cast<size_t>(depth) * 2, ' ') + Escaped(key) + " (";
  switch (plist_get_node_type(node)) {
    case PLIST_DICT:
    case PLIST_ARRAY: {
      const bool array = plist_get_node_type(node) == PLIST_ARRAY;
      out += array ? "array) [array]\n" : "dict) [dict]\n";
      DescribeChildren(node, depth + 1, out);
      return;
    }
    case PLIST_STRING: {
      char* s = nullptr;
      plist_get_string_val(node, &s);
      std::unique_ptr<char, Free> owned(s);
      out += "string) = " + Escaped(s ? s : "");
      break;
    }
    case PLIST_UINT: {
      uint64_t v = 0;
      plist_get_uint_val(node, &v);
      out += "integer) = " + std::to_string(static_cast<int64_t>(v));
      break;
    }
    case PLIST_REAL: {
      double v = 0;
      plist_get_real_val(node, &v);
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.17g", v);
      out += "real) = " + std::string(buf);
      break;
    }
    case PLIST_BOOLEAN: {
      uint8_t v = 0;
      plist_get_bool_val(node, &v);
      out += std::string("boolean) = ") + (v ? "true" : "false");
      break;
    }
    case PLIST_DATE:
      out += "date) = " + DateText(node);
      break;
    case PLIST_DATA: {
      char* d = nullptr;
      uint64_t size = 0;
      plist_get_data_val(node, &d, &size);
      std::unique_ptr<char, Free> owned(d);
      out += "data) = " + Base64(d, size);
      break;
    }
    default:
      out += "other)";
  }
  out += "\n";
}

bool Describe(plist_t root, std::string& description) {
  Tree owned(root);
  if (!root || plist_get_node_type(root) != PLIST_DICT) return false;
  description.clear();
  DescribeChildren(root, 0, description);
  return true;
}

std::string ToXml(plist_t tree) {
  char* xml = nullptr;
  uint32_t size = 0;
  plist_to_xml(tree, &xml, &size);
  std::string text(xml, size);
  plist_to_xml_free(xml);
  return text;
}

}  // namespace

bool DescribeXml(const std::string& xml, std::string& description) {
  plist_t root = nullptr;
  plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
  return Describe(root, description);
}

bool DescribeBinary(const std::string& bytes, std::string& description) {
  plist_t root = nullptr;
  plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  return Describe(root, description);
}

Sample MakeSample() {
  Tree root(plist_new_dict());
  plist_t r = root.get();
  plist_dict_set_item(r, "name",
                      plist_new_string("Tom & Jerry <cartoon> \xe6\x97\xa5\xe6\x9c\xac"));
  plist_dict_set_item(r, "a & b", plist_new_string("key with an ampersand"));
  plist_dict_set_item(r, "count", plist_new_uint(3128));
  plist_dict_set_item(r, "negative", plist_new_uint(static_cast<uint64_t>(-42)));
  plist_dict_set_item(r, "ratio", plist_new_real(0.25));
  plist_dict_set_item(r, "yes", plist_new_bool(1));
  plist_dict_set_item(r, "no", plist_new_bool(0));
  plist_dict_set_item(r, "when", plist_new_date(757382400, 0));  // 2025-01-01T00:00:00Z
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 7);
  plist_dict_set_item(r, "blob", plist_new_data(bytes.data(), bytes.size()));
  plist_dict_set_item(r, "empty data", plist_new_data("", 0));
  plist_dict_set_item(r, "empty dict", plist_new_dict());
  plist_dict_set_item(r, "empty array", plist_new_array());
  plist_dict_set_item(r, "empty string", plist_new_string(""));
  plist_t list = plist_new_array();
  plist_array_append_item(list, plist_new_string("first"));
  plist_array_append_item(list, plist_new_uint(2));
  plist_t inner = plist_new_dict();
  plist_dict_set_item(inner, "deep", plist_new_array());
  plist_array_append_item(plist_dict_get_item(inner, "deep"), plist_new_bool(1));
  plist_array_append_item(plist_dict_get_item(inner, "deep"), plist_new_array());
  plist_dict_set_item(inner, "x", plist_new_real(-1.5e10));
  plist_array_append_item(list, inner);
  plist_array_append_item(list, plist_new_dict());
  plist_dict_set_item(r, "list", list);

  Sample s;
  s.xml = ToXml(r);
  char* bin = nullptr;
  uint32_t size = 0;
  plist_to_bin(r, &bin, &size);
  s.binary.assign(bin, size);
  plist_to_bin_free(bin);
  DescribeChildren(r, 0, s.description);
  return s;
}

std::string XmlWithRawLineBreak(const std::string& key, const std::string& text) {
  Tree root(plist_new_dict());
  plist_dict_set_item(root.get(), key.c_str(), plist_new_string(text.c_str()));
  return ToXml(root.get());
}

}  // namespace peer
