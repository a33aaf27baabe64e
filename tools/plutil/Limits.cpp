#include "plutil/Limits.h"

#include <algorithm>
#include <vector>

namespace plutil {

std::uint64_t MaxBinaryNodes(std::size_t fileSize) {
  return 2 * static_cast<std::uint64_t>(fileSize) + 1'000'000;
}

namespace {

// ---- XML -------------------------------------------------------------------

bool IsNameEnd(char c) {
  return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsContainer(std::string_view name) { return name == "dict" || name == "array"; }

// Elements whose text libplist would not read whole: the tool reads them itself.
bool IsExactLeaf(std::string_view name) { return name == "date" || name == "integer"; }

// Position just past the first occurrence of end at or after from, or npos.
std::size_t SkipPast(std::string_view xml, std::size_t from, std::string_view end) {
  std::size_t at = xml.find(end, from);
  return at == std::string_view::npos ? at : at + end.size();
}

// Position just past the '>' that ends a tag starting at from, quoted
// attribute values skipped; npos when the tag does not end.
std::size_t SkipTag(std::string_view xml, std::size_t from, bool& selfClosing) {
  char quote = 0;
  for (std::size_t i = from; i < xml.size(); ++i) {
    char c = xml[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      selfClosing = i > from && xml[i - 1] == '/';
      return i + 1;
    }
  }
  return std::string_view::npos;
}

// A DOCTYPE declaration, with an internal subset in brackets.
std::size_t SkipDoctype(std::string_view xml, std::size_t from) {
  int brackets = 0;
  for (std::size_t i = from; i < xml.size(); ++i) {
    if (xml[i] == '[') ++brackets;
    if (xml[i] == ']' && brackets > 0) --brackets;
    if (xml[i] == '>' && brackets == 0) return i + 1;
  }
  return std::string_view::npos;
}

// Skips markup that holds no elements; returns npos when it does not end.
std::size_t SkipSpecial(std::string_view xml, std::size_t at) {
  std::string_view rest = xml.substr(at);
  if (rest.starts_with("<!--")) return SkipPast(xml, at + 4, "-->");
  if (rest.starts_with("<![CDATA[")) return SkipPast(xml, at + 9, "]]>");
  if (rest.starts_with("<?")) return SkipPast(xml, at + 2, "?>");
  return SkipDoctype(xml, at);
}

}  // namespace

std::optional<std::string> CheckXmlStructure(std::string_view xml, std::vector<XmlLeaf>* leaves) {
  if (xml.find('\0') != std::string_view::npos) return "holds a NUL character";
  struct Open {
    std::string_view name;
    std::size_t contents;  // where the element's contents begin
  };
  std::vector<Open> open;
  std::vector<XmlLeaf> found;
  std::size_t containers = 0;
  std::size_t at = xml.find('<');
  while (at != std::string_view::npos) {
    std::size_t next;
    if (at + 1 < xml.size() && (xml[at + 1] == '!' || xml[at + 1] == '?')) {
      next = SkipSpecial(xml, at);
    } else {
      bool closing = at + 1 < xml.size() && xml[at + 1] == '/';
      std::size_t nameStart = at + (closing ? 2 : 1);
      std::size_t nameEnd = nameStart;
      while (nameEnd < xml.size() && !IsNameEnd(xml[nameEnd])) ++nameEnd;
      std::string_view name = xml.substr(nameStart, nameEnd - nameStart);
      bool selfClosing = false;
      next = SkipTag(xml, nameEnd, selfClosing);
      if (next == std::string_view::npos) return "unterminated markup";
      if (closing) {
        if (open.empty() || open.back().name != name)
          return "closing tag </" + std::string(name) + "> does not match";
        if (IsContainer(name)) --containers;
        if (IsExactLeaf(name)) found.push_back({name, open.back().contents, at});
        open.pop_back();
      } else if (selfClosing) {
        if (IsExactLeaf(name)) found.push_back({name, next, next});
      } else {
        if (IsContainer(name) && ++containers > kMaxDepth)
          return "nested deeper than " + std::to_string(kMaxDepth) + " levels";
        open.push_back({name, next});
      }
    }
    if (next == std::string_view::npos) return "unterminated markup";
    at = xml.find('<', next);
  }
  // Closing tags come in text order only for elements that hold no others.
  std::sort(found.begin(), found.end(),
            [](const XmlLeaf& a, const XmlLeaf& b) { return a.begin < b.begin; });
  if (leaves) *leaves = std::move(found);
  return std::nullopt;
}

namespace {

// ---- binary ----------------------------------------------------------------

constexpr std::size_t kTrailerSize = 32;
constexpr std::size_t kHeaderSize = 8;

struct Trailer {
  unsigned offsetSize = 0;
  unsigned refSize = 0;
  std::uint64_t objectCount = 0;
  std::uint64_t topObject = 0;
  std::uint64_t tableOffset = 0;
};

std::uint64_t ReadBigEndian(std::string_view bytes, std::size_t at, unsigned size) {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < size; ++i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::optional<std::string> ReadTrailer(std::string_view bytes, Trailer& t) {
  if (bytes.size() < kHeaderSize + kTrailerSize) return "file too short";
  std::size_t at = bytes.size() - kTrailerSize;
  t.offsetSize = static_cast<unsigned char>(bytes[at + 6]);
  t.refSize = static_cast<unsigned char>(bytes[at + 7]);
  t.objectCount = ReadBigEndian(bytes, at + 8, 8);
  t.topObject = ReadBigEndian(bytes, at + 16, 8);
  t.tableOffset = ReadBigEndian(bytes, at + 24, 8);
  if (t.offsetSize < 1 || t.offsetSize > 8 || t.refSize < 1 || t.refSize > 8) return "bad trailer";
  std::uint64_t tableRoom = bytes.size() - kTrailerSize;
  if (t.objectCount == 0 || t.topObject >= t.objectCount || t.tableOffset < kHeaderSize ||
      t.tableOffset > tableRoom || t.objectCount > (tableRoom - t.tableOffset) / t.offsetSize)
    return "bad trailer";
  return std::nullopt;
}

// An object's marker kind (high nibble), its count (of bytes, characters or
// entries) and where its contents start.
struct Header {
  unsigned kind = 0;
  std::uint64_t count = 0;
  std::size_t at = 0;
};

std::optional<std::string> ReadHeader(std::string_view bytes, const Trailer& t,
                                      std::uint64_t object, Header& h) {
  std::uint64_t offset = ReadBigEndian(
      bytes, static_cast<std::size_t>(t.tableOffset + object * t.offsetSize), t.offsetSize);
  if (offset < kHeaderSize || offset >= t.tableOffset) return "object offset out of range";
  auto marker = static_cast<unsigned char>(bytes[offset]);
  h = {static_cast<unsigned>(marker >> 4), marker & 0x0Fu, static_cast<std::size_t>(offset) + 1};
  bool counted = h.kind == 0x4 || h.kind == 0x5 || h.kind == 0x6 || h.kind == 0x8 ||
                 h.kind == 0xA || h.kind == 0xC || h.kind == 0xD;
  if (!counted || h.count != 0x0F) return std::nullopt;
  if (h.at >= t.tableOffset) return "object out of range";
  auto intMarker = static_cast<unsigned char>(bytes[h.at]);
  unsigned size = 1u << (intMarker & 0x0F);
  if ((intMarker >> 4) != 0x1 || size > 8 || h.at + 1 + size > t.tableOffset)
    return "bad container size";
  h.count = ReadBigEndian(bytes, h.at + 1, size);
  h.at += 1 + size;
  return std::nullopt;
}

// The references an object holds: its children (for arrays and sets) or its
// keys and values (for dicts). Empty for every other object.
struct Refs {
  bool container = false;
  bool dict = false;
  std::size_t at = 0;
  std::uint64_t count = 0;
};

std::optional<std::string> ObjectRefs(std::string_view bytes, const Trailer& t,
                                      std::uint64_t object, Refs& refs) {
  Header h;
  if (auto error = ReadHeader(bytes, t, object, h)) return error;
  refs = {};
  if (h.kind != 0xA && h.kind != 0xC && h.kind != 0xD) return std::nullopt;
  std::uint64_t count = h.count;
  if (h.kind == 0xD) {
    if (count > UINT64_MAX / 2) return "bad container size";
    count *= 2;
  }
  if (count > (t.tableOffset - h.at) / t.refSize) return "container out of range";
  refs = {true, h.kind == 0xD, h.at, count};
  return std::nullopt;
}

constexpr unsigned kInteger = 0x1, kDate = 0x3, kAscii = 0x5, kUtf16 = 0x6;

// Whether the string object of the header holds a NUL character; an error
// when its characters run past the objects.
std::optional<std::string> StringHoldsNul(std::string_view bytes, const Trailer& t, const Header& h,
                                          bool& nul) {
  unsigned unit = h.kind == kUtf16 ? 2 : 1;
  if (h.count > (t.tableOffset - h.at) / unit) return "string out of range";
  nul = false;
  for (std::uint64_t i = 0; i < h.count && !nul; ++i) {
    std::size_t at = h.at + static_cast<std::size_t>(i * unit);
    nul = bytes[at] == 0 && (unit == 1 || bytes[at + 1] == 0);
  }
  return std::nullopt;
}

// libplist cannot hold a dict key with a NUL character (it aborts), so such a
// key is refused here.
std::optional<std::string> CheckKey(std::string_view bytes, const Trailer& t,
                                    std::uint64_t object) {
  Header h;
  if (auto error = ReadHeader(bytes, t, object, h)) return error;
  if (h.kind != kAscii && h.kind != kUtf16) return std::nullopt;  // libplist refuses the rest
  bool nul = false;
  if (auto error = StringHoldsNul(bytes, t, h, nul)) return error;
  if (nul) return "a dict key holds a NUL character";
  return std::nullopt;
}

// The bytes one object spans, its marker included.
struct Extent {
  std::uint64_t begin = 0;
  std::uint64_t end = 0;
  bool date = false;
};

// Where the object of the header ends (the marker byte just before h.at,
// and any size fields, begin it).
std::uint64_t ObjectEnd(const Header& h, unsigned refSize) {
  switch (h.kind) {
    case kInteger:
    case 0x2:  // real
      return h.at + (std::uint64_t{1} << (h.count & 7));
    case kDate:
      return h.at + 8;
    case 0x4:  // data
    case kAscii:
    case 0x8:  // UID, count + 1 bytes
      return h.count > UINT64_MAX - h.at - 1 ? UINT64_MAX : h.at + h.count + (h.kind == 0x8);
    case kUtf16:  // its count is checked against the file before it is used
      return h.at + 2 * h.count;
    case 0xA:  // array
    case 0xC:  // set
      return h.at + h.count * refSize;
    case 0xD:  // dict
      return h.at + 2 * h.count * refSize;
    default:
      return h.at;
  }
}

// Notes what libplist would not read whole in one object: a string with a NUL
// character (it cuts the string there), a 16-byte integer beyond 64 bits (it
// keeps the low 8 bytes); and where a date's 8-byte value is.
std::optional<std::string> NoteValue(std::string_view bytes, const Trailer& t, std::uint64_t object,
                                     BinaryValues& values, std::vector<Extent>& extents) {
  Header h;
  if (auto error = ReadHeader(bytes, t, object, h)) return error;
  std::uint64_t offset = ReadBigEndian(
      bytes, static_cast<std::size_t>(t.tableOffset + object * t.offsetSize), t.offsetSize);
  extents.push_back({offset, ObjectEnd(h, t.refSize), h.kind == kDate});
  if (h.kind == kAscii || h.kind == kUtf16) {
    bool nul = false;
    if (auto error = StringHoldsNul(bytes, t, h, nul)) return error;
    if (nul && !values.problem) values.problem = "a key or string holds a NUL character";
  } else if (h.kind == kDate && h.count == 3) {
    if (h.at + 8 > t.tableOffset) return "object out of range";
    values.dates.push_back(h.at);
  } else if (h.kind == kInteger && h.count == 4) {
    if (h.at + 16 > t.tableOffset) return "object out of range";
    if (ReadBigEndian(bytes, h.at, 8) != 0 && !values.problem)
      values.problem = "an integer is out of range (-2^63 to 2^64-1)";
  }
  return std::nullopt;
}

// True when a date object shares bytes with another object: its value is
// replaced in place (ExactValues.h), which must change nothing else.
bool DateOverlaps(std::vector<Extent>& extents) {
  std::sort(extents.begin(), extents.end(),
            [](const Extent& a, const Extent& b) { return a.begin < b.begin; });
  std::uint64_t groupEnd = 0;  // end of the run of overlapping objects so far
  bool groupDate = false, groupShared = false;
  for (const Extent& e : extents) {
    if (e.begin < groupEnd) {
      groupShared = true;
      groupDate = groupDate || e.date;
      groupEnd = std::max(groupEnd, e.end);
    } else {
      groupEnd = e.end;
      groupDate = e.date;
      groupShared = false;
    }
    if (groupShared && groupDate) return true;
  }
  return false;
}

enum class Mark : unsigned char { Unseen, Open, Done };

struct Walk {
  std::uint64_t object;
  Refs refs;
  std::uint64_t next = 0;  // index of the next reference to follow
};

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

}  // namespace

std::optional<std::string> CheckBinaryStructure(std::string_view bytes, BinaryValues* values) {
  Trailer t;
  if (auto error = ReadTrailer(bytes, t)) return error;
  auto count = static_cast<std::size_t>(t.objectCount);
  std::vector<Mark> marks(count, Mark::Unseen);
  std::vector<std::uint64_t> nodes(count, 0);  // expanded size of each subtree
  std::vector<std::uint32_t> depth(count, 0);  // container levels in each subtree
  std::vector<bool> keyChecked(count, false);
  std::vector<Walk> stack;
  const std::uint64_t maxNodes = MaxBinaryNodes(bytes.size());
  BinaryValues found;
  std::vector<Extent> extents;

  auto enter = [&](std::uint64_t object) -> std::optional<std::string> {
    Refs refs;
    if (auto error = ObjectRefs(bytes, t, object, refs)) return error;
    if (auto error = NoteValue(bytes, t, object, found, extents)) return error;
    if (stack.size() > kMaxDepth)
      return "nested deeper than " + std::to_string(kMaxDepth) + " levels";
    marks[object] = Mark::Open;
    stack.push_back({object, refs});
    return std::nullopt;
  };

  if (auto error = enter(t.topObject)) return error;
  while (!stack.empty()) {
    Walk& w = stack.back();
    if (w.next < w.refs.count) {
      std::uint64_t child =
          ReadBigEndian(bytes, w.refs.at + static_cast<std::size_t>(w.next * t.refSize), t.refSize);
      ++w.next;
      if (child >= t.objectCount) return "object reference out of range";
      if (w.refs.dict && w.next <= w.refs.count / 2 && !keyChecked[child]) {
        if (auto error = CheckKey(bytes, t, child)) return error;
        keyChecked[child] = true;
      }
      if (marks[child] == Mark::Open) return "reference cycle";
      if (marks[child] == Mark::Unseen) {
        if (auto error = enter(child)) return error;
      }
      continue;
    }
    // Every reference followed: the object's subtree is complete.
    std::uint64_t size = 1;
    std::uint32_t levels = 0;
    for (std::uint64_t i = 0; i < w.refs.count; ++i) {
      std::uint64_t child =
          ReadBigEndian(bytes, w.refs.at + static_cast<std::size_t>(i * t.refSize), t.refSize);
      size = SaturatingAdd(size, nodes[child]);
      if (depth[child] > levels) levels = depth[child];
    }
    if (w.refs.container) ++levels;
    nodes[w.object] = size;
    depth[w.object] = levels;
    marks[w.object] = Mark::Done;
    if (size > maxNodes) return "references expand to too many objects";
    if (levels > kMaxDepth) return "nested deeper than " + std::to_string(kMaxDepth) + " levels";
    stack.pop_back();
  }
  if (!found.dates.empty() && DateOverlaps(extents))
    return "a date shares bytes with another object";
  if (values) *values = std::move(found);
  return std::nullopt;
}

}  // namespace plutil
