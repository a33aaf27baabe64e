#include "plutil/XmlWriter.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace plutil {

namespace {

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

std::string Integer(plist_t node) {
  std::uint64_t value = 0;
  plist_get_uint_val(node, &value);
  bool negative = false;
  if (value > static_cast<std::uint64_t>(INT64_MAX)) {
    // libplist keeps signed and unsigned 64-bit integers alike; its own XML
    // text tells which one this is.
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    negative = xml && std::string_view(xml, length).find("<integer>-") != std::string_view::npos;
    std::free(xml);
  }
  return negative ? std::to_string(static_cast<std::int64_t>(value)) : std::to_string(value);
}

std::string Real(plist_t node) {
  double value = 0;
  plist_get_real_val(node, &value);
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "+infinity" : "-infinity";
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return std::string(text, ec == std::errc() ? end : text);
}

std::string Data(plist_t node) {
  std::uint64_t length = 0;
  const char* bytes = plist_get_data_ptr(node, &length);
  return Base64(reinterpret_cast<const unsigned char*>(bytes), bytes ? length : 0);
}

std::string StringValue(plist_t node) {
  std::uint64_t length = 0;
  const char* text = plist_get_string_ptr(node, &length);
  return text ? std::string(text, length) : std::string();
}

// One level being written: a dict or array and the position of its next entry.
struct Level {
  plist_t node;
  bool isDict;
  std::uint32_t next = 0;
  plist_dict_iter iter = nullptr;
};

class Writer {
 public:
  explicit Writer(const DateTable& dates) : dates_(dates) {}

  std::string Run(plist_t root) {
    out_.append(kHeader);
    if (IsContainer(root)) {
      Line(0, std::string("<") + Tag(root) + ">");
      Enter(root);
      WriteLevels();
    } else {
      Leaf(0, root);
    }
    out_.append("</plist>\n");
    return std::move(out_);
  }

 private:
  static bool IsContainer(plist_t node) {
    plist_type type = plist_get_node_type(node);
    return type == PLIST_DICT || type == PLIST_ARRAY;
  }

  static const char* Tag(plist_t node) {
    return plist_get_node_type(node) == PLIST_DICT ? "dict" : "array";
  }

  static std::uint32_t Size(plist_t node) {
    return plist_get_node_type(node) == PLIST_DICT ? plist_dict_get_size(node)
                                                   : plist_array_get_size(node);
  }

  void Line(std::size_t indent, std::string_view text) {
    out_.append(indent, '\t');
    out_.append(text);
    out_.push_back('\n');
  }

  void Element(std::size_t indent, std::string_view tag, std::string_view value) {
    out_.append(indent, '\t');
    out_.append("<").append(tag).append(">").append(value);
    out_.append("</").append(tag).append(">\n");
  }

  void Leaf(std::size_t indent, plist_t node) {
    switch (plist_get_node_type(node)) {
      case PLIST_BOOLEAN:
        Line(indent, plist_bool_val_is_true(node) ? "<true/>" : "<false/>");
        break;
      case PLIST_UINT:
        Element(indent, "integer", Integer(node));
        break;
      case PLIST_REAL:
        Element(indent, "real", Real(node));
        break;
      case PLIST_STRING:
        Element(indent, "string", EscapeText(StringValue(node)));
        break;
      case PLIST_DATE:
        Element(indent, "date", Date(node));
        break;
      case PLIST_DATA:
        Line(indent, "<data>");
        Line(indent, Data(node));
        Line(indent, "</data>");
        break;
      case PLIST_UID: {
        std::uint64_t uid = 0;
        plist_get_uid_val(node, &uid);
        Line(indent, "<dict>");
        Element(indent + 1, "key", "CF$UID");
        Element(indent + 1, "integer", std::to_string(uid));
        Line(indent, "</dict>");
        break;
      }
      case PLIST_DICT:
      case PLIST_ARRAY:  // without entries
        Line(indent, std::string("<") + Tag(node) + "/>");
        break;
      default:  // libplist's readers make no other kind of value
        break;
    }
  }

  void Enter(plist_t node) {
    Level level{node, plist_get_node_type(node) == PLIST_DICT};
    if (level.isDict) plist_dict_new_iter(node, &level.iter);
    levels_.push_back(level);
  }

  void Leave() {
    Level& level = levels_.back();
    std::free(level.iter);
    Line(levels_.size() - 1, std::string("</") + Tag(level.node) + ">");
    levels_.pop_back();
  }

  // The next entry of the innermost level, its key line written; null at the end.
  plist_t NextEntry(Level& level, std::size_t indent) {
    if (!level.isDict) {
      return level.next < plist_array_get_size(level.node)
                 ? plist_array_get_item(level.node, level.next++)
                 : nullptr;
    }
    char* key = nullptr;
    plist_t value = nullptr;
    plist_dict_next_item(level.node, level.iter, &key, &value);
    if (value) Element(indent, "key", EscapeText(key ? key : ""));
    std::free(key);
    return value;
  }

  void WriteLevels() {
    while (!levels_.empty()) {
      std::size_t indent = levels_.size();
      plist_t entry = NextEntry(levels_.back(), indent);
      if (!entry) {
        Leave();
      } else if (IsContainer(entry) && Size(entry) > 0) {
        Line(indent, std::string("<") + Tag(entry) + ">");
        Enter(entry);
      } else {
        Leaf(indent, entry);
      }
    }
  }

  std::string Date(plist_t node) const {
    std::optional<double> seconds = dates_.Find(node);
    return seconds ? DateText(*seconds).value_or(std::string()) : std::string();
  }

  const DateTable& dates_;
  std::string out_;
  std::vector<Level> levels_;
};

}  // namespace

std::string EscapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out.append("&amp;");
        break;
      case '<':
        out.append("&lt;");
        break;
      case '>':
        out.append("&gt;");
        break;
      case '\r':
        out.append("&#13;");
        break;
      case '\n':
        out.append("&#10;");
        break;
      default:
        out.push_back(c);
        break;
    }
  }
  return out;
}

std::string Base64(const unsigned char* bytes, std::size_t size) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  for (std::size_t i = 0; i < size; i += 3) {
    std::uint32_t group = std::uint32_t{bytes[i]} << 16;
    if (i + 1 < size) group |= std::uint32_t{bytes[i + 1]} << 8;
    if (i + 2 < size) group |= bytes[i + 2];
    out.push_back(kDigits[(group >> 18) & 63]);
    out.push_back(kDigits[(group >> 12) & 63]);
    out.push_back(i + 1 < size ? kDigits[(group >> 6) & 63] : '=');
    out.push_back(i + 2 < size ? kDigits[group & 63] : '=');
  }
  return out;
}

std::string WriteXml(plist_t root, const DateTable& dates) { return Writer(dates).Run(root); }

}  // namespace plutil
