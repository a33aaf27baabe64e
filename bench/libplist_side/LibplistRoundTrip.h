// libplist's side of the load/save benchmark, built apart from the store
// (libplist's <plist/plist.h> and the store's plist/plist.h share a name).
#pragma once

#include <cstddef>
#include <string>

namespace libplist_side {

// Reads the file, parses it with plist_from_xml, writes it with plist_to_xml
// to out. Returns the number of bytes written (0 on failure).
std::size_t LoadSave(const std::string& in, const std::string& out);

}  // namespace libplist_side
