// Collation on POSIX: code point order with letter case folded. The system's locales may not
// include Japanese, so the order does not depend on them; Japanese text then sorts by code
// point (hiragana, katakana and kanji each in their Unicode order).
#include <cstdint>

#include "platform/codepage.h"
#include "platform/collation.h"

namespace capsdub::platform {

std::string CollationKey(std::string_view sjis) {
  const std::string utf8 = SjisToUtf8(sjis);
  std::string key;
  key.reserve(utf8.size() * 2);
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    std::uint32_t cp = c;
    std::size_t len = 1;
    if (c >= 0xF0 && i + 3 < utf8.size()) {
      cp = (c & 0x07u) << 18 | (utf8[i + 1] & 0x3Fu) << 12 | (utf8[i + 2] & 0x3Fu) << 6 |
           (utf8[i + 3] & 0x3Fu);
      len = 4;
    } else if (c >= 0xE0 && i + 2 < utf8.size()) {
      cp = (c & 0x0Fu) << 12 | (utf8[i + 1] & 0x3Fu) << 6 | (utf8[i + 2] & 0x3Fu);
      len = 3;
    } else if (c >= 0xC0 && i + 1 < utf8.size()) {
      cp = (c & 0x1Fu) << 6 | (utf8[i + 1] & 0x3Fu);
      len = 2;
    }
    i += len;
    if (cp >= 'A' && cp <= 'Z') cp += 'a' - 'A';
    if (cp >= 0xFF21 && cp <= 0xFF3A) cp += 0x20;  // full-width Ａ-Ｚ
    key.push_back(static_cast<char>(cp >> 16));
    key.push_back(static_cast<char>((cp >> 8) & 0xFF));
    key.push_back(static_cast<char>(cp & 0xFF));
  }
  return key;
}

}  // namespace capsdub::platform
