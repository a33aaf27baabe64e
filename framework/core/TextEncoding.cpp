#include "framework/core/TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <string_view>

#include "framework/core/Utf8.h"

namespace fw {
namespace {

// One iconv conversion descriptor, opened once per thread and reused.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of in as it can, appending to out; advances in past
  // what it converted. True when all of in was converted.
  bool Convert(std::string_view& in, String& out) {
    if (!ok()) return in.empty();
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // initial shift state
    char buffer[256];
    while (true) {
      char* src = const_cast<char*>(in.data());
      std::size_t srcLeft = in.size();
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      const int err = errno;
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      in.remove_prefix(in.size() - srcLeft);
      if (r != static_cast<std::size_t>(-1)) return true;
      if (err != E2BIG) return false;
    }
  }

  // Converts exactly the bytes of unit, or appends nothing and says false.
  bool ConvertWhole(std::string_view unit, String& out) {
    String converted;
    if (!Convert(unit, converted) || !unit.empty()) return false;
    out += converted;
    return true;
  }

 private:
  iconv_t cd_;
};

// The length of the well-formed UTF-8 sequence at the start of s, or 0 when
// its first byte does not start one.
std::size_t Utf8SequenceLength(std::string_view s) { return utf8::SequenceLength(s, 0); }

// The length of the Shift_JIS character at the start of s: 2 for a lead
// byte followed by a trail byte, else 1.
std::size_t ShiftJisUnitLength(std::string_view s) {
  const auto b0 = static_cast<unsigned char>(s[0]);
  const bool lead = (b0 >= 0x81 && b0 <= 0x9F) || (b0 >= 0xE0 && b0 <= 0xFC);
  if (!lead || s.size() < 2) return 1;
  const auto b1 = static_cast<unsigned char>(s[1]);
  const bool trail = b1 >= 0x40 && b1 <= 0xFC && b1 != 0x7F;
  return trail ? 2 : 1;
}

// Converts in with the preferred table; each character it refuses goes
// through the fallback table, or becomes "?".
String ConvertWithFallback(std::string_view in, Iconv& preferred, Iconv& fallback,
                           std::size_t (*unitLength)(std::string_view), bool unitMustBeValid) {
  String out;
  out.reserve(in.size() * 2);
  while (!in.empty()) {
    if (preferred.Convert(in, out)) break;
    if (in.empty()) break;
    std::size_t n = unitLength(in);
    if (n == 0 && unitMustBeValid) {
      out += '?';
      in.remove_prefix(1);
      continue;
    }
    if (n == 0) n = 1;
    const std::string_view unit = in.substr(0, n);
    if (!fallback.ConvertWhole(unit, out))
      out += (n == 1 && static_cast<unsigned char>(unit[0]) < 0x80) ? unit[0] : '?';
    in.remove_prefix(n);
  }
  return out;
}

String Utf8ToShiftJis(std::string_view in) {
  thread_local Iconv cp932("CP932", "UTF-8");
  thread_local Iconv strict("SHIFT_JIS", "UTF-8");
  return ConvertWithFallback(in, cp932, strict, Utf8SequenceLength, true);
}

String ShiftJisToUtf8(std::string_view in) {
  thread_local Iconv cp932("UTF-8", "CP932");
  thread_local Iconv strict("UTF-8", "SHIFT_JIS");
  return ConvertWithFallback(in, cp932, strict, ShiftJisUnitLength, false);
}

}  // namespace

EncodedText DefineEncoding(String bytes, TextEncoding encoding) {
  return EncodedText{std::move(bytes), encoding};
}

EncodedText ConvertEncoding(const EncodedText& text, TextEncoding encoding) {
  if (text.encoding == encoding) return text;
  if (encoding == TextEncoding::ShiftJIS) return {Utf8ToShiftJis(text.bytes), encoding};
  return {ShiftJisToUtf8(text.bytes), encoding};
}

}  // namespace fw
