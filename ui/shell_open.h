// Opening a document or web address with the program associated with it, through the
// shell's "open" action, and the working folder that the shell is given for it.
#pragma once

#include <string>
#include <string_view>

namespace capsdub {

// The part of `target` (Shift-JIS) up to and including its last backslash or colon; empty
// when it has neither. A backslash value that is the second byte of a double-byte character
// is part of that character, not a separator.
std::string ShellWorkingFolder(std::string_view target);

#ifdef _WIN32
// Asks the shell to open `target` (a file or web address, Shift-JIS) with `parameters` (none
// when empty), shown normally, with no owner window and the working folder above. The result
// is not examined: a target that cannot be opened fails silently.
void ShellOpen(std::string_view target, std::string_view parameters);
#endif

}  // namespace capsdub
