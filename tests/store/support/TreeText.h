// A tree rendered as text, for comparing whole trees in tests.
//
// Each entry becomes one line: indentation, key, type name and value text
// (or "-" for a level, whose entries follow one step deeper). Keys come in
// key order, read by position, so the levels' cursors are left alone.
#pragma once

#include <string>

#include "plist/plistDict.h"

namespace treetext {

inline void RenderInto(plistDict& level, const std::string& indent, std::string& out) {
  for (std::int32_t i = 0; i < level.count(); ++i) {
    const fw::String key = level.types.Key(i);
    const fw::String type = level.types.Value(key);
    const bool isLevel = type == "dict" || type == "array";
    out += indent + key + " " + type + " " +
           (isLevel ? fw::String("-") : level.values.Lookup(key, "<none>")) + "\n";
    if (isLevel) {
      plistDict* below = level.child(key);
      if (below != nullptr) RenderInto(*below, indent + "  ", out);
    }
  }
}

inline std::string Render(plistDict& level) {
  std::string out;
  RenderInto(level, "", out);
  return out;
}

}  // namespace treetext
