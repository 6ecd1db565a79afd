// Path mapping shared by the POSIX sources of the platform layer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace capsdub::platform {

// The POSIX path of a Windows-form Shift-JIS path; nullopt for a drive letter that has no
// folder in the drive table.
std::optional<std::string> MapPath(std::string_view sjis_path);
// Tells the case-insensitive name look-up that this process created `posix_path`.
void NoteCreated(const std::string& posix_path);

}  // namespace capsdub::platform
