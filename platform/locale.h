// The user's locale conventions that the system's messages use.
#pragma once

#include <string>

namespace capsdub::platform {

// The user's thousands separator (Shift-JIS); "," when the locale defines none or it cannot
// be had.
std::string ThousandsSeparator();

}  // namespace capsdub::platform
