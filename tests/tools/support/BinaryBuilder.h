// Binary property lists built byte by byte, for tests that need files no
// writer makes: 4-byte offsets and references, objects given raw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace binarytest {

void AppendBigEndian(std::string& out, std::uint64_t value, unsigned size);

// A binary property list of the given objects; the trailer names top as the
// root and count objects (all of them by default).
std::string Binary(const std::vector<std::string>& objects, std::uint64_t top = 0,
                   std::uint64_t count = UINT64_MAX);

// An array object holding the given references.
std::string Array(const std::vector<std::uint32_t>& refs);

// levels arrays each holding the next fanOut times; the last holds a
// one-character string.
std::string Chain(std::uint32_t levels, std::uint32_t fanOut = 1);

}  // namespace binarytest
