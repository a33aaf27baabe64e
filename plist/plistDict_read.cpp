// The XML reader: fills a level, and every level nested in it, from the
// line-oriented property-list form, one line at a time.
//
// It reads exactly or refuses: every element, key and text of the file ends
// up in the tree as XML reads it, or the whole read is refused. Nothing is
// skipped, cut or moved to another level. Blanks and tabs between elements
// are layout; a value's text is taken whole, over as many lines as it spans.
//
// The levels are read with an explicit stack instead of one call per level,
// so the depth of a file costs heap, not stack.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/core/TextInputStream.h"
#include "framework/core/Utf8.h"
#include "plist/plist.h"
#include "plist/plistDict.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Indentation: the leading control characters and blanks of a line.
std::string_view WithoutIndent(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && static_cast<unsigned char>(line[i]) <= 32) ++i;
  return line.substr(i);
}

std::string_view WithoutBlanks(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return text.substr(i);
}

// The text without its leading control characters.
std::string_view WithoutControls(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 32) ++i;
  return text.substr(i);
}

bool IsNameChar(char c) {
  if (static_cast<unsigned char>(c) <= 32) return false;
  switch (c) {
    case '<':
    case '>':
    case '/':
    case '&':
    case '=':
    case '"':
    case '\'':
      return false;
    default:
      return true;
  }
}

// One tag at the start of text: "<name>", "<name/>" or "</name>", blanks
// allowed before the ">". False for anything else (attributes, comments,
// declarations, a tag that does not end on its line).
struct Tag {
  std::string_view name;
  bool closing = false;
  bool selfClosing = false;
  size_t length = 0;  // of the whole tag
};

bool ScanTag(std::string_view text, Tag& tag) {
  size_t i = 1;
  tag.closing = text.size() > 1 && text[1] == '/';
  if (tag.closing) ++i;
  const size_t start = i;
  if (i < text.size() && (text[i] == '!' || text[i] == '?')) return false;  // <!-- <![CDATA[ <?pi
  while (i < text.size() && IsNameChar(text[i])) ++i;
  if (i == start) return false;
  tag.name = text.substr(start, i - start);
  while (i < text.size() && IsBlank(text[i])) ++i;
  tag.selfClosing = !tag.closing && i < text.size() && text[i] == '/';
  if (tag.selfClosing) ++i;
  if (i >= text.size() || text[i] != '>') return false;
  tag.length = i + 1;
  return true;
}

bool IsXmlChar(std::uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (!hex) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "&#N;" or "&#xN;" at the start of text (after its "&#"): the length of the
// whole reference, or 0 when it is malformed or names no XML character.
size_t CharacterReference(std::string_view text, fw::String& out) {
  size_t i = 2;
  const bool hex = i < text.size() && text[i] == 'x';
  if (hex) ++i;
  const size_t digits = i;
  std::uint32_t code = 0;
  for (int d; i < text.size() && (d = DigitValue(text[i], hex)) >= 0; ++i) {
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
    if (code > 0x10FFFF) code = 0x110000;  // stays out of range, never wraps
  }
  if (i == digits || i >= text.size() || text[i] != ';' || !IsXmlChar(code)) return 0;
  fw::utf8::Append(code, out);
  return i + 1;
}

// The reference at the start of text (which begins with "&") decoded onto
// out: its length, or 0 (out unchanged) when it is malformed or unknown.
size_t Reference(std::string_view text, fw::String& out) {
  if (text.size() > 1 && text[1] == '#') return CharacterReference(text, out);
  struct Entity {
    std::string_view code;
    char c;
  };
  static constexpr Entity kEntities[] = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
  for (const Entity& e : kEntities) {
    if (text.substr(0, e.code.size()) == e.code) {
      out += e.c;
      return e.code.size();
    }
  }
  return 0;
}

// The text with its references decoded, appended to out; false at the first
// malformed or unknown reference.
bool AppendDecoded(std::string_view text, fw::String& out) {
  for (size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&')) {
    out.append(text.substr(0, amp));
    text.remove_prefix(amp);
    const size_t used = Reference(text, out);
    if (used == 0) return false;
    text.remove_prefix(used);
  }
  out.append(text);
  return true;
}

}  // namespace

