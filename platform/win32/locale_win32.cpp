// Win32 side of locale.h: the user-default locale's LOCALE_STHOUSAND.
#include <windows.h>

#include "platform/codepage.h"
#include "platform/locale.h"

namespace capsdub::platform {

std::string ThousandsSeparator() {
  wchar_t buffer[8] = {};
  const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buffer, 8);
  if (n <= 1) return ",";
  const std::string sjis = WideToSjis(std::wstring_view(buffer, static_cast<std::size_t>(n - 1)));
  return sjis.empty() ? "," : sjis;
}

}  // namespace capsdub::platform
