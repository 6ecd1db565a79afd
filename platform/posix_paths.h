// How Windows paths reach the POSIX file system: a drive table maps letters to folders,
// backslashes are separators, and each name is looked up without regard to letter case.
#pragma once

#include <string>
#include <string_view>

namespace capsdub::platform {

// Maps drive `letter` (case-insensitive) to a POSIX folder. Ignored on Windows.
void SetDriveFolder(char letter, std::string folder);
void ClearDriveTable();

// The POSIX form of a path (on Windows the path unchanged): drive letter replaced through the
// table, '\' turned into '/', and every existing component matched case-insensitively to the
// name on disk. Components that do not exist are kept as given. Names stay UTF-8 on disk.
std::string HostPath(std::string_view path);

}  // namespace capsdub::platform
