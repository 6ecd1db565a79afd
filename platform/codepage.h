// Conversions between Shift-JIS (code page 932, the core's text) and the encodings of the
// system boundary: UTF-16 for the Win32 W functions, UTF-8 for POSIX and terminals.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace capsdub::platform {

// Shift-JIS to UTF-8. Bytes that do not convert become U+FFFD and set *lossy.
std::string SjisToUtf8(std::string_view sjis, bool* lossy = nullptr);
// UTF-8 to Shift-JIS; nullopt when the text is not valid UTF-8 or has a character that code
// page 932 cannot hold.
std::optional<std::string> Utf8ToSjis(std::string_view utf8);

#ifdef _WIN32
// Shift-JIS to UTF-16. Bytes that do not convert become U+FFFD and set *lossy.
std::wstring SjisToWide(std::string_view sjis, bool* lossy = nullptr);
// UTF-16 to Shift-JIS; characters that code page 932 cannot hold become '?' and set *lossy
// (no near-equivalent character stands in for them).
std::string WideToSjis(std::wstring_view wide, bool* lossy = nullptr);
#endif

}  // namespace capsdub::platform
