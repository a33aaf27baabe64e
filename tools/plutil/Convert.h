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

// Why a binary file whose dates the XML form cannot spell is not converted
// to XML (it is converted to the binary form).
inline constexpr std::string_view kDateOutsideText =
    "a date is outside the years 1 to 9999 or has a fraction of a second, which the XML form "
    "cannot hold";

// Reads bytes of either form and writes them in the given one, every value
// exactly, or refuses (Reader.h says what is refused on reading). Never
// throws for bad input; an empty input is refused.
ConvertResult Convert(std::string_view bytes, Format to);

}  // namespace plutil
