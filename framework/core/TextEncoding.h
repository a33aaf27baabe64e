// Text encodings: marking a text's bytes with their encoding, and converting
// between UTF-8 and Shift_JIS.
//
// DefineEncoding never changes the bytes; it only says what they are.
// ConvertEncoding returns the same text in another encoding. Callers may rely
// on:
// - Converting to the encoding a text is already in returns it unchanged.
// - UTF-8 to Shift_JIS covers what Japanese users type: the Windows (CP932)
//   repertoire first (～ U+FF5E, ① U+2460, 髙 U+9AD9, NEC and IBM
//   extensions), then, for the few characters only strict Shift_JIS maps
//   (〜 U+301C, − U+2212, ¥ U+00A5 and the like), the strict table.
// - A character neither table holds becomes one "?" (0x3F); so does each
//   byte of the input that is not valid UTF-8. The conversion never fails and
//   never stops early: everything after such a character is converted too.
// - Shift_JIS to UTF-8 reads the same two tables (CP932 first); a byte or
//   pair that is not Shift_JIS becomes one "?".
#pragma once

#include "framework/core/String.h"

namespace fw {

enum class TextEncoding { UTF8, ShiftJIS };

// The framework's names for the encodings, as in Encodings::UTF8.
namespace Encodings {
inline constexpr TextEncoding UTF8 = TextEncoding::UTF8;
inline constexpr TextEncoding ShiftJIS = TextEncoding::ShiftJIS;
}  // namespace Encodings

// A text's bytes together with the encoding they are in.
struct EncodedText {
  String bytes;
  TextEncoding encoding = TextEncoding::UTF8;

  friend bool operator==(const EncodedText&, const EncodedText&) = default;
};

// The bytes as they are, marked as being in encoding.
EncodedText DefineEncoding(String bytes, TextEncoding encoding);

// The text converted into encoding (see the top of this file).
EncodedText ConvertEncoding(const EncodedText& text, TextEncoding encoding);

}  // namespace fw
