#include "plutil/XmlReader.h"

#include "plutil/Limits.h"
#include "plutil/Reader.h"
#include "plutil/ValueText.h"

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

namespace plutil {

namespace {

std::string Bad(std::string_view reason) {
  return "not a valid XML property list (" + std::string(reason) + ")";
}
const std::string kBad = "not a valid XML property list";

enum class Element { Plist, Dict, Array, Key, String, Integer, Real, Date, Data, True, False };

struct Name {
  const char* text;
  Element element;
};

constexpr Name kNames[] = {
    {"plist", Element::Plist}, {"dict", Element::Dict},     {"array", Element::Array},
    {"key", Element::Key},     {"string", Element::String}, {"integer", Element::Integer},
    {"real", Element::Real},   {"double", Element::Real},   {"date", Element::Date},
    {"data", Element::Data},   {"true", Element::True},     {"false", Element::False},
};

std::optional<Element> ElementNamed(const char* name) {
  for (const Name& n : kNames)
    if (std::strcmp(n.text, name) == 0) return n.element;
  return std::nullopt;
}

// Elements whose contents are text (and no elements).
bool HoldsText(Element e) {
  return e == Element::Key || e == Element::String || e == Element::Integer || e == Element::Real ||
         e == Element::Date || e == Element::Data;
}

bool IsContainer(Element e) { return e == Element::Dict || e == Element::Array; }

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool AllSpace(std::string_view text) { return std::all_of(text.begin(), text.end(), IsXmlSpace); }

struct FreeParser {
  void operator()(XML_Parser parser) const noexcept { XML_ParserFree(parser); }
};
using Parser = std::unique_ptr<std::remove_pointer_t<XML_Parser>, FreeParser>;

class XmlReader {
 public:
  XmlReader(std::string_view bytes, Tree& tree) : bytes_(bytes), tree_(tree) {}

  std::optional<std::string> Run() {
    Parser parser(XML_ParserCreate(nullptr));
    if (!parser) throw std::bad_alloc();
    parser_ = parser.get();
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser_, OnText);
    XML_SetStartDoctypeDeclHandler(parser_, OnDoctype);
    XML_SetEntityDeclHandler(parser_, OnEntityDecl);
    XML_SetSkippedEntityHandler(parser_, OnSkippedEntity);
    XML_SetCommentHandler(parser_, OnComment);
    XML_SetProcessingInstructionHandler(parser_, OnInstruction);
    if (!Parse()) return ParseError();
    if (!rootDone_) return Bad("no value");
    return std::nullopt;
  }

 private:
  // An element being read, and where its items start in pending_.
  struct Open {
    Element element;
    std::size_t items;
    bool keyPending = false;  // a dict's key read, its value not yet
  };

  bool Parse() {
    constexpr std::size_t kChunk = std::size_t{1} << 24;
    std::string_view rest = bytes_;
    do {
      std::size_t n = std::min(rest.size(), kChunk);
      bool last = n == rest.size();
      XML_Status status = XML_Parse(parser_, rest.data(), static_cast<int>(n), last);
      if (thrown_) std::rethrow_exception(thrown_);
      if (status != XML_STATUS_OK) {
        if (XML_GetErrorCode(parser_) == XML_ERROR_NO_MEMORY) throw std::bad_alloc();
        return false;
      }
      rest.remove_prefix(n);
    } while (!rest.empty());
    return !error_;
  }

  std::string ParseError() const {
    if (error_) return *error_;
    switch (XML_GetErrorCode(parser_)) {
      case XML_ERROR_TAG_MISMATCH:
        return Bad("closing tag </" + ClosingName() + "> does not match");
      case XML_ERROR_UNCLOSED_TOKEN:
      case XML_ERROR_UNCLOSED_CDATA_SECTION:
        return Bad("unterminated markup");
      case XML_ERROR_INVALID_TOKEN:
      case XML_ERROR_PARTIAL_CHAR:
        if (bytes_.find('\0') != std::string_view::npos) return Bad("holds a NUL character");
        if (!IsUtf8(bytes_) && !LooksUtf16()) return kNotUtf8;
        return kBad;
      default:
        return kBad;
    }
  }

  bool LooksUtf16() const {
    return bytes_.starts_with("\xFE\xFF") || bytes_.starts_with("\xFF\xFE");
  }

