#include "BinaryBuilder.h"

namespace binarytest {

void AppendBigEndian(std::string& out, std::uint64_t value, unsigned size) {
  for (unsigned i = size; i-- > 0;) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string Binary(const std::vector<std::string>& objects, std::uint64_t top,
                   std::uint64_t count) {
  std::string out = "bplist00";
  std::vector<std::uint64_t> offsets;
  for (auto& o : objects) {
    offsets.push_back(out.size());
    out += o;
  }
  std::uint64_t table = out.size();
  for (auto offset : offsets) AppendBigEndian(out, offset, 4);
  out += std::string(6, '\0');
  out.push_back(4);
  out.push_back(4);
  AppendBigEndian(out, count == UINT64_MAX ? objects.size() : count, 8);
  AppendBigEndian(out, top, 8);
  AppendBigEndian(out, table, 8);
  return out;
}

std::string Array(const std::vector<std::uint32_t>& refs) {
  std::string o;
  if (refs.size() < 15) {
    o.push_back(static_cast<char>(0xA0 | refs.size()));
  } else {
    o.push_back(static_cast<char>(0xAF));
    o.push_back(0x12);
    AppendBigEndian(o, refs.size(), 4);
  }
  for (auto r : refs) AppendBigEndian(o, r, 4);
  return o;
}

std::string Chain(std::uint32_t levels, std::uint32_t fanOut) {
  std::vector<std::string> objects;
  for (std::uint32_t i = 0; i + 1 < levels; ++i)
    objects.push_back(Array(std::vector<std::uint32_t>(fanOut, i + 1)));
  objects.push_back(Array({levels}));
  objects.push_back("\x51x");  // one-character ASCII string
  return Binary(objects);
}

}  // namespace binarytest
