// Conversion of a property list held in memory to one of the two forms.
#pragma once

#include "plutil/XmlWriter.h"

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
  // Refused only because the target form cannot hold the input (or, for
  // XML, its text would pass MaxXmlSize): the input itself is valid.
  bool targetRefused = false;
};

// Reads bytes of either form and writes them in the given one, every value
// exactly, or refuses (Reader.h and XmlWriter.h say what is refused); an
// empty input is refused. Throws std::bad_alloc when memory runs out, at any
// point of the reading or the writing, and nothing else.
ConvertResult Convert(std::string_view bytes, Format to);

}  // namespace plutil
