// The binary form's reader ("bplist00").
#pragma once

#include "plutil/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace plutil {

// Reads a binary property list into tree: each object once, however often
// it is referenced and under however many object numbers whose offsets name
// it, so shared objects stay shared; the walk keeps its own stack. Returns
// the reason when refused: a trailer, offset table, object or reference out
// of the file, an object offset outside the bytes between the 8-byte header
// and the offset table (in the header, the offset table, the trailer or
// past the end), a reference cycle, more than kMaxDepth nested containers
// (a shared container counted at its deepest place), objects that overlap
// so far that their text and references pass MaxBinaryContent, an object
// kind a property list cannot hold (null, fill, set, or no known kind), a
// dict key that is not a string or that the dict holds twice, a string with
// NUL, a lone surrogate or (ASCII strings) a byte above 127, an integer
// beyond -2^63 to 2^64-1, a UID above 2^32-1 (the XML form reads a wider
// one back as a dict).
std::optional<std::string> ReadBinary(std::string_view bytes, Tree& tree);

}  // namespace plutil
