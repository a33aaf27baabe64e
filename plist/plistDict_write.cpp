// The XML writer and the dump: one element per line, tab indentation, the
// entries of each level in key order, nested levels one tab deeper.
//
// Both walk the tree with an explicit stack instead of one call per level,
// so a tree of any depth is written and dumped without exhausting the stack.
// The output is the same as that of one call per level: in the dump each
// level's rendering follows those of its nested levels. The dump appends it
// all to the clipboard at once, at the end, instead of once per level, which
// would copy the clipboard's whole text again for every level.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "framework/core/Clipboard.h"
#include "framework/core/TextOutputStream.h"
#include "plist/plistDict.h"

class plistXmlWriter {
 public:
  // Walks node and everything below it, handing each line to out:
  //   out.Line(text)                 one element line,
  //   out.Key(node, key, tabs)       the key line(s) of a dict entry,
  //   out.Begin() / out.End()        a level starts / is finished.
  // One indentation text serves every level, so the walk's memory stays
  // linear in the depth. The walk stops, returning false, at the first level
  // that would nest deeper than maxDepth (node's own level counted as 1; a
  // nested level without entries is one line, not a level).
  template <class Out>
  static bool Walk(const plistDict& node, std::int32_t indent, Out& out,
                   size_t maxDepth = SIZE_MAX) {
    if (maxDepth == 0) return false;  // not even node's own level fits
    std::vector<Frame> stack;
    stack.push_back(MakeFrame(node));
    fw::String tabs(indent > 0 ? static_cast<size_t>(indent) : 0, '\t');
    out.Begin();
    for (;;) {
      const Next next = Step(stack, tabs, out, maxDepth);
      if (next == Next::TooDeep) return false;
      if (next == Next::More) continue;
      stack.pop_back();
      out.End();
      if (stack.empty()) return true;
      tabs.pop_back();  // each nested level added one tab
      fw::String& line = out.Buffer();
      line.assign(tabs).append("</").append(stack.back().type).append(">");
      out.Line(line);
    }
  }

  // tabs + "<key>" + the escaped key + "</key>", built in line.
  static const fw::String& KeyLine(const fw::String& tabs, const fw::String& key,
                                   fw::String& line) {
    line.assign(tabs).append("<key>");
    plistDict::AppendEncoded(key, line);
    return line.append("</key>");
  }

 private:
  struct Frame {
    const plistDict* node;
    std::int32_t next = 0;                // next key position
    fw::String type;                      // type of the entry in progress
    std::vector<std::int32_t> positions;  // its children still to write
    size_t nextPosition = 0;
  };

  enum class Next { More, LevelDone, TooDeep };

  static Frame MakeFrame(const plistDict& node) {
    Frame f;
    f.node = &node;
    return f;
  }

  // Writes the next piece of the top level: More when there may be more,
  // LevelDone when that level is done, TooDeep when its next nested level
  // would pass maxDepth. tabs is the top level's indentation.
  template <class Out>
  static Next Step(std::vector<Frame>& stack, fw::String& tabs, Out& out, size_t maxDepth) {
    Frame& f = stack.back();
    if (f.nextPosition < f.positions.size()) {
      const plistDict& child =
          *f.node->children[static_cast<size_t>(f.positions[f.nextPosition++])];
      if (child.count() == 0) {
        out.Line(tabs + "<" + f.type + "/>");
        return Next::More;
      }
      if (stack.size() >= maxDepth) return Next::TooDeep;
      out.Line(tabs + "<" + f.type + ">");
      stack.push_back(MakeFrame(child));  // invalidates f
      tabs.push_back('\t');
      out.Begin();
      return Next::More;
    }
    if (f.next >= f.node->count()) return Next::LevelDone;
    Entry(f, tabs, out);
    return Next::More;
  }

