// A value with its line breaks and tabs spelled out (\r, \n, \t), for tree
// descriptions that keep one entry per line.
#pragma once

#include <string>

namespace testsupport {

inline std::string Escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out;
}

}  // namespace testsupport
