// Bounds on what the tool accepts, checked before libplist sees the bytes.
//
// libplist parses recursively and copies an object once for every reference
// to it, so a hostile file could overflow the stack or expand without limit.
// CheckXmlStructure and CheckBinaryStructure look at the raw bytes and refuse
// such files with a one-line reason; a file they accept is safe to hand to
// libplist (which still decides whether it is a valid property list).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plutil {

// Most dict/array levels nested inside one another that a file may hold.
inline constexpr std::size_t kMaxDepth = 4096;

// Most nodes the tree of a binary file may expand to, for a file of the given
// size. A file without shared containers always stays below it: every node but
// the root is one reference of at least one byte.
std::uint64_t MaxBinaryNodes(std::size_t fileSize);

// A "date" or "integer" element of the XML text: its contents run from begin
// to end (begin == end for an empty or self-closing element).
struct XmlLeaf {
  std::string_view name;
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The reason the XML text is refused, or nothing when it may be parsed.
// Refused: a NUL character (XML cannot hold one), elements nested deeper than
// kMaxDepth dict/array levels, a closing
// tag that does not match the open element, an unterminated tag, comment,
// CDATA section or processing instruction. When leaves is given and the text
// is accepted, it receives every date and integer element in text order.
std::optional<std::string> CheckXmlStructure(std::string_view xml,
                                             std::vector<XmlLeaf>* leaves = nullptr);

// What the walk of CheckBinaryStructure finds in the objects of the tree.
struct BinaryValues {
  // Where the 8-byte value of each date object starts, each object once.
  std::vector<std::size_t> dates;
  // A value that libplist would not read whole (a string holding a NUL
  // character, a 16-byte integer beyond 64 bits), or null.
  const char* problem = nullptr;
};

// The reason the binary property list is refused, or nothing when it may be
// parsed. Refused: a trailer, offset table or object reference out of the
// file, a reference cycle, more than kMaxDepth nested containers, a tree
// that would expand to more than MaxBinaryNodes nodes, a dict key holding
// a NUL character, or a date object sharing bytes with another object. When
// values is given and the bytes are accepted, it receives what the walk
// found.
std::optional<std::string> CheckBinaryStructure(std::string_view bytes,
                                                BinaryValues* values = nullptr);

}  // namespace plutil
