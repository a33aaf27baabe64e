// Values that libplist 2.2 would not carry whole, read and written by the tool
// itself.
//
// Dates: libplist holds a date as 32-bit seconds from 2001-01-01 UTC, so it
// moves every date outside 1932-12-13 to 2069-01-19. The tool keeps each date
// in a DateTable instead and lets libplist carry only a marker: a date node's
// seconds are the index of its value in the table. The markers are put in
// place of the dates in the bytes before libplist reads them (MarkXml,
// MarkBinary) and the values put back in the bytes libplist writes
// (RestoreBinaryDates) or looked up by the XML writer.
//
// Integers: libplist reads integer text with C's strtoull/strtoll (leading
// zeros as octal, numbers beyond 64 bits clamped, junk after the digits
// dropped), so MarkXml gives it each integer's exact decimal text, or refuses.
#pragma once

#include "plutil/Limits.h"

#include <plist/plist.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plutil {

class DateTable {
 public:
  // The marker of a new entry holding the given seconds from 2001-01-01 UTC.
  std::int32_t Add(double seconds);
  // The value that a marker stands for; nothing when it is no marker of
  // this table.
  std::optional<double> Value(double marker) const;
  // The value of a date node whose seconds are a marker of this table;
  // nothing for any other node.
  std::optional<double> Find(plist_t date) const;
  // True when every date of the table can be written as XML text.
  bool AllInTextRange() const;
  std::size_t size() const { return seconds_.size(); }

 private:
  std::vector<double> seconds_;
};

// Most dates one file may hold: a marker must fit libplist's 32-bit seconds.
inline constexpr std::size_t kMaxDates = INT32_MAX;

// "YYYY-MM-DDTHH:MM:SSZ" of the given seconds from 2001-01-01 UTC; nothing
// outside the years 1 to 9999, for a fraction of a second (the text has
// none, so it would be lost) and for NaN.
std::optional<std::string> DateText(double seconds);

// Seconds from 2001-01-01 UTC of a date text "Y-MM-DDTHH:MM:SSZ" with a year
// of one to four digits from 1 to 9999, between optional XML whitespace;
// nothing for any other text or an impossible date.
std::optional<std::int64_t> ParseDateText(std::string_view text);

// The decimal text of an integer written as decimal or "0x" hexadecimal
// digits after an optional sign, between optional XML whitespace.
struct IntegerText {
  std::string decimal;  // set when the text is a number in range
  const char* problem = nullptr;
};
IntegerText CanonicalInteger(std::string_view text);

// The XML text with each date's text replaced by its marker (the date itself
// added to dates) and each integer's text by its exact decimal text. leaves
// are the text's date and integer elements (CheckXmlStructure). Returns the
// reason when a date or integer cannot be read whole.
std::optional<std::string> MarkXml(std::string_view xml, const std::vector<XmlLeaf>& leaves,
                                   DateTable& dates, std::string& out);

// The binary bytes with each date object's value (at the offsets given by
// CheckBinaryStructure) replaced by its marker, the value added to dates.
// Returns the reason when the file holds more dates than markers exist.
std::optional<std::string> MarkBinary(std::string_view bytes,
                                      const std::vector<std::size_t>& dateOffsets, DateTable& dates,
                                      std::string& out);

// Puts the dates' values in place of the markers in bytes that libplist wrote
// from a tree whose date nodes all hold markers of dates. Returns the reason
// when a date object holds no marker.
std::optional<std::string> RestoreBinaryDates(std::string& bytes, const DateTable& dates);

}  // namespace plutil
