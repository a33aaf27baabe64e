// The binary form's writer ("bplist00").
//
// Every node that the root reaches is written once, so nodes shared in the
// tree stay shared in the file. Integers take the fewest of 1, 2, 4 or 8
// bytes (8, signed, for a negative one; 16 for one above 2^63-1), reals and
// dates 8 bytes, strings ASCII when every byte is below 128 and UTF-16
// otherwise, UIDs 1, 2 or 4 bytes; references and offsets the fewest bytes
// that hold them.
#pragma once

#include "plutil/Value.h"

#include <string>

namespace plutil {

std::string WriteBinary(const Tree& tree);

}  // namespace plutil