// One open level: its node and, in a dict level, the key read for the next
// element.
struct plistXmlLevel {
  plistDict* node;
  fw::String key;
  bool haveKey = false;
};

class plistXmlReader {
 public:
  enum class Outcome { Exact, Refused };

  // Reads node's contents when open, else only what follows the level.
  plistXmlReader(fw::TextInputStream& stream, plistDict* node, bool open) : stream_(stream) {
    if (open) {
      levels_.push_back({node, {}, false});
    } else {
      state_ = State::After;
    }
  }

  Outcome Run() {
    for (;;) {
      while (!rest_.empty() && !refused_) Step();
      if (refused_) return Outcome::Refused;
      if (stream_.Eof()) break;
      NextLine();
    }
    // A value, or a key without its value, still open at the end is lost.
    if (state_ == State::Text) return Outcome::Refused;
    if (state_ == State::Level && levels_.back().haveKey) return Outcome::Refused;
    return Outcome::Exact;
  }

 private:
  enum class State {
    Level,  // between the elements of the innermost open level
    Text,   // inside the text of a key or a leaf value
    After,  // the outermost level has ended
  };

  void NextLine() {
    stream_.ReadLine(line_);
    if (state_ != State::Text) {
      rest_ = WithoutIndent(line_);
    } else if (isData_) {
      rest_ = WithoutControls(line_);  // data lines lose their indentation
    } else {
      text_ += '\n';  // inside text every line end reads as LF, as in XML
      rest_ = line_;
    }
  }

  void Step() {
    if (state_ == State::Text) return TextPiece();
    rest_ = WithoutBlanks(rest_);
    if (rest_.empty()) return;
    Tag tag;
    if (rest_[0] != '<' || !ScanTag(rest_, tag)) return Refuse();
    rest_.remove_prefix(tag.length);
    if (state_ == State::After) return AfterLevel(tag);
    if (tag.closing) return EndTag(tag);
    Element(tag);
  }

  void Refuse() { refused_ = true; }

  // The text up to the next "<", which must be the element's closing tag.
  void TextPiece() {
    const size_t lt = rest_.find('<');
    if (!AppendDecoded(rest_.substr(0, lt), text_)) return Refuse();
    if (lt == std::string_view::npos) {
      rest_ = {};
      return;
    }
    rest_.remove_prefix(lt);
    Tag tag;
    if (!ScanTag(rest_, tag) || !tag.closing || tag.name != textName_) return Refuse();
    rest_.remove_prefix(tag.length);
    state_ = State::Level;
    plistXmlLevel& level = levels_.back();
    if (textName_ == "key") {
      level.key.swap(text_);
      level.haveKey = true;
    } else {
      level.node->values.SetValue(valueKey_, std::move(text_));
    }
    text_.clear();
  }

  void EndTag(const Tag& tag) {
    plistXmlLevel& level = levels_.back();
    if (tag.name != (level.node->isArray ? "array" : "dict") || level.haveKey) return Refuse();
    if (level.node->isArray) level.node->indexOf = level.node->count();
    levels_.pop_back();
    if (levels_.empty()) state_ = State::After;
  }

  // After the outermost level: one closing "</plist>", and nothing else.
  void AfterLevel(const Tag& tag) {
    if (!tag.closing || tag.name != "plist" || plistClosed_) return Refuse();
    plistClosed_ = true;
  }

