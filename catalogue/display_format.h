// How catalogue values are shown: the grid's formats, shared by the window and the console.
#pragma once

#include <string>

#include "platform/datetime.h"

namespace capsdub {

// 2001年03月15日(木) 21:30 (Shift-JIS).
std::string FormatCatalogueDate(DateTime value);
// A whole number with thousands separators ("#,##0"), rounded half away from zero.
std::string FormatThousands(double value, const std::string& separator = ",");

}  // namespace capsdub