  template <class Out>
  static void Entry(Frame& f, const fw::String& tabs, Out& out) {
    const plistDict& node = *f.node;
    const fw::String& key = node.types.Key(f.next);
    const fw::String& type = node.types.ValueAt(f.next++);
    if (!node.isArray) out.Key(node, key, tabs);
    if (type == "dict" || type == "array") {
      f.type = type;
      ChildrenOf(node, key, f.positions);
      f.nextPosition = 0;
      return;
    }
    const fw::String* text = node.values.Find(key);
    const std::string_view value = text ? std::string_view(*text) : std::string_view();
    fw::String& line = out.Buffer();
    if (type == "data") {
      out.Line(tabs + "<data>");
      line.assign(tabs);
      plistDict::AppendEncoded(value, line);
      out.Line(line);
      out.Line(tabs + "</data>");
    } else if (type == "boolean") {
      out.Line(tabs + (fw::TextEquals(value, "true") ? "<true/>" : "<false/>"));
    } else {
      line.assign(tabs).append("<").append(type).append(">");
      plistDict::AppendEncoded(value, line);
      line.append("</").append(type).append(">");
      out.Line(line);
    }
  }

  // The positions of the child list that stand under key, in list order.
  static void ChildrenOf(const plistDict& node, const fw::String& key,
                         std::vector<std::int32_t>& positions) {
    node.ChildPositions(key, positions);
  }
};

namespace {

class StreamLines {
 public:
  explicit StreamLines(fw::TextOutputStream& stream) : stream_(stream) {}
  void Begin() {}
  void End() {}
  fw::String& Buffer() { return buffer_; }
  void Line(const fw::String& text) { stream_.WriteLine(text); }
  void Key(const plistDict&, const fw::String& key, const fw::String& tabs) {
    Line(plistXmlWriter::KeyLine(tabs, key, buffer_));
  }

 private:
  fw::TextOutputStream& stream_;
  fw::String buffer_;
};

// Each level's rendering, every line ending with CR, added to the dump when
// the level is finished (so nested levels come first); the whole dump goes
// to the clipboard in one append when the level Dump was called on is done.
class ClipboardLines {
 public:
  fw::String& Buffer() { return buffer_; }
  void Begin() { renderings_.emplace_back(); }
  void End() {
    done_ += renderings_.back();
    renderings_.pop_back();
    if (!renderings_.empty()) return;
    fw::Clipboard clipboard;
    clipboard.SetText(clipboard.Text() + done_);
    clipboard.Close();
  }
  void Line(const fw::String& text) {
    renderings_.back() += text;
    renderings_.back() += '\r';
  }
  void Key(const plistDict& node, const fw::String& key, const fw::String& tabs) {
    Line(tabs + "<key>" + key + "</key>");
    Line(tabs + (node.searched.HasKey(key) ? "<search/>" : "<nosearch/>"));
  }

 private:
  std::vector<fw::String> renderings_;
  fw::String done_;
  fw::String buffer_;
};

}  // namespace

void plistDict::Write(fw::TextOutputStream& stream, std::int32_t indent) {
  StreamLines out(stream);
  plistXmlWriter::Walk(*this, indent, out);
}

bool plistDict::Write(fw::TextOutputStream& stream, std::int32_t indent, std::size_t maxDepth) {
  StreamLines out(stream);
  return plistXmlWriter::Walk(*this, indent, out, maxDepth);
}

void plistDict::Dump(std::int32_t indent) {
  ClipboardLines out;
  plistXmlWriter::Walk(*this, indent, out);
}

fw::String plistDict::BracketsToCode(const fw::String& text) {
  fw::String out;
  AppendEncoded(text, out);
  return out;
}

namespace {

// Whether c is one of the characters AppendEncoded replaces. A plain
// comparison per character: string_view::find_first_of would search the set
// once for every character of the text.
inline bool NeedsEscape(char c) {
  return c == '&' || c == '<' || c == '>' || c == '\r' || c == '\n';
}

}  // namespace

// Escapes "&" (first), "<", ">", and writes CR and LF as character
// references, so that every value and key stands on one line.
void plistDict::AppendEncoded(std::string_view text, fw::String& out) {
  size_t plain = 0;  // start of the text not yet appended
  for (size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (!NeedsEscape(c)) continue;
    out.append(text.substr(plain, at - plain));
    plain = at + 1;
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        out += "&#10;";
    }
  }
  out.append(text.substr(plain));
}
