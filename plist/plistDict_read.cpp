// The XML reader: fills a level, and every level nested in it, from the
// line-oriented property-list form, one line at a time.
//
// The levels are read with an explicit stack instead of one call per level,
// so the depth of a file costs heap, not stack. Each level keeps its own
// state exactly as a separate call would: the fields of a line that opened a
// nested level are handled by the outer level once the nested one has ended.
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/core/TextInputStream.h"
#include "plist/plist.h"
#include "plist/plistDict.h"

namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The text without its leading control characters (as StripAll, in place).
std::string_view Stripped(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 32) ++i;
  return text.substr(i);
}

// Position of the first "</" + name + tail in text, or npos.
size_t FindClosing(std::string_view text, std::string_view name, std::string_view tail = {}) {
  for (size_t at = text.find("</"); at != std::string_view::npos; at = text.find("</", at + 1)) {
    std::string_view after = text.substr(at + 2);
    if (after.substr(0, name.size()) == name && after.substr(name.size(), tail.size()) == tail)
      return at;
  }
  return std::string_view::npos;
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The tags of one line as fields: the line is split between "><" unless a
// closing tag "</" follows, which stays joined to the tag before it.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  size_t start = 0;
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    if (line[i] == '>' && line[i + 1] == '<' && (i + 2 >= line.size() || line[i + 2] != '/')) {
      fields.push_back(line.substr(start, i + 1 - start));
      start = i + 1;
    }
  }
  fields.push_back(line.substr(start));
}

}  // namespace

// The reading state of one level, as one call of the reader would hold it.
struct plistXmlLevel {
  plistDict* node;
  fw::String endTag;
  fw::String lastField;
  fw::String currentKey;
  fw::String tagName;
  fw::String elementType;
  fw::String pending;
  bool multiLine = false;
  bool keyOpen = false;  // the open multi-line element is a key
  bool selfClosing = false;
  fw::String line;                       // the line being handled
  std::string_view indent;               // its leading control characters
  bool keepIndent = false;               // they belong to the open value
  std::vector<std::string_view> fields;  // its fields, into line
  size_t nextField = 0;
};

class plistXmlReader {
 public:
  plistXmlReader(fw::TextInputStream& stream, plistDict* node) : stream_(stream) { Push(node); }

  // True when reading stopped at the nesting bound.
  bool CutShort() const { return stopped_; }

  void Run() {
    while (!levels_.empty()) {
      plistXmlLevel& level = levels_.back();
      if (level.nextField < level.fields.size()) {
        HandleField(level, level.fields[level.nextField++]);
      } else if (LevelEnds(level)) {
        levels_.pop_back();
      } else {
        ReadLine(level);
      }
    }
  }

 private:
  void Push(plistDict* node) {
    levels_.emplace_back();
    levels_.back().node = node;
    levels_.back().endTag = node->isArray ? "</array>" : "</dict>";
  }

  bool LevelEnds(plistXmlLevel& level) {
    return stopped_ || stream_.Eof() || level.lastField == level.endTag ||
           level.lastField == "<dict/>";
  }

  // A value or key spread over lines is its pieces joined by the line end
  // that ended each line, each continuation line whole (its tabs are part of
  // the value); data pieces are joined with nothing, without their indent.
  void ReadLine(plistXmlLevel& level) {
    if (level.node->isArray && !level.multiLine) {
      ++level.node->indexOf;
      level.currentKey = std::to_string(level.node->indexOf);
    }
    // Within an open value the stream's last line was this level's own.
    const bool text = level.multiLine && level.tagName != "data";
    if (text) level.pending.append(stream_.LineEnd());
    stream_.ReadLine(level.line);
    std::string_view stripped = Stripped(level.line);
    level.indent = std::string_view(level.line).substr(0, level.line.size() - stripped.size());
    level.keepIndent = text;
    SplitFields(stripped, level.fields);
    level.nextField = 0;
  }

  void HandleField(plistXmlLevel& level, std::string_view field) {
    const bool firstOfValueLine = std::exchange(level.keepIndent, false);
    if (field.substr(0, 5) == "<key>") return KeyField(level, field);
    if (field == level.endTag) {
      level.lastField = level.endTag;
      return;
    }
    if (firstOfValueLine && level.multiLine) level.pending.append(level.indent);
    if (level.multiLine && !IsClosingTag(field, level.tagName)) {
      return ContinuationField(level, field);
    }
    if (level.keyOpen) {  // the field is "</key>"
      level.lastField = field;
      return FinishPending(level);
    }
    if (Contains(field, ">")) return TagField(level, field);
    level.lastField = field;
  }

  static bool IsClosingTag(std::string_view field, std::string_view tagName) {
    return field.size() == tagName.size() + 3 && field.substr(0, 2) == "</" &&
           field.substr(2, tagName.size()) == tagName && field.back() == '>';
  }

  void KeyField(plistXmlLevel& level, std::string_view field) {
    std::string_view key = field.substr(5);
    if (EndsWith(key, "</key>")) {
      key.remove_suffix(6);
    } else if (!level.multiLine && !Contains(key, "</key>")) {
      // A key spread over lines: read as a value is, then made the key.
      level.multiLine = true;
      level.keyOpen = true;
      level.tagName = "key";
      level.pending = key;
      level.lastField = key;
      return;
    }
    plistDict::DecodeInto(key, level.currentKey);
    // The text as written decides whether the level ends, so that a key
    // whose decoded text equals the end tag stays a key.
    level.lastField = key;
  }

