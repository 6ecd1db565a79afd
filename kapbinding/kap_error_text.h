// The Japanese text (Shift-JIS) that CapsDub shows for a KAP.dll result code.
#pragma once

#include <cstdint>
#include <string>

namespace capsdub {

// Message text for a library result code; "不明" for a code without a text of its own
// (0 and -3 included).
std::string KapErrorText(std::int32_t code);

}  // namespace capsdub
