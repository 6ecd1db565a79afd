// Text order for sorting by the user's locale, without regard to letter case.
#pragma once

#include <string>
#include <string_view>

namespace capsdub::platform {

// A key whose byte order (memcmp, then length) is the collation order of the Shift-JIS text,
// case ignored. Windows: the user's locale sort key. POSIX: the Unicode code points with
// ASCII and full-width Latin letters folded to lower case.
std::string CollationKey(std::string_view sjis);

}  // namespace capsdub::platform
