// UTF-8 in the platform layer: where characters begin and end in a text, and
// the bytes of a code point. The text functions (Text.h) and the encoding
// conversion (TextEncoding.h) share these, so that the platform layer has one
// rule for what counts as a character.
//
// What callers may rely on:
// - A well-formed sequence is the shortest UTF-8 form of a code point that is
//   not a surrogate (U+D800..U+DFFF) and not above U+10FFFF. Any other byte
//   that is not ASCII (a stray continuation byte, a truncated, overlong or
//   out-of-range sequence) starts no sequence; the text functions count it as
//   one character on its own.
// - Nothing allocates except Append; nothing throws.
//
// REQUIRES: every position i is a byte offset into s with i < s.size(),
// except where a function says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "framework/core/String.h"

namespace fw::utf8 {

// Length in bytes (1 to 4) of the well-formed sequence that starts at s[i];
// 0 when none starts there.
inline std::size_t SequenceLength(std::string_view s, std::size_t i) noexcept {
  const auto c0 = static_cast<unsigned char>(s[i]);
  if (c0 < 0x80) return 1;
  std::size_t need;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (c0 >= 0xC2 && c0 <= 0xDF) {
    need = 2;
  } else if (c0 >= 0xE0 && c0 <= 0xEF) {
    need = 3;
    if (c0 == 0xE0) lo = 0xA0;  // no overlong forms
    if (c0 == 0xED) hi = 0x9F;  // no surrogates
  } else if (c0 >= 0xF0 && c0 <= 0xF4) {
    need = 4;
    if (c0 == 0xF0) lo = 0x90;  // no overlong forms
    if (c0 == 0xF4) hi = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (s.size() - i < need) return 0;
  const auto c1 = static_cast<unsigned char>(s[i + 1]);
  if (c1 < lo || c1 > hi) return 0;
  for (std::size_t k = 2; k < need; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return need;
}

// Length in bytes of the character that starts at s[i]: the well-formed
// sequence there, or the one byte that starts none.
inline std::size_t CharBytes(std::string_view s, std::size_t i) noexcept {
  const std::size_t n = SequenceLength(s, i);
  return n != 0 ? n : 1;
}

// Code point of the character at s[i]; for a byte that starts no sequence,
// the byte's value. REQUIRES: bytes == CharBytes(s, i).
inline std::int32_t CodeAt(std::string_view s, std::size_t i, std::size_t bytes) noexcept {
  const auto c0 = static_cast<unsigned char>(s[i]);
  if (bytes == 1) return c0;
  std::int32_t code = c0 & (0xFF >> (bytes + 1));
  for (std::size_t k = 1; k < bytes; ++k)
    code = (code << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
  return code;
}

// Byte offset of the start of character number n (0-based); s.size() when s
// has n characters or fewer. Any n is allowed.
inline std::size_t OffsetOfChar(std::string_view s, std::size_t n) noexcept {
  std::size_t i = 0;
  while (n > 0 && i < s.size()) {
    i += CharBytes(s, i);
    --n;
  }
  return i;
}

// Whether the n bytes from i end on a character boundary. REQUIRES: i is a
// character boundary and i + n <= s.size().
inline bool EndsOnBoundary(std::string_view s, std::size_t i, std::size_t n) noexcept {
  const std::size_t end = i + n;
  while (i < end) i += CharBytes(s, i);
  return i == end;
}

// Appends the UTF-8 bytes of code. REQUIRES: code <= 0x10FFFF and not a
// surrogate.
inline void Append(std::uint32_t code, String& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace fw::utf8
