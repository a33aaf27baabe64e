// The XML form as the settings store reads and writes it.
//
// Layout: three header lines (the XML declaration of version 1.0 in UTF-8,
// the DOCTYPE of the property-list DTD with its public and system
// identifiers, "<plist version="1.0">"), then the root element, one element
// per line, each line indented by one tab per level, then "</plist>"; every
// line ends in LF:
//
//   <dict>
//   <TAB><key>name</key>
//   <TAB><string>value</string>
//   </dict>
//
// - The root dict or array always takes an opening and a closing line; a
//   nested dict or array without entries is one self-closing line.
// - Keys and string values are escaped (EscapeText): so every value stands
//   on one line and reads back exactly.
// - integer: decimal; real: RealText; boolean: "<true/>" or "<false/>";
//   date: "YYYY-MM-DDTHH:MM:SSZ" in UTC; data: three lines, "<data>", the
//   base64 text on one line, "</data>", all at the element's indentation.
// - A UID is written as a dict holding the one key "CF$UID" with the UID
//   as integer, which the XML reader turns back into a UID.
// - Nesting is walked without recursion; a shared node is written at every
//   place that holds it.
#pragma once

#include "plutil/Value.h"
#include "plutil/ValueText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plutil {

// Why a tree whose dates the XML form cannot spell is not converted to XML
// (it is converted to the binary form).
inline constexpr std::string_view kDateOutsideText =
    "a date is outside the years 1 to 9999 or has a fraction of a second, which the XML form "
    "cannot hold";

inline constexpr std::string_view kDateNegativeZero =
    "a date is -0.0 seconds from 2001, whose sign the XML form cannot hold";

// Why the XML form cannot hold the tree, or nothing. Refused: a key or
// string holding a control character other than tab, LF and CR, or U+FFFE
// or U+FFFF; a date that DateText cannot spell, or of -0.0 seconds; a NaN
// other than kXmlNan;
// a dict whose one key is "CF$UID" (it would read back as a UID).
std::optional<std::string> XmlCannotHold(const Tree& tree);

// The exact length of WriteXml(tree), saturating at UINT64_MAX. Linear in
// the number of nodes, however often they are shared.
std::uint64_t XmlSize(const Tree& tree);

// The document's text. REQUIRES: !XmlCannotHold(tree).
std::string WriteXml(const Tree& tree);

}  // namespace plutil