  void Element(const Tag& tag) {
    plistXmlLevel& level = levels_.back();
    plistDict* node = level.node;
    if (tag.name == "key") {
      if (node->isArray || level.haveKey || tag.selfClosing) return Refuse();
      return BeginText(tag.name);
    }
    if (node->isArray) {
      valueKey_ = std::to_string(node->count());
    } else if (level.haveKey) {
      valueKey_.swap(level.key);
      level.haveKey = false;
    } else {
      return Refuse();  // a value without a key
    }
    // "boolean" names the store's own type for <true/> and <false/>: an
    // element of that name would load as one and save as <false/>.
    if (tag.name == "boolean") return Refuse();
    const bool nested = tag.name == "dict" || tag.name == "array";
    const bool boolean = tag.name == "true" || tag.name == "false";
    if (tag.selfClosing && !nested && !boolean) return Refuse();
    if (boolean && !tag.selfClosing && !ClosesAtOnce(tag)) return Refuse();
    if (!AddType(node, boolean ? std::string_view("boolean") : tag.name)) return Refuse();
    if (nested) return NestedLevel(node, tag);
    if (boolean) return node->values.SetValue(valueKey_, fw::String(tag.name));
    BeginText(tag.name);
  }

  // "<true>" and "<false>" are booleans as an empty pair, as "<true/>" and
  // "<false/>" are: the closing tag follows at once. Anything between them
  // (a blank, a line end, text) is not a boolean's value.
  bool ClosesAtOnce(const Tag& open) {
    Tag close;
    if (rest_.empty() || rest_[0] != '<' || !ScanTag(rest_, close)) return false;
    if (!close.closing || close.name != open.name) return false;
    rest_.remove_prefix(close.length);
    return true;
  }

  // False when the key is already taken in the level.
  bool AddType(plistDict* node, std::string_view type) {
    const std::int32_t before = node->count();
    typeName_.assign(type);
    node->types.SetValue(valueKey_, typeName_);
    if (node->isArray) node->indexOf = node->count();
    return node->count() > before;
  }

  void BeginText(std::string_view name) {
    state_ = State::Text;
    textName_.assign(name);
    isData_ = name == "data";
    text_.clear();
  }

  void NestedLevel(plistDict* parent, const Tag& tag) {
    const bool array = tag.name == "array";
    plistDict* child = parent->AppendChildNode(valueKey_, parent->MakeChildNode(array, valueKey_));
    child->Load(nullptr, valueKey_, array, parent, parent->rootClass, false);
    if (tag.selfClosing) return;
    if (levels_.size() >= plistDict::kMaxDepth) return Refuse();  // one level too deep
    levels_.push_back({child, {}, false});
  }

  fw::TextInputStream& stream_;
  std::vector<plistXmlLevel> levels_;
  State state_ = State::Level;
  fw::String line_;        // the line being read
  std::string_view rest_;  // its part not yet read
  fw::String textName_;    // element whose text is being read
  bool isData_ = false;
  fw::String text_;      // that text so far, decoded
  fw::String valueKey_;  // key of the element being read
  fw::String typeName_;
  bool plistClosed_ = false;
  bool refused_ = false;
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
  ReadLevel(*stream, true);
}

void plistDict::ReadLevel(fw::TextInputStream& stream, bool open) {
  plistXmlReader reader(stream, this, open);
  switch (reader.Run()) {
    case plistXmlReader::Outcome::Exact:
      return;
    case plistXmlReader::Outcome::Refused:
      break;
  }
  for (auto last = static_cast<std::int32_t>(children.size()) - 1; last > 0; --last)
    TakeChildAt(last);  // from the end: nothing moves
  values.Clear();
  types.Clear();
  indexOf = -1;
  if (rootClass) rootClass->NotAPlist();
}

fw::String plistDict::StripAll(const fw::String& text) { return fw::String(WithoutControls(text)); }

// A reference that cannot be decoded stays as written.
fw::String plistDict::CodeToBrackets(const fw::String& text) {
  fw::String out;
  std::string_view rest = text;
  for (size_t amp = rest.find('&'); amp != std::string_view::npos; amp = rest.find('&')) {
    out.append(rest.substr(0, amp));
    rest.remove_prefix(amp);
    size_t used = Reference(rest, out);
    if (used == 0) {
      out += '&';
      used = 1;
    }
    rest.remove_prefix(used);
  }
  out.append(rest);
  return out;
}
