// The header check: one pass over the lines before the root line, markup
// by markup, with what is still open (a comment or a processing
// instruction) carried from one line to the next.
#include "plist/plistHeader.h"

#include <string_view>
#include <utility>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t BlanksAt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

bool IsBlankText(std::string_view text) { return BlanksAt(text) == text.size(); }

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal in ASCII letters of any case.
bool EqualsAnyCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// The XML name at the start of text, or an empty view.
std::string_view NameAt(std::string_view text) {
  if (text.empty() || !IsNameStart(text[0])) return {};
  size_t i = 1;
  while (i < text.size() && IsNameChar(text[i])) ++i;
  return text.substr(0, i);
}

// A tag that begins with name ("<plist", "<!DOCTYPE"), then a blank or ">".
bool StartsTag(std::string_view text, std::string_view name) {
  return StartsWith(text, name) && text.size() > name.size() &&
         (IsBlank(text[name.size()]) || text[name.size()] == '>');
}

class HeaderReader {
 public:
  // Takes the next header line; false when it refuses the header.
  bool Line(std::string_view line) {
    const bool fileStart = std::exchange(first_, false);
    if (fileStart && StartsWith(line, "\xEF\xBB\xBF")) line.remove_prefix(3);  // UTF-8 BOM
    if (open_ != Open::Nothing)
      return Continue(line) && (open_ != Open::Nothing || IsBlankText(line));
    for (bool lineStart = true;; lineStart = false) {
      const size_t indent = BlanksAt(line);
      line.remove_prefix(indent);
      if (line.empty()) return true;
      if (!Markup(line, lineStart, fileStart && lineStart && indent == 0)) return false;
      if (open_ != Open::Nothing) return true;  // the rest of the line is inside it
    }
  }

  bool Complete() const { return stage_ == Stage::Plist && open_ == Open::Nothing; }

 private:
  enum class Stage { None, Declaration, Doctype, Plist };
  enum class Open { Nothing, Comment, Instruction };

  // The markup at the start of line, taken off it.
  bool Markup(std::string_view& line, bool lineStart, bool atFileStart) {
    if (StartsWith(line, "<!--")) return Alone(line, lineStart, Open::Comment, 4);
    if (StartsWith(line, "<?")) return Instruction(line, lineStart, atFileStart);
    if (StartsTag(line, "<!DOCTYPE")) return Whole(line, Stage::Doctype, true);
    if (StartsTag(line, "<plist")) return Whole(line, Stage::Plist, false);
    return false;  // text, or an element the header may not hold
  }

  // "<?xml" at the very start of the file is the declaration; any other
  // "<?" opens a processing instruction.
  bool Instruction(std::string_view& line, bool lineStart, bool atFileStart) {
    const std::string_view target = NameAt(line.substr(2));
    if (target.empty()) return false;
    if (target == "xml" && atFileStart) return Declaration(line);
    if (EqualsAnyCase(target, "xml")) return false;  // reserved for the declaration
    const std::string_view after = line.substr(2 + target.size());
    if (!after.empty() && !IsBlank(after[0]) && !StartsWith(after, "?>")) return false;
    return Alone(line, lineStart, Open::Instruction, 2 + target.size());
  }

  // A comment or processing instruction: it must begin its line and, once
  // closed, end it.
  bool Alone(std::string_view& line, bool lineStart, Open kind, size_t opening) {
    if (!lineStart) return false;
    open_ = kind;
    line.remove_prefix(opening);
    return Continue(line) && (open_ != Open::Nothing || IsBlankText(line));
  }

  // Inside an open comment or processing instruction: takes line up to its
  // end (the line is then what follows it), or all of line when it goes on.
  bool Continue(std::string_view& line) {
    if (open_ == Open::Comment) {
      const size_t dashes = line.find("--");
      if (dashes == std::string_view::npos) return Rest(line);
      if (line.substr(dashes + 2, 1) != ">") return false;  // "--" inside a comment
      return Closed(line, dashes + 3);
    }
    const size_t end = line.find("?>");
    return end == std::string_view::npos ? Rest(line) : Closed(line, end + 2);
  }

  bool Rest(std::string_view& line) {
    line = {};
    return true;
  }

  bool Closed(std::string_view& line, size_t length) {
    line.remove_prefix(length);
    open_ = Open::Nothing;
    return true;
  }

  // A DOCTYPE or the plist tag, up to its ">" on this line.
  bool Whole(std::string_view& line, Stage stage, bool doctype) {
    const size_t end = line.find('>');
    if (end == std::string_view::npos) return false;
    const std::string_view tag = line.substr(0, end + 1);
    if (doctype && tag.find('[') != std::string_view::npos) return false;  // internal subset
    if (!doctype && tag.substr(tag.size() - 2) == "/>") return false;      // "<plist/>"
    line.remove_prefix(end + 1);
    return Next(stage);
  }

  // The declaration: "<?xml", pseudo-attributes each after a blank, "?>".
  bool Declaration(std::string_view& line) {
    line.remove_prefix(5);
    for (;;) {
      const size_t blanks = BlanksAt(line);
      line.remove_prefix(blanks);
      if (StartsWith(line, "?>")) {
        line.remove_prefix(2);
        return Next(Stage::Declaration);
      }
      if (blanks == 0 || !PseudoAttribute(line)) return false;
    }
  }

  // name = "value" (or 'value'), taken off line; false when it is not one,
  // or when it names an encoding other than UTF-8.
  bool PseudoAttribute(std::string_view& line) {
    const std::string_view name = NameAt(line);
    if (name.empty()) return false;
    line.remove_prefix(name.size());
    line.remove_prefix(BlanksAt(line));
    if (!StartsWith(line, "=")) return false;
    line.remove_prefix(1);
    line.remove_prefix(BlanksAt(line));
    if (line.empty() || (line[0] != '"' && line[0] != '\'')) return false;
    const size_t close = line.find(line[0], 1);
    if (close == std::string_view::npos) return false;
    const std::string_view value = line.substr(1, close - 1);
    line.remove_prefix(close + 1);
    return name != "encoding" || EqualsAnyCase(value, "UTF-8");
  }

  bool Next(Stage stage) {
    if (stage <= stage_) return false;
    stage_ = stage;
    return true;
  }

  bool first_ = true;
  Stage stage_ = Stage::None;
  Open open_ = Open::Nothing;
};

}  // namespace

bool plistHeaderIsReadable(const std::vector<fw::String>& lines) {
  HeaderReader header;
  for (size_t i = 0; i + 1 < lines.size(); ++i)
    if (!header.Line(lines[i])) return false;
  return header.Complete();
}
