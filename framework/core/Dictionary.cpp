#include "framework/core/Dictionary.h"

#include <bit>
#include <cstring>
#include <random>

namespace fw::detail {
namespace {

// SipHash-1-3 with a key drawn once per process: texts that collide on
// purpose (say, from a hostile file) cannot be prepared in advance.
struct SipKey {
  std::uint64_t k0, k1;
};

SipKey MakeKey() {
  std::random_device rd;
  auto draw64 = [&] { return (std::uint64_t{rd()} << 32) ^ rd(); };
  return {draw64(), draw64()};
}

constexpr std::uint64_t Rotl(std::uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

struct SipState {
  std::uint64_t v0, v1, v2, v3;
  void Round() {
    v0 += v1;
    v1 = Rotl(v1, 13);
    v1 ^= v0;
    v0 = Rotl(v0, 32);
    v2 += v3;
    v3 = Rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = Rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = Rotl(v1, 17);
    v1 ^= v2;
    v2 = Rotl(v2, 32);
  }
  void Absorb(std::uint64_t m) {
    v3 ^= m;
    Round();
    v0 ^= m;
  }
};

std::uint64_t LoadLE(const unsigned char* p, std::size_t n) {
  if constexpr (std::endian::native == std::endian::little) {
    if (n == 8) {
      std::uint64_t m;
      std::memcpy(&m, p, 8);
      return m;
    }
  }
  std::uint64_t m = 0;
  for (std::size_t i = 0; i < n; ++i) m |= std::uint64_t{p[i]} << (8 * i);
  return m;
}

}  // namespace

std::uint64_t HashText(std::string_view text) noexcept {
  static const SipKey key = MakeKey();
  SipState s{key.k0 ^ 0x736f6d6570736575ULL, key.k1 ^ 0x646f72616e646f6dULL,
             key.k0 ^ 0x6c7967656e657261ULL, key.k1 ^ 0x7465646279746573ULL};
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) s.Absorb(LoadLE(p + i, 8));
  s.Absorb(LoadLE(p + i, n - i) | (std::uint64_t{n & 0xFF} << 56));
  s.v2 ^= 0xFF;
  s.Round();
  s.Round();
  s.Round();
  return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

}  // namespace fw::detail