  // The name of the closing tag that expat found out of place (it reports
  // where the name starts, just past "</").
  std::string ClosingName() const {
    auto at = static_cast<std::size_t>(XML_GetCurrentByteIndex(parser_));
    if (at < 2 || at > bytes_.size() || bytes_.substr(at - 2, 2) != "</") return {};
    std::size_t end = at;
    while (end < bytes_.size() && !IsXmlSpace(bytes_[end]) && bytes_[end] != '>') ++end;
    return std::string(bytes_.substr(at, end - at));
  }

  void Fail(std::string reason) {
    if (error_) return;
    error_ = std::move(reason);
    XML_StopParser(parser_, XML_FALSE);
  }

  // ---- expat's events ------------------------------------------------------
  //
  // No exception may unwind through expat's C frames: each event is handled
  // inside Guard, which keeps what it throws (running out of memory), stops
  // the parser and lets Parse throw it again once XML_Parse has returned.

  template <typename Handle>
  static void Guard(void* data, Handle handle) noexcept {
    XmlReader& self = *static_cast<XmlReader*>(data);
    try {
      handle(self);
    } catch (...) {
      self.thrown_ = std::current_exception();
      XML_StopParser(self.parser_, XML_FALSE);
    }
  }

  static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char**) noexcept {
    Guard(data, [name](XmlReader& self) { self.Start(name); });
  }
  static void XMLCALL OnEnd(void* data, const XML_Char*) noexcept {
    Guard(data, [](XmlReader& self) { self.End(); });
  }
  static void XMLCALL OnText(void* data, const XML_Char* text, int length) noexcept {
    Guard(data, [text, length](XmlReader& self) {
      self.Text(std::string_view(text, static_cast<std::size_t>(length)));
    });
  }
  static void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                int hasInternalSubset) noexcept {
    Guard(data, [hasInternalSubset](XmlReader& self) {
      if (hasInternalSubset) self.Fail(Bad("a DOCTYPE with an internal subset"));
    });
  }
  // Declarations stand only in an internal subset, refused above; this
  // guard refuses any that expat would report all the same.
  static void XMLCALL OnEntityDecl(void* data, const XML_Char*, int, const XML_Char*, int,
                                   const XML_Char*, const XML_Char*, const XML_Char*,
                                   const XML_Char*) noexcept {
    Guard(data, [](XmlReader& self) { self.Fail(Bad("an entity declaration")); });
  }
  static void XMLCALL OnSkippedEntity(void* data, const XML_Char*, int) noexcept {
    Guard(data, [](XmlReader& self) { self.Fail(Bad("a reference to an undeclared entity")); });
  }
  static void XMLCALL OnComment(void* data, const XML_Char*) noexcept {
    Guard(data, [](XmlReader& self) { self.AfterRootCheck(); });
  }
  static void XMLCALL OnInstruction(void* data, const XML_Char*, const XML_Char*) noexcept {
    Guard(data, [](XmlReader& self) { self.AfterRootCheck(); });
  }

  void AfterRootCheck() {
    if (rootDone_) Fail(Bad("markup after the root element"));
  }

  // ---- elements ------------------------------------------------------------

  void Start(const char* name) {
    if (error_) return;
    std::optional<Element> element = ElementNamed(name);
    if (!element) return Fail(kBad);
    if (auto reason = Misplaced(*element)) return Fail(Bad(reason));
    if (IsContainer(*element) && ++depth_ > kMaxDepth) return Fail(Bad(TooDeep()));
    if (*element == Element::Key && !open_.empty()) open_.back().keyPending = true;
    open_.push_back({*element, pending_.size()});
    text_.clear();
  }

  // Why an element may not stand where it starts, or null.
  const char* Misplaced(Element element) const {
    if (open_.empty()) {
      return element == Element::Key ? "a key outside a dict" : nullptr;
    }
    const Open& parent = open_.back();
    if (element == Element::Plist) return "a plist element inside another element";
    if (HoldsText(parent.element) || parent.element == Element::True ||
        parent.element == Element::False)
      return "an element inside a value";
    if (parent.element == Element::Dict) {
      if (element == Element::Key && parent.keyPending) return "a key without a value";
      if (element != Element::Key && !parent.keyPending) return "a value without a key";
      return nullptr;
    }
    if (element == Element::Key) return "a key outside a dict";
    if (parent.element == Element::Plist && pending_.size() > parent.items)
      return "more than one value";
    return nullptr;
  }

  void Text(std::string_view text) {
    if (error_ || open_.empty()) return;
    if (HoldsText(open_.back().element)) {
      text_.append(text);
    } else if (!AllSpace(text)) {
      Fail(Bad("text outside a value"));
    }
  }

  void End() {
    if (error_) return;
    Open open = open_.back();
    open_.pop_back();
    std::optional<NodeId> value;
    if (auto error = Finish(open, value)) return Fail(std::move(*error));
    if (open.element == Element::Key) {
      pending_.push_back(*value);
      return;
    }
    if (open_.empty()) {
      rootDone_ = true;
      if (value) tree_.root = *value;
      return;
    }
    if (open_.back().element == Element::Dict) open_.back().keyPending = false;
    if (value) pending_.push_back(*value);
  }

  // The node of the element just closed; none for plist.
  std::optional<std::string> Finish(const Open& open, std::optional<NodeId>& value) {
    if (!tree_.CanAdd(1, 2, text_.size())) return std::string("file too large");
    switch (open.element) {
      case Element::Plist:
        if (pending_.size() == open.items) return Bad("no value");
        tree_.root = pending_.back();
        pending_.pop_back();
        return std::nullopt;
      case Element::Dict:
        --depth_;
        return Dict(open, value);
      case Element::Array:
        --depth_;
        value = tree_.AddContainer(Kind::Array, Items(open));
        pending_.resize(open.items);
        return std::nullopt;
      case Element::Key:
      case Element::String:
        value = tree_.AddText(Kind::String, text_);
        return std::nullopt;
      case Element::Data: {
        std::optional<std::string> bytes = DecodeBase64(text_);
        if (!bytes) return std::string("a data element is not base64 text");
        value = tree_.AddText(Kind::Data, *bytes);
        return std::nullopt;
      }
      case Element::True:
      case Element::False:
        value = tree_.AddScalar(Kind::Boolean, 0, open.element == Element::True);
        return std::nullopt;
      default:
        return Number(open.element, value);
    }
  }

  std::optional<std::string> Number(Element element, std::optional<NodeId>& value) {
    if (element == Element::Integer) {
      IntegerValue integer = ParseInteger(text_);
      if (integer.problem) return std::string(integer.problem);
      value = tree_.AddScalar(Kind::Integer, integer.bits, integer.negative);
    } else if (element == Element::Real) {
      std::optional<std::uint64_t> bits = ParseReal(text_);
      if (!bits) return std::string("a real is not a number a double can hold");
      value = tree_.AddScalar(Kind::Real, *bits);
    } else {
      std::optional<std::int64_t> seconds = ParseDateText(text_);
      if (!seconds)
        return std::string("a date is not a valid date of the form YYYY-MM-DDTHH:MM:SSZ");
      value = tree_.AddScalar(Kind::Date, BitsOf(static_cast<double>(*seconds)));
    }
    return std::nullopt;
  }

  std::span<const NodeId> Items(const Open& open) const {
    return std::span<const NodeId>(pending_).subspan(open.items);
  }

  // Refused when it holds a key twice, as the binary reader refuses it.
  std::optional<std::string> Dict(const Open& open, std::optional<NodeId>& value) {
    if (open.keyPending) return Bad("a key without a value");
    std::span<const NodeId> items = Items(open);
    keys_.clear();
    for (std::size_t i = 0; i < items.size(); i += 2)
      if (!keys_.insert(tree_.Text(tree_[items[i]])).second) return std::string(kKeyTwice);
    value = UidOf(items);
    if (!value) value = tree_.AddContainer(Kind::Dict, items);
    pending_.resize(open.items);
    return std::nullopt;
  }

  // The UID that a dict of the one key "CF$UID" with an integer from 0 to
  // 2^32-1 stands for; nothing for any other dict.
  std::optional<NodeId> UidOf(std::span<const NodeId> items) {
    if (items.size() != 2 || tree_.Text(tree_[items[0]]) != "CF$UID") return std::nullopt;
    const Node& uid = tree_[items[1]];
    if (uid.kind != Kind::Integer || uid.flag || uid.word > UINT32_MAX) return std::nullopt;
    return tree_.AddScalar(Kind::Uid, uid.word);
  }

  std::string_view bytes_;
  Tree& tree_;
  XML_Parser parser_ = nullptr;
  std::optional<std::string> error_;
  std::exception_ptr thrown_;  // what an event's handling threw
  std::vector<Open> open_;
  std::vector<NodeId> pending_;  // items of the open containers, innermost last
  std::string text_;             // the text of the open text element
  std::size_t depth_ = 0;        // open dicts and arrays
  bool rootDone_ = false;
  std::unordered_set<std::string_view> keys_;
};

}  // namespace

std::optional<std::string> ReadXml(std::string_view bytes, Tree& tree) {
  return XmlReader(bytes, tree).Run();
}

}  // namespace plutil
