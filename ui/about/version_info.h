// Reading the version information of an executable file: the eleven strings of its first
// translation's string table.
#pragma once

#include <windows.h>

#include <array>
#include <string>

namespace capsdub {

// The strings of a file's version information, in Shift-JIS; a field is empty when its key
// is missing. Each value ends at its first NUL and holds at most 256 characters.
struct TVersion {
  std::string CompanyName;
  std::string FileDescription;
  std::string FileVersion;
  std::string InternalName;
  std::string LegalCopyright;
  std::string LegalTrademarks;
  std::string OriginalFileName;
  std::string ProductName;
  std::string ProductVersion;
  std::string Comments;
  std::string SCRNSAVE;  // a key of the program's own, not part of standard version information
};

// The keys in field order.
inline constexpr std::array<const wchar_t*, 11> kVersionKeys = {
    L"CompanyName",    L"FileDescription", L"FileVersion",      L"InternalName",
    L"LegalCopyright", L"LegalTrademarks", L"OriginalFileName", L"ProductName",
    L"ProductVersion", L"Comments",        L"SCRNSAVE"};
// Longest value kept, in characters.
inline constexpr std::size_t kVersionValueLimit = 256;

// The field of `version` filled from key number `index` (0 to 10, in the order above).
std::string& VersionField(TVersion& version, std::size_t index);

// Reads the version information of `file_name` into `version`. On any failure before the
// string table is reached (no version information, unreadable block, no translation entry)
// `version` is left as it was; a key missing from the table leaves its field as it was.
void ReadVersionResource(const std::wstring& file_name, TVersion& version);

// All eleven fields empty, then filled from `file_name`'s version information.
TVersion GetVersionInfo(const std::wstring& file_name);

}  // namespace capsdub
