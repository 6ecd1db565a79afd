// Console text conversion for kapctl.
#include "kap/kapctl/console.h"

#include <windows.h>

namespace capsdub::kapctl {
namespace {

constexpr UINT kShiftJis = 932;

std::wstring FromSjis(std::string_view sjis) {
  if (sjis.empty()) return {};
  const int length =
      MultiByteToWideChar(kShiftJis, 0, sjis.data(), static_cast<int>(sjis.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(kShiftJis, 0, sjis.data(), static_cast<int>(sjis.size()), wide.data(),
                      length);
  return wide;
}

void WriteTo(DWORD which, std::wstring_view text) {
  const HANDLE out = GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE || text.empty()) return;
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  UINT code_page = GetConsoleOutputCP();
  if (code_page == 0) code_page = CP_UTF8;
  const int length = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                      length, nullptr, nullptr);
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace

void WriteSjis(std::string_view sjis) {
  WriteTo(STD_OUTPUT_HANDLE, FromSjis(sjis));
}

void Write(std::wstring_view text) {
  WriteTo(STD_OUTPUT_HANDLE, text);
}

void WriteError(std::wstring_view text) {
  WriteTo(STD_ERROR_HANDLE, text);
}

std::optional<std::string> ToSjis(std::wstring_view text) {
  if (text.empty()) return std::string();
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(kShiftJis, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, &lossy);
  if (length == 0 || lossy) return std::nullopt;
  std::string sjis(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(kShiftJis, 0, text.data(), static_cast<int>(text.size()), sjis.data(), length,
                      nullptr, nullptr);
  return sjis;
}

}  // namespace capsdub::kapctl
