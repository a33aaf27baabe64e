#include "plutil/XmlWriter.h"

#include <vector>

namespace plutil {

namespace {

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";
constexpr std::string_view kFooter = "</plist>\n";
constexpr std::string_view kUidKey = "CF$UID";

// The bits of -0.0: a date that the XML text would read back as +0.0.
constexpr std::uint64_t kNegativeZero = std::uint64_t{1} << 63;

bool IsContainer(const Node& node) { return node.kind == Kind::Array || node.kind == Kind::Dict; }

std::string_view Tag(const Node& node) { return node.kind == Kind::Dict ? "dict" : "array"; }

// Why the XML form cannot hold a key or string, or null.
const char* TextProblem(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
      return "a key or string holds a control character, which the XML form cannot hold";
    // U+FFFE and U+FFFF are EF BF BE and EF BF BF.
    if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
        static_cast<unsigned char>(text[i + 2]) >= 0xBE)
      return "a key or string holds U+FFFE or U+FFFF, which the XML form cannot hold";
  }
  return nullptr;
}

// Marks the nodes that the root reaches (items have smaller indices).
std::vector<bool> Reachable(const Tree& tree) {
  std::vector<bool> reached(tree.size(), false);
  if (tree.size() == 0) return reached;
  reached[tree.root] = true;
  for (std::size_t id = tree.root + 1; id-- > 0;) {
    if (!reached[id]) continue;
    for (NodeId item : tree.Items(tree[static_cast<NodeId>(id)])) reached[item] = true;
  }
  return reached;
}

std::uint64_t Add(std::uint64_t a, std::uint64_t b) {
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

std::size_t Base64Size(std::size_t bytes) { return (bytes + 2) / 3 * 4; }

// Lines and bytes (at indentation 0) of one node written in a container;
// at indentation d it takes bytes + d * lines.
struct Extent {
  std::uint64_t lines = 0;
  std::uint64_t bytes = 0;
};

Extent LeafExtent(const Tree& tree, const Node& node) {
  switch (node.kind) {
    case Kind::Boolean:
      return {1, node.flag ? 8u : 9u};
    case Kind::Integer:
      return {1, 20 + IntegerText(node.word, node.flag).size()};
    case Kind::Real:
      return {1, 14 + RealText(node.word).value_or(std::string()).size()};
    case Kind::Date:
      return {1, 14 + 20};
    case Kind::String:
      return {1, 18 + EscapedSize(tree.Text(node))};
    case Kind::Data:
      return {3, 16 + Base64Size(node.size)};
    case Kind::Uid:
      return {4, 7 + 19 + 21 + std::to_string(node.word).size() + 8};
    default:
      return {1, Tag(node).size() + 4};  // an empty nested container: "<tag/>\n"
  }
}

}  // namespace

std::optional<std::string> XmlCannotHold(const Tree& tree) {
  std::vector<bool> reached = Reachable(tree);
  for (NodeId id = 0; id < tree.size(); ++id) {
    if (!reached[id]) continue;
    const Node& node = tree[id];
    if (node.kind == Kind::String) {
      if (const char* problem = TextProblem(tree.Text(node))) return problem;
    } else if (node.kind == Kind::Date) {
      if (node.word == kNegativeZero) return std::string(kDateNegativeZero);
      if (!DateText(DoubleOf(node))) return std::string(kDateOutsideText);
    } else if (node.kind == Kind::Real) {
      if (!RealText(node.word)) return "a real is a NaN other than the one the XML form holds";
    } else if (node.kind == Kind::Dict && node.size == 2 &&
               tree.Text(tree[tree.Items(node)[0]]) == kUidKey) {
      return "a dict holds only the key CF$UID, which the XML form reads as a UID";
    }
  }
  return std::nullopt;
}

