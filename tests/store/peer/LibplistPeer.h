// What libplist makes of property-list files, for the store's peer checks.
//
// Built apart from the store (libplist's <plist/plist.h> and the store's
// plist/plist.h share a name), so this header names no libplist type. Trees
// are described in the format of tests/store/support/XmlTree.h (Describe with
// the peer normalisation): one line per entry in key order, "key (type)",
// then " = value" for a leaf or " [dict]" / " [array]" and the child's
// entries two spaces deeper; data as base64 without white space, reals as
// "%.17g", dates as "YYYY-MM-DDTHH:MM:SSZ" in UTC, CR / LF / tab as \r \n \t.
#pragma once

#include <string>

namespace peer {

// Parses the text with libplist's XML reader (plist_from_xml). False when
// libplist rejects it.
bool DescribeXml(const std::string& xml, std::string& description);
// Parses the bytes with libplist's binary reader (plist_from_bin).
bool DescribeBinary(const std::string& bytes, std::string& description);

// One tree built with libplist: nested dicts and arrays, every type, texts
// with "&", "<" and ">", empty containers, data long enough to span lines.
struct Sample {
  std::string xml;          // plist_to_xml
  std::string binary;       // plist_to_bin
  std::string description;  // of the tree as built
};
Sample MakeSample();

// The description of libplist's tree for a string holding a line break,
// written to XML by libplist (which leaves the break raw).
std::string XmlWithRawLineBreak(const std::string& key, const std::string& text);

}  // namespace peer
