// POSIX side of locale.h: LC_NUMERIC of the environment, read without changing the
// process's own locale.
#include <langinfo.h>
#include <locale.h>

#include "platform/codepage.h"
#include "platform/locale.h"

namespace capsdub::platform {

std::string ThousandsSeparator() {
  locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return ",";
  const char* separator = nl_langinfo_l(THOUSEP, user);
  std::string utf8 = separator != nullptr ? separator : "";
  freelocale(user);
  if (utf8.empty()) return ",";
  return Utf8ToSjis(utf8).value_or(",");
}

}  // namespace capsdub::platform
