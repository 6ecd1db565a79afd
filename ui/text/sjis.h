// Shift-JIS (code page 932) character structure: the one place that knows which bytes start
// a double-byte character. Everything that walks Shift-JIS text steps with these.
#pragma once

#include <cstddef>
#include <string_view>

namespace capsdub {

// 0x81-0x9F and 0xE0-0xFC start a double-byte character.
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// 0x40-0x7E and 0x80-0xFC can be the second byte of a double-byte character.
constexpr bool IsTrailByteValue(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Length in bytes of the character that starts at `pos`: 2 for a lead byte followed by a
// valid second byte, otherwise 1 (a malformed or cut-off sequence is one character of its own;
// nothing past the end is read).
constexpr std::size_t CharLengthAt(std::string_view text, std::size_t pos) {
  if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos])) &&
      IsTrailByteValue(static_cast<unsigned char>(text[pos + 1]))) {
    return 2;
  }
  return 1;
}

// True when the byte at 0-based `index` is the second byte of a double-byte character, as
// CharLengthAt steps from the start: a valid second byte after an odd run of lead bytes
// (every lead byte is also a valid second byte, so such a run pairs up from its start).
constexpr bool IsSecondByteAt(std::string_view text, std::size_t index) {
  if (index >= text.size() || !IsTrailByteValue(static_cast<unsigned char>(text[index]))) {
    return false;
  }
  std::size_t leads = 0;
  for (std::size_t i = index; i-- > 0 && IsLeadByte(static_cast<unsigned char>(text[i]));) {
    ++leads;
  }
  return leads % 2 == 1;
}

}  // namespace capsdub
