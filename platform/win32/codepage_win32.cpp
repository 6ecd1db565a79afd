// Code page 932 conversions on Windows, always with code page 932 itself (never the system's
// ANSI code page), so the program behaves the same on any system locale.
#include <windows.h>

#include "platform/codepage.h"

namespace capsdub::platform {
namespace {

constexpr UINT kShiftJis = 932;

std::wstring ToWide(UINT codepage, std::string_view text, bool strict, bool* ok) {
  *ok = true;
  if (text.empty()) return {};
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  const int size = static_cast<int>(text.size());
  int n = ::MultiByteToWideChar(codepage, flags, text.data(), size, nullptr, 0);
  if (n <= 0) {
    *ok = false;
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codepage, flags, text.data(), size, wide.data(), n);
  return wide;
}

std::string FromWide(UINT codepage, std::wstring_view wide, bool* lossy) {
  if (lossy) *lossy = false;
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  BOOL used_default = FALSE;
  BOOL* used = codepage == CP_UTF8 ? nullptr : &used_default;
  // No near-equivalent stands in for a character that code page 932 lacks ("é" as "e", "¥"
  // as "\\"): in a path it would name another file. It becomes '?' and counts as a loss.
  const DWORD flags = codepage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int n =
      ::WideCharToMultiByte(codepage, flags, wide.data(), size, nullptr, 0, nullptr, used);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(codepage, flags, wide.data(), size, out.data(), n, nullptr, used);
  if (lossy) *lossy = used_default != FALSE;
  return out;
}

}  // namespace

std::wstring SjisToWide(std::string_view sjis, bool* lossy) {
  bool ok = false;
  std::wstring wide = ToWide(kShiftJis, sjis, true, &ok);
  if (lossy) *lossy = !ok;
  if (!ok) wide = ToWide(kShiftJis, sjis, false, &ok);
  return wide;
}

std::string WideToSjis(std::wstring_view wide, bool* lossy) {
  return FromWide(kShiftJis, wide, lossy);
}

std::string SjisToUtf8(std::string_view sjis, bool* lossy) {
  return FromWide(CP_UTF8, SjisToWide(sjis, lossy), nullptr);
}

std::optional<std::string> Utf8ToSjis(std::string_view utf8) {
  bool ok = false;
  const std::wstring wide = ToWide(CP_UTF8, utf8, true, &ok);
  if (!ok) return std::nullopt;
  bool lossy = false;
  std::string out = FromWide(kShiftJis, wide, &lossy);
  if (lossy) return std::nullopt;
  return out;
}

}  // namespace capsdub::platform
