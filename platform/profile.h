// Profile (INI) files: named values in sections, kept by the system. Section, key and value
// text is Shift-JIS. A file name without a folder is kept where the system keeps profile files:
// the Windows directory on Windows (or the user's virtual-store copy of it, once the Windows
// directory has refused a write: as the system does for 32-bit programs); on POSIX the folder
// named by CAPSDUB_PROFILE_DIR, else $XDG_CONFIG_HOME/capsdub, else $HOME/.config/capsdub.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace capsdub::platform {

// The value of `key` in `section`, with the surrounding blanks and one pair of enclosing quotes
// removed; nullopt when the file, the section or the key is not there. Section and key names
// compare without regard to ASCII letter case.
std::optional<std::string> ReadProfileValue(std::string_view file, std::string_view section,
                                            std::string_view key);

// The key names of `section` in file order; empty when the file or the section is not there.
std::vector<std::string> ReadProfileKeys(std::string_view file, std::string_view section);

// Sets `key` in `section` to `value`, adding the section and the key when they are not there.
// False when the file could not be written or the text could not be stored as given.
bool WriteProfileValue(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view value);

// Removes `section` with all its keys. True also when there was no such section.
bool EraseProfileSection(std::string_view file, std::string_view section);

// The path the system uses for profile file `file` (for tests and messages).
std::string ProfilePath(std::string_view file);

}  // namespace capsdub::platform
