// The XML form as the settings store reads and writes it.
//
// Layout: the four header lines below, then the root element, one element per
// line, each line indented by one tab per level, lines ending in LF:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <!DOCTYPE plist PUBLIC "-//Apple Computer//DTD PLIST 1.0//EN"
//   "http://www.apple.com/DTDs/PropertyList-1.0.dtd"> <plist version="1.0"> <dict>
//   <key>name</key> 	<string>value</string>
//   </dict>
//   </plist>
//
// - The root dict or array always takes an opening and a closing line; a
//   nested dict or array without entries is one self-closing line.
// - Keys and string values are escaped: "&" as "&amp;", "<" as "&lt;",
//   ">" as "&gt;", CR as "&#13;", LF as "&#10;"; so every value stands on one
//   line and reads back exactly. Other characters (tabs included) stay as they
//   are.
// - integer: decimal; real: the shortest text that reads back as the same
//   number, "nan", "+infinity" or "-infinity"; boolean: "<true/>" or
//   "<false/>"; date: "YYYY-MM-DDTHH:MM:SSZ" in UTC, the whole second at or
//   before the date, years 1 to 9999 (taken from the DateTable); data:
//   three lines, "<data>", the base64 text on one line, "</data>", all at the
//   element's indentation.
// - A UID (binary form only) is written as a dict holding the one key
//   "CF$UID" with the UID as integer; ReadPlist turns it back into a UID.
// - Nesting is walked without recursion.
#pragma once

#include "plutil/ExactValues.h"

#include <plist/plist.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace plutil {

// The document's text for the tree whose root is given.
// REQUIRES: every date node of the tree holds a marker of dates, and
// dates.AllInTextRange().
std::string WriteXml(plist_t root, const DateTable& dates);

// Text with "&", "<", ">", CR and LF replaced by their references.
std::string EscapeText(std::string_view text);

// Standard base64 with padding, on one line.
std::string Base64(const unsigned char* bytes, std::size_t size);

}  // namespace plutil
