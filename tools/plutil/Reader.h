// Reading a property list, in either form, into a value tree.
#pragma once

#include "plutil/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace plutil {

// True when the bytes begin with the binary form's magic "bplist".
bool IsBinary(std::string_view bytes) noexcept;

// Parses bytes of either form (binary when IsBinary) into tree and returns
// nothing, or returns the one-line reason the bytes are refused; tree is
// then unspecified. Refused in either form: more than kMaxDepth nested
// containers, a dict holding a key twice, a key or string holding NUL or a
// lone surrogate, an integer outside -2^63 to 2^64-1. BinaryReader.h and
// XmlReader.h say what else each refuses. Throws std::bad_alloc when memory
// runs out.
std::optional<std::string> ReadPlist(std::string_view bytes, Tree& tree);

// Reasons that both readers give.
inline constexpr const char* kNulInText = "a key or string holds a NUL character";
inline constexpr const char* kNotUtf8 = "a key or string is not valid UTF-8";
inline constexpr const char* kLoneSurrogate = "a key or string holds a lone surrogate";
inline constexpr const char* kIntegerRange = "an integer is out of range (-2^63 to 2^64-1)";
inline constexpr const char* kKeyTwice = "a dict holds a key twice";

}  // namespace plutil
