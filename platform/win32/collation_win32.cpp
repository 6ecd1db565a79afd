// Collation on Windows: the user's locale sort key with case ignored, the order that
// CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE) gives.
#include <windows.h>

#include "platform/codepage.h"
#include "platform/collation.h"

namespace capsdub::platform {

std::string CollationKey(std::string_view sjis) {
  const std::wstring wide = SjisToWide(sjis);
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int n = ::LCMapStringW(LOCALE_USER_DEFAULT, flags, wide.c_str(), length, nullptr, 0);
  if (n <= 0) return {};
  std::string key(static_cast<std::size_t>(n), '\0');
  ::LCMapStringW(LOCALE_USER_DEFAULT, flags, wide.c_str(), length,
                 reinterpret_cast<LPWSTR>(key.data()), n);
  // The key ends with a NUL byte that carries no order.
  while (!key.empty() && key.back() == '\0') key.pop_back();
  return key;
}

}  // namespace capsdub::platform
