#include "plutil/Limits.h"

namespace plutil {

std::uint64_t MaxXmlSize(std::size_t inputSize) {
  return (std::uint64_t{64} << 20) + 16 * static_cast<std::uint64_t>(inputSize);
}

std::uint64_t MaxBinaryContent(std::size_t inputSize) {
  return 2 * static_cast<std::uint64_t>(inputSize);
}

std::string TooDeep() { return "nested deeper than " + std::to_string(kMaxDepth) + " levels"; }

}  // namespace plutil
