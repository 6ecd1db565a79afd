// Shift-JIS trimming and the double-byte position test.
#include "ui/text/text_utils.h"

#include <cmath>

#include "ui/text/sjis.h"

namespace capsdub {
namespace {

bool IsFullWidthSpace(const std::string& text, std::size_t index) {
  return index + 1 < text.size() && static_cast<unsigned char>(text[index]) == 0x81 &&
         static_cast<unsigned char>(text[index + 1]) == 0x40;
}

}  // namespace

bool IsTrailByte(const std::string& text, std::size_t position) {
  if (position < 1 || position > text.size()) throw IllegalIndex();
  return IsSecondByteAt(text, position - 1);
}

void TrimLeftSpaces(std::string& text) {
  std::size_t start = 0;
  while (start < text.size()) {
    if (text[start] == ' ') {
      start += 1;
    } else if (IsFullWidthSpace(text, start)) {
      start += 2;
    } else {
      break;
    }
  }
  text.erase(0, start);
}

void TrimRightSpaces(std::string& text) {
  while (!text.empty()) {
    const std::size_t n = text.size();
    if (IsTrailByte(text, n)) {
      if (IsFullWidthSpace(text, n - 2)) {
        text.resize(n - 2);
      } else {
        break;
      }
    } else if (text[n - 1] == ' ') {
      text.resize(n - 1);
    } else {
      break;
    }
  }
}

std::string TrimControls(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20) --end;
  return text.substr(begin, end - begin);
}

std::string TrimSpaces(const std::string& text) {
  if (text.empty()) return {};
  std::string result = TrimControls(text);
  TrimLeftSpaces(result);
  TrimRightSpaces(result);
  return TrimControls(result);
}

std::string WithTrailingBackslash(std::string_view folder) {
  std::string result(folder);
  bool ends_in_separator = false;
  for (std::size_t i = 0; i < result.size();) {
    const std::size_t length = CharLengthAt(result, i);
    ends_in_separator = length == 1 && (result[i] == '\\' || result[i] == '/');
    i += length;
  }
  if (!ends_in_separator) result += '\\';
  return result;
}

std::uint16_t YearOfDate(DateTime value) {
  return static_cast<std::uint16_t>(DecodeDateTime(DateTime{std::trunc(value.days)}).year);
}

}  // namespace capsdub
