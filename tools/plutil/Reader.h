// Reading a property list, in either form, into a libplist tree.
#pragma once

#include "plutil/ExactValues.h"
#include "plutil/PlistHandle.h"

#include <string>
#include <string_view>

namespace plutil {

// True when the bytes begin with the binary form's magic "bplist".
bool IsBinary(std::string_view bytes) noexcept;

struct ReadResult {
  PlistHandle tree;   // set on success
  std::string error;  // one-line reason on failure
  DateTable dates;    // the whole values of the tree's dates (ExactValues.h)
};

// Parses bytes of either form (binary when IsBinary). The structure checks of
// Limits.h run first. XML input may use the element name "double", which is
// read as "real". A dict that holds exactly one entry "CF$UID" with an integer
// value of at most 32 bits becomes a UID, the form in which UIDs are written
// as XML. Refused,
// since libplist would not keep them intact: a key or string that is not
// well-formed UTF-8 or holds a NUL character, a dict (binary form only)
// that holds a key twice, an integer outside -2^63 to 2^64-1 or (XML) whose
// text is not a number, and (XML) a date that is not a date of the years 1
// to 9999 in the form YYYY-MM-DDTHH:MM:SSZ. Every date node of the tree holds
// a marker of dates.
ReadResult ReadPlist(std::string_view bytes);

}  // namespace plutil
