// Shift-JIS text utilities shared by the readers and the dubbing job: trimming of ASCII and
// full-width (0x81 0x40) spaces, the double-byte-aware position test, the year of a date.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

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
std::uint16_t YearOfDate(DateTime value);

}  // namespace capsdub
