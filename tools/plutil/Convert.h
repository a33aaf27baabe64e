// Conversion of a property list held in memory to one of the two forms.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plutil {

enum class Format { Xml1, Binary1 };

// The format named on the command line ("xml1", "binary1"), or nothing.
std::optional<Format> ParseFormat(std::string_view name) noexcept;

struct ConvertResult {
  bool ok = false;
  std::string output;  // the converted bytes when ok
  std::string error;   // one-line reason when not ok
};

// Reads bytes of either form and writes them in the given one. Never throws
// for bad input; an empty input is refused.
ConvertResult Convert(std::string_view bytes, Format to);

}  // namespace plutil
