// Shift-JIS text utilities shared by the readers and the dubbing job: trimming of ASCII and
// full-width (0x81 0x40) spaces, the double-byte-aware position test, the trailing backslash
// of a folder, the year of a date.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/datetime.h"

namespace capsdub {

// Raised by IsTrailByte for a position outside the text; message "Illegal Index".
class IllegalIndex : public std::out_of_range {
 public:
  IllegalIndex() : std::out_of_range("Illegal Index") {}
};

// True when the byte at 1-based `position` is the second byte of a double-byte character.
bool IsTrailByte(const std::string& text, std::size_t position);
void TrimLeftSpaces(std::string& text);
void TrimRightSpaces(std::string& text);
std::string TrimSpaces(const std::string& text);
// Removes bytes of value 0x20 or below from both ends.
std::string TrimControls(const std::string& text);
// The folder with a backslash added unless its last character is one (or a "/"): "D:\out" ->
// "D:\out\", "" -> "\". A 0x5C that ends a double-byte character (表 is 0x95 0x5C) does not
// count as a separator.
std::string WithTrailingBackslash(std::string_view folder);
std::uint16_t YearOfDate(DateTime value);

}  // namespace capsdub