std::uint64_t XmlSize(const Tree& tree) {
  std::vector<Extent> extents(tree.size());
  for (NodeId id = 0; id < tree.size() && id <= tree.root; ++id) {
    const Node& node = tree[id];
    if (!IsContainer(node) || (node.size == 0 && id != tree.root)) {
      extents[id] = LeafExtent(tree, node);
      continue;
    }
    std::span<const NodeId> items = tree.Items(node);
    Extent e{2, 2 * Tag(node).size() + 7};  // "<tag>\n" and "</tag>\n"
    bool dict = node.kind == Kind::Dict;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (dict && i % 2 == 0) {  // "\t<key>...</key>\n"
        e.lines = Add(e.lines, 1);
        e.bytes = Add(e.bytes, 13 + EscapedSize(tree.Text(tree[items[i]])));
        continue;
      }
      const Extent& child = extents[items[i]];
      e.lines = Add(e.lines, child.lines);
      e.bytes = Add(e.bytes, Add(child.bytes, child.lines));  // one tab more on each line
    }
    extents[id] = e;
  }
  if (tree.size() == 0) return 0;
  const Extent& root = extents[tree.root];
  return Add(root.bytes, kHeader.size() + kFooter.size());
}

namespace {

class Writer {
 public:
  explicit Writer(const Tree& tree) : tree_(tree) {}

  std::string Run() {
    out_.reserve(XmlSize(tree_));
    out_.append(kHeader);
    const Node& root = tree_[tree_.root];
    if (IsContainer(root)) {
      Line(0, "<", Tag(root), ">");
      levels_.push_back({tree_.root, 0});
      WriteLevels();
    } else {
      Leaf(0, root);
    }
    out_.append(kFooter);
    return std::move(out_);
  }

 private:
  // One container being written and the position of its next item.
  struct Level {
    NodeId node;
    std::size_t next;
  };

  void Indent(std::size_t indent) { out_.append(indent, '\t'); }

  void Line(std::size_t indent, std::string_view a, std::string_view b = {},
            std::string_view c = {}) {
    Indent(indent);
    out_.append(a).append(b).append(c).push_back('\n');
  }

  void Element(std::size_t indent, std::string_view tag, std::string_view value) {
    Indent(indent);
    out_.append("<").append(tag).append(">").append(value);
    out_.append("</").append(tag).append(">\n");
  }

  void Text(std::size_t indent, std::string_view tag, std::string_view text) {
    Indent(indent);
    out_.append("<").append(tag).append(">");
    AppendEscaped(text, out_);
    out_.append("</").append(tag).append(">\n");
  }

  void Leaf(std::size_t indent, const Node& node) {
    switch (node.kind) {
      case Kind::Boolean:
        Line(indent, node.flag ? "<true/>" : "<false/>");
        break;
      case Kind::Integer:
        Element(indent, "integer", IntegerText(node.word, node.flag));
        break;
      case Kind::Real:
        Element(indent, "real", RealText(node.word).value_or(std::string()));
        break;
      case Kind::Date:
        Element(indent, "date", DateText(DoubleOf(node)).value_or(std::string()));
        break;
      case Kind::String:
        Text(indent, "string", tree_.Text(node));
        break;
      case Kind::Data: {
        std::string_view bytes = tree_.Text(node);
        Line(indent, "<data>");
        Line(indent, Base64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
        Line(indent, "</data>");
        break;
      }
      case Kind::Uid:
        Line(indent, "<dict>");
        Element(indent + 1, "key", kUidKey);
        Element(indent + 1, "integer", std::to_string(node.word));
        Line(indent, "</dict>");
        break;
      case Kind::Array:
      case Kind::Dict:  // without entries
        Line(indent, "<", Tag(node), "/>");
        break;
    }
  }

  void WriteLevels() {
    while (!levels_.empty()) {
      std::size_t indent = levels_.size();
      Level& level = levels_.back();
      const Node& node = tree_[level.node];
      std::span<const NodeId> items = tree_.Items(node);
      if (level.next == items.size()) {
        levels_.pop_back();
        Line(indent - 1, "</", Tag(node), ">");
        continue;
      }
      if (node.kind == Kind::Dict) Text(indent, "key", tree_.Text(tree_[items[level.next++]]));
      NodeId id = items[level.next++];
      const Node& entry = tree_[id];
      if (IsContainer(entry) && entry.size > 0) {
        Line(indent, "<", Tag(entry), ">");
        levels_.push_back({id, 0});  // invalidates level
      } else {
        Leaf(indent, entry);
      }
    }
  }

  const Tree& tree_;
  std::string out_;
  std::vector<Level> levels_;
};

}  // namespace

std::string WriteXml(const Tree& tree) { return Writer(tree).Run(); }

}  // namespace plutil
