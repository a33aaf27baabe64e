// The header of an XML property-list file: the lines before its root line,
// which a document keeps and writes back unchanged before its tree.
//
// A header is readable when it holds only, in file order:
// - the XML declaration, first in the file (a UTF-8 byte-order mark may
//   stand before it) and whole on its line, written as pseudo-attributes
//   (name, "=", a quoted value); when it names an encoding, that is "UTF-8"
//   in any letter case, the one encoding the store reads and writes;
// - a DOCTYPE without an internal subset, whole on its line;
// - the "<plist>" tag (attributes allowed, not self-closing), which must be
//   there;
// - comments and processing instructions, anywhere after the declaration,
//   each alone on the lines it spans (blanks around it);
// - blanks, tabs and blank lines.
// The declaration, the DOCTYPE and the "<plist>" tag come in that order,
// each at most once, and may share a line. Anything else refuses the header:
// any other element (a root "<array>", a "<key>"), text outside markup, a
// comment holding "--" before its end, a processing instruction named "xml"
// in any letter case other than the declaration, and a comment or
// processing instruction still open at the root line.
#pragma once

#include <vector>

#include "framework/core/String.h"

// Whether lines, the header lines of a file with its root line last, are a
// readable header (above). The root line itself is not looked at.
bool plistHeaderIsReadable(const std::vector<fw::String>& lines);
