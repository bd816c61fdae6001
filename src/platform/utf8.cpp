#include "platform/utf8.h"

#include <cstdint>

namespace quillon::platform::utf8 {
namespace {

// The length of the well-formed sequence at `i` and its code point, or 0
// when the bytes there start no well-formed sequence (the caller then
// replaces that one byte and goes on).
std::size_t decode(std::string_view s, std::size_t i, char32_t& cp) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) low = 0xA0;   // overlong
    if (b0 == 0xED) high = 0x9F;  // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    cp = b0 & 0x07;
    if (b0 == 0xF0) low = 0x90;   // overlong
    if (b0 == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char b = byte(i + k);
    if (k == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF)) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  return length;
}

bool allowedInXml(char32_t cp) {
  if (cp < 0x20) return cp == 0x09 || cp == 0x0A || cp == 0x0D;
  return cp != 0xFFFE && cp != 0xFFFF;
}

}  // namespace

bool cleanForXml(std::string_view text, std::string& out) {
  // Most values are plain ASCII text: scan first, build only when needed.
  std::size_t i = 0;
  char32_t cp = 0;
  while (i < text.size()) {
    // Printable ASCII between the other characters costs one comparison.
    if (static_cast<unsigned char>(text[i]) - 0x20u < 0x60u) {
      ++i;
      continue;
    }
    const std::size_t n = decode(text, i, cp);
    if (n == 0 || !allowedInXml(cp)) break;
    i += n;
  }
  if (i == text.size()) return false;
  std::string cleaned(text.substr(0, i));
  while (i < text.size()) {
    const std::size_t n = decode(text, i, cp);
    if (n == 0 || !allowedInXml(cp)) {
      cleaned += kReplacement;
      i += n == 0 ? 1 : n;
    } else {
      cleaned.append(text.substr(i, n));
      i += n;
    }
  }
  out = std::move(cleaned);
  return true;
}

bool replaceIllFormed(std::string_view text, std::string& out) {
  if (isValidUtf8(text)) return false;
  std::string cleaned;
  char32_t cp = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = decode(text, i, cp);
    if (n == 0) {
      cleaned += kReplacement;
      ++i;
    } else {
      cleaned.append(text.substr(i, n));
      i += n;
    }
  }
  out = std::move(cleaned);
  return true;
}

}  // namespace quillon::platform::utf8

namespace quillon {

bool isValidUtf8(std::string_view text) {
  char32_t cp = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = platform::utf8::decode(text, i, cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace quillon
