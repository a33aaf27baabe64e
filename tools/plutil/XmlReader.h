// The XML form's reader, on expat.
//
// expat applies XML's rules (entities, character references, CDATA,
// comments, processing instructions, line ends, attributes, encodings);
// this reader builds the tree from its events and refuses:
// - a DOCTYPE with an internal subset, any entity declaration, a reference
//   to an entity that is not declared (so no entity ever expands);
// - an element other than plist (as the document element only), dict,
//   array, key (directly in a dict), string, integer, real, double (read as
//   real), date, data, true, false; attributes are ignored;
// - element text outside its type's grammar (ValueText.h: integer, real,
//   date, base64 data with whitespace; nothing but whitespace in true,
//   false, dict, array and plist);
// - a dict whose keys and values do not alternate, a plist element without
//   exactly one value, and anything but whitespace after the document
//   element;
// - a dict that holds a key twice;
// - more than kMaxDepth nested dicts and arrays.
// A dict of the one key "CF$UID" holding an integer from 0 to 2^32-1 is
// read as a UID, the form in which the XML writer writes UIDs.
#pragma once

#include "plutil/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace plutil {

// Reads an XML property list into tree; returns the reason when refused.
// Throws std::bad_alloc when memory runs out, whether in expat or in
// building the tree.
std::optional<std::string> ReadXml(std::string_view bytes, Tree& tree);

}  // namespace plutil