  void ContinuationField(plistXmlLevel& level, std::string_view field) {
    size_t at = FindClosing(field, level.tagName, ">");
    if (at != std::string_view::npos) {
      field = field.substr(0, at);
      level.multiLine = false;
    }
    level.pending.append(field);
    level.lastField = field;
    if (!level.multiLine) FinishPending(level);
  }

  // The multi-line value or key just closed becomes the entry's value or
  // the current key.
  void FinishPending(plistXmlLevel& level) {
    level.multiLine = false;
    if (!level.keyOpen) return StoreValue(level);
    level.keyOpen = false;
    plistDict::DecodeInto(level.pending, level.currentKey);
    level.pending.clear();
  }

  void StoreValue(plistXmlLevel& level) {
    fw::String value;
    plistDict::DecodeInto(level.pending, value);
    level.node->values.SetValue(level.currentKey, std::move(value));
  }

  void TagField(plistXmlLevel& level, std::string_view field) {
    std::string_view tag = field.substr(0, field.find('>'));
    if (!tag.empty() && tag.front() == '<') tag.remove_prefix(1);
    level.tagName = tag;
    if (tag == "false/" || tag == "true/") {
      level.node->types.SetValue(level.currentKey, "boolean");
      level.node->values.SetValue(level.currentKey, tag == "true/" ? "true" : "false");
      level.elementType = "boolean";
      level.lastField = field;
    } else if ((tag.size() == level.elementType.size() + 1 && tag.front() == '/' &&
                tag.substr(1) == level.elementType) ||
               tag == "/key") {
      level.multiLine = false;
      StoreValue(level);
      level.pending.clear();
      level.lastField = field;
    } else {
      OpeningTag(level, field, tag);
    }
    if (level.elementType == "dict" || level.elementType == "array") NestedLevel(level);
  }

  void OpeningTag(plistXmlLevel& level, std::string_view field, std::string_view tag) {
    level.selfClosing = !tag.empty() && tag.back() == '/';
    if (level.selfClosing) tag.remove_suffix(1);
    level.elementType = tag;
    level.node->types.SetValue(level.currentKey, level.elementType);
    level.lastField = field;
    if (level.elementType == "dict" || level.elementType == "array") return;
    std::string_view rest = field.substr(field.find('>') + 1);
    level.lastField = rest;
    size_t close = FindClosing(rest, level.elementType);
    if (close != std::string_view::npos) {
      level.pending = rest.substr(0, close);
      StoreValue(level);
      return;
    }
    level.multiLine = true;
    level.pending.clear();
    if (Contains(rest, ">")) return;
    level.pending = rest;
  }

  void NestedLevel(plistXmlLevel& level) {
    plistDict* parent = level.node;
    const bool array = level.elementType == "array";
    plistDict* child =
        parent->AppendChildNode(level.currentKey, parent->MakeChildNode(array, level.currentKey));
    const bool read = !level.selfClosing;
    child->Load(nullptr, level.currentKey, array, parent, parent->rootClass, false);
    if (!read) {
      if (level.elementType == "dict") level.lastField.clear();
      return;
    }
    if (levels_.size() >= plistDict::kMaxDepth) {
      stopped_ = true;  // too deep: reading ends here, as at the end of the file
      return;
    }
    Push(child);
  }

  fw::TextInputStream& stream_;
  std::deque<plistXmlLevel> levels_;  // references stay valid as levels come and go
  bool stopped_ = false;
};

void plistDict::Load(fw::TextInputStream* stream, const fw::String& nodeName, bool arrayFlag,
                     plistDict* parentNode, plist* document, bool readContents) {
  values.Clear();
  types.Clear();
  name = nodeName;
  parent = parentNode;
  rootClass = document;
  isArray = arrayFlag;
  indexOf = -1;
  if (!readContents) return;
  if (stream == nullptr) throw fw::IOError("no stream to read the level from");
  plistXmlReader reader(*stream, this);
  reader.Run();
  if (reader.CutShort() && rootClass) rootClass->cutShort_ = true;
}

fw::String plistDict::StripAll(const fw::String& text) {
  size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 32) ++i;
  return text.substr(i);
}

fw::String plistDict::CodeToBrackets(const fw::String& text) {
  fw::String out;
  DecodeInto(text, out);
  return out;
}

// Decodes "&lt;", "&gt;", "&#13;", "&#10;" and then "&amp;"; one pass from
// left to right gives the same text as those replacements in turn.
void plistDict::DecodeInto(std::string_view text, fw::String& out) {
  struct Entity {
    std::string_view code;
    char c;
  };
  static constexpr Entity kEntities[] = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&#13;", '\r'}, {"&#10;", '\n'}, {"&amp;", '&'}};
  out.clear();
  std::string_view rest = text;
  for (size_t amp = rest.find('&'); amp != std::string_view::npos; amp = rest.find('&')) {
    out.append(rest.substr(0, amp));
    rest.remove_prefix(amp);
    bool decoded = false;
    for (const Entity& e : kEntities) {
      if (rest.substr(0, e.code.size()) == e.code) {
        out += e.c;
        rest.remove_prefix(e.code.size());
        decoded = true;
        break;
      }
    }
    if (!decoded) {
      out += '&';
      rest.remove_prefix(1);
    }
  }
  out.append(rest);
}
