// Bounds on what the tool accepts and writes, so that no file can make it
// overflow the stack, run out of memory or write without end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plutil {

// Most dict/array levels nested inside one another that a file may hold.
// Both readers refuse a deeper file; nothing walks a tree by recursion.
inline constexpr std::size_t kMaxDepth = 4096;

// Largest file either reader accepts.
inline constexpr std::size_t kMaxInputSize = UINT32_MAX - 1;

// Largest XML text the tool writes for an input of the given size: 64 MiB
// plus 16 bytes for every input byte. The binary form shares objects, so a
// small file may stand for a huge tree (a 1 MiB data object referenced
// 1,000 times is 1.4 GB of XML); converting such a file to XML is refused
// before anything is written. An unshared file stays well below the bound
// unless it nests very deeply (every line is indented by its depth).
std::uint64_t MaxXmlSize(std::size_t inputSize);

// Most text bytes and container items together that the binary reader
// takes from a file of the given size: twice its size. Objects that do not
// overlap hold at most one and a half for every byte of the file (UTF-16
// text becomes UTF-8); only objects laid over one another pass it (each
// starting a few bytes after the last and reaching to the end), and their
// tree and output would grow with the square of the file's size.
std::uint64_t MaxBinaryContent(std::size_t inputSize);

// "nested deeper than 4096 levels"
std::string TooDeep();

}  // namespace plutil
