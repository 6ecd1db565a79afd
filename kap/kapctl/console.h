// Console text for kapctl: Shift-JIS from KAP.dll shown in the console's own encoding, and
// command-line arguments turned into Shift-JIS.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace capsdub::kapctl {

// Writes Shift-JIS text to standard output: as UTF-16 to a console, otherwise converted to the
// console output code page (UTF-8 when there is none).
void WriteSjis(std::string_view sjis);
// Writes ASCII/UTF-16 text to standard output or standard error.
void Write(std::wstring_view text);
void WriteError(std::wstring_view text);

// The argument in Shift-JIS; nullopt when it holds characters that Shift-JIS cannot write.
std::optional<std::string> ToSjis(std::wstring_view text);

}  // namespace capsdub::kapctl
